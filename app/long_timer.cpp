#include "app/long_timer.h"

#include <algorithm>

namespace vantor {

namespace {
constexpr uint64_t kLongestInterval = 24ull * 3600 * 1000;  // a day, well inside an int
}

LongTimer::LongTimer(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (remaining_ > 0) {
            armNext();
            return;
        }
        remaining_ = period_;
        armNext();
        emit timeout();
    });
}

void LongTimer::start(uint64_t periodMs) {
    period_ = std::max<uint64_t>(periodMs, 1);
    remaining_ = period_;
    armNext();
}

void LongTimer::stop() { timer_.stop(); }

void LongTimer::armNext() {
    const uint64_t interval = std::min(remaining_, kLongestInterval);
    remaining_ -= interval;
    timer_.start(static_cast<int>(interval));
}

}  // namespace vantor
