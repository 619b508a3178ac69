// Records and columns with 512-bit vectors: the rows of eight records turned
// into the fields' columns and back by shuffles. Only for files built for
// 512-bit vectors.
#pragma once

#include <immintrin.h>

#include <cstddef>

#include "engine/world.h"

namespace vantor::rows512 {

static_assert(offsetof(ObjectRecord, disabled) == offsetof(ObjectRecord, color) + 4, "flag byte after the colour");
static_assert(offsetof(ObjectRecord, vx) == offsetof(ObjectRecord, x) + 3 * sizeof(double), "state layout");
static_assert(offsetof(ObjectRecord, color) == offsetof(ObjectRecord, vy) + 2 * sizeof(double), "state layout");

// Four consecutive fields of eight records: the records' four-double rows,
// two to a register as records (0, 2), (4, 6), (1, 3), (5, 7), turn into
// the fields' columns and back with 8 shuffles.
constexpr int kPaired[4][2] = {{0, 2}, {4, 6}, {1, 3}, {5, 7}};

inline void rowsToColumns(const __m512d (&rows)[4], __m512d (&columns)[4]) {
    const __m512i first = _mm512_setr_epi64(0, 1, 4, 5, 8, 9, 12, 13);
    const __m512i second = _mm512_setr_epi64(2, 3, 6, 7, 10, 11, 14, 15);
    // Fields (0, 1) and (2, 3) of the even records, then of the odd ones.
    const __m512d a0 = _mm512_permutex2var_pd(rows[0], first, rows[1]);
    const __m512d b0 = _mm512_permutex2var_pd(rows[0], second, rows[1]);
    const __m512d a1 = _mm512_permutex2var_pd(rows[2], first, rows[3]);
    const __m512d b1 = _mm512_permutex2var_pd(rows[2], second, rows[3]);
    columns[0] = _mm512_maskz_unpacklo_pd(0xff, a0, a1);
    columns[1] = _mm512_maskz_unpackhi_pd(0xff, a0, a1);
    columns[2] = _mm512_maskz_unpacklo_pd(0xff, b0, b1);
    columns[3] = _mm512_maskz_unpackhi_pd(0xff, b0, b1);
}

inline void columnsToRows(const __m512d (&columns)[4], __m512d (&rows)[4]) {
    const __m512d a0 = _mm512_maskz_unpacklo_pd(0xff, columns[0], columns[1]);
    const __m512d a1 = _mm512_maskz_unpackhi_pd(0xff, columns[0], columns[1]);
    const __m512d b0 = _mm512_maskz_unpacklo_pd(0xff, columns[2], columns[3]);
    const __m512d b1 = _mm512_maskz_unpackhi_pd(0xff, columns[2], columns[3]);
    const __m512i low = _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11);
    const __m512i high = _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15);
    rows[0] = _mm512_permutex2var_pd(a0, low, b0);
    rows[1] = _mm512_permutex2var_pd(a0, high, b0);
    rows[2] = _mm512_permutex2var_pd(a1, low, b1);
    rows[3] = _mm512_permutex2var_pd(a1, high, b1);
}

}  // namespace vantor::rows512
