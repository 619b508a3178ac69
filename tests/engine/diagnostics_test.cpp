#include "engine/diagnostics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/gravity.h"
#include "tests/support/cluster.h"

namespace vantor {
namespace {

// Two bodies on a circular orbit about their centre of mass, which sits at
// `centre` and moves with `drift`: the figures have a closed form.
struct TwoBody {
    double m1, m2, d;
    Vec3 centre, drift;
};

void placeTwoBody(World& w, const TwoBody& c) {
    const double total = c.m1 + c.m2, v = std::sqrt(G * total / c.d);
    add(w, c.m1, vecAdd(c.centre, {-c.m2 / total * c.d, 0, 0}), vecAdd(c.drift, {0, -c.m2 / total * v, 0}));
    add(w, c.m2, vecAdd(c.centre, {c.m1 / total * c.d, 0, 0}), vecAdd(c.drift, {0, c.m1 / total * v, 0}));
}

void expectNear(double actual, double expected, double relative) {
    EXPECT_NEAR(actual, expected, relative * std::max(1.0, std::fabs(expected))) << "expected " << expected;
}

TEST(ConservationFigures, TwoBodyCircularOrbitMatchesClosedForm) {
    const TwoBody cases[] = {
        {5.9736e24, 7.349e22, 3.844e8, {0, 0, 0}, {0, 0, 0}},       // about the origin, at rest
        {1.989e30, 5.9736e24, 1.496e11, {0, 0, 0}, {0, 0, 0}},      // very unequal masses
        {2e30, 1e30, 1e11, {3e11, -2e11, 5e10}, {1e3, 2e3, -4e2}},  // off the origin and moving
    };
    for (const TwoBody& c : cases) {
        World w;
        placeTwoBody(w, c);
        WorkerPool pool;
        ASSERT_EQ(createWorkerPool(pool, w, 1), 1);
        const ConservationFigures f = computeConservationFigures(w, pool);
        const double total = c.m1 + c.m2, mu = c.m1 * c.m2 / total, v = std::sqrt(G * total / c.d);
        // Kinetic: the centre's motion plus that about the centre.
        const double drift2 = c.drift.x * c.drift.x + c.drift.y * c.drift.y + c.drift.z * c.drift.z;
        expectNear(f.kineticEnergy, 0.5 * total * drift2 + G * c.m1 * c.m2 / (2 * c.d), 1e-12);
        expectNear(f.potentialEnergy, -G * c.m1 * c.m2 / c.d, 1e-12);
        expectNear(f.totalEnergy, f.kineticEnergy + f.potentialEnergy, 1e-15);
        const double pScale = total * vecLength(c.drift) + mu * v * 2;
        expectNear(f.momentum.x, total * c.drift.x, 1e-12 * pScale / std::max(1.0, std::fabs(total * c.drift.x)));
        expectNear(f.momentum.y, total * c.drift.y, 1e-12 * pScale / std::max(1.0, std::fabs(total * c.drift.y)));
        expectNear(f.momentum.z, total * c.drift.z, 1e-12 * pScale / std::max(1.0, std::fabs(total * c.drift.z)));
        // About the origin: the centre's own plus mu d v along z.
        const Vec3 own{c.centre.y * c.drift.z - c.centre.z * c.drift.y, c.centre.z * c.drift.x - c.centre.x * c.drift.z,
                       c.centre.x * c.drift.y - c.centre.y * c.drift.x};
        const double lScale = vecLength(own) * total + mu * c.d * v;
        EXPECT_NEAR(f.angularMomentum.x, total * own.x, 1e-12 * lScale);
        EXPECT_NEAR(f.angularMomentum.y, total * own.y, 1e-12 * lScale);
        EXPECT_NEAR(f.angularMomentum.z, total * own.z + mu * c.d * v, 1e-12 * lScale);
        EXPECT_EQ(f.objects, 2);
    }
}

// The figures by plain loops over the records, for comparison.
ConservationFigures plainFigures(const World& w) {
    ConservationFigures f;
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        const ObjectRecord& a = w.objects[i];
        if (a.disabled) continue;
        f.kineticEnergy += 0.5 * a.mass * (a.vx * a.vx + a.vy * a.vy + a.vz * a.vz);
        f.momentum = vecAdd(f.momentum, {a.mass * a.vx, a.mass * a.vy, a.mass * a.vz});
        f.angularMomentum =
            vecAdd(f.angularMomentum, {a.mass * (a.y * a.vz - a.z * a.vy), a.mass * (a.z * a.vx - a.x * a.vz),
                                       a.mass * (a.x * a.vy - a.y * a.vx)});
        for (int j = i + 1; j < w.OBJECTS_N; ++j) {
            const ObjectRecord& b = w.objects[j];
            if (b.disabled) continue;
            f.potentialEnergy -= G * a.mass * b.mass / vecLength({b.x - a.x, b.y - a.y, b.z - a.z});
        }
    }
    return f;
}

// Every size around the four-row passes and the chunk edges, with disabled
// objects (both kinds) left out, for several worker counts: the same figures
// as the plain loops, and exactly the same for every worker count.
TEST(ConservationFigures, PairSumMatchesPlainLoopsForAnyWorkerCount) {
    for (int n : {0, 1, 2, 3, 5, 8, 9, 97, 300, 1201}) {
        World w;
        fillCluster(w, n, 11 + n);
        for (int k = 3; k < n; k += 7) w.objects[k].disabled = k % 2 ? 1 : 2;
        const ConservationFigures expected = plainFigures(w);
        double first = 0;
        for (int processors : {1, 2, 3, 8}) {
            WorkerPool pool;
            ASSERT_EQ(createWorkerPool(pool, w, processors), 1);
            const ConservationFigures f = computeConservationFigures(w, pool);
            SCOPED_TRACE(testing::Message() << n << " objects, " << processors << " workers");
            EXPECT_NEAR(f.potentialEnergy, expected.potentialEnergy, 1e-12 * std::fabs(expected.potentialEnergy));
            EXPECT_NEAR(f.kineticEnergy, expected.kineticEnergy, 1e-12 * std::fabs(expected.kineticEnergy));
            EXPECT_NEAR(f.angularMomentum.z, expected.angularMomentum.z, 1e-9 * f.angularMomentumScale);
            EXPECT_NEAR(f.momentum.x, expected.momentum.x, 1e-12 * f.momentumScale);
            if (processors == 1) first = f.potentialEnergy;
            EXPECT_EQ(f.potentialEnergy, first);
        }
    }
}

// Rest masses and Newton's formulas whatever the relativistic option says,
// and the world is left as it was (a step may follow at once).
TEST(ConservationFigures, UseRestMassesAndLeaveTheWorldAlone) {
    World w;
    add(w, 1e3, {0, 0, 0}, {0.6 * SPEED_OF_LIGHT, 0, 0});
    add(w, 1e3, {1e3, 0, 0});
    WorkerPool pool;
    ASSERT_EQ(createWorkerPool(pool, w, 2), 1);
    const ConservationFigures plain = computeConservationFigures(w, pool);
    w.CALCULATE_RELATIVISTIC_MASSES = 1;
    simulationStep(w, pool);  // sets relativisticMass = 1.25 mass
    w.objects[0].x = 0, w.objects[0].vx = 0.6 * SPEED_OF_LIGHT;
    w.objects[1].x = 1e3, w.objects[1].vx = 0;
    const ConservationFigures relativistic = computeConservationFigures(w, pool);
    EXPECT_DOUBLE_EQ(relativistic.kineticEnergy, 0.5 * 1e3 * 0.36 * SPEED_OF_LIGHT * SPEED_OF_LIGHT);
    EXPECT_DOUBLE_EQ(relativistic.kineticEnergy, plain.kineticEnergy);
    EXPECT_DOUBLE_EQ(relativistic.potentialEnergy, -G * 1e6 / 1e3);
    EXPECT_EQ(w.objects[0].x, 0);  // untouched by the figures
}

TEST(ConservationFigures, RelativeDrift) {
    EXPECT_EQ(relativeDrift(-9.0, -10.0), 0.1);
    EXPECT_EQ(relativeDrift(11.0, 10.0), 0.1);
    EXPECT_EQ(relativeDrift(5.0, 0.0), 0.0);
    EXPECT_EQ(relativeDrift(Vec3{3, 4, 0}, Vec3{0, 0, 0}, 10.0), 0.5);
    EXPECT_EQ(relativeDrift(Vec3{3, 4, 0}, Vec3{0, 0, 0}, 0.0), 0.0);
}

// The next sample waits 25 times the last one's cost, at least the minimum:
// with it the figures take at most 4 % of a running simulation's time.
TEST(ConservationFigures, SampleScheduleKeepsTheCostWithinItsBudget) {
    SampleSchedule s;
    EXPECT_TRUE(s.due(0));
    const struct { double cost, wait; } cases[] = {{0.001, 0.25}, {0.01, 0.25}, {0.1, 2.5}, {1.0, 25.0}};
    for (const auto& c : cases) {
        s.sampled(100, c.cost);
        EXPECT_FALSE(s.due(100 + c.wait * 0.999)) << c.cost;
        EXPECT_TRUE(s.due(100 + c.wait)) << c.cost;
        EXPECT_LE(c.cost / (c.wait + c.cost), s.budget);
    }
}

}  // namespace
}  // namespace vantor
