// Conservation figures of the current configuration: energies, linear and
// angular momentum. Plain computation on demand, never part of a step.
#pragma once

#include <algorithm>

#include "engine/world.h"

namespace vantor {

struct WorkerPool;

// Figures of the active objects (disabled == 0) of the current table, with
// rest masses and Newtonian formulas whatever CALCULATE_RELATIVISTIC_MASSES
// says, and the step's G. Angular momentum is taken about the world origin.
struct ConservationFigures {
    double kineticEnergy = 0;       // J, sum of m v^2 / 2
    double potentialEnergy = 0;     // J, -sum over pairs of G m_i m_j / r_ij
    double totalEnergy = 0;         // J, their sum
    Vec3 momentum{0, 0, 0};         // kg m/s, sum of m v
    Vec3 angularMomentum{0, 0, 0};  // kg m^2/s, sum of m r x v
    // Sums of the magnitudes, sum of m |v| and sum of m |r x v|: the scale
    // against which a change of the vectors is judged, since the vectors
    // themselves are often near zero (a scenery about its centre of mass).
    double momentumScale = 0;
    double angularMomentumScale = 0;
    int objects = 0;  // active objects counted
};

// The pair sum (N(N-1)/2 pairs) runs on the pool's workers; the result does
// not depend on how many there are. Must not run during a step.
ConservationFigures computeConservationFigures(const World& world, WorkerPool& pool);

// (E - E0) / |E0|, 0 when E0 is 0.
double relativeDrift(double value, double reference);

// |a - a0| / scale for vectors, 0 when the scale is 0.
double relativeDrift(Vec3 value, Vec3 reference, double scale);

// When a live display may take its next figures: the pair sum stops the
// simulation while it runs, so after a sample that cost `cost` seconds the
// next waits until that cost is at most `budget` of the time in between
// (4 %: large sceneries are sampled less often), and never sooner than
// `minimumInterval` seconds.
struct SampleSchedule {
    double budget = 0.04;
    double minimumInterval = 0.25;
    double nextAt = 0;  // s on the caller's clock; 0: at once

    bool due(double now) const { return now >= nextAt; }
    void sampled(double now, double cost) { nextAt = now + std::max(minimumInterval, cost / budget); }
};

}  // namespace vantor
