#include "benchmark/scores.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "engine/speed.h"
#include "platform/truncate.h"
#include "scenery/writer.h"

namespace vantor {

namespace {

// Cut toward zero; a value that is not finite counts as no measurement, and
// huge values saturate.
int64_t cutToInt64(double v) { return platform::truncateToInt64(v, platform::BeyondInt64::Saturate); }

// Steps per second, or NaN when the run measured nothing usable.
double stepsPerSecond(double simulatedTime, double timeStep, int64_t frequency, int64_t counterDifference) {
    if (frequency <= 0 || counterDifference <= 0) return std::nan("");
    const double steps = simulatedTime / timeStep;
    const double seconds = static_cast<double>(counterDifference) / static_cast<double>(frequency);
    return steps / seconds;
}

}  // namespace

double calibratedStepTime(int64_t n) { return referenceStepCost(n); }

int64_t frameRateValue(double simulatedTime, double timeStep, int64_t frequency, int64_t counterDifference) {
    return cutToInt64(0.2 * stepsPerSecond(simulatedTime, timeStep, frequency, counterDifference));
}

int64_t computationValue(double simulatedTime, double timeStep, int64_t n, int64_t frequency,
                         int64_t counterDifference) {
    return cutToInt64(10000.0 * calibratedStepTime(n) *
                      stepsPerSecond(simulatedTime, timeStep, frequency, counterDifference));
}

std::string lastBenchmarkResultsText(int64_t lastNbxMark, int64_t lastMaxFps) {
    if (lastNbxMark < 0 || lastMaxFps < 0) return BENCHMARK_NOT_PERFORMED_TEXT;
    char text[160];
    std::snprintf(text, sizeof text, "NBXMark:  %" PRId64 "\r\nMaxFPS:  %" PRId64 "\r\n-----\r\n(Vantor v%s)",
                  lastNbxMark, lastMaxFps, PROGRAM_VERSION);
    return text;
}

std::string benchmarkCompletedText(int64_t nbxMark, int64_t maxFps) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Benchmark completed successfully!\r\n\r\nNBXMark\t: %" PRId64 "\r\nMaxFPS\t: %" PRId64
                  "\r\n\r\nPlease submit your results by pressing\r\nsubmit button on the main benchmark dialog.",
                  nbxMark, maxFps);
    return text;
}

}  // namespace vantor
