// The per-object update with 512-bit vectors: the square roots and the
// divisions by them, which would queue on the one slow unit, come from the
// hardware reciprocal square root refined to full precision. The new states
// go straight into the records from the registers that computed them.
#include <immintrin.h>

#include "engine/kernels/integrate.h"
#include "engine/record_rows.h"

namespace vantor {

namespace {

// 1/sqrt(x) within about one unit in the last place for x > 0. With y the
// 14-bit estimate and e = 1 - x y^2 (|e| < 2^-13), 1/sqrt(x) =
// y (1 - e)^(-1/2), whose series up to e^4 leaves less than 2^-63.
// Between 0 and 2^-960 (where y^2 would overflow) the divider takes over;
// at 0 the result is not a number, and callers mask it. `nonzero`: the
// lanes where x is not 0.
inline __m512d inverseSqrt(__m512d x, __mmask8 nonzero) {
    const __m512d y = _mm512_maskz_rsqrt14_pd(0xff, x);
    const __m512d e = _mm512_fnmadd_pd(x, _mm512_mul_pd(y, y), _mm512_set1_pd(1.0));
    __m512d p = _mm512_fmadd_pd(e, _mm512_set1_pd(35.0 / 128), _mm512_set1_pd(5.0 / 16));
    p = _mm512_fmadd_pd(p, e, _mm512_set1_pd(3.0 / 8));
    p = _mm512_fmadd_pd(p, e, _mm512_set1_pd(0.5));
    __m512d r = _mm512_fmadd_pd(_mm512_mul_pd(y, e), p, y);
    const __mmask8 tiny = _mm512_mask_cmp_pd_mask(nonzero, x, _mm512_set1_pd(0x1p-960), _CMP_LT_OQ);
    if (tiny) r = _mm512_mask_div_pd(r, tiny, _mm512_set1_pd(1.0), _mm512_maskz_sqrt_pd(tiny, x));
    return r;
}

inline __m512d dot(__m512d ax, __m512d ay, __m512d az, __m512d bx, __m512d by, __m512d bz) {
    return _mm512_fmadd_pd(az, bz, _mm512_fmadd_pd(ay, by, _mm512_mul_pd(ax, bx)));
}

// The new states of eight objects into the records of the lanes in `take`:
// position and first velocity component as one 32-byte row per record, the
// other two velocity components as one 16-byte row (10 shuffles for the
// eight, where whole record tails would take 24).
inline __attribute__((always_inline)) void writeRecords(ObjectRecord* r, const __m512d (&state)[6], __mmask8 take) {
    using namespace rows512;
    const __m512d position[4] = {state[0], state[1], state[2], state[3]};
    __m512d rows[4];
    columnsToRows(position, rows);
    // (vy vz) of records 0 2 4 6 and 1 3 5 7, a record per 128-bit lane.
    const __m512d pairs[2] = {_mm512_maskz_unpacklo_pd(0xff, state[4], state[5]),
                              _mm512_maskz_unpackhi_pd(0xff, state[4], state[5])};
    auto taken = [take](int i) { return (take >> i & 1) != 0; };
    for (int q = 0; q < 4; ++q) {
        if (taken(kPaired[q][0])) _mm256_storeu_pd(&r[kPaired[q][0]].x, _mm512_maskz_extractf64x4_pd(0xf, rows[q], 0));
        if (taken(kPaired[q][1])) _mm256_storeu_pd(&r[kPaired[q][1]].x, _mm512_maskz_extractf64x4_pd(0xf, rows[q], 1));
    }
    auto storePair = [&](int i, __m128d v) {
        if (taken(i)) _mm_storeu_pd(&r[i].vy, v);
    };
    for (int h = 0; h < 2; ++h) {
        storePair(h, _mm512_maskz_extractf64x2_pd(0x3, pairs[h], 0));
        storePair(2 + h, _mm512_maskz_extractf64x2_pd(0x3, pairs[h], 1));
        storePair(4 + h, _mm512_maskz_extractf64x2_pd(0x3, pairs[h], 2));
        storePair(6 + h, _mm512_maskz_extractf64x2_pd(0x3, pairs[h], 3));
    }
}

struct Lanes {
    int k;
    __mmask8 in;
    __m512d load(const double* p) const { return _mm512_maskz_loadu_pd(in, p + k); }
    void store(double* p, __m512d v) const { _mm512_mask_storeu_pd(p + k, in, v); }
};

// The same update as the portable loop, eight objects at a time. Returns
// the active lanes whose new state may not be finite.
inline __attribute__((always_inline)) __mmask8 update(const IntegrateInput& in, const IntegrateOutput& out,
                                                      const Lanes& l, __m512d dt) {
    const __m512d zero = _mm512_setzero_pd();
    const __m512d vx = l.load(in.vx), vy = l.load(in.vy), vz = l.load(in.vz);
    const __m512d fx = l.load(in.fx), fy = l.load(in.fy), fz = l.load(in.fz);
    // Lanes past the end divide by 1, not 0.
    const __m512d a = _mm512_div_pd(dt, _mm512_mask_loadu_pd(_mm512_set1_pd(1.0), l.in, in.m + l.k));
    const __m512d h = _mm512_mul_pd(_mm512_mul_pd(dt, a), _mm512_set1_pd(0.5));  // dt^2 / 2m
    const __m512d vsq = dot(vx, vy, vz, vx, vy, vz);
    const __m512d absA = _mm512_abs_pd(a);
    const __m512d dotVF = dot(vx, vy, vz, fx, fy, fz);
    const __m512d nx = _mm512_fmadd_pd(h, fx, _mm512_fmadd_pd(dt, vx, l.load(in.x)));
    const __m512d ny = _mm512_fmadd_pd(h, fy, _mm512_fmadd_pd(dt, vy, l.load(in.y)));
    const __m512d nz = _mm512_fmadd_pd(h, fz, _mm512_fmadd_pd(dt, vz, l.load(in.z)));
    const __m512d wx = _mm512_fmadd_pd(a, fx, vx), wy = _mm512_fmadd_pd(a, fy, vy), wz = _mm512_fmadd_pd(a, fz, vz);
    const __m512d wsq = dot(wx, wy, wz, wx, wy, wz);
    const __mmask8 wNonzero = _mm512_cmp_pd_mask(wsq, zero, _CMP_NEQ_UQ);
    // The direction of v + a F with the speed |v| + g, where g is the
    // velocity change along the old velocity, |a| v.F / |v|: both square
    // roots in one, (v^2 + |a| v.F) / sqrt(v^2 w^2).
    const __m512d vw = _mm512_mul_pd(vsq, wsq);
    __m512d scale = _mm512_maskz_mul_pd(wNonzero, _mm512_fmadd_pd(dotVF, absA, vsq), inverseSqrt(vw, wNonzero));
    // Where v^2 w^2 is 0, subnormal or not finite (objects at rest among
    // them), each root on its own; with v = 0 or F = 0, g is |a| |F|.
    constexpr int kSpecial = 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x80;
    const __mmask8 apart = l.in & wNonzero & _mm512_fpclass_pd_mask(vw, kSpecial);
    if (apart) {
        const __m512d fsq = dot(fx, fy, fz, fx, fy, fz);
        const __mmask8 vNonzero = _mm512_cmp_pd_mask(vsq, zero, _CMP_NEQ_UQ);
        const __mmask8 fNonzero = _mm512_cmp_pd_mask(fsq, zero, _CMP_NEQ_UQ);
        const __m512d rv = inverseSqrt(vsq, vNonzero);
        const __m512d speed = _mm512_maskz_mul_pd(vNonzero, vsq, rv);
        const __m512d dv = _mm512_maskz_mul_pd(fNonzero, absA, _mm512_mul_pd(fsq, inverseSqrt(fsq, fNonzero)));
        const __m512d along = _mm512_mul_pd(_mm512_mul_pd(dotVF, absA), rv);
        const __m512d g = _mm512_mask_blend_pd(vNonzero & fNonzero, dv, along);
        scale = _mm512_mask_mul_pd(scale, apart, _mm512_add_pd(speed, g), inverseSqrt(wsq, wNonzero));
    }
    const __m512d nvx = _mm512_mul_pd(wx, scale), nvy = _mm512_mul_pd(wy, scale), nvz = _mm512_mul_pd(wz, scale);
    const __mmask8 active = _mm512_mask_cmp_pd_mask(l.in, l.load(in.active), zero, _CMP_NEQ_UQ);
    if (out.records) {
        writeRecords(out.records + l.k, {nx, ny, nz, nvx, nvy, nvz}, active);
    } else {
        l.store(out.x, nx);
        l.store(out.y, ny);
        l.store(out.z, nz);
        l.store(out.vx, nvx);
        l.store(out.vy, nvy);
        l.store(out.vz, nvz);
    }
    // The sum of the six is finite when they are (or overflows: the caller
    // checks each flagged object again).
    const __m512d sum =
        _mm512_add_pd(_mm512_add_pd(_mm512_add_pd(nx, ny), _mm512_add_pd(nz, nvx)), _mm512_add_pd(nvy, nvz));
    constexpr int kNotFinite = 0x01 | 0x08 | 0x10 | 0x80;  // quiet and signalling not-a-number, +- infinity
    return _mm512_mask_fpclass_pd_mask(active, sum, kNotFinite);
}

}  // namespace

bool integrateObjectsAvx512(const IntegrateInput& in, const IntegrateOutput& out, int begin, int end, double dt) {
    const __m512d step = _mm512_set1_pd(dt);
    __mmask8 unbounded = 0;
    int k = begin;
    for (; k + 8 <= end; k += 8) unbounded |= update(in, out, Lanes{k, 0xff}, step);
    if (k < end) unbounded |= update(in, out, Lanes{k, static_cast<__mmask8>((1u << (end - k)) - 1)}, step);
    return unbounded == 0;
}

}  // namespace vantor
