#include "engine/speed.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Speed, BatchSizeFollowsTheFrameRateWithinLimits) {
    const struct { int steps; int64_t fps; int desired; int expected; } cases[] = {
        {40, 100, 50, 80}, {40, 1, 50, 5}, {400000, 500, 50, 500000}, {7, 50, 50, 7}, {100, 0, 50, 5},
    };
    for (auto c : cases) EXPECT_EQ(adaptStepsPerFrame(c.steps, c.fps, c.desired), c.expected) << c.steps << " " << c.fps;
}

TEST(Speed, ReferenceMachineScoresTenThousand) {
    for (int64_t n : {2, 9, 10, 100, 5000}) {
        // One step per reference cost in one second is the reference speed.
        double cost = referenceStepCost(n);
        EXPECT_NEAR(measuredComputerSpeed(10.0 / cost, 10.0, 1.0, n), 10000, 1) << n;
        EXPECT_NEAR(measuredComputerSpeed(20.0 / cost, 10.0, 1.0, n), 20000, 1) << n;
    }
    EXPECT_NEAR(referenceStepCost(100), ((5.422e-12 * 100 + 5.252e-8) * 100 + 2.936e-7) * 100 + 2.603e-7, 1e-20);
    EXPECT_NEAR(referenceStepCost(5), ((8.724e-8 - 2.028e-9 * 5) * 5 + 1.342e-7) * 5 + 3.795e-7, 1e-20);
}

}  // namespace
}  // namespace vantor
