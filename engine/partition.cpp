#include "engine/partition.h"

#include <algorithm>
#include <cmath>

#include "engine/pool/pool_state.h"
#include "platform/check.h"

namespace vantor {

void splitWork(int n, int w, ObjectRange* objects, PairRange* pairRuns) {
    VANTOR_ASSERT(w >= 1 && n >= 0);
    int b = n / w, r = n % w, next = 0;
    for (int t = 0; t < w; ++t) {
        const int count = b + (r > 0 ? 1 : 0);
        if (r > 0) --r;
        objects[t] = {next, next + count, count};
        next += count;
    }
    const int64_t pairs = static_cast<int64_t>(n) * (n - 1) / 2;
    const int64_t b2 = pairs / w, r2 = pairs % w;
    int i = 0, j = 1;
    for (int t = 0; t < w; ++t) {
        const int64_t count = b2 + (t < r2 ? 1 : 0);
        pairRuns[t] = {i, j, count};
        for (int64_t left = count; left > 0 && i < n;) {
            const int64_t inRow = n - j;
            if (left < inRow) {
                j += static_cast<int>(left);
                left = 0;
            } else {
                left -= inRow;
                ++i;
                j = i + 1;
            }
        }
    }
}

ObjectRange alignedObjectRange(const ObjectRange& r, int t, int workers, int n) {
    if (workers <= 1) return ObjectRange{0, n, n};
    auto aligned = [&](int k) { return k >= n ? n : (k + 4) / 8 * 8; };
    const int start = t == 0 ? 0 : std::min(aligned(r.start), n);
    const int end = t == workers - 1 ? n : std::min(aligned(r.end), n);
    return ObjectRange{start, std::max(start, end), std::max(0, end - start)};
}

void lastRow(int n, const PairRange& range, int& iLast, int& jEnd) {
    const int64_t last = pairsBefore(n, range.i) + (range.j - range.i - 1) + range.count - 1;
    const double b = 2.0 * n - 1.0;
    int64_t row = static_cast<int64_t>((b - std::sqrt(std::max(0.0, b * b - 8.0 * static_cast<double>(last)))) / 2);
    row = std::clamp<int64_t>(row, 0, n - 2);
    while (row > 0 && pairsBefore(n, row) > last) --row;
    while (row + 1 <= n - 2 && pairsBefore(n, row + 1) <= last) ++row;
    iLast = static_cast<int>(row);
    jEnd = static_cast<int>(last - pairsBefore(n, row) + row + 2);
}

void partitionWork(WorkerPool& pool, const World& world) {
    const int64_t n = world.OBJECTS_N;
    if (pool.processorCount < 2) {
        pool.workerCount = 1;
    } else {
        // At most one worker per 4 pairs: tiny sceneries avoid the handshake.
        const int64_t q = (n * (n - 1) / 2) / 4;
        if (q <= 1) pool.workerCount = 1;
        else if (q > pool.processorCount) pool.workerCount = pool.processorCount;
        else pool.workerCount = static_cast<int>(q);
    }
    pool.threadLimit = pool.workerCount;
    if (pool.workerCount >= 2) partitionRanges(pool, world);
    pool.state->partitionedN = world.OBJECTS_N;
    pool.state->chooserN = -1;  // another scenery: measure afresh
}

void partitionRanges(WorkerPool& pool, const World& world) {
    const int n = world.OBJECTS_N;
    splitWork(n, std::max(1, std::min(pool.workerCount, pool.processorCount)), pool.objectRanges.get(),
              pool.pairRanges.get());
    pool.state->partitionedN = n;
    pool.state->chooserN = -1;  // a new setting: measure afresh
}

}  // namespace vantor
