// The pair loop of the gravity step, on structure-of-arrays scratch.
#pragma once

namespace vantor {

struct KernelArrays {
    const double* x;
    const double* y;
    const double* z;
    const double* m;       // effective mass (relativistic or rest), kg
    const double* active;  // 1.0 or 0.0
};

// Adds the forces of the pairs (i, j) for j in [jBegin, jEnd) to fx/fy/fz:
// +f d to object i and -f d to each j, with f = (G m(i)) m(j) / |d|^3.
// Object i must be active; inactive partners contribute nothing. The arrays
// must have 8 readable entries past jEnd.
using PairRowFn = void (*)(const KernelArrays&, int i, int jBegin, int jEnd, double* fx, double* fy, double* fz);

enum class KernelKind {
    Portable,  // compiler-vectorised for whatever the processor offers
    Avx512,    // hand-written 512-bit kernel
};

void pairRowPortable(const KernelArrays& a, int i, int jBegin, int jEnd, double* fx, double* fy, double* fz);
void pairRowAvx512(const KernelArrays& a, int i, int jBegin, int jEnd, double* fx, double* fy, double* fz);

// Whether this processor can run the kernel.
bool kernelAvailable(KernelKind kind);

// The fastest kernel this processor runs; VANTOR_KERNEL=portable in the
// environment forces the portable one.
KernelKind bestKernel();

PairRowFn pairRowFunction(KernelKind kind);

// The 512-bit kernel's 1/r^3 for n values (n a multiple of 8), so that its
// accuracy can be checked on its own.
void inverseCubesAvx512(const double* r2, double* out, int n);

}  // namespace vantor
