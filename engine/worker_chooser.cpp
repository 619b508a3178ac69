#include "engine/worker_chooser.h"

#include <algorithm>

namespace vantor {

// A comparison is two windows of timed steps: the count in use (the base,
// which costs nothing but the clock reads), then one other count (the
// trial, after a warm-up). The counts tried are the rungs limit, limit/2,
// ... 1; each comparison tries a neighbouring rung of the count in use, and
// a move that pays is followed at once by a try one rung further the same
// way. What a trial costs (its steps' time beyond that of the base) is
// booked, and a trial starts only when the cost estimated for it fits the
// budget.

void WorkerChooser::reset(int limit) {
    *this = WorkerChooser();
    limit_ = std::max(1, limit);
    for (int r = limit_; rungCount_ < kMaxRungs && r >= 1; r /= 2) rungs_[rungCount_++] = r;
    rungs_[rungCount_ - 1] = 1;
    chosen_ = next_ = limit_;
    if (limit_ > 1) {
        phase_ = Phase::Base;
        startWindow(limit_, true);
    }
}

bool WorkerChooser::timesNext() const {
    if (limit_ <= 1) return false;
    if (phase_ != Phase::Settled) return true;
    return untimed_ + 1 >= gap_;
}

void WorkerChooser::stepDone(double seconds) {
    if (limit_ <= 1) return;
    const double took = seconds >= 0 ? seconds : estimate(next_);
    elapsed_ += took;
    switch (phase_) {
        case Phase::Base:
            if (windowStep(took)) finishBase();
            break;
        case Phase::Trial:
            trialTime_ += took;
            ++trialSteps_;
            if (windowStep(took)) finishTrial(windowTime_ / windowSteps_);
            else if (trialTime_ - trialSteps_ * baseMean_ > kGiveUp) finishTrial(trialTime_ / trialSteps_);
            break;
        case Phase::Settled: settledStep(seconds); break;
    }
}

int WorkerChooser::rungOf(int count) const {
    for (int r = 0; r < rungCount_; ++r) {
        if (rungs_[r] == count) return r;
    }
    return 0;
}

// The neighbouring rung to try next: the way the last move went, or, after
// a trial that did not pay, the other way.
int WorkerChooser::alternative() const {
    const int r = rungOf(chosen_);
    const int fewer = r + 1 < rungCount_ ? rungs_[r + 1] : 0;
    const int more = r > 0 ? rungs_[r - 1] : 0;
    const int preferred = direction_ < 0 ? fewer : more;
    return preferred ? preferred : (direction_ < 0 ? more : fewer);
}

// Seconds per step of a count: measured, or guessed from the count in use
// (fewer workers at best share the work perfectly; more may wait on each
// other, so twice as long is assumed).
double WorkerChooser::estimate(int count) const {
    const double measured = mean_[rungOf(count)];
    if (measured > 0) return measured;
    const double current = mean_[rungOf(chosen_)];
    if (current <= 0 || count == chosen_) return 0;
    return count < chosen_ ? current * chosen_ / count : 2 * current;
}

// The time a trial of `count` is expected to lose against the count in use:
// a whole trial's worth, or what makes it give up.
double WorkerChooser::trialCost(int count) const {
    const double t = estimate(count), current = estimate(chosen_);
    if (t <= 0 || current <= 0 || t <= current) return 0;
    const double warmup = t >= kCountsAtOnce ? 0 : std::max(kWarmup, t);
    return std::min((warmup + std::max(kWindow, t)) * (1 - current / t), kGiveUp + t);
}

bool WorkerChooser::affordable(int count) const { return spent_ + trialCost(count) <= kBudget * elapsed_ + kAllowance; }

void WorkerChooser::startWindow(int count, bool warm) {
    next_ = count;
    warming_ = warm;
    warmSteps_ = 0;
    warmTime_ = 0;
    windowTime_ = 0;
    windowSteps_ = 0;
}

// Counts one step of a window; true when the window is complete.
bool WorkerChooser::windowStep(double seconds) {
    if (warming_) {
        ++warmSteps_;
        warmTime_ += seconds;
        if (warmSteps_ > 1 || seconds < kCountsAtOnce) {
            if (warmTime_ >= kWarmup || warmSteps_ >= kMaxWindowSteps) warming_ = false;
            return false;
        }
        warming_ = false;  // a long step: a wake-up is lost in it
    }
    windowTime_ += seconds;
    ++windowSteps_;
    return windowTime_ >= kWindow || windowSteps_ >= kMaxWindowSteps;
}

void WorkerChooser::finishBase() {
    baseMean_ = windowTime_ / windowSteps_;
    mean_[rungOf(chosen_)] = baseMean_;
    reference_ = baseMean_;
    const int other = alternative();
    if (other == 0 || !affordable(other)) {
        phase_ = Phase::Settled;
        next_ = chosen_;
        return;
    }
    phase_ = Phase::Trial;
    trialTime_ = 0;
    trialSteps_ = 0;
    startWindow(other, true);
}

// `trialMean`: the window's mean, or for a trial given up on the mean of all
// its steps (slower than the base by construction).
void WorkerChooser::finishTrial(double trialMean) {
    const int tried = next_;
    mean_[rungOf(tried)] = trialMean;
    spent_ += std::max(0.0, trialTime_ - trialSteps_ * baseMean_);
    const int way = tried < chosen_ ? -1 : 1;
    if (trialMean < baseMean_ * (1 - kMargin)) {
        chosen_ = tried;
        reference_ = trialMean;
        direction_ = way;
        // One rung further the same way at once, if there is one.
        due_ = alternative() != 0 && (alternative() < chosen_) == (way < 0);
    } else {
        direction_ = -way;
        due_ = false;
    }
    const int other = alternative();
    interval_ = std::max(kShortestInterval, other ? trialCost(other) / kShare : 0.0);
    phase_ = Phase::Settled;
    next_ = chosen_;
    sinceComparison_ = 0;
    untimed_ = 0;
    checkTime_ = 0;
    checkSteps_ = 0;
}

// The count in use: sampled timings checked against the last comparison (a
// second core that becomes busy slows it), and a comparison when one is due.
void WorkerChooser::settledStep(double seconds) {
    sinceComparison_ += seconds >= 0 ? seconds : estimate(chosen_);
    if (seconds >= 0) {
        untimed_ = 0;
        noise_ = noise_ * 1664525u + 1013904223u;
        const int every = estimate(chosen_) >= kLongStep ? kSampleLongEvery : kSampleEvery;
        gap_ = every / 2 + static_cast<int>((noise_ >> 16) % every);
        checkTime_ += seconds;
        ++checkSteps_;
        if (checkTime_ >= kCheck || checkSteps_ >= kMaxWindowSteps) {
            const double mean = checkTime_ / checkSteps_;
            mean_[rungOf(chosen_)] = mean;
            if (mean > reference_ * kChanged || mean * kChanged < reference_) due_ = true;
            checkTime_ = 0;
            checkSteps_ = 0;
        }
    } else {
        ++untimed_;
    }
    if (!due_ && sinceComparison_ < interval_) return;
    const int other = alternative();
    if (other == 0 || !affordable(other)) return;
    phase_ = Phase::Base;
    startWindow(chosen_, false);
}

}  // namespace vantor
