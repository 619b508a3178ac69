// Small worlds the engine tests build.
#pragma once

#include <random>

#include "engine/world.h"

namespace vantor {

inline ObjectRecord& add(World& w, double mass, Vec3 p, Vec3 v = {0, 0, 0}) {
    ObjectRecord& o = w.objects[w.OBJECTS_N++];
    o.mass = mass;
    o.x = p.x;
    o.y = p.y;
    o.z = p.z;
    o.vx = v.x;
    o.vy = v.y;
    o.vz = v.z;
    return o;
}

// A bound cluster of n bodies appended to w, the same for every seed value.
inline void fillCluster(World& w, int n, unsigned seed = 7) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> pos(-1e9, 1e9), vel(-300, 300), mass(1e24, 1e26);
    for (int i = 0; i < n; ++i) add(w, mass(rng), {pos(rng), pos(rng), pos(rng)}, {vel(rng), vel(rng), vel(rng)});
}

}  // namespace vantor
