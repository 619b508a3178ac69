#include "app/long_timer.h"

#include <algorithm>

namespace vantor {

namespace {
constexpr int64_t kLongestInterval = 24ll * 3600 * 1000;  // a day, well inside an int
}

LongTimer::LongTimer(QObject* parent, Clock clock)
    : QObject(parent), clock_(std::move(clock)), timer_(new QTimer(this)) {
    if (!clock_) {
        monotonic_.start();
        clock_ = [this] { return monotonic_.elapsed(); };
    }
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &LongTimer::expired);
}

void LongTimer::start(uint64_t periodMs) {
    period_ = std::clamp<uint64_t>(periodMs, 1, uint64_t{1} << 53);
    due_ = clock_() + static_cast<int64_t>(period_);
    armNext();
}

void LongTimer::stop() { timer_->stop(); }

void LongTimer::expired() {
    const int64_t now = clock_();
    // Early, or one day of a longer period: wait for the rest.
    if (now < due_) {
        armNext();
        return;
    }
    // The next period counts from now, as a restarted period would.
    due_ = now + static_cast<int64_t>(period_);
    armNext();
    emit timeout();
}

void LongTimer::armNext() {
    const int64_t left = std::clamp<int64_t>(due_ - clock_(), 0, kLongestInterval);
    timer_->start(static_cast<int>(left));
}

}  // namespace vantor
