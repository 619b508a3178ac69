// How the work of a step is split over its workers: each worker gathers and
// integrates a range of objects and sums a run of consecutive pairs.
#pragma once

#include <cstdint>

namespace vantor {

struct ObjectRange {
    int start = 0;  // first object index
    int end = 0;    // one past the last
    int count = 0;
};

struct PairRange {
    int i = 0, j = 1;   // first pair (i, j), i < j, in row order
    int64_t count = 0;  // number of consecutive pairs
};

// The equal split of n objects and of their pairs in row order over w
// workers, into objects[0..w) and pairRuns[0..w).
void splitWork(int n, int w, ObjectRange* objects, PairRange* pairRuns);

// The objects worker t of `workers` gathers and integrates: its object
// range with both ends moved to a multiple of 8, so that no cache line of
// the per-object arrays is written by two workers (each line would bounce
// between their caches every step). Which worker handles an object does not
// change its result: the sums run over the workers' buffers in worker order
// either way.
ObjectRange alignedObjectRange(const ObjectRange& range, int t, int workers, int n);

// Pairs in the rows before row i of n objects.
inline int64_t pairsBefore(int64_t n, int64_t i) { return i * (2 * n - i - 1) / 2; }

// The last row of a run of pairs and the end of its partners, found with
// the row formula rather than by walking every row of the run.
void lastRow(int n, const PairRange& range, int& iLast, int& jEnd);

}  // namespace vantor
