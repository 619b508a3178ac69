// "Diagnostics": the conservation figures of the current configuration and
// a live chart of their drift since a reference, modeless.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointF>
#include <chrono>

#include "engine/diagnostics.h"

class QLabel;
class QTimer;
class QChart;
class QLineSeries;
class QValueAxis;

namespace vantor {

class AppContext;

class DiagnosticsDialog : public QDialog {
    Q_OBJECT
public:
    DiagnosticsDialog(AppContext& app, QWidget* parent);

    // Takes figures now when the schedule allows it (or `force`), and shows
    // how old the last ones are.
    void tick(bool force = false);
    // The next figures become the reference that the drifts start from.
    void restartReference();

    const ConservationFigures& lastFigures() const { return last_; }
    const ConservationFigures& referenceFigures() const { return reference_; }
    // The chart's points: energy, momentum and angular momentum drift
    // against simulated seconds since the reference.
    const QList<QPointF>& points(int series) const { return points_[series]; }
    // What one unit of the chart's drift axis stands for (a power of ten).
    double driftUnit() const { return driftUnit_; }
    double lastCost() const { return lastCost_; }
    double referenceTime() const { return referenceTime_; }  // SIMULATION_TIME of the reference

private:
    using Clock = std::chrono::steady_clock;

    double secondsSinceOpen() const;
    bool worldChangedSinceSample() const;
    void sample();
    void addPoints();
    void showFigures();
    void showAge();
    void updateChart();

    AppContext& app_;
    QTimer* timer_;
    QLabel* figures_;
    QLabel* age_;
    QChart* chart_;
    QLineSeries* series_[3];
    QValueAxis* timeAxis_;
    QValueAxis* driftAxis_;
    QList<QPointF> points_[3];
    double driftUnit_ = 1;

    Clock::time_point opened_ = Clock::now();
    SampleSchedule schedule_;
    ConservationFigures last_, reference_;
    bool haveSample_ = false, haveReference_ = false;
    double referenceTime_ = 0;  // SIMULATION_TIME of the reference, s
    double sampleTime_ = 0;     // SIMULATION_TIME of the last figures, s
    int sampleObjects_ = -1;    // OBJECTS_N then
    double sampledAt_ = 0;      // secondsSinceOpen of the last figures
    double lastCost_ = 0;       // s the last figures took
};

}  // namespace vantor
