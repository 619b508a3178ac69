// The worker chooser fed with made-up step times: which count it settles
// on, how soon, and what its measuring costs, without a real clock.
#include "engine/worker_chooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>

namespace vantor {
namespace {

// Seconds per step for a count of workers at a moment of the run.
using Machine = std::function<double(int workers, double now, long step)>;

struct Tally {
    std::map<int, long> stepsByCount;
    std::map<int, long> runsByCount;  // unbroken runs of steps with one count
    long steps = 0, timed = 0;
    int last = 0;
    double seconds = 0;      // the run's time
    double bestSeconds = 0;  // the same steps, each with the fastest count of its moment
};

// Steps for `duration` seconds, as the pool does: asks the count and
// whether to time, then reports.
void advance(WorkerChooser& c, const Machine& machine, double duration, Tally& run) {
    const double end = run.seconds + duration;
    while (run.seconds < end) {
        const int workers = c.next();
        const bool timed = c.timesNext();
        const double t = machine(workers, run.seconds, run.steps);
        double best = t;
        for (int w = c.limit(); w >= 1; w /= 2) best = std::min(best, machine(w, run.seconds, run.steps));
        c.stepDone(timed ? t : -1);
        if (run.steps == 0 || workers != run.last) ++run.runsByCount[workers];
        run.last = workers;
        ++run.stepsByCount[workers];
        ++run.steps;
        run.timed += timed ? 1 : 0;
        run.seconds += t;
        run.bestSeconds += best;
    }
}

// A well-mixed hash of the step number: stalls at no fixed rhythm.
uint64_t mixed(uint64_t k) {
    k += 0x9e3779b97f4a7c15ull;
    k = (k ^ (k >> 30)) * 0xbf58476d1ce4e5b9ull;
    k = (k ^ (k >> 27)) * 0x94d049bb133111ebull;
    return k ^ (k >> 31);
}

Machine table(std::map<int, double> seconds) {
    return [seconds](int workers, double, long) { return seconds.at(workers); };
}

struct SettleCase {
    const char* name;
    int limit;
    std::map<int, double> seconds;  // per step, by count
    int expected;
};

TEST(WorkerChooser, SettlesOnTheFastestCountAndKeepsItsCostSmall) {
    const SettleCase cases[] = {
        // 100 objects where two workers lose, and where they win.
        {"one faster", 2, {{1, 2.9e-6}, {2, 4.0e-6}}, 1},
        {"two faster", 2, {{1, 4.46e-6}, {2, 3.0e-6}}, 2},
        {"1,000 objects", 2, {{1, 198e-6}, {2, 112e-6}}, 2},
        // The best count in the middle of the rungs 4, 2, 1.
        {"two of four", 4, {{1, 8e-6}, {2, 5e-6}, {4, 9e-6}}, 2},
        // Down every rung of 8, 4, 2, 1.
        {"one of eight", 8, {{1, 5e-6}, {2, 6e-6}, {4, 10e-6}, {8, 20e-6}}, 1},
        // Three is not a rung of 3 (3, 1): the limit or one.
        {"limit of three", 3, {{1, 9e-6}, {3, 4e-6}}, 3},
    };
    for (const SettleCase& k : cases) {
        SCOPED_TRACE(k.name);
        WorkerChooser c;
        c.reset(k.limit);
        EXPECT_EQ(c.next(), k.limit);  // until something is measured
        Tally run;
        advance(c, table(k.seconds), 0.05, run);
        EXPECT_EQ(c.chosen(), k.expected) << "after 50 ms";
        advance(c, table(k.seconds), 20, run);
        EXPECT_EQ(c.chosen(), k.expected) << "after 20 s";
        // What the run lost against the best count all along, first
        // comparison included, and what the chooser booked.
        EXPECT_LT(run.seconds / run.bestSeconds, 1.02);
        EXPECT_LE(c.spent(), WorkerChooser::kBudget * c.elapsed() + WorkerChooser::kAllowance);
        EXPECT_NEAR(c.elapsed(), run.seconds, 1e-9 * run.seconds);
        // Fewer than one clock read a step (two for each timed step), far
        // fewer where a read is a noticeable share of a step.
        const double reads = 2.0 * run.timed / run.steps;
        EXPECT_LT(reads, k.seconds.at(k.expected) < WorkerChooser::kLongStep ? 0.3 : 1.0);
    }
}

TEST(WorkerChooser, ALongStepIsTriedOnlyWhenTheBudgetAllows) {
    // 50,000 objects: one step with one worker costs a quarter of a second
    // more than with two, 1 % of 28 seconds.
    const Machine machine = table({{1, 0.57}, {2, 0.285}});
    WorkerChooser c;
    c.reset(2);
    Tally run;
    advance(c, machine, 20, run);
    EXPECT_EQ(run.stepsByCount[1], 0);
    advance(c, machine, 280, run);
    EXPECT_GT(run.stepsByCount[1], 0);  // measured again now and then
    EXPECT_EQ(c.chosen(), 2);
    EXPECT_LE(c.spent(), WorkerChooser::kBudget * c.elapsed() + WorkerChooser::kAllowance);
    EXPECT_LT(run.seconds / run.bestSeconds, 1.02);
}

TEST(WorkerChooser, FollowsASecondCoreThatBecomesBusyAndFreeAgain) {
    // Two workers win while the other core is free; from 2 s to 6 s another
    // program keeps it busy and the second worker waits for its time
    // slices: a few steps stall for milliseconds, most do not.
    const Machine machine = [](int workers, double now, long step) {
        const bool busy = now >= 2 && now < 6;
        if (workers == 1) return 4.4e-6;
        if (!busy) return 3.0e-6;
        return mixed(step) % 200 == 0 ? 3e-3 : 4.6e-6;
    };
    WorkerChooser c;
    c.reset(2);
    Tally run;
    advance(c, machine, 1.9, run);
    EXPECT_EQ(c.chosen(), 2);
    advance(c, machine, 0.2, run);  // to 2.1 s
    EXPECT_EQ(c.chosen(), 1) << "noticed within 0.1 s";
    advance(c, machine, 3.8, run);  // to 5.9 s
    EXPECT_EQ(c.chosen(), 1);
    advance(c, machine, 1.1, run);  // to 7 s
    EXPECT_EQ(c.chosen(), 2) << "the free core noticed within a second";
    EXPECT_LT(run.seconds / run.bestSeconds, 1.05);
}

TEST(WorkerChooser, ATrialThatFallsFarBehindIsGivenUp) {
    // The other core is taken: every step of two workers waits a millisecond
    // for it. A trial stops once it has lost kGiveUp, after three steps
    // rather than the warm-up and the four of a whole window.
    const Machine machine = table({{1, 3e-6}, {2, 1e-3}});
    WorkerChooser c;
    c.reset(2);
    Tally run;
    advance(c, machine, 0.01, run);
    ASSERT_EQ(c.chosen(), 1);
    const long first = run.stepsByCount[2];  // the first comparison's base
    advance(c, machine, 20, run);
    const long trials = run.runsByCount[2] - 1;
    ASSERT_GT(trials, 5);
    EXPECT_LE(run.stepsByCount[2] - first, 3 * trials);
    EXPECT_EQ(c.chosen(), 1);
    EXPECT_LT(run.seconds / run.bestSeconds, 1.01);
}

TEST(WorkerChooser, ResetForgetsAndOneWorkerIsNeverTimed) {
    WorkerChooser c;
    c.reset(2);
    Tally run;
    advance(c, table({{1, 2e-6}, {2, 5e-6}}), 0.1, run);
    ASSERT_EQ(c.chosen(), 1);
    c.reset(2);  // another scenery
    EXPECT_EQ(c.next(), 2);
    EXPECT_EQ(c.chosen(), 2);
    EXPECT_EQ(c.elapsed(), 0.0);

    c.reset(1);
    Tally solo;
    advance(c, table({{1, 2e-6}}), 0.01, solo);
    EXPECT_EQ(solo.timed, 0);
    EXPECT_EQ(solo.stepsByCount[1], solo.steps);
}

TEST(WorkerChooser, AClockThatShowsNoTimeDoesNotKeepEveryStepTimed) {
    // A coarse clock: every timed step reads as taking no time.
    WorkerChooser c;
    c.reset(2);
    long timed = 0;
    const long steps = 40 * WorkerChooser::kMaxWindowSteps;
    for (long k = 0; k < steps; ++k) {
        const bool t = c.timesNext();
        timed += t ? 1 : 0;
        c.stepDone(t ? 0.0 : -1);
    }
    EXPECT_LT(timed, steps / 4);
    EXPECT_EQ(c.chosen(), 2);
}

}  // namespace
}  // namespace vantor
