// parseReal on arbitrary text: never crashes, and agrees bit for bit with
// the C library's strtod applied to the number that the atof rule takes
// from the text (exponent letters d and D read as e).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenery/realtext.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The longest prefix of the atof syntax, rewritten for strtod, or "" when
// the text holds no number.
std::string numberPrefix(const char* text) {
    const char* p = text;
    while (*p != '\0' && std::strchr(" \t\n\v\f\r", *p)) ++p;
    std::string number;
    if (*p == '+' || *p == '-') number += *p++;
    bool digits = false;
    while (isDigit(*p)) {
        number += *p++;
        digits = true;
    }
    if (*p == '.') {
        number += *p++;
        while (isDigit(*p)) {
            number += *p++;
            digits = true;
        }
    }
    if (!digits) return "";
    if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
        const char* q = p + 1;
        std::string exponent = "e";
        if (*q == '+' || *q == '-') exponent += *q++;
        if (isDigit(*q)) {
            while (isDigit(*q)) exponent += *q++;
            number += exponent;
        }
    }
    return number;
}

[[noreturn]] void fail(const char* what, const std::string& text, double got, double expected) {
    std::fprintf(stderr, "%s for \"%.200s\": got %.17g, expected %.17g\n", what, text.c_str(), got, expected);
    std::abort();
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A zero byte ends the text, as it ends a C string.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = vantor::parseReal(text.c_str());

    const std::string number = numberPrefix(text.c_str());
    const double expected = number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
    if (!sameBits(value, expected)) fail("parseReal differs from strtod", text, value, expected);

    // Whatever stops the number, the number alone reads the same.
    if (!number.empty() && !sameBits(vantor::parseReal(number.c_str()), value)) {
        fail("the number alone reads differently", text, vantor::parseReal(number.c_str()), value);
    }
    // What was read, written and read again is the same double.
    if (std::isfinite(value)) {
        const std::string written = vantor::formatReal(value);
        if (!sameBits(vantor::parseReal(written.c_str()), value)) {
            fail("written value reads back differently", written, vantor::parseReal(written.c_str()), value);
        }
    }
    return 0;
}
