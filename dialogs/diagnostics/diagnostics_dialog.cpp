#include "dialogs/diagnostics/diagnostics_dialog.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "dialogs/common/context.h"
#include "scenery/realtext.h"

namespace vantor {

namespace {

// Points kept per curve; beyond it every second one goes, so a long run
// keeps its whole history at a coarser grain and the chart stays cheap.
constexpr int kMaxPoints = 2000;

QString real(double v) { return QString::fromStdString(formatReal(v)); }

QString vectorText(Vec3 v) { return real(v.x) + ", " + real(v.y) + ", " + real(v.z); }

void thinOut(QList<QPointF>& points) {
    QList<QPointF> kept;
    kept.reserve(points.size() / 2 + 1);
    for (qsizetype k = 0; k < points.size(); k += 2) kept.append(points[k]);
    if (points.size() % 2 == 0) kept.append(points.back());  // keep the newest
    points = kept;
}

// A tick step for four or so ticks over a range: `multiple` (1, 2, 5 or
// 10) times `power`, a power of ten; {1, 1} for an empty range.
struct RoundStep {
    double multiple = 1, power = 1;
};
RoundStep roundStep(double range) {
    const double wanted = range / 4;
    if (!(wanted > 0) || !std::isfinite(wanted)) return {};
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    const double m = wanted / power;
    return {m < 1.5 ? 1.0 : m < 3.5 ? 2.0 : m < 7.5 ? 5.0 : 10.0, power};
}

// Sets the axis to [lo, hi] with ticks from 0 at `step`. Fixed ticks while
// the range changes: dynamic ones at the old step over a much wider range
// would be billions of ticks.
void setRangeWithTicks(QValueAxis& axis, double lo, double hi, RoundStep step) {
    axis.setTickType(QValueAxis::TicksFixed);
    axis.setRange(lo, hi);
    axis.setTickAnchor(0);
    axis.setTickInterval(step.multiple * step.power);
    axis.setTickType(QValueAxis::TicksDynamic);
}

}  // namespace

DiagnosticsDialog::DiagnosticsDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle("Diagnostics");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    figures_ = new QLabel(this);
    figures_->setObjectName("figures");
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    age_ = new QLabel(this);
    age_->setObjectName("age");

    chart_ = new QChart();
    chart_->setTitle("Drift since the reference");
    const char* names[3] = {"Energy", "Momentum", "Angular momentum"};
    timeAxis_ = new QValueAxis();
    timeAxis_->setTitleText("Simulated time since the reference (s)");
    timeAxis_->setLabelFormat("%.3g");
    driftAxis_ = new QValueAxis();
    driftAxis_->setTitleText("Relative drift");
    driftAxis_->setLabelFormat("%.3g");
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(driftAxis_, Qt::AlignLeft);
    for (int c = 0; c < 3; ++c) {
        series_[c] = new QLineSeries();
        series_[c]->setName(names[c]);
        chart_->addSeries(series_[c]);
        series_[c]->attachAxis(timeAxis_);
        series_[c]->attachAxis(driftAxis_);
    }
    auto* view = new QChartView(chart_, this);
    view->setObjectName("chart");
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(640, 340);

    auto* restart = new QPushButton("&Restart reference", this);
    restart->setObjectName("restartReference");
    restart->setAutoDefault(false);
    connect(restart, &QPushButton::clicked, this, &DiagnosticsDialog::restartReference);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("close");
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(age_, 1);
    buttons->addWidget(restart);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(figures_);
    layout->addWidget(view, 1);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
    timer_->start();
    tick(true);
}

double DiagnosticsDialog::secondsSinceOpen() const {
    return std::chrono::duration<double>(Clock::now() - opened_).count();
}

// Paused and untouched, the figures stay what they were.
bool DiagnosticsDialog::worldChangedSinceSample() const {
    const World& w = app_.world();
    return !haveSample_ || w.simulationRunning || w.SIMULATION_TIME != sampleTime_ || w.OBJECTS_N != sampleObjects_;
}

void DiagnosticsDialog::tick(bool force) {
    const World& w = app_.world();
    const double now = secondsSinceOpen();
    // The benchmark's timing is never disturbed.
    if (!w.benchmarkRunning && (force || (schedule_.due(now) && worldChangedSinceSample()))) sample();
    showAge();
}

void DiagnosticsDialog::restartReference() {
    haveReference_ = false;
    for (QList<QPointF>& p : points_) p.clear();
    tick(true);
}

void DiagnosticsDialog::sample() {
    const World& w = app_.world();
    // A new scenery, a reinitialised one or changed objects start afresh.
    if (haveReference_ && (w.SIMULATION_TIME < sampleTime_ || w.OBJECTS_N != sampleObjects_)) {
        haveReference_ = false;
        for (QList<QPointF>& p : points_) p.clear();
    }
    const Clock::time_point start = Clock::now();
    last_ = computeConservationFigures(w, app_.pool());
    lastCost_ = std::chrono::duration<double>(Clock::now() - start).count();
    haveSample_ = true;
    sampleTime_ = w.SIMULATION_TIME;
    sampleObjects_ = w.OBJECTS_N;
    sampledAt_ = secondsSinceOpen();
    schedule_.sampled(sampledAt_, lastCost_);
    if (!haveReference_) {
        reference_ = last_;
        referenceTime_ = w.SIMULATION_TIME;
        haveReference_ = true;
    }
    addPoints();
    showFigures();
    updateChart();
}

void DiagnosticsDialog::addPoints() {
    const double t = sampleTime_ - referenceTime_;
    if (!points_[0].isEmpty() && points_[0].back().x() == t) return;  // the same moment again
    const double drift[3] = {
        relativeDrift(last_.totalEnergy, reference_.totalEnergy),
        relativeDrift(last_.momentum, reference_.momentum, reference_.momentumScale),
        relativeDrift(last_.angularMomentum, reference_.angularMomentum, reference_.angularMomentumScale)};
    for (int c = 0; c < 3; ++c) {
        points_[c].append(QPointF(t, std::isfinite(drift[c]) ? drift[c] : 0.0));
        if (points_[c].size() > kMaxPoints) thinOut(points_[c]);
    }
}

void DiagnosticsDialog::showFigures() {
    const ConservationFigures& f = last_;
    figures_->setText(QString("Active objects: %1    Simulated time: %2 s\n"
                              "Kinetic energy: %3 J\nPotential energy: %4 J\nTotal energy: %5 J    drift %6\n"
                              "Momentum: %7 kg m/s\nAngular momentum (about the origin): %8 kg m^2/s\n"
                              "Drifts: energy (E - E0) / |E0|, momentum |p - p0| / sum m|v|, "
                              "angular momentum |L - L0| / sum m|r x v|, against the reference.\n"
                              "Rest masses and Newtonian energies, also with relativistic masses on.")
                          .arg(f.objects)
                          .arg(real(sampleTime_), real(f.kineticEnergy), real(f.potentialEnergy), real(f.totalEnergy),
                               real(relativeDrift(f.totalEnergy, reference_.totalEnergy)), vectorText(f.momentum),
                               vectorText(f.angularMomentum)));
}

void DiagnosticsDialog::showAge() {
    if (!haveSample_) return;
    const double age = secondsSinceOpen() - sampledAt_;
    age_->setText(QString("Figures %1 s old (they took %2 ms; taken at most every %3 s)")
                      .arg(age, 0, 'f', 1)
                      .arg(lastCost_ * 1e3, 0, 'g', 3)
                      .arg(std::max(schedule_.minimumInterval, lastCost_ / schedule_.budget), 0, 'g', 3));
}

void DiagnosticsDialog::updateChart() {
    double lo = 0, hi = 0, end = 0;
    for (int c = 0; c < 3; ++c) {
        for (const QPointF& p : points_[c]) lo = std::min(lo, p.y()), hi = std::max(hi, p.y());
        if (!points_[c].isEmpty()) end = std::max(end, points_[c].back().x());
    }
    // A flat drift gets a small range of its own: the chart draws no axis
    // at all for one as narrow as a double's rounding near 0.
    const double margin = hi > lo ? (hi - lo) * 0.05 : 1e-12;
    const double timeEnd = end > 0 ? end : 1;
    setRangeWithTicks(*timeAxis_, 0, timeEnd, roundStep(timeEnd));

    // The drifts in units of their step's power of ten: the chart adds the
    // step up from the lowest tick, which at 5e-9 a step crosses 0 as
    // -1.65e-24; whole numbers add up exactly.
    const RoundStep step = roundStep(hi - lo + 2 * margin);
    driftUnit_ = step.power;
    for (int c = 0; c < 3; ++c) {
        QList<QPointF> scaled = points_[c];
        for (QPointF& p : scaled) p.setY(p.y() / driftUnit_);
        series_[c]->replace(scaled);
    }
    const int exponent = static_cast<int>(std::lround(std::log10(driftUnit_)));
    driftAxis_->setTitleText(exponent == 0 ? QString("Relative drift")
                                           : QString("Relative drift (x 1e%1)").arg(exponent));
    setRangeWithTicks(*driftAxis_, (lo - margin) / driftUnit_, (hi + margin) / driftUnit_, {step.multiple, 1});
}

}  // namespace vantor
