#include "engine/kernels/integrate.h"
#include "engine/kernels/vector_clones.h"

#include <cmath>

namespace vantor {

// One branch-free pass that the compiler vectorises: the square roots and
// divisions of the update would dominate small sceneries otherwise.
VANTOR_VECTOR_CLONES
bool integrateObjects(const IntegrateInput& in, const IntegrateOutput& out, int begin, int end, double dt) {
    const double* __restrict px = in.x;
    const double* __restrict py = in.y;
    const double* __restrict pz = in.z;
    const double* __restrict pvx = in.vx;
    const double* __restrict pvy = in.vy;
    const double* __restrict pvz = in.vz;
    const double* __restrict pm = in.m;
    const double* __restrict pfx = in.fx;
    const double* __restrict pfy = in.fy;
    const double* __restrict pfz = in.fz;
    const double* __restrict pactive = in.active;
    double* __restrict ox = out.x;
    double* __restrict oy = out.y;
    double* __restrict oz = out.z;
    double* __restrict ovx = out.vx;
    double* __restrict ovy = out.vy;
    double* __restrict ovz = out.vz;
    int unbounded = 0;
#pragma omp simd reduction(| : unbounded)
    for (int k = begin; k < end; ++k) {
        const double vx = pvx[k], vy = pvy[k], vz = pvz[k];
        const double fx = pfx[k], fy = pfy[k], fz = pfz[k];
        const double a = dt / pm[k];
        const double h = dt * a * 0.5;  // dt^2 / 2m
        const double vsq = vx * vx + vy * vy + vz * vz;
        const double fsq = fx * fx + fy * fy + fz * fz;
        const double dv = std::sqrt(a * a * fsq);  // size of the velocity change
        // With both nonzero only its component along the old velocity
        // changes the speed.
        const double along = (vx * fx + vy * fy + vz * fz) * dv / std::sqrt(fsq * vsq);
        const double g = ((vsq == 0.0) | (fsq == 0.0)) ? dv : along;
        const double nx = px[k] + dt * vx + h * fx;
        const double ny = py[k] + dt * vy + h * fy;
        const double nz = pz[k] + dt * vz + h * fz;
        const double wx = vx + a * fx, wy = vy + a * fy, wz = vz + a * fz;
        const double wlen = std::sqrt(wx * wx + wy * wy + wz * wz);
        // The direction of v + a F with the speed |v| + g.
        const double scale = wlen == 0.0 ? 0.0 : (std::sqrt(vsq) + g) / wlen;
        const double nvx = wx * scale, nvy = wy * scale, nvz = wz * scale;
        ox[k] = nx;
        oy[k] = ny;
        oz[k] = nz;
        ovx[k] = nvx;
        ovy[k] = nvy;
        ovz[k] = nvz;
        // x - x is 0 exactly for finite x and not a number otherwise.
        const double probe = (nx - nx) + (ny - ny) + (nz - nz) + (nvx - nvx) + (nvy - nvy) + (nvz - nvz);
        unbounded |= ((probe == 0.0) | (pactive[k] == 0.0)) ? 0 : 1;
    }
    if (out.records) {
        for (int k = begin; k < end; ++k) {
            if (pactive[k] == 0.0) continue;
            ObjectRecord& o = out.records[k];
            o.x = ox[k], o.y = oy[k], o.z = oz[k];
            o.vx = ovx[k], o.vy = ovy[k], o.vz = ovz[k];
        }
    }
    return unbounded == 0;
}

}  // namespace vantor
