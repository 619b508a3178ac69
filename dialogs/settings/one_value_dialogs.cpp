#include "dialogs/settings/one_value_dialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_fit.h"
#include "render/camera.h"
#include "scenery/realtext.h"

namespace vantor {

namespace {

// The field's text as the real-number reader sees it: at most `limit`
// characters.
double readReal(const QLineEdit* field, int limit) {
    return parseReal(field->text().left(limit).toLatin1().constData());
}

QString realText(double value) { return QString::fromStdString(formatReal(value, 50)); }

// An unsigned whole number; text that is not a number reads 0, and a
// number too long for any setting reads as the largest.
unsigned long readUnsigned(const QString& text) {
    unsigned long value = 0;
    int k = 0;
    while (k < text.size() && text[k].isSpace()) ++k;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
        value = value * 10 + static_cast<unsigned long>(text[k].unicode() - '0');
        if (value > 1'000'000'000UL) return value;
    }
    return value;
}

}  // namespace

// --- OneValueDialog ----------------------------------------------------------

OneValueDialog::OneValueDialog(QWidget* parent, const QString& title, const QString& fieldId, bool withDefault)
    : QDialog(parent) {
    setWindowTitle(title);
    field_ = new QLineEdit(this);
    field_->setObjectName(fieldId);
    fitToReal(field_);
    showStartOf(field_);
    if (withDefault) {
        default_ = new QPushButton("&Default", this);
        default_->setObjectName("3");
        default_->setAutoDefault(false);
    }
}

void OneValueDialog::showValue(const QString& text) {
    field_->setText(text);
    // All of it selected, from the end back to the start: a text wider than
    // the field shows its start.
    field_->setSelection(static_cast<int>(text.size()), -static_cast<int>(text.size()));
    field_->setFocus();
}

void OneValueDialog::finishLayout(QWidget* above, const QString& prompt, const QString& promptGroup) {
    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("2");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* label = new QLabel(prompt, this);
    label->setWordWrap(true);
    auto* fieldLayout = new QVBoxLayout;
    fieldLayout->addWidget(label);
    fieldLayout->addWidget(field_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    if (default_) buttons->addWidget(default_);

    auto* layout = new QVBoxLayout(this);
    if (above) layout->addWidget(above);
    if (promptGroup.isEmpty()) {
        layout->addLayout(fieldLayout);
    } else {
        auto* group = new QGroupBox(promptGroup, this);
        group->setLayout(fieldLayout);
        layout->addWidget(group);
    }
    layout->addLayout(buttons);
    DialogKeys::installTwoStep(this);
}

// --- TimeStepDialog ----------------------------------------------------------

TimeStepDialog::TimeStepDialog(AppContext& app, QWidget* parent)
    : OneValueDialog(parent, "Simulation time step", "1001", false), app_(app) {
    setObjectName("104");
    field_->setMaxLength(50);
    configuration_ = new QComboBox(this);
    configuration_->setObjectName("1026");
    configuration_->addItems({"Initial scenery configuration", "Current scenery configuration"});
    configuration_->setCurrentIndex(0);
    auto* choose = new QGroupBox("Choose configuration", this);
    auto* chooseLayout = new QVBoxLayout(choose);
    chooseLayout->addWidget(configuration_);
    connect(configuration_, &QComboBox::currentIndexChanged, this, [this](int index) {
        chosen_ = index == 1 ? 1 : 0;
        showStep();
    });
    finishLayout(choose, "Enter number of seconds between consecutive calculations in simulated time:", "Time step");
    resize(315, 240);
    showStep();
}

double& TimeStepDialog::step() const {
    return chosen_ == 1 ? app_.world().SIMULATION_TIME_STEP : app_.world().INIT_SIMULATION_TIME_STEP;
}

void TimeStepDialog::showStep() { showValue(realText(step())); }

void TimeStepDialog::accept() {
    step() = acceptPositiveUpTo(step(), readReal(field_, 98), 1e10);
    QDialog::accept();
}

void TimeStepDialog::run(AppContext& app, QWidget* parent) {
    World& w = app.world();
    const double initialBefore = w.INIT_SIMULATION_TIME_STEP, currentBefore = w.SIMULATION_TIME_STEP;
    TimeStepDialog dialog(app, parent);
    if (dialog.exec() == QDialog::Accepted &&
        (w.INIT_SIMULATION_TIME_STEP != initialBefore || w.SIMULATION_TIME_STEP != currentBefore)) {
        w.sceneryModified = 1;
        app.paintView();
    }
}

// --- FpsDialog ---------------------------------------------------------------

FpsDialog::FpsDialog(AppContext& app, QWidget* parent)
    : OneValueDialog(parent, "Frames per second", "1029", true), app_(app) {
    setObjectName("107");
    field_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field_));
    connect(default_, &QPushButton::clicked, this, [this] {
        app_.world().FPS_DESIRED = 50;
        field_->setText("50");
    });
    finishLayout(nullptr,
                 "Enter desired number of times the scene is supposed to be drawn on the screen in one second "
                 "(frames per second):",
                 {});
    resize(330, 137);
    showValue(QString::number(app_.world().FPS_DESIRED));
}

void FpsDialog::accept() {
    const unsigned long value = readUnsigned(field_->text());
    if (value < 5 || value > 1000) {
        // Out of range: the present value again, and the dialog stays.
        showValue(QString::number(app_.world().FPS_DESIRED));
        return;
    }
    app_.world().FPS_DESIRED = static_cast<int>(value);
    QDialog::accept();
}

void FpsDialog::run(AppContext& app, QWidget* parent) {
    World& w = app.world();
    const int before = w.FPS_DESIRED;
    FpsDialog dialog(app, parent);
    dialog.exec();
    // Default acts before OK or Cancel, so a cancelled dialog may have
    // changed the value too; either way the change is the scenery's.
    if (w.FPS_DESIRED != before) {
        w.sceneryModified = 1;
        app.paintView();
    }
}

// --- RealSettingDialog -------------------------------------------------------

RealSettingDialog::RealSettingDialog(QWidget* parent, const QString& title, const QString& fieldId,
                                     const QString& prompt, double& setting, double limit, double defaultValue)
    : OneValueDialog(parent, title, fieldId, true), setting_(setting), limit_(limit) {
    field_->setMaxLength(50);
    connect(default_, &QPushButton::clicked, this, [this, defaultValue] {
        setting_ = defaultValue;
        field_->setText(realText(defaultValue));
    });
    finishLayout(nullptr, prompt, {});
    resize(357, 137);
    showValue(realText(setting_));
}

void RealSettingDialog::accept() {
    setting_ = acceptPositiveUpTo(setting_, readReal(field_, 98), limit_);
    QDialog::accept();
}

void RealSettingDialog::runRotatingStep(AppContext& app, QWidget* parent) {
    RealSettingDialog dialog(parent, "Rotating step", "1087",
                             "Enter rotating step (in degrees), used to determine scenery rotating speed:",
                             app.world().VIEW_ROTATING_STEP, 10, 0.22);
    dialog.setObjectName("119");
    dialog.exec();
}

void RealSettingDialog::runFieldOfView(AppContext& app, QWidget* parent) {
    RealSettingDialog dialog(parent, "Field of View angle", "1094",
                             "Enter field of view (FOV) angle in degrees:", app.world().VIEWPOINT_FOV, 110, 10);
    dialog.setObjectName("122");
    dialog.exec();
    render::updateProjection(app.world(), app.view());
    app.paintView();
}

}  // namespace vantor
