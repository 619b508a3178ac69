// The computer benchmark dialog, by command id.
#include "dialogs/benchmark/benchmark_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "benchmark/scores.h"
#include "dialogs/common/browser.h"
#include "dialogs/common/command_ids.h"
#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/dialog_placement.h"
#include "dialogs/dialogs.h"
#include "render/view.h"
#include "scenery/examples.h"

namespace vantor {

namespace {

constexpr const char* kExplanation =
    "Press 'Start' to begin benchmarking process. It will take about 1 minute. For best results, do not produce "
    "loads on the computer during this period, and shut down any CPU-consuming background processes (eg. system "
    "tray) prior to starting this benchmark.";
constexpr const char* kCommentsHint =
    "You can enter additional comments or info in this box (eg. your graphics card model):";
constexpr const char* kSubmitHint =
    "Press this button to submit your benchmark results to the Internet server (browser window will open)";

QPointer<BenchmarkDialog> openDialog;

// Message texts use Windows line ends; Qt's labels want plain ones.
QString shown(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

// A window of fixed width as tall as its wrapped texts need at that width:
// Qt would size it for the width its texts prefer, cutting lines off.
void fitHeightToWidth(QWidget* dialog) {
    const int height = dialog->layout()->totalHeightForWidth(dialog->width());
    dialog->setMinimumHeight(height);
    dialog->resize(dialog->width(), height);
}

}  // namespace

// The System Information line: a processor name too long for the line is
// shortened in its middle, so that the clock and memory figures stay in
// sight; the tooltip has the whole text.
class SystemInformationLine : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    void setDescription(const QString& text) {
        whole_ = text;
        setToolTip(text);
        elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLineEdit::resizeEvent(event);
        elide();
    }

private:
    // The description ends in "%ld MHz, %ld MB of RAM (%ld MB free)", after
    // the processor name and a comma; the name may hold commas itself.
    void elide() {
        int cut = whole_.lastIndexOf(", ");
        if (cut > 0) cut = whole_.lastIndexOf(", ", cut - 1);
        const QString processor = cut >= 0 ? whole_.left(cut) : whole_;
        const QString figures = cut >= 0 ? whole_.mid(cut) : QString();
        const int room = textRoom() - fontMetrics().horizontalAdvance(figures);
        setText(fontMetrics().elidedText(processor, Qt::ElideMiddle, std::max(room, 0)) + figures);
        setCursorPosition(0);
    }

    int textRoom() const {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
        constexpr int kLineEditMargin = 2;  // QLineEdit's own space on each side of its text
        return contents.width() - textMargins().left() - textMargins().right() - 2 * kLineEditMargin - 1;
    }

    QString whole_;
};

BenchmarkSession& benchmarkSession() {
    static BenchmarkSession session;
    return session;
}

bool ShellBenchmarkHost::openBenchmarkScenery() {
    return app_.openScenery(BENCHMARK_EXAMPLE, BENCHMARK_FILE_NAME, false) == answer::Yes;
}

void ShellBenchmarkHost::prepareView() {
    app_.setStatusText(BENCHMARK_IN_PROGRESS_TEXT);
    app_.prepareBenchmarkView();
}

bool ShellBenchmarkHost::benchmarkViewReady() { return app_.benchmarkViewReady(); }

void ShellBenchmarkHost::startBenchmarkTimer(int milliseconds) { timer_.start(milliseconds); }

void ShellBenchmarkHost::stopBenchmarkTimer() { timer_.stop(); }

void ShellBenchmarkHost::setRunning(int mode) { app_.setRunning(mode); }

void ShellBenchmarkHost::raisePriority() { app_.raiseBenchmarkPriority(); }

void ShellBenchmarkHost::discardScenery() { app_.discardScenery(); }

BenchmarkDialog* BenchmarkDialog::instance() { return openDialog.data(); }

void BenchmarkDialog::open(AppContext& app) {
    dialogs::holdModeless(openDialog, [&app] { return new BenchmarkDialog(app); });
    dialogs::showModeless(openDialog, app.activeWindow(), openDialog->mainFrameDuringRuns());
}

BenchmarkDialog::BenchmarkDialog(AppContext& app) : QDialog(nullptr), app_(app), host_(app, timer_) {
    // A top-level window of its own (the desktop owns it), so that it can
    // stay open beside the main window.
    setObjectName("benchmarkDialog");
    setWindowTitle(BENCHMARK_DIALOG_TITLE);
    setAttribute(Qt::WA_DeleteOnClose);
    timer_.setParent(this);  // found by its id among the dialog's children
    timer_.setObjectName(QString::number(TIMER_BENCHMARK));
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &BenchmarkDialog::timerTick);

    auto* benchmarkGroup = new QGroupBox("Benchmark", this);
    auto* explanation = new QLabel(kExplanation, benchmarkGroup);
    explanation->setObjectName("explanation");
    explanation->setWordWrap(true);
    start_ = new QPushButton("&Start", benchmarkGroup);
    start_->setObjectName("start");
    start_->setDefault(true);
    cancel_ = new QPushButton("&Close", benchmarkGroup);
    cancel_->setObjectName("cancel");
    connect(start_, &QPushButton::clicked, this, &BenchmarkDialog::start);
    connect(cancel_, &QPushButton::clicked, this, &BenchmarkDialog::cancelOrClose);
    progress_ = new QLabel(benchmarkGroup);
    progress_->setObjectName("progress");
    progress_->setMinimumHeight(progress_->fontMetrics().height());
    auto* benchmarkButtons = new QVBoxLayout;
    benchmarkButtons->addWidget(start_);
    benchmarkButtons->addWidget(cancel_);
    benchmarkButtons->addStretch();
    auto* benchmarkTexts = new QVBoxLayout;
    benchmarkTexts->addWidget(explanation);
    benchmarkTexts->addWidget(progress_);
    auto* benchmarkLayout = new QHBoxLayout(benchmarkGroup);
    benchmarkLayout->addLayout(benchmarkTexts, 1);
    benchmarkLayout->addLayout(benchmarkButtons);

    auto* systemGroup = new QGroupBox("System Information", this);
    systemInformation_ = new SystemInformationLine(systemGroup);
    systemInformation_->setObjectName("systemInformation");
    systemInformation_->setReadOnly(true);
    (new QVBoxLayout(systemGroup))->addWidget(systemInformation_);

    auto* resultsGroup = new QGroupBox("Last Benchmark Results", this);
    lastResults_ = new QPlainTextEdit(resultsGroup);
    lastResults_->setObjectName("lastResults");
    lastResults_->setReadOnly(true);
    lastResults_->setFixedHeight(lastResults_->fontMetrics().lineSpacing() * 5 + 12);
    (new QVBoxLayout(resultsGroup))->addWidget(lastResults_);

    auto* commentsGroup = new QGroupBox("Additional info/comments", this);
    auto* commentsHint = new QLabel(kCommentsHint, commentsGroup);
    commentsHint->setObjectName("commentsHint");
    commentsHint->setWordWrap(true);
    comments_ = new QLineEdit(commentsGroup);
    comments_->setObjectName("comments");
    comments_->setMaxLength(static_cast<int>(COMMENTS_LIMIT));
    auto* commentsLayout = new QVBoxLayout(commentsGroup);
    commentsLayout->addWidget(commentsHint);
    commentsLayout->addWidget(comments_);

    auto* submitGroup = new QGroupBox("Submit and compare your results", this);
    submit_ = new QPushButton("Su&bmit benchmark results", submitGroup);
    submit_->setObjectName("submit");
    connect(submit_, &QPushButton::clicked, this, &BenchmarkDialog::submitResults);
    auto* submitHint = new QLabel(kSubmitHint, submitGroup);
    submitHint->setObjectName("submitHint");
    submitHint->setWordWrap(true);
    auto* submitLayout = new QHBoxLayout(submitGroup);
    submitLayout->addWidget(submit_);
    submitLayout->addWidget(submitHint, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(benchmarkGroup);
    layout->addWidget(systemGroup);
    layout->addWidget(resultsGroup);
    layout->addWidget(commentsGroup);
    layout->addWidget(submitGroup);
    setFixedWidth(460);
    DialogKeys::installTwoStep(this);
    fitHeightToWidth(this);

    // The clock is measured afresh each time the dialog opens.
    BenchmarkSession& session = benchmarkSession();
    systemInformation_->setDescription(
        QString::fromStdString(describeSystem(session.system, true, session.probe, cpuWaitIndicator())));
    refreshResults();

    dialogs::cancelBenchmark = [this] { cancelRun(); };
    // The main window owns the world the runs use; the dialog goes with it.
    if (QWidget* main = app_.activeWindow()) {
        connect(main, &QObject::destroyed, this, [this] {
            appGone_ = true;
            delete this;
        });
    }
}

BenchmarkDialog::~BenchmarkDialog() {
    dialogs::cancelBenchmark = nullptr;
    Benchmark& bench = benchmarkSession().bench;
    if (bench.runInProgress && !appGone_) stopBenchmark(bench, app_.world(), host_);
    bench.runInProgress = false;
    bench.benchmarkPhase = BENCHMARK_PHASE_NONE;
}

WaitIndicator BenchmarkDialog::cpuWaitIndicator() {
    // A small window owned by the main window while the clock is measured.
    auto window = std::make_shared<QPointer<QWidget>>();
    QPointer<QWidget> owner = app_.activeWindow();
    return [window, owner](bool shownNow) {
        delete window->data();
        if (!shownNow) return;
        auto* w = new QWidget(owner, Qt::Tool | Qt::FramelessWindowHint);
        w->setObjectName("cpuFrequencyIndicator");
        auto* frame = new QFrame(w);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        auto* text = new QLabel(DETERMINING_CPU_FREQUENCY_TEXT, frame);
        text->setAlignment(Qt::AlignCenter);
        (new QVBoxLayout(frame))->addWidget(text);
        auto* layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(frame);
        w->adjustSize();
        if (owner) w->move(owner->geometry().center() - QPoint(w->width() / 2, w->height() / 2));
        w->show();
        // Shown before the measurement blocks the user-interface thread.
        QElapsedTimer clock;
        clock.start();
        do {
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (w->windowHandle() && w->windowHandle()->isExposed()) break;
            QThread::msleep(5);
        } while (clock.elapsed() < 200);
        w->repaint();
        *window = w;
    };
}

QRect BenchmarkDialog::mainFrameDuringRuns() {
    // A run fits the main window around a 600 by 350 view, keeping its
    // top-left corner: the dialog stays clear of the window as it will be.
    QWidget* main = app_.activeWindow();
    if (!main) return {};
    const QRect frame = main->frameGeometry();
    const QSize fitted = frame.size() + QSize(600 - app_.view().viewWidth, 350 - app_.view().viewHeight);
    return frame.united(QRect(frame.topLeft(), fitted));
}

void BenchmarkDialog::focusDialog() {
    raise();
    activateWindow();
}

void BenchmarkDialog::resetButtons() {
    cancel_->setText("&Close");
    start_->setEnabled(true);
    // The Cancel button had the focus, and Enter would close the dialog.
    start_->setDefault(true);
    start_->setFocus();
    showProgress();
}

void BenchmarkDialog::showProgress() {
    const Benchmark& bench = benchmarkSession().bench;
    if (!bench.runInProgress) {
        progress_->clear();
        return;
    }
    const int rounds = std::max(bench.rounds, 1);
    const QString run = bench.benchmarkPhase == BENCHMARK_FRAME_RATE_RUN ? "frame-rate run" : "computation run";
    progress_->setText(QString("Round %1 of %2: %3").arg(rounds - bench.roundsLeft + 1).arg(rounds).arg(run));
}

void BenchmarkDialog::refreshResults() {
    const Benchmark& bench = benchmarkSession().bench;
    lastResults_->setPlainText(shown(lastBenchmarkResultsText(bench.lastNbxMark, bench.lastMaxFps)));
    submit_->setEnabled(benchmarkResultsAvailable(bench));
}

void BenchmarkDialog::start() {
    Benchmark& bench = benchmarkSession().bench;
    if (bench.runInProgress || stopMessagePending_) return;
    switch (startBenchmark(bench, app_.world(), host_)) {
        case BenchmarkEvent::Started:
            start_->setEnabled(false);
            cancel_->setText("&Cancel");
            showProgress();
            break;
        case BenchmarkEvent::ViewNotReady:
            resetButtons();
            focusDialog();
            QMessageBox::critical(this, BENCHMARK_MESSAGE_TITLE, BENCHMARK_VIEW_NOT_READY_TEXT);
            focusDialog();
            break;
        default:  // the save question was cancelled
            break;
    }
}

void BenchmarkDialog::timerTick() {
    Benchmark& bench = benchmarkSession().bench;
    switch (benchmarkTimerTick(bench, app_.world(), host_)) {
        case BenchmarkEvent::Completed:
            showProgress();  // the runs are over
            QMessageBox::information(this, BENCHMARK_MESSAGE_TITLE,
                                     shown(benchmarkCompletedText(bench.lastNbxMark, bench.lastMaxFps)));
            refreshResults();
            resetButtons();
            focusDialog();
            comments_->setFocus();
            break;
        case BenchmarkEvent::NotCompleted:  // the benchmark scenery failed its byte-sum test
            resetButtons();
            focusDialog();
            showStopMessage();
            break;
        case BenchmarkEvent::Ended:  // a later run could not start
            resetButtons();
            break;
        default: showProgress(); break;
    }
}

void BenchmarkDialog::cancelRun() {
    Benchmark& bench = benchmarkSession().bench;
    if (!bench.runInProgress) return;
    stopBenchmark(bench, app_.world(), host_);
    resetButtons();
    focusDialog();
    // The stop often comes from inside the main window's own event handling
    // (a key, a deactivation); the message follows once that is over.
    stopMessagePending_ = true;
    QMetaObject::invokeMethod(this, &BenchmarkDialog::showStopMessage, Qt::QueuedConnection);
}

void BenchmarkDialog::showStopMessage() {
    QMessageBox::critical(this, BENCHMARK_MESSAGE_TITLE, BENCHMARK_NOT_COMPLETED_TEXT);
    focusDialog();
    stopMessagePending_ = false;
}

void BenchmarkDialog::cancelOrClose() {
    if (stopMessagePending_) return;
    if (benchmarkSession().bench.runInProgress) cancelRun();
    else close();
}

void BenchmarkDialog::reject() { cancelOrClose(); }

void BenchmarkDialog::closeEvent(QCloseEvent* event) {
    // The close box during a run discards the run without a message.
    Benchmark& bench = benchmarkSession().bench;
    if (bench.runInProgress) stopBenchmark(bench, app_.world(), host_);
    event->accept();
}

void BenchmarkDialog::submitResults() {
    BenchmarkSession& session = benchmarkSession();
    const std::optional<std::string> encoded =
        buildSubmissionRecord(session.system, session.bench.lastNbxMark, session.bench.lastMaxFps,
                              comments_->text().toStdString(), session.probe, cpuWaitIndicator());
    if (!encoded) return;
    dialogs::openInBrowser(QUrl::fromEncoded(QByteArray::fromStdString(submissionAddress(*encoded))), this,
                           BENCHMARK_MESSAGE_TITLE);
}

namespace dialogs {

std::function<void()> cancelBenchmark;

bool openBenchmarkDialog(int commandId, AppContext& app) {
    if (commandId != cmd::Benchmark) return false;
    BenchmarkDialog::open(app);
    return true;
}

}  // namespace dialogs

}  // namespace vantor
