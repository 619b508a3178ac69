// A repeating timer whose period may exceed what one timer interval holds
// (about 24.8 days in milliseconds): autosave and automatic-stop periods go
// up to 30 days. It never fires before the period has elapsed.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

namespace vantor {

class LongTimer : public QObject {
    Q_OBJECT
public:
    explicit LongTimer(QObject* parent = nullptr);
    void start(uint64_t periodMs);
    void stop();
    bool isActive() const { return timer_.isActive(); }
    uint64_t period() const { return period_; }

signals:
    void timeout();

private:
    void armNext();

    QTimer timer_;
    uint64_t period_ = 0;
    uint64_t remaining_ = 0;
};

}  // namespace vantor
