#include "engine/kernels/gather.h"

#include <cmath>

namespace vantor {

namespace {

// Masses and flags seldom change; writing them only when they do keeps the
// other workers' copies of those cache lines valid.
template <typename T>
void keep(T& slot, T value) {
    if (slot != value) slot = value;
}

}  // namespace

bool gatherObjects(ObjectRecord* records, const GatherColumns& out, int begin, int end, bool relativistic) {
    double* __restrict x = out.x;
    double* __restrict y = out.y;
    double* __restrict z = out.z;
    double* __restrict vx = out.vx;
    double* __restrict vy = out.vy;
    double* __restrict vz = out.vz;
    double* __restrict m = out.m;
    double* __restrict active = out.active;
    bool unbounded = false;
    for (int k = begin; k < end; ++k) {
        ObjectRecord& o = records[k];
        x[k] = o.x, y[k] = o.y, z[k] = o.z;
        vx[k] = o.vx, vy[k] = o.vy, vz[k] = o.vz;
        double mass = 0.0, flag = 0.0;
        if (o.disabled == 0) {
            mass = o.mass;
            if (relativistic) {
                mass = o.mass / std::sqrt(1.0 - (o.vx * o.vx + o.vy * o.vy + o.vz * o.vz) * INV_C2);
                o.relativisticMass = mass;
            }
            o.gravParam = mass * G;
            if (std::isfinite(mass)) flag = 1.0;
            else mass = 0.0;
        }
        keep(m[k], mass);
        keep(active[k], flag);
        unbounded = unbounded || (o.disabled == 0 && flag == 0.0);
    }
    if (begin >= end) return unbounded;
    for (int b = begin / 8; b * 8 < end; ++b) {
        unsigned bits = 0;
        for (int l = 0; l < 8 && b * 8 + l < end; ++l) bits |= (active[b * 8 + l] != 0.0 ? 1u : 0u) << l;
        keep(out.activeBits[b], static_cast<uint8_t>(bits));
    }
    for (int k = end; k % 8 != 0; ++k) {
        for (double* column : {x, y, z, vx, vy, vz, m, active}) keep(column[k], 0.0);
    }
    return unbounded;
}

}  // namespace vantor
