// The mouse wheel's zoom steps: one per 120 angle units, however the wheel
// delivers them.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "render/navigation.h"

namespace vantor::render {
namespace {

int stepsFor(const std::vector<int>& deltas, WheelState& wheel) {
    int steps = 0;
    for (int d : deltas) steps += wheelZoomSteps(wheel, d);
    return steps;
}

TEST(Wheel, OneZoomStepPer120AngleUnits) {
    const struct {
        std::vector<int> deltas;
        int steps;  // in the end, > 0 in
        int left;   // what is counted towards the next step
    } cases[] = {
        {{120}, 1, 0},
        {{-120}, -1, 0},
        {{360}, 3, 0},
        {{30, 30, 30}, 0, 90},     // a high-resolution wheel: not a notch yet
        {{30, 30, 30, 30}, 1, 0},  // ... then one step
        {{15, 15, 15, 15, 15, 15, 15, 15, 15}, 1, 15},
        {{-40, -40, -40, -40, -40, -40}, -2, 0},
        {{100, -30}, 0, -30},  // the other way starts afresh
        {{100, -100, -20}, -1, 0},
        {{-119, 119}, 0, 119},
        {{0, 0}, 0, 0},
        {{119, 1, 119, 1}, 2, 0},
    };
    for (const auto& c : cases) {
        WheelState wheel;
        EXPECT_EQ(stepsFor(c.deltas, wheel), c.steps) << c.deltas.size() << " deltas from " << c.deltas[0];
        EXPECT_EQ(wheel.accumulated, c.left) << c.deltas.size() << " deltas from " << c.deltas[0];
    }
}

TEST(Wheel, ExtremeDeltasNeitherOverflowNorLoseTheRest) {
    WheelState wheel;
    EXPECT_EQ(wheelZoomSteps(wheel, INT_MAX), INT_MAX / 120);
    EXPECT_EQ(wheel.accumulated, INT_MAX % 120);
    EXPECT_EQ(wheelZoomSteps(wheel, INT_MAX), (INT_MAX % 120 + int64_t{INT_MAX}) / 120);
    EXPECT_EQ(wheelZoomSteps(wheel, INT_MIN), INT_MIN / 120);
    EXPECT_GT(wheel.accumulated, -120);
}

}  // namespace
}  // namespace vantor::render
