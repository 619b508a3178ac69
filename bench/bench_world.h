// The scenery the step and diagnostics benchmarks time: n bodies of equal
// mass spread over a cube of 2e9 m, the same every run.
#pragma once

#include <random>

#include "engine/world.h"

namespace vantor::bench {

inline void fillCluster(World& w, int n) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> pos(-1e9, 1e9), vel(-300, 300);
    for (int i = 0; i < n; ++i) {
        ObjectRecord& o = w.objects[i];
        o.mass = 2e24;
        o.x = pos(rng), o.y = pos(rng), o.z = pos(rng);
        o.vx = vel(rng), o.vy = vel(rng), o.vz = vel(rng);
    }
    w.OBJECTS_N = n;
}

}  // namespace vantor::bench
