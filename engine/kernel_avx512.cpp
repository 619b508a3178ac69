// The pair loop with 512-bit vectors: eight partners per pass, 1/r^3 from
// the hardware reciprocal square root refined to full double precision
// (no divide, no square root, which share one slow unit).
#include <immintrin.h>

#include "engine/kernel.h"
#include "engine/world.h"

namespace vantor {

namespace {

// 1/r^3 for r2 = r^2, within two units in the last place.
// y0 (14 bits) -> y1 by a second-order Newton step (about 43 bits); then
// r^-3 = y1^3 (1 - e)^(-3/2) ~ y1^3 (1 + 1.5 e) with e = 1 - r2 y1^2 tiny.
// e is formed from the exact product r2 y1 (h + hl) so that it loses
// nothing; only the cube and the last step round.
inline __m512d inverseCube(__m512d r2) {
    const __m512d one = _mm512_set1_pd(1.0);
    __m512d y = _mm512_maskz_rsqrt14_pd(0xff, r2);
    const __m512d e0 = _mm512_fnmadd_pd(_mm512_mul_pd(r2, y), y, one);
    const __m512d c0 = _mm512_fmadd_pd(e0, _mm512_set1_pd(0.375), _mm512_set1_pd(0.5));
    y = _mm512_fmadd_pd(_mm512_mul_pd(y, e0), c0, y);

    const __m512d h = _mm512_mul_pd(r2, y);
    const __m512d hl = _mm512_fmsub_pd(r2, y, h);  // r2 y = h + hl exactly
    const __m512d e = _mm512_fnmadd_pd(hl, y, _mm512_fnmadd_pd(h, y, one));
    const __m512d t = _mm512_mul_pd(_mm512_mul_pd(y, y), y);
    return _mm512_fmadd_pd(t, _mm512_mul_pd(_mm512_set1_pd(1.5), e), t);
}

// (The masked forms of these intrinsics avoid a false uninitialised-value
// warning of the compiler's own headers.)
inline double horizontalSum(__m512d v) {
    const __m256d s = _mm256_add_pd(_mm512_maskz_extractf64x4_pd(0xf, v, 0), _mm512_maskz_extractf64x4_pd(0xf, v, 1));
    const __m128d t = _mm_add_pd(_mm256_castpd256_pd128(s), _mm256_extractf128_pd(s, 1));
    return _mm_cvtsd_f64(_mm_add_sd(t, _mm_unpackhi_pd(t, t)));
}

// One pass over eight partners starting at j. Full passes use plain loads
// and stores (masked stores would defeat store forwarding into the next
// row); only the row's last, partial pass is masked.
template <bool Partial>
inline void pairPass(const KernelArrays& a, int j, __mmask8 in, __m512d xi, __m512d yi, __m512d zi, __m512d gpi,
                     __m512d& sx, __m512d& sy, __m512d& sz, double* fx, double* fy, double* fz) {
    auto load = [in](const double* p) { return Partial ? _mm512_maskz_loadu_pd(in, p) : _mm512_loadu_pd(p); };
    auto store = [in](double* p, __m512d v) {
        if (Partial) _mm512_mask_storeu_pd(p, in, v);
        else _mm512_storeu_pd(p, v);
    };
    const __m512d zero = _mm512_setzero_pd();
    const __mmask8 live = _mm512_mask_cmp_pd_mask(in, load(a.active + j), zero, _CMP_NEQ_UQ);
    const __m512d dx = _mm512_sub_pd(load(a.x + j), xi);
    const __m512d dy = _mm512_sub_pd(load(a.y + j), yi);
    const __m512d dz = _mm512_sub_pd(load(a.z + j), zi);
    const __m512d r2 = _mm512_fmadd_pd(dz, dz, _mm512_fmadd_pd(dy, dy, _mm512_mul_pd(dx, dx)));
    const __m512d gm = _mm512_mul_pd(gpi, load(a.m + j));
    // Inactive partners and lanes past the row end give exactly nothing.
    const __m512d f = _mm512_maskz_mul_pd(live, gm, inverseCube(r2));
    sx = _mm512_fmadd_pd(f, dx, sx);
    sy = _mm512_fmadd_pd(f, dy, sy);
    sz = _mm512_fmadd_pd(f, dz, sz);
    store(fx + j, _mm512_fnmadd_pd(f, dx, load(fx + j)));
    store(fy + j, _mm512_fnmadd_pd(f, dy, load(fy + j)));
    store(fz + j, _mm512_fnmadd_pd(f, dz, load(fz + j)));
}

}  // namespace

void inverseCubesAvx512(const double* r2, double* out, int n) {
    for (int k = 0; k + 8 <= n; k += 8) _mm512_storeu_pd(out + k, inverseCube(_mm512_loadu_pd(r2 + k)));
}

void pairRowAvx512(const KernelArrays& a, int i, int jBegin, int jEnd, double* fx, double* fy, double* fz) {
    const __m512d xi = _mm512_set1_pd(a.x[i]);
    const __m512d yi = _mm512_set1_pd(a.y[i]);
    const __m512d zi = _mm512_set1_pd(a.z[i]);
    const __m512d gpi = _mm512_set1_pd(G * a.m[i]);
    __m512d sx = _mm512_setzero_pd(), sy = sx, sz = sx;
    int j = jBegin;
    for (; j + 16 <= jEnd; j += 16) {
        pairPass<false>(a, j, 0xff, xi, yi, zi, gpi, sx, sy, sz, fx, fy, fz);
        pairPass<false>(a, j + 8, 0xff, xi, yi, zi, gpi, sx, sy, sz, fx, fy, fz);
    }
    for (; j + 8 <= jEnd; j += 8) pairPass<false>(a, j, 0xff, xi, yi, zi, gpi, sx, sy, sz, fx, fy, fz);
    if (j < jEnd) {
        const __mmask8 in = static_cast<__mmask8>((1u << (jEnd - j)) - 1);
        pairPass<true>(a, j, in, xi, yi, zi, gpi, sx, sy, sz, fx, fy, fz);
    }
    fx[i] += horizontalSum(sx);
    fy[i] += horizontalSum(sy);
    fz[i] += horizontalSum(sz);
}

}  // namespace vantor
