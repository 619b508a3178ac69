#include "engine/speed.h"

#include <algorithm>
#include <cmath>

#include "platform/truncate.h"

namespace vantor {

double referenceStepCost(int64_t count) {
    const double n = static_cast<double>(count);
    if (count < 10) return ((8.724e-8 - 2.028e-9 * n) * n + 1.342e-7) * n + 3.795e-7;
    return ((5.422e-12 * n + 5.252e-8) * n + 2.936e-7) * n + 2.603e-7;
}

int64_t measuredComputerSpeed(double simulatedSeconds, double timeStep, double elapsedSeconds, int64_t n) {
    return platform::truncateToInt64(simulatedSeconds / timeStep / elapsedSeconds * referenceStepCost(n) * 10000.0,
                                     platform::BeyondInt64::Saturate);
}

int adaptStepsPerFrame(int stepsPerFrame, int64_t measuredFps, int fpsDesired) {
    double next = std::trunc(static_cast<double>(stepsPerFrame) * static_cast<double>(measuredFps) /
                             static_cast<double>(fpsDesired));
    if (!(next >= 5.0)) return 5;  // also a NaN from a zero rate
    return next > 500000.0 ? 500000 : static_cast<int>(next);
}

}  // namespace vantor
