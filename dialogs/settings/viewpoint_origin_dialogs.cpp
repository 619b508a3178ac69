#include "dialogs/settings/viewpoint_origin_dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/common/world_text.h"
#include "dialogs/settings/settings_fields.h"
#include "render/camera.h"
#include "render/navigation.h"
#include "scenery/realtext.h"

namespace vantor {

namespace {

QString objectLine(int index, const char* name) {
    QString line = QString("[%1] ").arg(index + 1);
    if (name) line += fromWorldText(std::string_view(name, strnlen(name, 500)));
    return line;
}

// An angle reduced into 0..360 by the floating remainder.
double reduceDegrees(double a) {
    a = std::fmod(a, 360.0);
    if (a < 0) a += 360;
    return a == 0 ? 0.0 : a;  // no negative zero
}

QLineEdit* makeEdit(QWidget* parent, const char* id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    edit->setAlignment(Qt::AlignRight);
    fitToReal(edit);
    showStartOf(edit);
    return edit;
}

ViewSpinField* makeSpin(QWidget* parent, const char* id) {
    auto* spin = new ViewSpinField(parent);
    spin->setObjectName(id);
    fitToReal(spin);
    return spin;
}

// A group of rows "label [field] unit".
QGroupBox* fieldGroup(const QString& title, const std::vector<std::pair<QString, QWidget*>>& rows,
                      const QString& unit) {
    auto* box = new QGroupBox(title);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(new QLabel(label, box), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(new QLabel(unit, box), row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return box;
}

QGroupBox* chooserGroup(const QString& title, QComboBox* chooser) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(chooser);
    return box;
}

}  // namespace

// --- ObjectChooser -----------------------------------------------------------

ObjectChooser::ObjectChooser(AppContext& app, QWidget* parent) : QComboBox(parent), app_(app) {
    setObjectName("1023");
    setMaxVisibleItems(16);
    // With tens of thousands of lines, sizing to the contents or measuring
    // each line would cost more than the lines themselves.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    if (auto* list = qobject_cast<QListView*>(view())) list->setUniformItemSizes(true);
}

void ObjectChooser::sync(bool rebuild) {
    const World& world = app_.world();
    const int n = std::max(0, world.OBJECTS_N);
    const QSignalBlocker blocker(this);
    if (rebuild || count() != n) {
        const int keep = currentIndex();
        clear();
        QStringList lines;
        lines.reserve(n);
        for (int i = 0; i < n; ++i) lines << objectLine(i, world.objects[i].name);
        addItems(lines);
        setCurrentIndex(keep < n ? keep : -1);
        return;
    }
    // Only the line on show: a full rebuild per frame would cost as much as
    // the frame with many objects.
    if (const int i = currentIndex(); i >= 0 && i < n) {
        const QString line = objectLine(i, world.objects[i].name);
        if (itemText(i) != line) setItemText(i, line);
    }
}

void ObjectChooser::select(int index) {
    const QSignalBlocker blocker(this);
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

void ObjectChooser::showPopup() {
    sync(true);
    QComboBox::showPopup();
}

// --- ViewSettingsDialog ------------------------------------------------------

ViewSettingsDialog::ViewSettingsDialog(AppContext& app, QWidget* parent, const QString& title, const QStringList& modes)
    : QDialog(parent), app_(app) {
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    modeList_ = new QComboBox(this);
    modeList_->setObjectName("1066");
    modeList_->addItems(modes);
    objectList_ = new ObjectChooser(app, this);
    ok_ = new QPushButton("&OK", this);
    ok_->setObjectName("1028");
    ok_->setDefault(true);

    connect(modeList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        setMode(index);
        enableByMode();
        apply();
    });
    connect(objectList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        setObject(index);
        enableByMode();
        apply();
    });
    connect(ok_, &QPushButton::clicked, this, &ViewSettingsDialog::okPressed);
}

void ViewSettingsDialog::finishLayout(QLayout* body) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    DialogKeys::installTwoStep(this);
    // After the two-step rule, so that these run first: Enter applies the
    // typing, Esc brings back the stored values.
    for (QWidget* field : numberFields_)
        DialogKeys::installOnField(field, [this](bool enter) { return fieldKey(enter); });
}

void ViewSettingsDialog::addNumberField(QWidget* field) {
    numberFields_.push_back(field);
    connect(lineEditOf(field), &QLineEdit::textEdited, this, [this, field] { typedIn_.insert(field); });
}

void ViewSettingsDialog::showNumber(QWidget* field, double value, bool force) {
    if (!force && typedIn_.contains(field)) return;
    typedIn_.remove(field);
    QLineEdit* edit = lineEditOf(field);
    const QString text = QString::fromStdString(formatReal(value));
    if (edit->text() != text) edit->setText(text);
}

double ViewSettingsDialog::readNumber(QWidget* field, double old) const {
    const double value = parseReal(lineEditOf(field)->text().toLatin1().constData());
    // An exponent beyond the range of a double would give infinity.
    return std::isfinite(value) ? value : old;
}

void ViewSettingsDialog::setEditable(QWidget* field, bool editable) {
    // Runs with every frame of a run: only real changes touch the widget.
    auto* spin = qobject_cast<QAbstractSpinBox*>(field);
    auto* edit = qobject_cast<QLineEdit*>(field);
    if ((spin && spin->isReadOnly() == editable) || (edit && edit->isReadOnly() == editable))
        setFieldReadOnly(field, !editable);
}

void ViewSettingsDialog::fill(bool force) {
    {
        const QSignalBlocker blocker(modeList_);
        const int m = mode();
        modeList_->setCurrentIndex(m >= 0 && m < modeList_->count() ? m : -1);
    }
    objectList_->sync(force);
    fillNumbers(force);
    enableByMode();
}

void ViewSettingsDialog::invalidate() {
    if (fillPending_) return;
    fillPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            fillPending_ = false;
            fill(false);
        },
        Qt::QueuedConnection);
}

void ViewSettingsDialog::apply() {
    readFields();
    render::updateProjection(app_.world(), app_.view());
    app_.paintView();
    // After the frame: in the modes that follow an object the frame has
    // derived the values shown.
    fill(true);
    app_.refreshMenus();
}

bool ViewSettingsDialog::fieldKey(bool enter) {
    if (enter) {
        apply();
        enableByMode();
    } else {
        fill(true);
    }
    ok_->setFocus();
    return true;
}

void ViewSettingsDialog::okPressed() {
    if (focusInTextField(this)) {
        apply();
        enableByMode();
        ok_->setFocus();
        return;
    }
    apply();
    accept();
}

// --- ViewpointDialog ---------------------------------------------------------

ViewpointDialog::ViewpointDialog(AppContext& app, QWidget* parent)
    : ViewSettingsDialog(
          app, parent, "Viewpoint",
          {"Viewpoint from distance and angles", "Viewpoint at Object #", "Viewpoint at arbitrary point"}) {
    setObjectName("108");
    distance_ = makeSpin(this, "1014");
    angles_[0] = makeSpin(this, "1041");
    angles_[1] = makeSpin(this, "1042");
    angles_[2] = makeSpin(this, "1043");
    position_[0] = makeEdit(this, "1008");
    position_[1] = makeEdit(this, "1009");
    position_[2] = makeEdit(this, "1010");
    static_cast<SpinField*>(distance_)->onStep = [this](int direction) { spin(0, direction); };
    for (int k = 0; k < 3; ++k)
        static_cast<SpinField*>(angles_[k])->onStep = [this, k](int direction) { spin(k + 1, direction); };
    for (QWidget* field : {distance_, angles_[0], angles_[1], angles_[2], position_[0], position_[1], position_[2]})
        addNumberField(field);

    auto* choosers = new QHBoxLayout;
    choosers->addWidget(chooserGroup("Viewpoint mode", modeList_), 1);
    choosers->addWidget(chooserGroup("Object selection", objectList_), 1);
    auto* body = new QVBoxLayout;
    body->addLayout(choosers);
    body->addWidget(fieldGroup("Viewpoint distance", {{"R", distance_}}, "m"));
    body->addWidget(
        fieldGroup("Viewpoint rotation", {{"theta", angles_[0]}, {"phi", angles_[1]}, {"alpha", angles_[2]}}, "deg."));
    body->addWidget(fieldGroup("Position", {{"x:", position_[0]}, {"y:", position_[1]}, {"z:", position_[2]}}, "m"));
    finishLayout(body);
    fill(true);
    ok_->setFocus();
}

int ViewpointDialog::mode() const { return app().world().VIEWPOINT_MODE; }
int ViewpointDialog::object() const { return app().world().VIEWPOINT_OBJECT; }
void ViewpointDialog::setMode(int mode) { app().world().VIEWPOINT_MODE = mode; }
void ViewpointDialog::setObject(int object) { app().world().VIEWPOINT_OBJECT = object; }

void ViewpointDialog::fillNumbers(bool force) {
    const World& w = app().world();
    showNumber(position_[0], w.VIEWPOINT_POSITION_X, force);
    showNumber(position_[1], w.VIEWPOINT_POSITION_Y, force);
    showNumber(position_[2], w.VIEWPOINT_POSITION_Z, force);
    showNumber(distance_, w.VIEWPOINT_DISTANCE, force);
    showNumber(angles_[0], w.VIEWPOINT_THETA, force);
    showNumber(angles_[1], w.VIEWPOINT_PHI, force);
    showNumber(angles_[2], w.VIEWPOINT_ALPHA, force);
}

void ViewpointDialog::enableByMode() {
    const int m = mode();
    objectList_->setEnabled(m == 1);
    objectList_->select(m == 1 ? object() : -1);
    for (QWidget* field : {distance_, angles_[0], angles_[1], angles_[2]}) setEditable(field, m == 0);
    for (QWidget* field : position_) setEditable(field, m == 2);
}

void ViewpointDialog::readFields() {
    World& w = app().world();
    switch (w.VIEWPOINT_MODE) {
        case 0:
            w.VIEWPOINT_DISTANCE = readNumber(distance_, w.VIEWPOINT_DISTANCE);
            w.VIEWPOINT_THETA = std::clamp(readNumber(angles_[0], w.VIEWPOINT_THETA), 0.0, 180.0);
            w.VIEWPOINT_PHI = reduceDegrees(readNumber(angles_[1], w.VIEWPOINT_PHI));
            w.VIEWPOINT_ALPHA = reduceDegrees(readNumber(angles_[2], w.VIEWPOINT_ALPHA));
            render::viewpointFromAngles(w);
            break;
        case 1: w.VIEWPOINT_OBJECT = objectList_->currentIndex(); break;
        case 2:
            w.VIEWPOINT_POSITION_X = readNumber(position_[0], w.VIEWPOINT_POSITION_X);
            w.VIEWPOINT_POSITION_Y = readNumber(position_[1], w.VIEWPOINT_POSITION_Y);
            w.VIEWPOINT_POSITION_Z = readNumber(position_[2], w.VIEWPOINT_POSITION_Z);
            render::anglesFromViewpoint(w);
            break;
        default: break;
    }
}

// The arrows of the distance (field 0) and the angles (1..3): the typing is
// taken first, then the step, then the frame.
void ViewpointDialog::spin(int field, int direction) {
    World& w = app().world();
    if (w.VIEWPOINT_MODE != 0) return;
    readFields();
    const double step = direction > 0 ? w.VIEW_ROTATING_STEP : -w.VIEW_ROTATING_STEP;
    switch (field) {
        case 0: w.VIEWPOINT_DISTANCE *= direction > 0 ? 1.05 : 0.95; break;
        case 1: render::changeTheta(w, step); break;
        case 2: render::changePhi(w, step); break;
        default: render::changeAlpha(w, step); break;
    }
    fill(true);
    apply();
}

// --- OriginDialog ------------------------------------------------------------

OriginDialog::OriginDialog(AppContext& app, QWidget* parent)
    : ViewSettingsDialog(app, parent, "Origin",
                         {"Origin at the Center of Mass", "Origin at the Object #", "Origin at the arbitrary point"}) {
    setObjectName("116");
    position_[0] = makeEdit(this, "1008");
    position_[1] = makeEdit(this, "1009");
    position_[2] = makeEdit(this, "1010");
    offset_[0] = makeEdit(this, "1012");
    offset_[1] = makeEdit(this, "1011");
    offset_[2] = makeEdit(this, "1013");
    for (QWidget* field : position_) addNumberField(field);
    for (QWidget* field : offset_) addNumberField(field);

    auto* body = new QVBoxLayout;
    body->addWidget(chooserGroup("Origin mode", modeList_));
    body->addWidget(chooserGroup("Object selection", objectList_));
    body->addWidget(fieldGroup("Position", {{"x:", position_[0]}, {"y:", position_[1]}, {"z:", position_[2]}}, "m"));
    body->addWidget(fieldGroup("Offset", {{"x:", offset_[0]}, {"y:", offset_[1]}, {"z:", offset_[2]}}, "m"));
    finishLayout(body);
    fill(true);
    ok_->setFocus();
}

int OriginDialog::mode() const { return app().world().ORIGIN_MODE; }
int OriginDialog::object() const { return app().world().ORIGIN_OBJECT; }
void OriginDialog::setMode(int mode) { app().world().ORIGIN_MODE = mode; }
void OriginDialog::setObject(int object) { app().world().ORIGIN_OBJECT = object; }

void OriginDialog::fillNumbers(bool force) {
    const World& w = app().world();
    showNumber(position_[0], w.ORIGIN_POSITION_X, force);
    showNumber(position_[1], w.ORIGIN_POSITION_Y, force);
    showNumber(position_[2], w.ORIGIN_POSITION_Z, force);
    showNumber(offset_[0], w.ORIGIN_OFFSET_X, force);
    showNumber(offset_[1], w.ORIGIN_OFFSET_Y, force);
    showNumber(offset_[2], w.ORIGIN_OFFSET_Z, force);
}

void OriginDialog::enableByMode() {
    const int m = mode();
    objectList_->setEnabled(m == 1);
    objectList_->select(m == 1 ? object() : -1);
    for (QWidget* field : position_) setEditable(field, m == 2);
    for (QWidget* field : offset_) setEditable(field, true);
}

void OriginDialog::readFields() {
    World& w = app().world();
    if (w.ORIGIN_MODE == 1) setIfChanged(w, w.ORIGIN_OBJECT, objectList_->currentIndex());
    if (w.ORIGIN_MODE == 2) {
        setIfChanged(w, w.ORIGIN_POSITION_X, readNumber(position_[0], w.ORIGIN_POSITION_X));
        setIfChanged(w, w.ORIGIN_POSITION_Y, readNumber(position_[1], w.ORIGIN_POSITION_Y));
        setIfChanged(w, w.ORIGIN_POSITION_Z, readNumber(position_[2], w.ORIGIN_POSITION_Z));
    }
    setIfChanged(w, w.ORIGIN_OFFSET_X, readNumber(offset_[0], w.ORIGIN_OFFSET_X));
    setIfChanged(w, w.ORIGIN_OFFSET_Y, readNumber(offset_[1], w.ORIGIN_OFFSET_Y));
    setIfChanged(w, w.ORIGIN_OFFSET_Z, readNumber(offset_[2], w.ORIGIN_OFFSET_Z));
}

}  // namespace vantor
