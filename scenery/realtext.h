// The real-number text form: every real shown to the user or written to a
// scenery file goes through formatReal, every real read back through
// parseReal. Both ignore the user's locale: the separator is always ".".
#pragma once

#include <string>

namespace vantor {

// Compact exponent form with 17 significant digits and no trailing zeros:
// 0 -> "0.e+000", 0.22 -> "2.2e-001". Non-finite values give "0.e+000".
// width is a maximum length; negative means no limit.
std::string formatReal(double value, int width = -1);

// Longest text formatReal produces without a width limit: sign, 17 digits,
// point, "e", exponent sign and three exponent digits.
constexpr int REAL_TEXT_MAX = 24;

// formatReal without a width limit, written to out (room for REAL_TEXT_MAX
// characters, no terminator); returns the end. For writers of many reals.
char* formatRealTo(char* out, double value);

// The C atof rule: leading white space, sign, digits, point, digits, an
// exponent introduced by e, E, d or D. Text without a number gives 0.
double parseReal(const char* text);

// newValue when 0 < newValue <= limit, else oldValue.
double acceptPositiveUpTo(double oldValue, double newValue, double limit);

}  // namespace vantor
