#include "dialogs/settings/autosave_autostop_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/settings/period_fields.h"
#include "dialogs/settings/settings_fields.h"

namespace vantor {

namespace {

template <size_t N>
std::array<std::string, N> toArray(const std::vector<std::string>& texts) {
    std::array<std::string, N> out;
    for (size_t k = 0; k < N && k < texts.size(); ++k) out[k] = texts[k];
    return out;
}

template <size_t N>
std::vector<std::string> toVector(const std::array<std::string, N>& texts) {
    return {texts.begin(), texts.end()};
}

// The arrows of a group: up counts with carry by the group's rule, down
// never borrows.
template <size_t N>
void countInGroup(std::vector<std::string>& texts, int index, int direction) {
    auto fields = toArray<N>(texts);
    if (direction > 0) dialogs::periodArrowUp(fields, index);
    else dialogs::periodArrowDown(fields[index]);
    texts = toVector(fields);
}

}  // namespace

// --- PeriodDialog ------------------------------------------------------------

PeriodDialog::PeriodDialog(AppContext& app, QWidget* parent, const QString& title) : QDialog(parent), app_(app) {
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    ok_ = new QPushButton("&OK", this);
    ok_->setObjectName("ok");
    ok_->setDefault(true);
    cancel_ = new QPushButton("&Cancel", this);
    cancel_->setObjectName("cancel");
    apply_ = new QPushButton("&Apply", this);
    apply_->setObjectName("apply");
    connect(ok_, &QPushButton::clicked, this, &PeriodDialog::okPressed);
    connect(cancel_, &QPushButton::clicked, this, &PeriodDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &PeriodDialog::applyPressed);
}

PeriodDialog::Group PeriodDialog::makeGroup(const QStringList& ids,
                                            std::function<void(std::vector<std::string>&, int, int)> arrow) {
    Group group;
    for (const QString& id : ids) {
        auto* field = new DigitSpinField(this);
        field->setObjectName(id);
        field->setMaxLength(dialogs::PERIOD_FIELD_DIGITS);
        fitToDigits(field, dialogs::PERIOD_FIELD_DIGITS);
        group.push_back(field);
        fields_.push_back(field);
        // Typing counts as a change, so that Apply becomes available.
        connect(lineEditOf(field), &QLineEdit::textEdited, this, [this] { setChanged(); });
    }
    for (size_t k = 0; k < group.size(); ++k) {
        group[k]->onStep = [this, group, k, arrow](int direction) {
            std::vector<std::string> values = texts(group);
            arrow(values, static_cast<int>(k), direction);
            showTexts(group, values);
            setChanged();
        };
    }
    return group;
}

std::vector<std::string> PeriodDialog::texts(const Group& group) {
    std::vector<std::string> out;
    for (SpinField* field : group) out.push_back(field->value().toStdString());
    return out;
}

void PeriodDialog::showTexts(const Group& group, const std::vector<std::string>& texts) {
    for (size_t k = 0; k < group.size() && k < texts.size(); ++k) group[k]->setValue(QString::fromStdString(texts[k]));
}

QCheckBox* PeriodDialog::makeBox(const QString& text, const QString& id) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(id);
    connect(box, &QCheckBox::clicked, this, [this] { setChanged(); });
    return box;
}

QLayout* PeriodDialog::groupLayout(const Group& group, const QStringList& labels) {
    auto* grid = new QGridLayout;
    for (int k = 0; k < static_cast<int>(group.size()); ++k) {
        grid->addWidget(new QLabel(labels.value(k), this), 0, k);
        grid->addWidget(group[k], 1, k);
    }
    return grid;
}

void PeriodDialog::finishLayout(QLayout* body) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(apply_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    DialogKeys::installTwoStep(this);
    // Runs before the two-step rule: Enter in a field also counts as a change.
    for (SpinField* field : fields_) {
        DialogKeys::installOnField(field, [this](bool enter) {
            if (enter) setChanged();
            return false;
        });
    }
}

void PeriodDialog::setChanged() {
    changed_ = true;
    enableByBoxes();
}

void PeriodDialog::clearChanged() {
    changed_ = false;
    enableByBoxes();
}

void PeriodDialog::okPressed() {
    QWidget* focus = QApplication::focusWidget();
    const bool onDialog = !focus || !isAncestorOf(focus);
    if (onDialog || focus == ok_) {
        store();
        app_.refreshMenus();
        accept();
        return;
    }
    setChanged();
    ok_->setFocus();
}

void PeriodDialog::applyPressed() {
    store();
    changed_ = false;
    afterApply();
    enableByBoxes();
    app_.refreshMenus();
}

void PeriodDialog::reject() {
    QWidget* focus = QApplication::focusWidget();
    const bool onDialog = !focus || !isAncestorOf(focus);
    if (closing_ || onDialog || focus == ok_ || focus == cancel_ || focus == apply_) {
        QDialog::reject();
        return;
    }
    // Esc elsewhere (a check box) only moves the focus to OK.
    enableByBoxes();
    ok_->setFocus();
}

void PeriodDialog::closeEvent(QCloseEvent* event) {
    closing_ = true;  // the system close never reads the fields
    QDialog::closeEvent(event);
    closing_ = false;
}

// --- AutosaveDialog ----------------------------------------------------------

AutosaveDialog::AutosaveDialog(AppContext& app, QWidget* parent) : PeriodDialog(app, parent, "Autosave") {
    setObjectName("autosaveDialog");
    enable_ = makeBox("&Enable Autosave function", "enable");
    period_ = makeGroup({"days", "hours", "minutes", "seconds"}, countInGroup<4>);
    separateFiles_ = makeBox("Autosave to &different files", "separateFiles");
    auto* body = new QVBoxLayout;
    body->addWidget(enable_);
    body->addLayout(groupLayout(period_, {"Days", "Hours", "Minutes", "Seconds"}));
    body->addWidget(separateFiles_);
    finishLayout(body);
    fillFromSettings();
    ok_->setFocus();
}

void AutosaveDialog::fillFromSettings() {
    const dialogs::AutosaveForm form = dialogs::autosaveForm(app_.world());
    enable_->setChecked(form.enabled);
    showTexts(period_, toVector(form.period));
    separateFiles_->setChecked(form.separateFiles);
    clearChanged();
}

void AutosaveDialog::enableByBoxes() {
    const bool on = enable_->isChecked();
    for (SpinField* field : period_) field->setEnabled(on);
    separateFiles_->setEnabled(on);
    apply_->setEnabled(changed());
}

void AutosaveDialog::store() {
    dialogs::AutosaveForm form;
    form.enabled = enable_->isChecked();
    form.period = toArray<4>(texts(period_));
    form.separateFiles = separateFiles_->isChecked();
    dialogs::storeAutosaveForm(app_.world(), form);
}

// --- AutostopDialog ----------------------------------------------------------

AutostopDialog::AutostopDialog(AppContext& app, QWidget* parent)
    : PeriodDialog(app, parent, "Automatic Stop / Restart") {
    setObjectName("autostopDialog");
    realTime_ = makeBox("&Enable", "realTime");
    realPeriod_ = makeGroup({"rtDays", "rtHours", "rtMinutes", "rtSeconds"}, countInGroup<4>);
    simulatedTime_ = makeBox("E&nable", "simulatedTime");
    simulatedPeriod_ = makeGroup({"stMils", "stYears", "stDays", "stHours", "stMinutes", "stSeconds"}, countInGroup<6>);
    restart_ = makeBox("&Restart after Auto Stop", "restart");

    auto* realBox = new QGroupBox("Auto Stop by Realtime", this);
    auto* realLayout = new QVBoxLayout(realBox);
    realLayout->addWidget(realTime_);
    realLayout->addLayout(groupLayout(realPeriod_, {"Days", "Hours", "Minutes", "Seconds"}));
    auto* simulatedBox = new QGroupBox("Auto Stop by Simulation Time", this);
    auto* simulatedLayout = new QVBoxLayout(simulatedBox);
    simulatedLayout->addWidget(simulatedTime_);
    simulatedLayout->addLayout(groupLayout(simulatedPeriod_, {"Mils", "Years", "Days", "Hours", "Minutes", "Seconds"}));
    auto* optionsBox = new QGroupBox("Options", this);
    auto* optionsLayout = new QVBoxLayout(optionsBox);
    optionsLayout->addWidget(restart_);

    auto* body = new QVBoxLayout;
    body->addWidget(realBox);
    body->addWidget(simulatedBox);
    body->addWidget(optionsBox);
    finishLayout(body);
    fillFromSettings();
    ok_->setFocus();
}

void AutostopDialog::fillFromSettings() {
    const dialogs::AutostopForm form = dialogs::autostopForm(app_.world());
    realTime_->setChecked(form.realTime);
    simulatedTime_->setChecked(form.simulatedTime);
    restart_->setChecked(form.restart);
    fillFields();
    clearChanged();
}

void AutostopDialog::fillFields() {
    const dialogs::AutostopForm form = dialogs::autostopForm(app_.world());
    showTexts(realPeriod_, toVector(form.realPeriod));
    showTexts(simulatedPeriod_, toVector(form.simulatedPeriod));
}

void AutostopDialog::enableByBoxes() {
    for (SpinField* field : realPeriod_) field->setEnabled(realTime_->isChecked());
    for (SpinField* field : simulatedPeriod_) field->setEnabled(simulatedTime_->isChecked());
    apply_->setEnabled(changed());
}

void AutostopDialog::store() {
    dialogs::AutostopForm form;
    form.realTime = realTime_->isChecked();
    form.realPeriod = toArray<4>(texts(realPeriod_));
    form.simulatedTime = simulatedTime_->isChecked();
    form.simulatedPeriod = toArray<6>(texts(simulatedPeriod_));
    form.restart = restart_->isChecked();
    dialogs::storeAutostopForm(app_.world(), form);
}

}  // namespace vantor
