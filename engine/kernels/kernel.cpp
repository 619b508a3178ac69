#include "engine/kernels/kernel.h"
#include "engine/kernels/vector_clones.h"
#include "engine/kernels/vector_units.h"
#include "engine/world.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifndef VANTOR_HAVE_AVX512
#error "the build says in engine/kernels/vector_units.h which loops it has"
#endif

namespace vantor {

// Compiled for several vector widths; the loader picks the widest the
// processor has. The reduction over j is reordered by the vector lanes, which
// changes only rounding and is the same on every run.
namespace {

VANTOR_VECTOR_CLONES
void pairRow(const KernelArrays& a, int i, int jBegin, int jEnd, double* fx, double* fy, double* fz) {
    const double xi = a.x[i], yi = a.y[i], zi = a.z[i], gpi = G * a.m[i];
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict z = a.z;
    const double* __restrict m = a.m;
    const double* __restrict act = a.active;
    double* __restrict gx = fx;
    double* __restrict gy = fy;
    double* __restrict gz = fz;
    double sx = 0, sy = 0, sz = 0;
#pragma omp simd reduction(+ : sx, sy, sz)
    for (int j = jBegin; j < jEnd; ++j) {
        double dx = x[j] - xi, dy = y[j] - yi, dz = z[j] - zi;
        double r2 = dx * dx + dy * dy + dz * dz;
        double f = gpi * m[j] / (std::sqrt(r2) * r2);
        f = act[j] != 0.0 ? f : 0.0;
        double cx = f * dx, cy = f * dy, cz = f * dz;
        sx += cx;
        sy += cy;
        sz += cz;
        gx[j] -= cx;
        gy[j] -= cy;
        gz[j] -= cz;
    }
    gx[i] += sx;
    gy[i] += sy;
    gz[i] += sz;
}

}  // namespace

void pairRowsPortable(const KernelArrays& a, int i, int rows, int jBegin, int jEnd, double* fx, double* fy,
                      double* fz) {
    for (int k = 0; k < rows; ++k) pairRow(a, i + k, std::max(jBegin, i + k + 1), jEnd, fx, fy, fz);
}

bool kernelAvailable(KernelKind kind) {
    switch (kind) {
        case KernelKind::Portable: return true;
        case KernelKind::Avx512:
#if VANTOR_HAVE_AVX512
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
#else
            return false;
#endif
    }
    return false;
}

KernelKind bestKernel() {
    const char* forced = std::getenv("VANTOR_KERNEL");
    if (forced && std::strcmp(forced, "portable") == 0) return KernelKind::Portable;
    return kernelAvailable(KernelKind::Avx512) ? KernelKind::Avx512 : KernelKind::Portable;
}

}  // namespace vantor
