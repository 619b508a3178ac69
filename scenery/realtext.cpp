#include "scenery/realtext.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace vantor {

char* formatRealTo(char* out, double value) {
    // A file must never hold an infinity or a not-a-number.
    if (!std::isfinite(value)) value = 0.0;

    // to_chars rounds correctly and never looks at the locale. Precision 16
    // gives the 17 significant digits: "[-]d.dddddddddddddddde[+-]dd[d]".
    char work[40];
    const auto result = std::to_chars(work, work + sizeof work, value, std::chars_format::scientific, 16);
    const char* end = result.ptr;
    const char* e = end;
    while (*--e != 'e') {}
    // Trailing zeros go; the point stays, so at worst the scan stops there.
    const char* mantissaEnd = e;
    while (mantissaEnd[-1] == '0') --mantissaEnd;

    const size_t mantissaLength = static_cast<size_t>(mantissaEnd - work);
    std::memcpy(out, work, mantissaLength);
    out += mantissaLength;
    *out++ = 'e';
    *out++ = e[1];
    // The exponent has at least three digits; to_chars gives at least two.
    const char* digits = e + 2;
    for (ptrdiff_t n = end - digits; n < 3; ++n) *out++ = '0';
    while (digits < end) *out++ = *digits++;
    return out;
}

std::string formatReal(double value, int width) {
    if (width >= 0 && width < 7) return "0";  // no number fits
    if (width > 348) width = 348;

    char buffer[REAL_TEXT_MAX];
    std::string text(buffer, formatRealTo(buffer, value));
    if (width < 0 || text.size() <= static_cast<size_t>(width)) return text;

    // Cut mantissa digits (without rounding) so that the exponent survives.
    const size_t ePos = text.rfind('e');
    const size_t excess = text.size() - static_cast<size_t>(width);
    if (excess <= ePos - 1) text.erase(ePos - excess, excess);
    if (text.size() > static_cast<size_t>(width)) text.resize(static_cast<size_t>(width));
    return text;
}

static bool isDigit(char c) { return c >= '0' && c <= '9'; }

static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

double parseReal(const char* text) {
    // Scan the atof syntax by hand: from_chars alone would accept "inf",
    // "nan" and reject "+" and the exponent letters d and D.
    const char* p = text;
    while (isSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');

    const char* start = p;
    // Decimal magnitude of the first significant digit relative to the
    // point; decides between infinity and zero when the value is out of range.
    int64_t leadExponent = 0;
    bool seenSignificant = false;
    bool anyDigit = false;
    while (isDigit(*p)) {
        anyDigit = true;
        if (seenSignificant) {
            ++leadExponent;
        } else if (*p != '0') {
            seenSignificant = true;
        }
        ++p;
    }
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) {
            anyDigit = true;
            if (!seenSignificant) {
                --leadExponent;
                if (*p != '0') seenSignificant = true;
            }
            ++p;
        }
    }
    if (!anyDigit) return 0.0;

    const char* letter = nullptr;
    int64_t exponent = 0;
    if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
        const char* q = p + 1;
        bool expNegative = false;
        if (*q == '+' || *q == '-') expNegative = (*q++ == '-');
        if (isDigit(*q)) {  // without a digit the letter is not part of the number
            letter = p;
            while (isDigit(*q)) {
                // Saturate: anything this large is out of range anyway.
                if (exponent < 1000000000) exponent = exponent * 10 + (*q - '0');
                ++q;
            }
            if (expNegative) exponent = -exponent;
            p = q;
        }
    }
    if (!seenSignificant) return negative ? -0.0 : 0.0;

    double value = 0.0;
    std::from_chars_result result;
    if (letter && (*letter == 'd' || *letter == 'D')) {
        // from_chars knows only e/E: convert a copy with the letter replaced.
        const size_t length = static_cast<size_t>(p - start);
        const size_t letterAt = static_cast<size_t>(letter - start);
        char small[128];
        std::string large;
        char* copy = small;
        if (length > sizeof small) {
            large.assign(start, length);
            copy = large.data();
        } else {
            std::memcpy(copy, start, length);
        }
        copy[letterAt] = 'e';
        result = std::from_chars(copy, copy + length, value);
    } else {
        result = std::from_chars(start, p, value);
    }
    if (result.ec == std::errc::result_out_of_range) {
        const bool tooLarge = exponent + leadExponent >= 0;
        value = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

double acceptPositiveUpTo(double oldValue, double newValue, double limit) {
    // Written so that a not-a-number fails the test and keeps the old value.
    if (newValue > 0 && newValue <= limit) return newValue;
    return oldValue;
}

}  // namespace vantor
