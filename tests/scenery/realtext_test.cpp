#include "scenery/realtext.h"

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace vantor {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }

struct FormatCase {
    double value;
    const char* text;
};

TEST(FormatReal, GivesTheCompactExponentForm) {
    const FormatCase cases[] = {
        {0.0, "0.e+000"},
        {1.0, "1.e+000"},
        {10.0, "1.e+001"},
        {100.0, "1.e+002"},
        {0.22, "2.2e-001"},
        {-1.0, "-1.e+000"},
        {6.96e8, "6.96e+008"},
        {1.9891e30, "1.9890999999999999e+030"},
        {3.302e23, "3.3019999999999999e+023"},
        {-6.9817079e10, "-6.9817079e+010"},
        {1e13, "1.e+013"},
        {0.1, "1.0000000000000001e-001"},
        {1e300, "1.0000000000000001e+300"},
        {-1.2446e4, "-1.2446e+004"},
        {1e100, "1.e+100"},
        {1e-100, "1.e-100"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {std::numeric_limits<double>::denorm_min(), "4.9406564584124654e-324"},
        {std::numeric_limits<double>::min(), "2.2250738585072014e-308"},
        {-0.0, "-0.e+000"},  // the sign survives, so -0 reads back as -0
        {INF, "0.e+000"},
        {-INF, "0.e+000"},
        {std::numeric_limits<double>::quiet_NaN(), "0.e+000"},
        {-std::numeric_limits<double>::quiet_NaN(), "0.e+000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatReal(c.value), c.text) << "value " << c.value;
        char buffer[REAL_TEXT_MAX];
        EXPECT_EQ(std::string(buffer, formatRealTo(buffer, c.value)), c.text);
    }
}

// The text form of a 17-significant-digit rendering ("%.16e", which the C
// library rounds exactly): trailing zeros cut, the exponent in three digits.
std::string fromPrintf(double value) {
    char work[64];
    std::snprintf(work, sizeof work, "%.16e", value);
    std::string s(work);
    const size_t e = s.find('e');
    size_t end = e;
    while (s[end - 1] == '0') --end;
    std::string exponent = s.substr(e + 2);
    while (exponent.size() < 3) exponent = "0" + exponent;
    return s.substr(0, end) + "e" + s[e + 1] + exponent;
}

// Checks the shape digit by digit: [-]d.[digits not ending in 0]e(+|-)ddd[d].
bool wellFormed(const std::string& s) {
    size_t i = 0;
    if (s[i] == '-') ++i;
    if (!std::isdigit(static_cast<unsigned char>(s[i++]))) return false;
    if (s[i++] != '.') return false;
    const size_t fractionStart = i;
    while (std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i > fractionStart && s[i - 1] == '0') return false;
    if (i - fractionStart > 16) return false;
    if (s[i++] != 'e') return false;
    if (s[i] != '+' && s[i] != '-') return false;
    const size_t digits = s.size() - i - 1;
    return digits == 3 && s.size() <= static_cast<size_t>(REAL_TEXT_MAX);
}

TEST(FormatReal, RandomDoublesReadBackExactly) {
    std::mt19937_64 random(20240611);
    auto check = [](double v) {
        const std::string text = formatReal(v);
        ASSERT_TRUE(wellFormed(text)) << text;
        const double back = parseReal(text.c_str());
        ASSERT_EQ(bits(back), bits(v)) << text;
    };
    for (int i = 0; i < 1000000; ++i) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v)) check(v);
    }
    // Denormals (all exponent bits zero), both signs, and their neighbours.
    for (int i = 0; i < 100000; ++i) {
        const uint64_t mantissa = random() & ((uint64_t{1} << 52) - 1);
        check(std::bit_cast<double>(mantissa));
        check(std::bit_cast<double>(mantissa | (uint64_t{1} << 63)));
    }
    const double extremes[] = {0.0,
                               -0.0,
                               std::numeric_limits<double>::max(),
                               -std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::min(),
                               std::nextafter(std::numeric_limits<double>::min(), 0.0),
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::denorm_min(),
                               std::nextafter(1.0, 2.0),
                               std::nextafter(1.0, 0.0),
                               9007199254740993.0,
                               5e-324 * 3};
    for (double v : extremes) check(v);
}

TEST(FormatReal, AgreesWithTheCLibrarysRounding) {
    // glibc's printf rounds exactly; it is an independent oracle for the
    // 17-digit rounding (the test runs in the "C" locale).
    std::mt19937_64 random(77);
    for (int i = 0; i < 200000; ++i) {
        const double v = std::bit_cast<double>(random());
        if (!std::isfinite(v)) continue;
        ASSERT_EQ(formatReal(v), fromPrintf(v));
    }
}

TEST(FormatReal, WidthLimit) {
    struct WidthCase {
        double value;
        int width;
        const char* text;
    };
    const WidthCase cases[] = {
        {1.0, 0, "0"},
        {1.0, 6, "0"},
        {123.0, 3, "0"},
        {1.0, 7, "1.e+000"},
        {-1.0, 7, "-1e+000"},  // the cut takes the point, never the exponent
        {-1.5, 8, "-1.e+000"},
        {1.9891e30, 10, "1.989e+030"},  // digits are cut, not rounded
        {1.9891e30, 23, "1.9890999999999999e+030"},
        {1.9891e30, 22, "1.989099999999999e+030"},
        {1.9891e30, 50, "1.9890999999999999e+030"},
        {1.9891e30, 100000, "1.9890999999999999e+030"},
        {-6.9817079e10, 50, "-6.9817079e+010"},
        {INF, 7, "0.e+000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatReal(c.value, c.width), c.text) << c.value << " width " << c.width;
    }

    // Every result fits its width and keeps its full exponent.
    std::mt19937_64 random(5);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::bit_cast<double>(random());
        const std::string full = formatReal(v);
        const std::string exponent = full.substr(full.rfind('e'));
        for (int width = 7; width <= 25; ++width) {
            const std::string cut = formatReal(v, width);
            ASSERT_LE(cut.size(), static_cast<size_t>(width));
            ASSERT_EQ(cut.substr(cut.rfind('e')), exponent) << full << " width " << width;
            ASSERT_EQ(full.compare(0, cut.size() - exponent.size(), cut, 0, cut.size() - exponent.size()), 0);
        }
    }
}

struct ParseCase {
    const char* text;
    double value;
};

TEST(ParseReal, FollowsTheAtofRule) {
    const ParseCase cases[] = {
        {"", 0.0},
        {"abc", 0.0},
        {" ", 0.0},
        {"  -3.5e2xyz", -350.0},
        {"7.5 kg", 7.5},
        {"1.e+001", 10.0},
        {"2.2e-001", 0.22},
        {" \t\n\v\f\r2", 2.0},
        {"+5", 5.0},
        {"-.5", -0.5},
        {".5", 0.5},
        {"5.", 5.0},
        {".", 0.0},
        {"-", 0.0},
        {"+.e5", 0.0},
        {"e5", 0.0},
        {"1d3", 1000.0},
        {"1D-2", 0.01},
        {"1E+2", 100.0},
        {"1e", 1.0},  // an exponent letter without digits is not consumed
        {"1e+", 1.0},
        {"1e-x", 1.0},
        {"1.5.5", 1.5},
        {"12,5", 12.0},  // the separator is "." only
        {"inf", 0.0},
        {"-infinity", 0.0},
        {"nan", 0.0},
        {"0x1p3", 0.0},  // the 0 before the x
        {"0x10", 0.0},
        {"1e400", INF},
        {"-1e400", -INF},
        {"1.7976931348623159e308", INF},  // rounds beyond the largest double
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {"1e99999999999999999999", INF},
        {"0e99999999999999999999", 0.0},
        {"1e-400", 0.0},
        {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
        {"2.4703282292062328e-324", std::numeric_limits<double>::denorm_min()},  // above halfway
        {"000000000000000000000000001", 1.0},
        {"0.30000000000000000000000000000001", 0.3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bits(parseReal(c.text)), bits(c.value)) << '"' << c.text << "\" gave " << parseReal(c.text);
    }
}

TEST(ParseReal, KeepsTheSignOfZero) {
    const ParseCase cases[] = {
        {"-0", -0.0}, {"-0.e+000", -0.0}, {"0.e+000", 0.0}, {"-1e-400", -0.0}, {"-0e999", -0.0}, {"-x", 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bits(parseReal(c.text)), bits(c.value)) << c.text;
    }
}

TEST(ParseReal, ReadsValuesOfFiftyThousandCharacters) {
    struct LongCase {
        std::string text;
        double value;
    };
    const std::string zeros(49000, '0');
    const LongCase cases[] = {
        {"1" + std::string(50000, '0'), INF},
        {"0." + std::string(49990, '0') + "1", 0.0},
        {"1" + zeros + "e-49000", 1.0},
        {"0." + zeros + "1e49001", 1.0},
        {"0." + std::string(49998, '3'), 1.0 / 3.0},
        {"-" + std::string(300, '9') + "d-300", -1.0},  // 1 - 1e-300 rounds to 1
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bits(parseReal(c.text.c_str())), bits(c.value)) << c.text.substr(0, 40);
    }
}

TEST(RealTextForm, IgnoresTheUsersLocale) {
    // Formatting and parsing must not pick up a decimal comma. Only locales
    // that are installed can be tried.
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8",  "de_DE",       "de_DE@euro",         "fr_FR.UTF-8",
                           "fr_FR.utf8",  "nl_NL.UTF-8", "ru_RU.UTF-8", "German_Germany.1252"};
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const char* chosen = nullptr;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            chosen = name;
            break;
        }
    }
    if (!chosen) {
        std::setlocale(LC_ALL, before.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    const std::string formatted = formatReal(0.22);
    const double parsed = parseReal("2.5e+000");
    const double parsedComma = parseReal("2,5");
    std::setlocale(LC_ALL, before.c_str());

    EXPECT_EQ(formatted, "2.2e-001") << chosen;
    EXPECT_EQ(parsed, 2.5) << chosen;
    EXPECT_EQ(parsedComma, 2.0) << chosen;
}

TEST(AcceptPositiveUpTo, TakesOnlyValuesInRange) {
    struct Case {
        double newValue;
        double expected;
    };
    const Case cases[] = {
        {0.0, 5.0},       {-1.0, 5.0}, {2e10, 5.0}, {1e10, 1e10}, {std::numeric_limits<double>::quiet_NaN(), 5.0},
        {1e-300, 1e-300}, {-0.0, 5.0}, {INF, 5.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(acceptPositiveUpTo(5.0, c.newValue, 1e10), c.expected) << c.newValue;
    }
}

}  // namespace
}  // namespace vantor
