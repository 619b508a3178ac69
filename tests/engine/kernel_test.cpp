#include "engine/kernels/kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/gravity.h"
#include "engine/kernels/gather.h"
#include "engine/kernels/integrate.h"
#include "engine/kernels/vector_units.h"
#include "tests/support/cluster.h"
#include "tests/support/reference_step.h"

#ifndef VANTOR_HAVE_AVX512
#error "the build says in engine/kernels/vector_units.h which loops it has"
#endif

namespace vantor {
namespace {

[[maybe_unused]] int64_t orderedBits(double d) {  // the 512-bit tests only
    int64_t i;
    std::memcpy(&i, &d, sizeof i);
    return i;
}

constexpr unsigned kSeed = 11;  // the clusters of these tests

#if VANTOR_HAVE_AVX512  // the tests of the 512-bit twins, where they are built
TEST(Kernel, InverseCubeWithinTwoUnitsInTheLastPlace) {
    if (!kernelAvailable(KernelKind::Avx512)) GTEST_SKIP() << "no 512-bit vector unit";
    std::mt19937_64 rng(3);
    // Squared distances whose 1/r^3 is a normal double (beyond, the force is
    // not finite either way: a collision).
    std::uniform_real_distribution<double> exponent(-200, 200), mantissa(1, 10);
    std::vector<double> r2(1 << 20), z(r2.size());
    for (double& v : r2) v = mantissa(rng) * std::pow(10.0, exponent(rng));
    inverseCubesAvx512(r2.data(), z.data(), static_cast<int>(r2.size()));
    int64_t worst = 0;
    for (size_t k = 0; k < r2.size(); ++k) {
        const long double exact = 1.0L / (static_cast<long double>(r2[k]) * std::sqrt(static_cast<long double>(r2[k])));
        worst = std::max<int64_t>(worst, std::llabs(orderedBits(z[k]) - orderedBits(static_cast<double>(exact))));
    }
    EXPECT_LE(worst, 2);
}

// Objects whose velocity or force is zero, tiny (squares below the
// smallest normal double), huge or not finite, updated by both versions of
// the per-object step.
TEST(Kernel, VectorUpdateAgreesWithThePortableOneOnEdgeStates) {
    if (!kernelAvailable(KernelKind::Avx512)) GTEST_SKIP() << "no 512-bit vector unit";
    struct State {
        double v, f, m;
    };
    const std::vector<State> cases = {
        {0, 0, 1e24},        {0, 1e20, 1e24},     {300, 0, 1e24},     {300, 1e20, 1e24},     {1e-160, 1e20, 1e24},
        {300, 1e-170, 1e24}, {1e-170, 1e-170, 1}, {1e70, 1e70, 1e24}, {2e8, 1e30, 1e-3},     {-300, -1e20, 5e30},
        {0, 0, 0},           {300, 1e20, 0},      {NAN, 1e20, 1e24},  {300, INFINITY, 1e24},
    };
    const int n = static_cast<int>(cases.size());
    std::vector<double> in[10], vec[6], port[6];
    for (auto& c : in) c.assign(n, 0.0);
    for (int k = 0; k < 6; ++k) vec[k].assign(n, 0.0), port[k].assign(n, 0.0);
    for (int k = 0; k < n; ++k) {
        const State& c = cases[k];
        in[0][k] = 1e9 + k, in[1][k] = -2e9, in[2][k] = 3e3;           // position
        in[3][k] = c.v, in[4][k] = -0.5 * c.v, in[5][k] = 0.25 * c.v;  // velocity
        in[6][k] = c.m;                                                // mass
        in[7][k] = -0.3 * c.f, in[8][k] = c.f, in[9][k] = 0.7 * c.f;   // force
    }
    const std::vector<double> active(n, 1.0);
    const IntegrateInput input{in[0].data(), in[1].data(), in[2].data(), in[3].data(), in[4].data(), in[5].data(),
                               in[6].data(), in[7].data(), in[8].data(), in[9].data(), active.data()};
    const IntegrateOutput outVec{vec[0].data(), vec[1].data(), vec[2].data(),
                                 vec[3].data(), vec[4].data(), vec[5].data()};
    const IntegrateOutput outPort{port[0].data(), port[1].data(), port[2].data(),
                                  port[3].data(), port[4].data(), port[5].data()};
    bool allFinite = true;
    for (int k = 0; k < n; ++k) {
        SCOPED_TRACE(k);
        const bool finite = integrateObjects(input, outPort, k, k + 1, 60.0);
        ASSERT_EQ(integrateObjectsAvx512(input, outVec, k, k + 1, 60.0), finite);
        allFinite = allFinite && finite;
        if (!finite) continue;
        for (int c = 0; c < 6; ++c) {
            EXPECT_NEAR(vec[c][k], port[c][k], 1e-14 * std::fabs(port[c][k])) << "component " << c;
        }
    }
    EXPECT_FALSE(allFinite);
    EXPECT_FALSE(integrateObjectsAvx512(input, outVec, 0, n, 60.0));
    EXPECT_FALSE(integrateObjects(input, outPort, 0, n, 60.0));
    // Objects the step skips may end anywhere.
    const std::vector<double> none(n, 0.0);
    IntegrateInput skipped = input;
    skipped.active = none.data();
    EXPECT_TRUE(integrateObjectsAvx512(skipped, outVec, 0, n, 60.0));
    EXPECT_TRUE(integrateObjects(skipped, outPort, 0, n, 60.0));
}

// Both gathers on a table with every kind of record: disabled ones, one at
// the speed of light, one without mass; a last block of 5, a range that
// starts at the second block, columns left dirty past the end, and masses
// changed between two gathers.
TEST(Kernel, VectorGatherAgreesWithTheScalarOne) {
    if (!kernelAvailable(KernelKind::Avx512)) GTEST_SKIP() << "no 512-bit vector unit";
    constexpr int kN = 21, kColumns = 8, kSize = 32;
    for (bool relativistic : {false, true}) {
        for (int begin : {0, 8}) {
            SCOPED_TRACE(testing::Message() << "relativistic " << relativistic << ", from " << begin);
            World worlds[2];
            alignas(64) double columns[2][kColumns][kSize];
            std::vector<uint8_t> bits[2];
            for (int v = 0; v < 2; ++v) {
                fillCluster(worlds[v], kN, kSeed);
                for (auto& c : columns[v]) std::fill(c, c + kSize, 7.0);  // dirty, also past the end
                bits[v].assign(kSize / 8, 0x5a);
                ObjectRecord* o = worlds[v].objects.get();
                o[9].disabled = 1, o[10].disabled = 2, o[20].disabled = 1;
                o[12].vx = 3e8, o[12].vy = 1e7;  // faster than light
                o[14].mass = 0;
                o[17].vy = 2.5e8;
                for (int k = kN; k < kSize; ++k) o[k] = o[k - 8];  // leftovers past the end
            }
            bool unbounded[2][2];
            for (int round = 0; round < 2; ++round) {
                for (int v = 0; v < 2; ++v) {
                    auto& c = columns[v];
                    const GatherColumns out{c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], bits[v].data()};
                    GatherFn gather = v == 0 ? gatherObjects : gatherObjectsAvx512;
                    unbounded[round][v] = gather(worlds[v].objects.get(), out, begin, kN, relativistic);
                    worlds[v].objects[15].mass *= 3;
                    worlds[v].objects[9].disabled = 0;
                }
            }
            for (int round = 0; round < 2; ++round) EXPECT_EQ(unbounded[round][0], unbounded[round][1]);
            EXPECT_EQ(unbounded[1][0], relativistic);  // faster than light
            for (int c = 0; c < kColumns; ++c) {
                for (int k = 0; k < kSize; ++k) {
                    ASSERT_EQ(orderedBits(columns[0][c][k]), orderedBits(columns[1][c][k]))
                        << "column " << c << " at " << k;
                }
            }
            EXPECT_EQ(bits[0], bits[1]);
            for (int k = 0; k < kN; ++k) {
                const ObjectRecord &a = worlds[0].objects[k], &b = worlds[1].objects[k];
                EXPECT_EQ(orderedBits(a.gravParam), orderedBits(b.gravParam)) << k;
                EXPECT_EQ(orderedBits(a.relativisticMass), orderedBits(b.relativisticMass)) << k;
            }
        }
    }
}
#endif  // VANTOR_HAVE_AVX512

// Largest position difference after `steps` steps, relative to the cluster.
double divergence(World& a, World& b) {
    double worst = 0;
    for (int k = 0; k < a.OBJECTS_N; ++k) {
        worst = std::max({worst, std::fabs(a.objects[k].x - b.objects[k].x), std::fabs(a.objects[k].y - b.objects[k].y),
                          std::fabs(a.objects[k].z - b.objects[k].z)});
    }
    return worst / 1e9;
}

// Both updates, asked for records, write each active object's new state
// (the one they give as columns) into its record, whole blocks and a last
// block of 5 alike, and nothing else of the records.
TEST(Kernel, UpdatesWriteTheActiveRecordsOnly) {
    constexpr int kN = 21, kSize = 32;
    alignas(64) double in[10][kSize], active[kSize], columns[6][kSize];
    for (int c = 0; c < 10; ++c) {
        for (int k = 0; k < kSize; ++k) in[c][k] = (c == 6 ? 1e24 : c >= 7 ? 1e18 : 100.0) * (1.0 + 0.1 * c + 0.01 * k);
    }
    for (int k = 0; k < kSize; ++k) active[k] = k < kN && k % 3 != 1 ? 1.0 : 0.0;
    const IntegrateInput input{in[0], in[1], in[2], in[3], in[4], in[5], in[6], in[7], in[8], in[9], active};
    std::vector<IntegrateFn> updates = {integrateObjects};
#if VANTOR_HAVE_AVX512
    if (kernelAvailable(KernelKind::Avx512)) updates.push_back(integrateObjectsAvx512);
#endif
    World untouched;
    fillCluster(untouched, kSize, kSeed);
    for (IntegrateFn update : updates) {
        const IntegrateOutput toColumns{columns[0], columns[1], columns[2], columns[3], columns[4], columns[5]};
        ASSERT_TRUE(update(input, toColumns, 0, kN, 60.0));
        World w;
        fillCluster(w, kSize, kSeed);
        alignas(64) double scratch[6][kSize];
        IntegrateOutput toRecords{scratch[0], scratch[1], scratch[2], scratch[3], scratch[4], scratch[5]};
        toRecords.records = w.objects.get();
        ASSERT_TRUE(update(input, toRecords, 0, kN, 60.0));
        for (int k = 0; k < kSize; ++k) {
            SCOPED_TRACE(k);
            ObjectRecord expected = untouched.objects[k];
            if (active[k] != 0.0) {
                expected.x = columns[0][k], expected.y = columns[1][k], expected.z = columns[2][k];
                expected.vx = columns[3][k], expected.vy = columns[4][k], expected.vz = columns[5][k];
            }
            EXPECT_EQ(std::memcmp(&expected, &w.objects[k], sizeof(ObjectRecord)), 0);
        }
    }
}

TEST(Kernel, EveryKernelAndWorkerCountAgreesWithThePlainScalarStep) {
    World reference;
    fillCluster(reference, 500, kSeed);
    reference.CALCULATE_RELATIVISTIC_MASSES = 1;
    for (int s = 0; s < 100; ++s) referenceStep(reference);
    for (KernelKind kind : {KernelKind::Portable, KernelKind::Avx512}) {
        if (!kernelAvailable(kind)) continue;
        for (int workers : {1, 2, 3}) {
            World w;
            fillCluster(w, 500, kSeed);
            w.CALCULATE_RELATIVISTIC_MASSES = 1;
            WorkerPool pool;
            createWorkerPool(pool, w, 3);
            pool.kernel = kind;
            pool.workersFixed = true;
            pool.workerCount = workers;
            partitionRanges(pool, w);
            for (int s = 0; s < 100; ++s) simulationStep(w, pool);
            EXPECT_LT(divergence(w, reference), 1e-12) << "kernel " << int(kind) << ", " << workers << " workers";
        }
    }
}

TEST(Kernel, InactivePartnersAndRaggedEndsContributeNothing) {
    // Rows of every length from 1 to 47 partners, tables ending at every
    // lane of a block of 8, and runs of pairs that begin or end inside a
    // block of 8 rows (2 workers at 25 to 31 objects, 3 at 18 to 21 and 37
    // to 48), with an inactive object sitting exactly on an active one: it
    // must contribute nothing.
    for (KernelKind kind : {KernelKind::Portable, KernelKind::Avx512}) {
        if (!kernelAvailable(kind)) continue;
        for (int workers : {1, 2, 3}) {
            for (int n = 2; n <= 48; ++n) {
                World w, ref;
                fillCluster(w, n, kSeed);
                fillCluster(ref, n, kSeed);
                for (World* world : {&w, &ref}) {
                    ObjectRecord& off = world->objects[n - 1];
                    off.disabled = 1;
                    off.x = world->objects[0].x, off.y = world->objects[0].y, off.z = world->objects[0].z;
                }
                WorkerPool pool;
                createWorkerPool(pool, w, workers);
                pool.kernel = kind;
                pool.workersFixed = true;
                simulationStep(w, pool);
                referenceStep(ref);
                EXPECT_EQ(w.collisionDetected, 0) << n;
                EXPECT_LT(divergence(w, ref), 1e-15)
                    << "kernel " << int(kind) << ", " << workers << " workers, n " << n;
            }
        }
    }
}

TEST(Kernel, ColumnTilesPairedRowsAndDisabledObjectsAgreeWithThePlainScalarStep) {
    // Above 16384 objects the rows are walked in column tiles; disabled
    // objects scattered through the table break up the pairs of rows that
    // the vector kernel takes together, at every offset within a block of 8.
    constexpr int n = 16400;
    World ref;
    fillCluster(ref, n, kSeed);
    for (int k = 3; k < n; k += 1997) ref.objects[k].disabled = 1;
    referenceStep(ref);
    for (KernelKind kind : {KernelKind::Portable, KernelKind::Avx512}) {
        if (!kernelAvailable(kind)) continue;
        for (int workers : {1, 2}) {
            World w;
            fillCluster(w, n, kSeed);
            for (int k = 3; k < n; k += 1997) w.objects[k].disabled = 1;
            WorkerPool pool;
            createWorkerPool(pool, w, workers);
            pool.kernel = kind;
            pool.workersFixed = true;
            simulationStep(w, pool);
            EXPECT_LT(divergence(w, ref), 1e-15) << "kernel " << int(kind) << ", " << workers << " workers";
        }
    }
}

}  // namespace
}  // namespace vantor
