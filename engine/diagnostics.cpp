#include "engine/diagnostics.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "engine/gravity.h"
#include "engine/kernels/vector_clones.h"

namespace vantor {

namespace {

// The active objects' positions and rest masses, packed.
struct Packed {
    std::vector<double> x, y, z, m;
    int n = 0;
};

Packed packActive(const World& world) {
    Packed p;
    const int count = std::clamp(world.OBJECTS_N, 0, MAX_OBJECTS);
    for (auto* column : {&p.x, &p.y, &p.z, &p.m}) column->reserve(count);
    for (int k = 0; k < count; ++k) {
        const ObjectRecord& o = world.objects[k];
        if (o.disabled != 0) continue;
        p.x.push_back(o.x), p.y.push_back(o.y), p.z.push_back(o.z), p.m.push_back(o.mass);
    }
    p.n = static_cast<int>(p.m.size());
    return p;
}

// Sum of m_i m_j / r_ij over the pairs (i, j), j > i, of rows [first, last].
// Four rows share one pass over their partners, so that a pass loads each
// partner once for four pairs.
VANTOR_VECTOR_CLONES
double rowsPotential(const Packed& p, int first, int last) {
    const double* __restrict x = p.x.data();
    const double* __restrict y = p.y.data();
    const double* __restrict z = p.z.data();
    const double* __restrict m = p.m.data();
    const int n = p.n;
    double total = 0;
    int i = first;
    for (; i + 3 <= last; i += 4) {
        double within = 0;
        for (int a = 0; a < 3; ++a) {  // the pairs within the four rows
            for (int b = a + 1; b < 4; ++b) {
                const double dx = x[i + b] - x[i + a], dy = y[i + b] - y[i + a], dz = z[i + b] - z[i + a];
                within += m[i + a] * m[i + b] / std::sqrt(dx * dx + dy * dy + dz * dz);
            }
        }
        const double x0 = x[i], y0 = y[i], z0 = z[i], x1 = x[i + 1], y1 = y[i + 1], z1 = z[i + 1];
        const double x2 = x[i + 2], y2 = y[i + 2], z2 = z[i + 2], x3 = x[i + 3], y3 = y[i + 3], z3 = z[i + 3];
        double t0 = 0, t1 = 0, t2 = 0, t3 = 0;
#pragma omp simd reduction(+ : t0, t1, t2, t3)
        for (int j = i + 4; j < n; ++j) {
            const double xj = x[j], yj = y[j], zj = z[j];
            double dx = xj - x0, dy = yj - y0, dz = zj - z0;
            t0 += m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
            dx = xj - x1, dy = yj - y1, dz = zj - z1;
            t1 += m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
            dx = xj - x2, dy = yj - y2, dz = zj - z2;
            t2 += m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
            dx = xj - x3, dy = yj - y3, dz = zj - z3;
            t3 += m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
        }
        total += within + m[i] * t0 + m[i + 1] * t1 + m[i + 2] * t2 + m[i + 3] * t3;
    }
    for (; i <= last; ++i) {
        const double xi = x[i], yi = y[i], zi = z[i];
        double t = 0;
#pragma omp simd reduction(+ : t)
        for (int j = i + 1; j < n; ++j) {
            const double dx = x[j] - xi, dy = y[j] - yi, dz = z[j] - zi;
            t += m[j] / std::sqrt(dx * dx + dy * dy + dz * dz);
        }
        total += m[i] * t;
    }
    return total;
}

// The pair sum cut into chunks of whole rows with about equal pair counts.
// The chunks depend only on the object count and their sums are added in
// chunk order, so the result is the same for any number of workers.
struct PairJob {
    const Packed* packed;
    std::vector<int> firstRows;  // chunk c is rows [firstRows[c], firstRows[c + 1])
    std::vector<double> sums;
    std::atomic<int> next{0};
};

void cutIntoChunks(PairJob& job, int n) {
    const int64_t pairs = static_cast<int64_t>(n) * (n - 1) / 2;
    const int chunks = static_cast<int>(std::clamp<int64_t>(pairs / 4096, 1, 512));
    job.firstRows.push_back(0);
    int64_t before = 0;  // pairs in the rows before row i
    for (int i = 0; i < n - 1; ++i) {
        before += n - 1 - i;
        const int64_t boundary = pairs * static_cast<int64_t>(job.firstRows.size()) / chunks;
        if (before >= boundary && static_cast<int>(job.firstRows.size()) < chunks) job.firstRows.push_back(i + 1);
    }
    if (job.firstRows.back() != n - 1) job.firstRows.push_back(n - 1);
    job.sums.assign(job.firstRows.size() - 1, 0.0);
}

void runPairChunks(void* data, int) {
    PairJob& job = *static_cast<PairJob*>(data);
    const int chunks = static_cast<int>(job.sums.size());
    for (int c; (c = job.next.fetch_add(1, std::memory_order_relaxed)) < chunks;) {
        job.sums[c] = rowsPotential(*job.packed, job.firstRows[c], job.firstRows[c + 1] - 1);
    }
}

double pairSum(const Packed& p, WorkerPool& pool) {
    if (p.n < 2) return 0;
    PairJob job;
    job.packed = &p;
    cutIntoChunks(job, p.n);
    // A single chunk is not worth waking the workers for.
    if (job.sums.size() == 1) runPairChunks(&job, 0);
    else runOnWorkers(pool, runPairChunks, &job);
    double total = 0;
    for (double s : job.sums) total += s;
    return total;
}

Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

void addMotion(const World& world, ConservationFigures& f) {
    const int count = std::clamp(world.OBJECTS_N, 0, MAX_OBJECTS);
    for (int k = 0; k < count; ++k) {
        const ObjectRecord& o = world.objects[k];
        if (o.disabled != 0) continue;
        const Vec3 v{o.vx, o.vy, o.vz};
        const Vec3 p = vecScale(v, o.mass);
        const Vec3 l = cross(Vec3{o.x, o.y, o.z}, p);
        f.kineticEnergy += 0.5 * o.mass * (v.x * v.x + v.y * v.y + v.z * v.z);
        f.momentum = vecAdd(f.momentum, p);
        f.angularMomentum = vecAdd(f.angularMomentum, l);
        f.momentumScale += vecLength(p);
        f.angularMomentumScale += vecLength(l);
        ++f.objects;
    }
}

}  // namespace

ConservationFigures computeConservationFigures(const World& world, WorkerPool& pool) {
    ConservationFigures f;
    addMotion(world, f);
    f.potentialEnergy = -G * pairSum(packActive(world), pool);
    f.totalEnergy = f.kineticEnergy + f.potentialEnergy;
    return f;
}

double relativeDrift(double value, double reference) {
    return reference == 0 ? 0 : (value - reference) / std::fabs(reference);
}

double relativeDrift(Vec3 value, Vec3 reference, double scale) {
    return scale == 0 ? 0 : vecLength(vecSub(value, reference)) / scale;
}

}  // namespace vantor
