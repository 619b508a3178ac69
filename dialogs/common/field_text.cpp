#include "dialogs/common/field_text.h"

#include <cmath>

#include "scenery/realtext.h"

namespace vantor::dialogs {

int64_t parseWholeNumber(const std::string& text) {
    constexpr int64_t limit = 1'000'000'000'000'000'000;
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    int64_t value = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p) {
        value = value >= limit / 10 ? limit : value * 10 + (text[p] - '0');
    }
    return negative ? -value : value;
}

double parseFiniteReal(const std::string& text, double old, size_t limit) {
    const double value = parseReal(text.substr(0, limit).c_str());
    return std::isfinite(value) ? value : old;
}

}  // namespace vantor::dialogs
