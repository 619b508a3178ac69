// The gather with 512-bit vectors: eight records at a time, read across the
// table with gathers, so that each column gets one store per eight objects
// rather than one per object.
#include <immintrin.h>

#include <cstddef>

#include "engine/gather.h"

namespace vantor {

namespace {

// Offsets of the fields in the records, in doubles.
constexpr long kStride = sizeof(ObjectRecord) / sizeof(double);
static_assert(sizeof(ObjectRecord) % sizeof(double) == 0, "records a whole number of doubles");
static_assert(offsetof(ObjectRecord, disabled) == offsetof(ObjectRecord, color) + 4, "flag byte after the colour");

inline __m512d field(__mmask8 in, const double* p, __m512i index) {
    return _mm512_mask_i64gather_pd(_mm512_setzero_pd(), in, index, p, 8);
}

// Writes v into the lanes of p where it differs from what p holds (not a
// number always differs), so that unchanged lines stay valid in the other
// workers' caches.
inline void keep(double* p, __m512d v) {
    const __mmask8 changed = _mm512_cmp_pd_mask(_mm512_load_pd(p), v, _CMP_NEQ_UQ);
    if (changed) _mm512_mask_store_pd(p, changed, v);
}

// An 8 x 8 matrix of doubles, a row per register.
struct Square {
    __m512d row[8];
};

// Rows become columns: records' fields become the fields' columns, and
// back. Pairs of rows interleaved, then pairs of pairs, then the halves.
inline __attribute__((always_inline)) Square transpose(const Square& in) {
    __m512d a[8], b[8];
    for (int i = 0; i < 8; i += 2) {
        a[i] = _mm512_maskz_unpacklo_pd(0xff, in.row[i], in.row[i + 1]);
        a[i + 1] = _mm512_maskz_unpackhi_pd(0xff, in.row[i], in.row[i + 1]);
    }
    const __m512i low = _mm512_setr_epi64(0, 1, 8, 9, 4, 5, 12, 13), high = _mm512_setr_epi64(2, 3, 10, 11, 6, 7, 14, 15);
    for (int i = 0; i < 8; i += 4) {
        b[i] = _mm512_permutex2var_pd(a[i], low, a[i + 2]);
        b[i + 1] = _mm512_permutex2var_pd(a[i + 1], low, a[i + 3]);
        b[i + 2] = _mm512_permutex2var_pd(a[i], high, a[i + 2]);
        b[i + 3] = _mm512_permutex2var_pd(a[i + 1], high, a[i + 3]);
    }
    // b[0..3] hold columns (0, 4), (1, 5), (2, 6), (3, 7) of rows 0 to 3,
    // b[4..7] the same of rows 4 to 7.
    const __m512i first = _mm512_setr_epi64(0, 1, 2, 3, 8, 9, 10, 11), second = _mm512_setr_epi64(4, 5, 6, 7, 12, 13, 14, 15);
    Square out;
    for (int f = 0; f < 4; ++f) {
        out.row[f] = _mm512_permutex2var_pd(b[f], first, b[f + 4]);
        out.row[f + 4] = _mm512_permutex2var_pd(b[f], second, b[f + 4]);
    }
    return out;
}

// The last eight doubles of a record: radius, position, velocity, and the
// colour with the flags. Field f of the eight is lane f.
constexpr int kX = 1, kFlags = 7;
static_assert(offsetof(ObjectRecord, x) == offsetof(ObjectRecord, radius) + kX * sizeof(double), "tail layout");
static_assert(offsetof(ObjectRecord, color) == offsetof(ObjectRecord, radius) + kFlags * sizeof(double),
              "tail layout");
static_assert(sizeof(ObjectRecord) == offsetof(ObjectRecord, radius) + 8 * sizeof(double), "tail layout");

// The tails of records k .. k+7 as columns; lanes past `in` hold zeros.
template <bool Whole>
inline __attribute__((always_inline)) Square loadTails(const ObjectRecord* r, __mmask8 in) {
    Square rows;
    for (int i = 0; i < 8; ++i) {
        if (Whole) rows.row[i] = _mm512_loadu_pd(&r[i].radius);
        else rows.row[i] = _mm512_maskz_loadu_pd((in >> i & 1) ? 0xff : 0, &r[i].radius);
    }
    return transpose(rows);
}

// One block of 8 records from k; `in` marks the lanes before end. Returns
// the lanes of enabled objects whose effective mass is not finite.
template <bool Whole>
inline __attribute__((always_inline)) __mmask8 gatherBlock(ObjectRecord* records, const GatherColumns& out, int k,
                                                           __mmask8 in, bool relativistic) {
    const __m512i index = _mm512_setr_epi64(0, kStride, 2 * kStride, 3 * kStride, 4 * kStride, 5 * kStride,
                                            6 * kStride, 7 * kStride);
    ObjectRecord* r = records + k;
    const Square tail = loadTails<Whole>(r, in);
    const __m512d vx = tail.row[kX + 3], vy = tail.row[kX + 4], vz = tail.row[kX + 5];
    _mm512_store_pd(out.x + k, tail.row[kX]);
    _mm512_store_pd(out.y + k, tail.row[kX + 1]);
    _mm512_store_pd(out.z + k, tail.row[kX + 2]);
    _mm512_store_pd(out.vx + k, vx);
    _mm512_store_pd(out.vy + k, vy);
    _mm512_store_pd(out.vz + k, vz);

    const __m512i flags = _mm512_castpd_si512(tail.row[kFlags]);
    const __mmask8 enabled = in & _mm512_testn_epi64_mask(flags, _mm512_set1_epi64(0xffLL << 32));
    __m512d mass = field(enabled, &r->mass, index);
    if (relativistic) {
        const __m512d vsq = _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(vx, vx), _mm512_mul_pd(vy, vy)),
                                          _mm512_mul_pd(vz, vz));
        const __m512d root =
            _mm512_maskz_sqrt_pd(enabled, _mm512_sub_pd(_mm512_set1_pd(1.0), _mm512_mul_pd(vsq, _mm512_set1_pd(INV_C2))));
        mass = _mm512_maskz_div_pd(enabled, mass, root);
        _mm512_mask_i64scatter_pd(&r->relativisticMass, enabled, index, mass, 8);
    }
    const __m512d gravParam = _mm512_mul_pd(mass, _mm512_set1_pd(G));
    const __mmask8 newParam =
        enabled & _mm512_cmp_pd_mask(field(enabled, &r->gravParam, index), gravParam, _CMP_NEQ_UQ);
    if (newParam) _mm512_mask_i64scatter_pd(&r->gravParam, newParam, index, gravParam, 8);

    // x - x is 0 exactly for finite x.
    const __mmask8 finite = _mm512_cmp_pd_mask(_mm512_sub_pd(mass, mass), _mm512_setzero_pd(), _CMP_EQ_OQ);
    const __mmask8 active = enabled & finite;
    keep(out.m + k, _mm512_maskz_mov_pd(active, mass));
    keep(out.active + k, _mm512_maskz_mov_pd(active, _mm512_set1_pd(1.0)));
    uint8_t& bits = out.activeBits[k / 8];
    if (bits != active) bits = active;
    return enabled & ~finite;
}

// The states of block k's active objects into their records: position and
// first velocity component as one 32-byte row per record, the other two
// velocity components as one 16-byte row (10 shuffles for the eight, where
// whole record tails would take 24).
template <bool Whole>
inline __attribute__((always_inline)) void commitBlock(ObjectRecord* r, const CommitColumns& c, int k, __mmask8 in) {
    auto load = [&](int f) { return _mm512_load_pd(c.state[f] + k); };
    const __m512d x = load(0), y = load(1), z = load(2), vx = load(3), vy = load(4), vz = load(5);
    const __m512d xy0 = _mm512_maskz_unpacklo_pd(0xff, x, y), xy1 = _mm512_maskz_unpackhi_pd(0xff, x, y);
    const __m512d zv0 = _mm512_maskz_unpacklo_pd(0xff, z, vx), zv1 = _mm512_maskz_unpackhi_pd(0xff, z, vx);
    // xy0: (x0 y0 x2 y2 x4 y4 x6 y6), xy1: the odd records; zv0, zv1 alike.
    const __m512i low = _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), high = _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15);
    // Rows of records (0, 2), (4, 6), (1, 3), (5, 7): each 256-bit half one record's x y z vx.
    const __m512d rows[4] = {_mm512_permutex2var_pd(xy0, low, zv0), _mm512_permutex2var_pd(xy0, high, zv0),
                             _mm512_permutex2var_pd(xy1, low, zv1), _mm512_permutex2var_pd(xy1, high, zv1)};
    static constexpr int kRecord[4][2] = {{0, 2}, {4, 6}, {1, 3}, {5, 7}};
    // (vy vz) of records 0 2 4 6 and 1 3 5 7, a record per 128-bit lane.
    const __m512d pairs[2] = {_mm512_maskz_unpacklo_pd(0xff, vy, vz), _mm512_maskz_unpackhi_pd(0xff, vy, vz)};
    __mmask8 active = _mm512_mask_cmp_pd_mask(in, _mm512_load_pd(c.active + k), _mm512_setzero_pd(), _CMP_NEQ_UQ);
    const bool all = Whole && active == 0xff;
    auto take = [&](int i) { return all || (active >> i & 1); };
    for (int q = 0; q < 4; ++q) {
        if (take(kRecord[q][0])) _mm256_storeu_pd(&r[kRecord[q][0]].x, _mm512_maskz_extractf64x4_pd(0xf, rows[q], 0));
        if (take(kRecord[q][1])) _mm256_storeu_pd(&r[kRecord[q][1]].x, _mm512_maskz_extractf64x4_pd(0xf, rows[q], 1));
    }
    for (int h = 0; h < 2; ++h) {
        for (int l = 0; l < 4; ++l) {
            const int i = 2 * l + h;
            if (!take(i)) continue;
            _mm_storeu_pd(&r[i].vy, _mm512_maskz_extractf64x2_pd(0x3, pairs[h], l));
        }
    }
}

}  // namespace

void commitObjectsAvx512(ObjectRecord* records, const CommitColumns& columns, int begin, int end) {
    int k = begin;
    for (; k + 8 <= end; k += 8) commitBlock<true>(records + k, columns, k, 0xff);
    if (k < end) commitBlock<false>(records + k, columns, k, static_cast<__mmask8>((1u << (end - k)) - 1));
}

bool gatherObjectsAvx512(ObjectRecord* records, const GatherColumns& out, int begin, int end, bool relativistic) {
    __mmask8 unbounded = 0;
    int k = begin;
    for (; k + 8 <= end; k += 8) unbounded |= gatherBlock<true>(records, out, k, 0xff, relativistic);
    if (k < end) unbounded |= gatherBlock<false>(records, out, k, static_cast<__mmask8>((1u << (end - k)) - 1), relativistic);
    return unbounded != 0;
}

}  // namespace vantor
