#include "engine/speed.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Speed, BatchSizeFollowsTheFrameRateWithinLimits) {
    const struct {
        int steps;
        int64_t fps;
        int desired;
        int expected;
    } cases[] = {
        {40, 100, 50, 80}, {40, 1, 50, 5}, {400000, 500, 50, 500000}, {7, 50, 50, 7}, {100, 0, 50, 5},
    };
    for (auto c : cases)
        EXPECT_EQ(adaptStepsPerFrame(c.steps, c.fps, c.desired), c.expected) << c.steps << " " << c.fps;
}

// Expected costs: the two cubics evaluated in exact decimal arithmetic (by
// hand and with rational numbers, not with the code under test); 9 and 10
// lie either side of the switch from one cubic to the other. N = 1 is the
// worked example 5.98912e-7 s, N = 100 the benchmark's 5.6024e-4 s.
TEST(Speed, ReferenceStepCostIsTheCubicForItsObjectCount) {
    const struct {
        int64_t n;
        double seconds;
    } cases[] = {
        {1, 5.98912e-7},   {2, 9.80636e-7},    {5, 2.978e-6},        {9, 7.175328e-6},
        {10, 8.453722e-6}, {100, 5.602423e-4}, {5000, 1.9922182603},
    };
    for (const auto& c : cases) EXPECT_NEAR(referenceStepCost(c.n), c.seconds, c.seconds * 1e-14) << c.n;
}

TEST(Speed, ReferenceMachineScoresTenThousand) {
    // 1,785 steps per second of 100 objects: 1785 x 5.602423e-4 x 10,000 =
    // 10,000.33, cut to 10,000; twice as fast scores twice as much.
    const struct {
        double steps, timeStep, seconds;
        int64_t n, expected;
    } cases[] = {
        {1785, 10, 1, 100, 10000},  {3570, 10, 1, 100, 20000},  // 20,000.65
        {3570, 10, 2, 100, 10000},                              // the same speed over two seconds
        {1785, 0.5, 1, 100, 10000},                             // the time step only counts the steps
        {1e6, 10, 1, 1, 5989},                                  // 1e6 x 5.98912e-7 x 10,000 = 5,989.12
        {1, 10, 1, 5000, 19922},                                // 1.9922182603 x 10,000
    };
    for (const auto& c : cases) {
        EXPECT_EQ(measuredComputerSpeed(c.steps * c.timeStep, c.timeStep, c.seconds, c.n), c.expected)
            << c.steps << " steps of " << c.n << " in " << c.seconds << " s";
    }
}

}  // namespace
}  // namespace vantor
