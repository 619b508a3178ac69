// The per-object half of the gravity step: the speed-preserving update of
// position and velocity from the summed force, on structure-of-arrays data.
#pragma once

#include <cstdint>

#include "engine/world.h"

namespace vantor {

struct IntegrateInput {
    const double *x, *y, *z;     // m
    const double *vx, *vy, *vz;  // m/s
    const double* m;             // effective mass, kg
    const double *fx, *fy, *fz;  // summed force, N
    const double* active;        // 1.0 active, 0.0 skipped
};

struct IntegrateOutput {
    double *x, *y, *z;
    double *vx, *vy, *vz;
    // With records, each active object's new state, finite or not, goes
    // into its record (the other records are left alone), and the columns
    // above are only the portable update's scratch: the vector update
    // leaves them unwritten.
    ObjectRecord* records = nullptr;
};

// Integrates objects [begin, end) over dt seconds. Every object of the range
// is computed; the caller keeps only the active ones. A provisional velocity
// of exactly zero gives a velocity of zero. True when every active object's
// new state is finite (false may also mean that one is close to overflow).
bool integrateObjects(const IntegrateInput& in, const IntegrateOutput& out, int begin, int end, double dt);

// The same with 512-bit vectors (the processor must have them); it rounds
// differently, within a few units in the last place.
bool integrateObjectsAvx512(const IntegrateInput& in, const IntegrateOutput& out, int begin, int end, double dt);

using IntegrateFn = bool (*)(const IntegrateInput&, const IntegrateOutput&, int begin, int end, double dt);

}  // namespace vantor
