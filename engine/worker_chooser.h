// How many workers compute a step, 1 up to the pool's workerCount, chosen
// from timings of the steps themselves. Whether a second worker pays depends
// on the machine (core-to-core latency, vector width, whether the other core
// is busy) as much as on the scenery, so no constant can decide it.
//
// The chooser only counts: the pool asks it for the next step's count and
// whether to time that step, and hands it the step's duration. It never
// reads a clock itself, so that tests can feed it any timings.
#pragma once

#include <array>

namespace vantor {

struct WorkerChooser {
    // Each comparison times at least this much of each count's steps.
    static constexpr double kWindow = 0.004;
    // After a switch, steps until this much time has passed are not counted
    // (a sleeping worker wakes, records move between caches), unless the
    // first one alone takes kCountsAtOnce or more.
    static constexpr double kWarmup = 100e-6;
    static constexpr double kCountsAtOnce = 0.01;
    // A trial that has lost this much against the base is over: the count
    // tried is slower (with the other core busy, a step of two workers may
    // wait a whole time slice of the other program).
    static constexpr double kGiveUp = 0.002;
    // Measuring may cost this share of the run so far, plus kAllowance so
    // that a fresh scenery is compared at once.
    static constexpr double kBudget = 0.01;
    static constexpr double kAllowance = 0.003;
    // The next comparison comes when its estimated cost is kShare of the
    // run time since the last one, and no sooner than kShortestInterval.
    static constexpr double kShare = 0.005;
    static constexpr double kShortestInterval = 0.25;
    // While settled, about one step in kSampleEvery is timed, or one in
    // kSampleLongEvery from kLongStep on, at varying gaps so that no rhythm
    // of the caller's is sampled in step; each kCheck of timed steps is
    // compared with the last comparison.
    static constexpr int kSampleEvery = 16;
    static constexpr int kSampleLongEvery = 4;
    static constexpr double kLongStep = 50e-6;
    static constexpr double kCheck = 0.001;
    // A check this far off either way calls a comparison now.
    static constexpr double kChanged = 1.3;
    // A count replaces the one in use only when this much faster.
    static constexpr double kMargin = 0.02;
    // A window ends after this many steps even when a coarse clock shows
    // them taking no time.
    static constexpr int kMaxWindowSteps = 1 << 16;

    // Forgets every measurement: a new scenery or a new upper bound. The
    // steps use `limit` until the first comparison.
    void reset(int limit);

    int limit() const { return limit_; }
    // The count in use, apart from the steps that try another.
    int chosen() const { return chosen_; }
    // The count for the next step.
    int next() const { return next_; }
    // Whether the next step is to be timed.
    bool timesNext() const;
    // The step just done took `seconds`; negative when it was not timed.
    void stepDone(double seconds);

    // Run time seen since the reset and what measuring cost of it (seconds),
    // for the tests and the performance notes.
    double elapsed() const { return elapsed_; }
    double spent() const { return spent_; }

private:
    enum class Phase { Settled, Base, Trial };
    static constexpr int kMaxRungs = 24;  // counts tried: limit, limit/2, ... 1

    int rungOf(int count) const;
    int alternative() const;
    double estimate(int count) const;
    double trialCost(int count) const;
    bool affordable(int count) const;
    void startWindow(int count, bool warm);
    bool windowStep(double seconds);
    void finishBase();
    void finishTrial(double trialMean);
    void settledStep(double seconds);

    int limit_ = 1, chosen_ = 1, next_ = 1;
    std::array<int, kMaxRungs> rungs_{};  // candidate counts, largest first
    int rungCount_ = 0;
    std::array<double, kMaxRungs> mean_{};  // last measured seconds per step, 0: none

    Phase phase_ = Phase::Settled;
    bool warming_ = false;
    int warmSteps_ = 0;
    double warmTime_ = 0;
    double windowTime_ = 0;
    int windowSteps_ = 0;
    double trialTime_ = 0;  // every step of the trial, warm-up included
    int trialSteps_ = 0;
    double baseMean_ = 0;  // the count in use, measured just before the trial

    double reference_ = 0;  // the count in use at the last comparison
    double elapsed_ = 0, spent_ = 0;
    double sinceComparison_ = 0, interval_ = 0;
    bool due_ = true;
    int direction_ = -1;  // the way the last move went: -1 fewer workers, +1 more
    int untimed_ = 0, gap_ = kSampleEvery;
    unsigned noise_ = 0x9e3779b9u;  // draws the gaps
    double checkTime_ = 0;
    int checkSteps_ = 0;
};

}  // namespace vantor
