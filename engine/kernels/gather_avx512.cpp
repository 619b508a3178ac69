// The gather with 512-bit vectors: eight records at a time, their rows
// turned into columns by shuffles, so that a column takes one store per
// eight objects.
#include <immintrin.h>

#include "engine/kernels/gather.h"
#include "engine/record_rows.h"

namespace vantor {

namespace {

using namespace rows512;

// The distance between records, in doubles (for the scatters).
constexpr long kStride = sizeof(ObjectRecord) / sizeof(double);
static_assert(sizeof(ObjectRecord) % sizeof(double) == 0, "records a whole number of doubles");

// Writes v into the lanes of p where it differs from what p holds (not a
// number always differs), so that unchanged lines stay valid in the other
// workers' caches.
inline void keep(double* p, __m512d v) {
    const __mmask8 changed = _mm512_cmp_pd_mask(_mm512_load_pd(p), v, _CMP_NEQ_UQ);
    if (changed) _mm512_mask_store_pd(p, changed, v);
}

// Four consecutive fields of records r .. r+7, from `field` on, as
// columns; lanes past `in` hold zeros. Whole blocks read up to 32 bytes
// past the last record's field (record tables have a spare record at their
// end).
template <bool Whole>
inline __attribute__((always_inline)) void loadColumns(const ObjectRecord* r, double ObjectRecord::*field, __mmask8 in,
                                                       __m512d (&columns)[4]) {
    __m512d rows[4];
    for (int q = 0; q < 4; ++q) {
        const double* a = &(r[kPaired[q][0]].*field);
        const double* b = &(r[kPaired[q][1]].*field);
        if (Whole) {
            const __m512d low = _mm512_maskz_broadcast_f64x4(0xff, _mm256_loadu_pd(a));
            rows[q] = _mm512_maskz_insertf64x4(0xff, low, _mm256_loadu_pd(b), 1);
        } else {
            auto lanes = [in](int i) { return static_cast<__mmask8>(in >> i & 1 ? 0x0f : 0); };
            rows[q] = _mm512_maskz_shuffle_f64x2(0xff, _mm512_maskz_loadu_pd(lanes(kPaired[q][0]), a),
                                                 _mm512_maskz_loadu_pd(lanes(kPaired[q][1]), b), 0x44);
        }
    }
    rowsToColumns(rows, columns);
}

// One block of 8 records from k; `in` marks the lanes before end. Returns
// the lanes of enabled objects whose effective mass is not finite.
template <bool Whole>
inline __attribute__((always_inline)) __mmask8 gatherBlock(ObjectRecord* records, const GatherColumns& out, int k,
                                                           __mmask8 in, bool relativistic) {
    const __m512i index =
        _mm512_setr_epi64(0, kStride, 2 * kStride, 3 * kStride, 4 * kStride, 5 * kStride, 6 * kStride, 7 * kStride);
    ObjectRecord* r = records + k;
    __m512d position[4], velocity[4];
    loadColumns<Whole>(r, &ObjectRecord::x, in, position);
    loadColumns<Whole>(r, &ObjectRecord::vy, in, velocity);  // vy, vz, colour and flags
    const __m512d vx = position[3], vy = velocity[0], vz = velocity[1];
    _mm512_store_pd(out.x + k, position[0]);
    _mm512_store_pd(out.y + k, position[1]);
    _mm512_store_pd(out.z + k, position[2]);
    _mm512_store_pd(out.vx + k, vx);
    _mm512_store_pd(out.vy + k, vy);
    _mm512_store_pd(out.vz + k, vz);

    const __m512i flags = _mm512_castpd_si512(velocity[2]);
    const __mmask8 enabled = in & _mm512_testn_epi64_mask(flags, _mm512_set1_epi64(0xffLL << 32));
    __m512d head[4];  // mass, relativistic mass, gravitational parameter, radius
    loadColumns<Whole>(r, &ObjectRecord::mass, in, head);
    __m512d mass = _mm512_maskz_mov_pd(enabled, head[0]);
    if (relativistic) {
        const __m512d vsq =
            _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(vx, vx), _mm512_mul_pd(vy, vy)), _mm512_mul_pd(vz, vz));
        const __m512d slowness = _mm512_sub_pd(_mm512_set1_pd(1.0), _mm512_mul_pd(vsq, _mm512_set1_pd(INV_C2)));
        const __m512d root = _mm512_maskz_sqrt_pd(enabled, slowness);
        mass = _mm512_maskz_div_pd(enabled, mass, root);
        _mm512_mask_i64scatter_pd(&r->relativisticMass, enabled, index, mass, 8);
    }
    const __m512d gravParam = _mm512_mul_pd(mass, _mm512_set1_pd(G));
    const __mmask8 newParam = enabled & _mm512_cmp_pd_mask(head[2], gravParam, _CMP_NEQ_UQ);
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

}  // namespace

bool gatherObjectsAvx512(ObjectRecord* records, const GatherColumns& out, int begin, int end, bool relativistic) {
    __mmask8 unbounded = 0;
    int k = begin;
    for (; k + 8 <= end; k += 8) unbounded |= gatherBlock<true>(records, out, k, 0xff, relativistic);
    if (k < end) {
        const auto in = static_cast<__mmask8>((1u << (end - k)) - 1);
        unbounded |= gatherBlock<false>(records, out, k, in, relativistic);
    }
    return unbounded != 0;
}

}  // namespace vantor
