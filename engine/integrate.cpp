#include "engine/integrate.h"

#include <cmath>

namespace vantor {

// One branch-free pass that the compiler vectorises: the square roots and
// divisions of the update dominate small sceneries otherwise.
__attribute__((target_clones("arch=skylake-avx512", "arch=haswell", "default")))
void integrateObjects(const IntegrateInput& in, const IntegrateOutput& out, int begin, int end, double dt) {
#pragma omp simd
    for (int k = begin; k < end; ++k) {
        const double vx = in.vx[k], vy = in.vy[k], vz = in.vz[k];
        const double fx = in.fx[k], fy = in.fy[k], fz = in.fz[k];
        const double a = dt / in.m[k];
        const double h = dt * a * 0.5;  // dt^2 / 2m
        const double vsq = vx * vx + vy * vy + vz * vz;
        const double fsq = fx * fx + fy * fy + fz * fz;
        const double dv = std::sqrt(a * a * fsq);  // size of the velocity change
        // Otherwise only its component along the old velocity changes the speed.
        const double along = (vx * fx + vy * fy + vz * fz) * dv / std::sqrt(fsq * vsq);
        const double g = (vsq == 0.0 || fsq == 0.0) ? dv : along;
        const double nx = in.x[k] + dt * vx + h * fx;
        const double ny = in.y[k] + dt * vy + h * fy;
        const double nz = in.z[k] + dt * vz + h * fz;
        const double wx = vx + a * fx, wy = vy + a * fy, wz = vz + a * fz;
        const double wlen = std::sqrt(wx * wx + wy * wy + wz * wz);
        // The direction of v + a F with the speed |v| + g.
        const double scale = wlen == 0.0 ? 0.0 : (std::sqrt(vsq) + g) / wlen;
        const double nvx = wx * scale, nvy = wy * scale, nvz = wz * scale;
        out.x[k] = nx;
        out.y[k] = ny;
        out.z[k] = nz;
        out.vx[k] = nvx;
        out.vy[k] = nvy;
        out.vz[k] = nvz;
        // x - x is 0 exactly for finite x and not a number otherwise.
        const double probe = (nx - nx) + (ny - ny) + (nz - nz) + (nvx - nvx) + (nvy - nvy) + (nvz - nvz);
        out.finite[k] = probe == 0.0 ? 1 : 0;
    }
}

}  // namespace vantor
