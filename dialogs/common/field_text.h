// Reading the text of dialog fields without a window: whole numbers in the
// atol manner and reals that must stay finite. No Qt here.
#pragma once

#include <cstdint>
#include <string>

namespace vantor::dialogs {

// Leading blanks, an optional sign, then decimal digits up to the first
// other character; text without digits reads as 0. Saturates instead of
// overflowing, so absurd input stays a large number.
int64_t parseWholeNumber(const std::string& text);

// parseReal of at most `limit` characters; a value that is not finite
// (an exponent out of range) gives `old` instead.
double parseFiniteReal(const std::string& text, double old, size_t limit = 500);

}  // namespace vantor::dialogs
