// A repeating timer whose period may exceed what one timer interval holds
// (about 24.8 days in milliseconds): autosave and automatic-stop periods go
// up to 30 days. It never fires before the period has elapsed: a system
// timer that comes early (a coarse one may, by 5 %) is checked against the
// clock and armed again for what is left.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace vantor {

class LongTimer : public QObject {
    Q_OBJECT
public:
    // Milliseconds of a steady clock; the default is the system's monotonic
    // clock (tests pass their own).
    using Clock = std::function<int64_t()>;

    explicit LongTimer(QObject* parent = nullptr, Clock clock = {});
    void start(uint64_t periodMs);
    void stop();
    bool isActive() const { return timer_->isActive(); }
    uint64_t period() const { return period_; }

signals:
    void timeout();

private:
    void expired();
    void armNext();

    QElapsedTimer monotonic_;
    Clock clock_;
    QTimer* timer_;  // a child, so that tests find it
    uint64_t period_ = 0;
    int64_t due_ = 0;  // on the clock
};

}  // namespace vantor
