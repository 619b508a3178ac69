// The gravity step: gather, pair forces, integrate, on the worker pool.
#pragma once

#include "engine/worker_pool.h"
#include "engine/world.h"

namespace vantor {

// Advances the current configuration by one step. A collision while
// collisions are not allowed sets collisionDetected and leaves every object
// as it was before the step (only SIMULATION_TIME has advanced); the caller
// pauses the run and tells the user.
void simulationStep(World& world, WorkerPool& pool);

}  // namespace vantor
