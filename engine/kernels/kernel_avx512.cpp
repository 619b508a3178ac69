// The pair loop with 512-bit vectors: eight partners per pass against one
// or two rows, or whole blocks of 8 rows against blocks of 8 partners; 1/r^3
// from the hardware reciprocal square root refined to full double precision
// (no divide, no square root: they share one slow unit).
#include <immintrin.h>

#include <algorithm>
#include <numbers>

#include "engine/kernels/kernel.h"
#include "engine/world.h"

namespace vantor {

namespace {

// gm / r^3 for r2 = r^2 in the lanes of `keep`, exactly 0 in the others;
// within two units in the last place for gm = 1.
// With y the 14-bit estimate of 1/r and e = 1 - r2 y^2 (|e| <= a = 2^-13):
// r^-3 = y^3 (1 - e)^(-3/2). A cubic in e with the series' first two terms
// stands in for the series: its e^2 term takes up the e^4 term's best
// share over [-a, a] (e^4 ~ 2 (sqrt 2 - 1) a^2 e^2, off by at most 0.17 a^4),
// which leaves under one unit in the last place for one operation less than
// the series up to e^4. Computing e from the rounded y^2 makes that
// rounding cancel to half in the result. The chain is short on purpose:
// a long one keeps more passes waiting in the processor's scheduler.
constexpr double kLargestE = 0x1p-13;  // twice the estimate's largest relative error
constexpr double kCubicE2 = 1.875 + 2.4609375 * 2 * (std::numbers::sqrt2 - 1) * kLargestE * kLargestE;

inline __m512d forceFactor(__m512d r2, __m512d gm, __mmask8 keep) {
    const __m512d y = _mm512_maskz_rsqrt14_pd(0xff, r2);
    const __m512d yy = _mm512_mul_pd(y, y);
    const __m512d e = _mm512_fnmadd_pd(r2, yy, _mm512_set1_pd(1.0));
    __m512d q = _mm512_fmadd_pd(e, _mm512_set1_pd(2.1875), _mm512_set1_pd(kCubicE2));
    q = _mm512_fmadd_pd(q, e, _mm512_set1_pd(1.5));
    const __m512d t = _mm512_mul_pd(yy, _mm512_mul_pd(gm, y));  // gm y^3
    return _mm512_maskz_fmadd_pd(keep, _mm512_mul_pd(t, e), q, t);
}

// (The masked forms of these intrinsics avoid a false uninitialised-value
// warning of the compiler's own headers.)
inline double horizontalSum(__m512d v) {
    const __m256d s = _mm256_add_pd(_mm512_maskz_extractf64x4_pd(0xf, v, 0), _mm512_maskz_extractf64x4_pd(0xf, v, 1));
    const __m128d t = _mm_add_pd(_mm256_castpd256_pd128(s), _mm256_extractf128_pd(s, 1));
    return _mm_cvtsd_f64(_mm_add_sd(t, _mm_unpackhi_pd(t, t)));
}

// The lane sums of a and b as one pair (sum a, sum b).
inline __m128d pairSum(__m512d a, __m512d b) {
    // Halves of a and b side by side, then neighbouring quarters, then the
    // two lanes left of each.
    const __m512d h =
        _mm512_add_pd(_mm512_maskz_shuffle_f64x2(0xff, a, b, 0x44), _mm512_maskz_shuffle_f64x2(0xff, a, b, 0xee));
    const __m512d q = _mm512_add_pd(h, _mm512_maskz_shuffle_f64x2(0xff, h, h, 0xb1));
    const __m128d qa = _mm512_maskz_extractf64x2_pd(0x3, q, 0), qb = _mm512_maskz_extractf64x2_pd(0x3, q, 2);
    return _mm_add_pd(_mm_unpacklo_pd(qa, qb), _mm_unpackhi_pd(qa, qb));
}

struct Columns {
    const double* __restrict x;
    const double* __restrict y;
    const double* __restrict z;
    const double* __restrict m;
    const uint8_t* __restrict activeBits;
    double* __restrict fx;
    double* __restrict fy;
    double* __restrict fz;
};

// The rows' own objects and their running sums.
template <int R>
struct Rows {
    __m512d x[R], y[R], z[R], gp[R];
    __m512d sx[R], sy[R], sz[R];
};

// Eight bits straight from memory into a mask register, without a trip
// through a general register (which would take a vector port).
inline __mmask8 loadMask(const uint8_t* p) {
    __mmask8 m;
    asm("kmovb %1, %0" : "=k"(m) : "m"(*p));
    return m;
}

// The lanes of the pass at j that lie in [from, to).
inline __mmask8 lanesWithin(int j, int from, int to) {
    const int low = std::clamp(from - j, 0, 8), high = std::clamp(to - j, 0, 8);
    return static_cast<__mmask8>(((0xffu << low) & ((1u << high) - 1)) & 0xffu);
}

// One pass over the eight partners at j (a multiple of 8, so that every
// load and store is aligned and the next rows' loads take their values
// straight from these stores). An edge pass keeps only the lanes of
// `lanes` per row and reads the partners through their union; lanes left
// out get a force of exactly 0, so the partners' sums are stored back as
// they were.
template <int R, bool Edge>
inline void pass(const Columns& c, int j, const __mmask8 (&lanes)[R], Rows<R>& r) {
    __mmask8 any = 0xff;
    if constexpr (Edge) {
        any = 0;
        for (int k = 0; k < R; ++k) any |= lanes[k];
    }
    auto load = [any](const double* p) { return Edge ? _mm512_maskz_load_pd(any, p) : _mm512_load_pd(p); };
    const __m512d xj = load(c.x + j), yj = load(c.y + j), zj = load(c.z + j), mj = load(c.m + j);
    const __mmask8 live = loadMask(c.activeBits + (static_cast<unsigned>(j) >> 3));
    __m512d gx = _mm512_load_pd(c.fx + j), gy = _mm512_load_pd(c.fy + j), gz = _mm512_load_pd(c.fz + j);
    for (int k = 0; k < R; ++k) {
        const __m512d dx = _mm512_sub_pd(xj, r.x[k]);
        const __m512d dy = _mm512_sub_pd(yj, r.y[k]);
        const __m512d dz = _mm512_sub_pd(zj, r.z[k]);
        const __m512d r2 = _mm512_fmadd_pd(dz, dz, _mm512_fmadd_pd(dy, dy, _mm512_mul_pd(dx, dx)));
        const __m512d f = forceFactor(r2, _mm512_mul_pd(r.gp[k], mj), Edge ? (live & lanes[k]) : live);
        r.sx[k] = _mm512_fmadd_pd(f, dx, r.sx[k]);
        r.sy[k] = _mm512_fmadd_pd(f, dy, r.sy[k]);
        r.sz[k] = _mm512_fmadd_pd(f, dz, r.sz[k]);
        gx = _mm512_fnmadd_pd(f, dx, gx);
        gy = _mm512_fnmadd_pd(f, dy, gy);
        gz = _mm512_fnmadd_pd(f, dz, gz);
    }
    _mm512_store_pd(c.fx + j, gx);
    _mm512_store_pd(c.fy + j, gy);
    _mm512_store_pd(c.fz + j, gz);
}

// Rows i .. i+R-1; row i+k covers partners [max(jBegin, i+k+1), jEnd).
// Two rows share every partner load and every partner store.
template <int R>
void rows(const KernelArrays& a, int i, int jBegin, int jEnd, double* fx, double* fy, double* fz) {
    const Columns c{a.x, a.y, a.z, a.m, a.activeBits, fx, fy, fz};
    Rows<R> r;
    int from[R];
    for (int k = 0; k < R; ++k) {
        r.x[k] = _mm512_set1_pd(a.x[i + k]);
        r.y[k] = _mm512_set1_pd(a.y[i + k]);
        r.z[k] = _mm512_set1_pd(a.z[i + k]);
        r.gp[k] = _mm512_set1_pd(G * a.m[i + k]);
        r.sx[k] = r.sy[k] = r.sz[k] = _mm512_setzero_pd();
        from[k] = std::max(jBegin, i + k + 1);
    }
    auto edge = [&](int j) {
        __mmask8 lanes[R];
        for (int k = 0; k < R; ++k) lanes[k] = lanesWithin(j, from[k], jEnd);
        pass<R, true>(c, j, lanes, r);
    };
    const int headEnd = from[R - 1];
    int j = jBegin & ~7;
    for (; j < headEnd && j < jEnd; j += 8) edge(j);
    // The full passes on a copy that nothing else refers to, so that the
    // compiler keeps the sums in registers rather than in memory.
    const __mmask8 all[R] = {};
    // A row that ends with the table takes its last block as a full pass.
    const int fullEnd = jEnd == a.n ? (jEnd + 7) & ~7 : jEnd;
    Rows<R> inner = r;
    for (; j + 8 <= fullEnd; j += 8) pass<R, false>(c, j, all, inner);
    r = inner;
    if (j < jEnd) edge(j);
    if constexpr (R == 2) {
        // The two rows' objects are neighbours in the sums too.
        _mm_storeu_pd(fx + i, _mm_add_pd(_mm_loadu_pd(fx + i), pairSum(r.sx[0], r.sx[1])));
        _mm_storeu_pd(fy + i, _mm_add_pd(_mm_loadu_pd(fy + i), pairSum(r.sy[0], r.sy[1])));
        _mm_storeu_pd(fz + i, _mm_add_pd(_mm_loadu_pd(fz + i), pairSum(r.sz[0], r.sz[1])));
    } else {
        fx[i] += horizontalSum(r.sx[0]);
        fy[i] += horizontalSum(r.sy[0]);
        fz[i] += horizontalSum(r.sz[0]);
    }
}

// v with lane l taken from lane (l + s) % 8 (no instruction for s = 0).
inline __m512d rotated(__m512d v, int s) {
    if (s % 8 == 0) return v;
    const __m512i index = _mm512_set_epi64((7 + s) & 7, (6 + s) & 7, (5 + s) & 7, (4 + s) & 7, (3 + s) & 7, (2 + s) & 7,
                                           (1 + s) & 7, s & 7);
    return _mm512_maskz_permutexvar_pd(0xff, index, v);
}

// A block of eight in all eight rotations (lane l of rotation s holds
// object (l + s) % 8 of the block), with the sums of each rotation.
struct RotatedBlock {
    __m512d x[8], y[8], z[8], gm[8];
    __m512d sx[8], sy[8], sz[8];
    __mmask8 keep[8];  // the active lanes
};

// The partner block: one block of eight in place, its sums in registers.
struct Partner {
    __m512d x, y, z, m;
    __mmask8 live;
    __m512d gx, gy, gz;
};

// `zero`: start the sums at zero (otherwise the first pass writes them).
void rotate(const KernelArrays& a, int b, RotatedBlock& r, bool zero) {
    const int o = 8 * b;
    const __m512d x = _mm512_load_pd(a.x + o), y = _mm512_load_pd(a.y + o), z = _mm512_load_pd(a.z + o);
    const __m512d gm = _mm512_mul_pd(_mm512_set1_pd(G), _mm512_load_pd(a.m + o));
    const unsigned bits = a.activeBits[b];
    for (int s = 0; s < 8; ++s) {
        r.x[s] = rotated(x, s);
        r.y[s] = rotated(y, s);
        r.z[s] = rotated(z, s);
        r.gm[s] = rotated(gm, s);
        if (zero) r.sx[s] = r.sy[s] = r.sz[s] = _mm512_setzero_pd();
        r.keep[s] = static_cast<__mmask8>((bits >> s | bits << (8 - s)) & 0xffu);
    }
}

// The pairs (lane l of the partner, lane l of block k rotated by s) for
// k < R. `Masked`: some block of `own` has inactive lanes, or `cut`
// leaves some out.
template <int R, bool Masked, bool First = false>
inline void rotationPass(RotatedBlock* own, int s, Partner& j, __mmask8 cut = 0xff) {
    for (int k = 0; k < R; ++k) {
        RotatedBlock& b = own[k];
        const __m512d dx = _mm512_sub_pd(j.x, b.x[s]);
        const __m512d dy = _mm512_sub_pd(j.y, b.y[s]);
        const __m512d dz = _mm512_sub_pd(j.z, b.z[s]);
        const __m512d r2 = _mm512_fmadd_pd(dz, dz, _mm512_fmadd_pd(dy, dy, _mm512_mul_pd(dx, dx)));
        const __mmask8 keep = Masked ? _kand_mask8(j.live, _kand_mask8(b.keep[s], cut)) : j.live;
        const __m512d f = forceFactor(r2, _mm512_mul_pd(b.gm[s], j.m), keep);
        // Sign as seen from the rotated block: d points from it to the partner.
        b.sx[s] = First ? _mm512_mul_pd(f, dx) : _mm512_fmadd_pd(f, dx, b.sx[s]);
        b.sy[s] = First ? _mm512_mul_pd(f, dy) : _mm512_fmadd_pd(f, dy, b.sy[s]);
        b.sz[s] = First ? _mm512_mul_pd(f, dz) : _mm512_fmadd_pd(f, dz, b.sz[s]);
        j.gx = _mm512_fnmadd_pd(f, dx, j.gx);
        j.gy = _mm512_fnmadd_pd(f, dy, j.gy);
        j.gz = _mm512_fnmadd_pd(f, dz, j.gz);
    }
}

Partner loadPartner(const KernelArrays& a, int b, double* const (&f)[3]) {
    const int o = 8 * b;
    return Partner{_mm512_load_pd(a.x + o),  _mm512_load_pd(a.y + o),    _mm512_load_pd(a.z + o),
                   _mm512_load_pd(a.m + o),  loadMask(a.activeBits + b), _mm512_load_pd(f[0] + o),
                   _mm512_load_pd(f[1] + o), _mm512_load_pd(f[2] + o)};
}

void storePartner(const Partner& j, int b, double* const (&f)[3]) {
    _mm512_store_pd(f[0] + 8 * b, j.gx);
    _mm512_store_pd(f[1] + 8 * b, j.gy);
    _mm512_store_pd(f[2] + 8 * b, j.gz);
}

// A last block of at most four objects as the partner: its four lanes twice
// over, so that rotations 0 to 3 of a block meet each of its objects once
// with each of the block's eight (lane l pairs object (l + s) % 8 with
// object l % 4), in half the passes.
Partner loadHalfPartner(const KernelArrays& a, int b, double* const (&f)[3]) {
    const int o = 8 * b;
    auto twice = [&](const double* p) {
        const __m512d v = _mm512_load_pd(p + o);
        return _mm512_maskz_shuffle_f64x2(0xff, v, v, 0x44);
    };
    const unsigned bits = a.activeBits[b] & 0x0fu;
    return Partner{twice(a.x),
                   twice(a.y),
                   twice(a.z),
                   twice(a.m),
                   static_cast<__mmask8>(bits | bits << 4),
                   _mm512_maskz_load_pd(0x0f, f[0] + o),
                   _mm512_maskz_load_pd(0x0f, f[1] + o),
                   _mm512_maskz_load_pd(0x0f, f[2] + o)};
}

// Both copies' sums go to the four objects.
void storeHalfPartner(const Partner& j, int b, double* const (&f)[3]) {
    const __m512d sums[3] = {j.gx, j.gy, j.gz};
    for (int c = 0; c < 3; ++c) {
        const __m512d both = _mm512_add_pd(sums[c], _mm512_maskz_shuffle_f64x2(0xff, sums[c], sums[c], 0xee));
        _mm512_mask_store_pd(f[c] + 8 * b, 0x0f, both);
    }
}

// The last block when it holds at most four objects, else -1.
int halfBlock(const KernelArrays& a) { return a.n % 8 != 0 && a.n % 8 <= 4 ? a.n / 8 : -1; }

// The R blocks of `own` against the whole block b, all rotations.
template <int R, bool Masked, bool First>
void againstBlock(const KernelArrays& a, RotatedBlock* own, int b, double* const (&f)[3]) {
    Partner j = loadPartner(a, b, f);
#pragma GCC unroll 8
    for (int s = 0; s < 8; ++s) rotationPass<R, Masked, First>(own, s, j);
    storePartner(j, b, f);
}

// The R blocks of `own` against every block in [from, to), all rotations.
// `fresh`: own's sums are not started; the first block (a whole one) starts
// them. Not inlined: inlined into the group, the compiler kept a second copy
// of every sum in memory and stored both after each pass.
template <int R, bool Masked>
__attribute__((noinline)) void againstBlocks(const KernelArrays& a, RotatedBlock* own, int from, int to,
                                             double* const (&f)[3], bool fresh = false) {
    const int half = halfBlock(a);
    if (fresh && from < to) againstBlock<R, Masked, true>(a, own, from++, f);
    for (int b = from; b < to; ++b) {
        if (b != half) {
            againstBlock<R, Masked, false>(a, own, b, f);
            continue;
        }
        Partner j = loadHalfPartner(a, b, f);
        for (int s = 0; s < 4; ++s) rotationPass<R, Masked>(own, s, j);
        storeHalfPartner(j, b, f);
    }
}

// The pairs within each of the R blocks from b (own holds them rotated):
// rotations 1 to 3 meet each of their eight pairs once, rotation 4 its four
// pairs in lanes 0 to 3 (5 to 7 would repeat them). The blocks' passes go
// side by side, two independent chains.
template <int R, bool Masked>
void withinBlocks(const KernelArrays& a, RotatedBlock* own, int b, double* const (&f)[3]) {
    Partner j[R];
    for (int k = 0; k < R; ++k) j[k] = loadPartner(a, b + k, f);
    for (int s = 1; s < 4; ++s) {
        for (int k = 0; k < R; ++k) rotationPass<1, Masked>(own + k, s, j[k]);
    }
    for (int k = 0; k < R; ++k) rotationPass<1, true>(own + k, 4, j[k], 0x0f);
    for (int k = 0; k < R; ++k) storePartner(j[k], b + k, f);
}

// Adds the rotated block's sums, turned back from each rotation, to its
// forces.
void finishBlock(const RotatedBlock& own, int b, double* const (&f)[3]) {
    const __m512d* sums[3] = {own.sx, own.sy, own.sz};
    for (int c = 0; c < 3; ++c) {
        __m512d v = _mm512_load_pd(f[c] + 8 * b);
        for (int s = 0; s < 8; ++s) {
            v = _mm512_add_pd(v, rotated(sums[c][s], 8 - s));
        }
        _mm512_store_pd(f[c] + 8 * b, v);
    }
}

// The pairs of blocks b .. b+R-1 with all later blocks, with each other and
// within each.
template <int R, bool Masked>
inline void groupPairs(const KernelArrays& a, RotatedBlock* own, int b, int blocks, double* const (&f)[3], bool fresh) {
    againstBlocks<R, Masked>(a, own, b + R, blocks, f, fresh);
    if constexpr (R == 2) againstBlocks<1, Masked>(a, own, b + 1, b + 2, f);
    withinBlocks<R, Masked>(a, own, b, f);
}

// Blocks b .. b+R-1 against all later blocks and each other; then their
// own sums go into their forces.
template <int R>
void blockGroup(const KernelArrays& a, int b, int blocks, double* const (&f)[3]) {
    RotatedBlock own[R];
    // A first partner block that is whole starts the sums; otherwise they
    // start at zero.
    const bool fresh = b + R < blocks && b + R != halfBlock(a);
    bool masked = false;
    for (int k = 0; k < R; ++k) {
        rotate(a, b + k, own[k], !fresh);
        masked = masked || a.activeBits[b + k] != 0xff;
    }
    // Masks only where a block of the group has inactive objects.
    if (masked) groupPairs<R, true>(a, own, b, blocks, f, fresh);
    else groupPairs<R, false>(a, own, b, blocks, f, fresh);
    for (int k = 0; k < R; ++k) finishBlock(own[k], b + k, f);
}

// A last block of at most four objects on its own: its pairs (at most six)
// in one pass, lane l pairing object kFrom[l] with kTo[l] of the block,
// instead of all eight rotations of a block that is half empty.
void tinyBlock(const KernelArrays& a, int b, double* const (&f)[3]) {
    constexpr int kFrom[6] = {0, 1, 2, 3, 0, 1}, kTo[6] = {1, 2, 3, 0, 2, 3};
    const __m512i from = _mm512_setr_epi64(0, 1, 2, 3, 0, 1, 0, 0), to = _mm512_setr_epi64(1, 2, 3, 0, 2, 3, 0, 0);
    const int o = 8 * b;
    auto pick = [](__m512i index, __m512d v) { return _mm512_maskz_permutexvar_pd(0xff, index, v); };
    const __m512d x = _mm512_load_pd(a.x + o), y = _mm512_load_pd(a.y + o), z = _mm512_load_pd(a.z + o);
    const __m512d m = _mm512_load_pd(a.m + o);
    const __m512d dx = _mm512_sub_pd(pick(to, x), pick(from, x));
    const __m512d dy = _mm512_sub_pd(pick(to, y), pick(from, y));
    const __m512d dz = _mm512_sub_pd(pick(to, z), pick(from, z));
    const __m512d r2 = _mm512_fmadd_pd(dz, dz, _mm512_fmadd_pd(dy, dy, _mm512_mul_pd(dx, dx)));
    const unsigned bits = a.activeBits[b];
    unsigned keep = 0;
    for (int l = 0; l < 6; ++l) keep |= (bits >> kFrom[l] & bits >> kTo[l] & 1u) << l;
    const __m512d gm = _mm512_mul_pd(_mm512_mul_pd(_mm512_set1_pd(G), pick(from, m)), pick(to, m));
    const __m512d q = forceFactor(r2, gm, static_cast<__mmask8>(keep));
    // Object k gets +q d from the lanes where it is kFrom, -q d where it is kTo.
    const __m512i second = _mm512_setr_epi64(4, 5, 0, 0, 0, 0, 0, 0), back = _mm512_setr_epi64(3, 0, 1, 2, 0, 0, 0, 0),
                  backSecond = _mm512_setr_epi64(0, 0, 4, 5, 0, 0, 0, 0);
    const __m512d d[3] = {dx, dy, dz};
    for (int c = 0; c < 3; ++c) {
        const __m512d p = _mm512_mul_pd(q, d[c]);
        __m512d v = _mm512_add_pd(_mm512_load_pd(f[c] + o), _mm512_maskz_mov_pd(0x0f, p));
        v = _mm512_add_pd(v, _mm512_maskz_permutexvar_pd(0x03, second, p));
        v = _mm512_sub_pd(v, _mm512_maskz_permutexvar_pd(0x0f, back, p));
        v = _mm512_sub_pd(v, _mm512_maskz_permutexvar_pd(0x0c, backSecond, p));
        _mm512_store_pd(f[c] + o, v);
    }
}

}  // namespace

void blockRowsAvx512(const KernelArrays& a, int firstBlock, int endBlock, double* fx, double* fy, double* fz) {
    const int blocks = (a.n + 7) / 8;
    double* const f[3] = {fx, fy, fz};
    int b = firstBlock;
    for (; b + 2 <= endBlock; b += 2) blockGroup<2>(a, b, blocks, f);
    if (b < endBlock && b == halfBlock(a)) tinyBlock(a, b, f);
    else if (b < endBlock) blockGroup<1>(a, b, blocks, f);
}

void inverseCubesAvx512(const double* r2, double* out, int n) {
    for (int k = 0; k + 8 <= n; k += 8) {
        _mm512_storeu_pd(out + k, forceFactor(_mm512_loadu_pd(r2 + k), _mm512_set1_pd(1.0), 0xff));
    }
}

void pairRowsAvx512(const KernelArrays& a, int i, int rowCount, int jBegin, int jEnd, double* fx, double* fy,
                    double* fz) {
    if (rowCount == 2) rows<2>(a, i, jBegin, jEnd, fx, fy, fz);
    else rows<1>(a, i, jBegin, jEnd, fx, fy, fz);
}

}  // namespace vantor
