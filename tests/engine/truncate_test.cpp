#include "platform/truncate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vantor::platform {
namespace {

struct Cut {
    double value;
    int64_t saturated;  // BeyondInt64::Saturate
    int64_t zeroed;     // BeyondInt64::Zero
};

// Toward zero inside the range; at and past 9.2e18 in size the two modes
// part; nothing that is not a number becomes one.
TEST(TruncateToInt64, CutsTowardZeroAndTreatsTheEdgesByMode) {
    const double inf = std::numeric_limits<double>::infinity();
    const Cut cuts[] = {
        {0.0, 0, 0},
        {-0.0, 0, 0},
        {2.9, 2, 2},
        {-2.9, -2, -2},
        {5e-324, 0, 0},
        {9.1e18, 9100000000000000000, 9100000000000000000},
        {9.2e18, INT64_MAX, 0},
        {-9.2e18, INT64_MIN, 0},
        {1e300, INT64_MAX, 0},
        {inf, 0, 0},
        {-inf, 0, 0},
        {std::nan(""), 0, 0},
    };
    for (const Cut& c : cuts) {
        EXPECT_EQ(truncateToInt64(c.value, BeyondInt64::Saturate), c.saturated) << c.value;
        EXPECT_EQ(truncateToInt64(c.value, BeyondInt64::Zero), c.zeroed) << c.value;
    }
}

}  // namespace
}  // namespace vantor::platform
