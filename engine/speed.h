// Speed figures of a run: the Measured Computer Speed and the frame-rate
// control of the batch size.
#pragma once

#include <cstdint>

namespace vantor {

// Seconds one step of n objects takes on the reference machine.
double referenceStepCost(int64_t n);

// Measured Computer Speed: 10,000 means as fast as the reference machine.
// simulatedSeconds of simulated time passed in elapsedSeconds of real time
// with the given time step. Truncated toward zero.
int64_t measuredComputerSpeed(double simulatedSeconds, double timeStep, double elapsedSeconds, int64_t n);

// The next batch size: stepsPerFrame scaled by measuredFps / fpsDesired,
// kept within 5..500,000.
int adaptStepsPerFrame(int stepsPerFrame, int64_t measuredFps, int fpsDesired);

}  // namespace vantor
