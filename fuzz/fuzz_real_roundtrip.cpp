// formatReal and parseReal on arbitrary doubles: every finite double reads
// back bit for bit from its text, which has the documented form and agrees
// with the C library's rounding to 17 digits; a non-finite one is written as
// "0.e+000". Two more bytes, when present, give a width limit to check.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenery/realtext.h"

namespace {

[[noreturn]] void fail(const char* what, double value, const std::string& text) {
    std::fprintf(stderr, "%s: %a gives \"%s\"\n", what, value, text.c_str());
    std::abort();
}

// "[-]d.[digits without a trailing 0]e(+|-)ddd[d]"
bool hasTheTextForm(const std::string& t) {
    size_t p = 0;
    if (p < t.size() && t[p] == '-') ++p;
    if (p + 1 >= t.size() || !std::isdigit(static_cast<unsigned char>(t[p])) || t[p + 1] != '.') return false;
    p += 2;
    const size_t fraction = p;
    while (p < t.size() && std::isdigit(static_cast<unsigned char>(t[p]))) ++p;
    if (p > fraction && t[p - 1] == '0') return false;
    if (p >= t.size() || t[p++] != 'e') return false;
    if (p >= t.size() || (t[p] != '+' && t[p] != '-')) return false;
    const size_t exponent = ++p;
    while (p < t.size() && std::isdigit(static_cast<unsigned char>(t[p]))) ++p;
    return p == t.size() && p - exponent >= 3 && t.size() <= vantor::REAL_TEXT_MAX;
}

// The C library's 17 significant digits, shortened the same way.
std::string referenceText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.16e", value);
    std::string t = buffer;
    const size_t e = t.find('e');
    size_t end = e;
    while (t[end - 1] == '0') --end;
    std::string exponent = t.substr(e + 2);
    while (exponent.size() < 3) exponent.insert(0, "0");
    return t.substr(0, end) + "e" + t[e + 1] + exponent;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < sizeof(double)) return -1;
    double value;
    std::memcpy(&value, data, sizeof value);

    const std::string text = vantor::formatReal(value);
    if (!std::isfinite(value)) {
        if (text != "0.e+000") fail("non-finite value", value, text);
    } else {
        if (!hasTheTextForm(text)) fail("text form", value, text);
        if (text != referenceText(value)) fail("differs from the C library", value, text);
        const double back = vantor::parseReal(text.c_str());
        if (std::memcmp(&back, &value, sizeof value) != 0) fail("does not read back", value, text);
        char raw[vantor::REAL_TEXT_MAX];
        if (std::string(raw, vantor::formatRealTo(raw, value)) != text) fail("formatRealTo differs", value, text);
    }

    if (size >= sizeof(double) + 2) {
        int16_t w;
        std::memcpy(&w, data + sizeof(double), sizeof w);
        const int width = w % 400;  // -399..399: both ends of the range rules
        const std::string limited = vantor::formatReal(value, width);
        if (width >= 0 && width < 7) {
            if (limited != "0") fail("width below 7", value, limited);
        } else if (width < 0 || text.size() <= static_cast<size_t>(width)) {
            if (limited != text) fail("width that fits", value, limited);
        } else {
            // Mantissa digits are cut so that the exponent survives.
            const std::string exponent = text.substr(text.rfind('e'));
            const std::string mantissa = limited.substr(0, limited.size() - exponent.size());
            if (limited.size() > static_cast<size_t>(width) ||
                limited.compare(limited.size() - exponent.size(), exponent.size(), exponent) != 0 ||
                text.compare(0, mantissa.size(), mantissa) != 0) {
                fail("width limit", value, limited);
            }
        }
    }
    return 0;
}
