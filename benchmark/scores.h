// Benchmark scores and the texts that show them.
#pragma once

#include <cstdint>
#include <string>

namespace vantor {

constexpr const char* ENGINE_VERSION = "6.02.22";

// Message box and status texts of the benchmark.
constexpr const char* BENCHMARK_DIALOG_TITLE = "Vantor Computer Benchmark";
constexpr const char* BENCHMARK_MESSAGE_TITLE = "Vantor Benchmark";
constexpr const char* BENCHMARK_NOT_COMPLETED_TEXT = "Benchmark not completed!";
constexpr const char* BENCHMARK_VIEW_NOT_READY_TEXT =
    "Benchmark will not run until Vantor window is completely visible!";
constexpr const char* BENCHMARK_IN_PROGRESS_TEXT = "Benchmark in progress! Hold still, or press ESC to quit...";
constexpr const char* BENCHMARK_NOT_PERFORMED_TEXT = "Benchmark not performed yet.";

// Seconds one step of n objects takes on the calibration computer (the MCS
// cost function).
double calibratedStepTime(int64_t n);

// A frame-rate run's value: frames per second at 5 steps per frame, from
// simulated time S, time step h, counter frequency F and counter difference
// D. Cut toward zero; 0 when F or D is not positive or the result is not a
// number.
int64_t frameRateValue(double simulatedTime, double timeStep, int64_t frequency, int64_t counterDifference);

// A computation run's value: NBXMark = 10,000 x calibratedStepTime(n) x
// steps per second. Cut toward zero; 0 as for frameRateValue.
int64_t computationValue(double simulatedTime, double timeStep, int64_t n, int64_t frequency,
                         int64_t counterDifference);

// The Last Benchmark Results box: both scores and the program version, or
// "Benchmark not performed yet." while either score is negative.
std::string lastBenchmarkResultsText(int64_t lastNbxMark, int64_t lastMaxFps);

// The message after a completed benchmark.
std::string benchmarkCompletedText(int64_t nbxMark, int64_t maxFps);

}  // namespace vantor
