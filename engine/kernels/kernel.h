// The pair loop of the gravity step, on structure-of-arrays scratch.
#pragma once

#include <cstdint>

namespace vantor {

struct KernelArrays {
    const double* x;
    const double* y;
    const double* z;
    const double* m;            // effective mass (relativistic or rest), kg
    const double* active;       // 1.0 or 0.0
    const uint8_t* activeBits;  // the same by blocks of 8: bit l of byte b is object 8b + l
    // Objects in the table. Up to the next multiple of 8 past it the columns
    // hold zeros and the flag bits are 0, so a pass may cover those lanes.
    int n;
};

// Adds the forces of the pairs (i+k, j) of rows k = 0 .. rows-1 (one or
// two), with j in [max(jBegin, i+k+1), jEnd), to fx/fy/fz: +f d to the
// row's object and -f d to each partner j, with f = (G m(i)) m(j) / |d|^3.
// The rows' objects must be active; inactive partners contribute nothing.
// The arrays must be 64-byte aligned with 8 readable entries past jEnd;
// a kernel may store the unchanged values of fx/fy/fz back to the whole
// blocks of 8 around the range, so they must be the caller's own.
using PairRowsFn = void (*)(const KernelArrays&, int i, int rows, int jBegin, int jEnd, double* fx, double* fy,
                            double* fz);

enum class KernelKind {
    Portable,  // compiler-vectorised for whatever the processor offers
    Avx512,    // hand-written 512-bit kernel
};

void pairRowsPortable(const KernelArrays& a, int i, int rows, int jBegin, int jEnd, double* fx, double* fy, double* fz);
void pairRowsAvx512(const KernelArrays& a, int i, int rows, int jBegin, int jEnd, double* fx, double* fy, double* fz);

// Whether this processor can run the kernel.
bool kernelAvailable(KernelKind kind);

// The fastest kernel this processor runs; VANTOR_KERNEL=portable in the
// environment forces the portable one.
KernelKind bestKernel();

// Adds the forces of the pairs (i, j), j > i, of every row i in blocks of 8
// [firstBlock, endBlock) to fx/fy/fz; fx/fy/fz are read and written over
// whole blocks of 8 from firstBlock on. The pairs go by blocks: each pair of
// blocks as eight rotations of one against the other, so that no sum
// crosses lanes and no row has a ragged edge (short rows are too short to
// hide those costs).
void blockRowsAvx512(const KernelArrays& a, int firstBlock, int endBlock, double* fx, double* fy, double* fz);
using BlockRowsFn = void (*)(const KernelArrays&, int firstBlock, int endBlock, double* fx, double* fy, double* fz);

// The 512-bit kernel's 1/r^3 for n values (n a multiple of 8), so that its
// accuracy can be checked on its own.
void inverseCubesAvx512(const double* r2, double* out, int n);

}  // namespace vantor
