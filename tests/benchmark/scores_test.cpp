#include "benchmark/scores.h"

#include <gtest/gtest.h>
#include "platform/version.h"

namespace vantor {
namespace {

TEST(BenchmarkScores, StepTimeUsesTheCubicForItsObjectCount) {
    // N = 1 is the worked example; 9 and 10, either side of the switch of
    // cubic, were evaluated by hand in exact decimal arithmetic; 100 is the
    // benchmark scenery's "about 5.6024e-4 s".
    EXPECT_NEAR(calibratedStepTime(1), 5.98912e-7, 1e-20);
    EXPECT_NEAR(calibratedStepTime(9), 7.175328e-6, 1e-20);
    EXPECT_NEAR(calibratedStepTime(10), 8.453722e-6, 1e-20);
    EXPECT_NEAR(calibratedStepTime(100), 5.602423e-4, 1e-18);
}

TEST(BenchmarkScores, FrameRateIsCutTowardZero) {
    // Time step 10 s, so S = 10 x steps; frequency 1000 ticks per second.
    const struct {
        double steps;
        int64_t frequency, ticks, expected;
    } cases[] = {
        {25, 1000, 10000, 0},  // 0.5 frames/s: cut, not rounded
        {100, 1000, 10000, 2},
        {149, 1000, 10000, 2},  // 2.98
        {500000, 1000, 10000, 10000},
        {100, 0, 10000, 0},  // no counter
        {100, 1000, 0, 0},   // no elapsed time
        {100, 1000, -5, 0},  // a counter that ran backwards
    };
    for (auto c : cases) {
        EXPECT_EQ(frameRateValue(c.steps * 10, 10, c.frequency, c.ticks), c.expected) << c.steps << " " << c.ticks;
    }
    EXPECT_EQ(frameRateValue(100, 0, 1000, 1000), 0);  // no time step: no figure rather than infinity
}

TEST(BenchmarkScores, ComputationScoresTenThousandAtTheCalibrationSpeed) {
    // 1,785 steps per second of 100 objects: 10,000 x 5.602423e-4 x 1785 = 10,000.3.
    EXPECT_EQ(computationValue(17850 * 10, 10, 100, 1000000, 10000000), 10000);
    EXPECT_EQ(computationValue(2 * 17850 * 10, 10, 100, 1000000, 10000000), 20000);
    EXPECT_EQ(computationValue(10, 10, 1, 1, 1), 0);  // 0.00599 cut to 0
    EXPECT_EQ(computationValue(17850, 10, 100, 0, 10), 0);
}

TEST(BenchmarkScores, LastResultsTextNeedsBothScores) {
    const struct {
        int64_t nbx, fps;
        const char* text;
    } cases[] = {
        {-1, -1, "Benchmark not performed yet."},
        {12345, -1, "Benchmark not performed yet."},
        {-1, 67, "Benchmark not performed yet."},
        {12345, 67, "NBXMark:  12345\r\nMaxFPS:  67\r\n-----\r\n(Vantor v" VANTOR_VERSION ")"},
        {0, 0, "NBXMark:  0\r\nMaxFPS:  0\r\n-----\r\n(Vantor v" VANTOR_VERSION ")"},
    };
    for (auto c : cases) EXPECT_EQ(lastBenchmarkResultsText(c.nbx, c.fps), c.text) << c.nbx << " " << c.fps;
}

TEST(BenchmarkScores, CompletedMessageShowsBothScores) {
    EXPECT_EQ(benchmarkCompletedText(23456, 789),
              "Benchmark completed successfully!\r\n\r\nNBXMark\t: 23456\r\nMaxFPS\t: 789\r\n\r\n"
              "Please submit your results by pressing\r\nsubmit button on the main benchmark dialog.");
}

}  // namespace
}  // namespace vantor
