#include "dialogs/objects/object_randomizer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/common/field_text.h"
#include "dialogs/common/run_hold.h"
#include "dialogs/common/world_text.h"
#include "dialogs/dialogs.h"
#include "dialogs/objects/object_lists.h"
#include "dialogs/objects/randomizer_model.h"
#include "scenery/realtext.h"

namespace vantor {

namespace {

constexpr size_t kTextMax = 500;

QLineEdit* makeField(QWidget* parent, int id) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::number(id));
    return field;
}

// The bounds of a record in the order of the fields.
std::array<double*, 8> boundsOf(ObjectRecord& r) { return {&r.x, &r.y, &r.z, &r.vx, &r.vy, &r.vz, &r.mass, &r.radius}; }

std::string fieldText(const QLineEdit* field) { return toWorldText(field->text().left(kTextMax)); }

uint32_t colourFrom(const std::array<QLineEdit*, 3>& fields) {
    uint32_t colour = 0;
    for (int k = 0; k < 3; ++k)
        colour |= (static_cast<uint32_t>(dialogs::parseWholeNumber(fieldText(fields[k]))) & 0xFF) << (8 * k);
    return colour;
}

}  // namespace

ObjectRandomizerDialog::ObjectRandomizerDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle("Object Randomizer");
    const int fromIds[8] = {1008, 1009, 1010, 1011, 1012, 1013, 1006, 1007};
    const int toIds[8] = {1020, 1021, 1022, 1023, 1024, 1025, 1029, 1030};
    for (int k = 0; k < 8; ++k) {
        from_[k] = makeField(this, fromIds[k]);
        to_[k] = makeField(this, toIds[k]);
        for (QLineEdit* bound : {from_[k], to_[k]}) {
            fitToReal(bound);
            showStartOf(bound);
        }
    }
    auto* byteValidator = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
    for (int k = 0; k < 3; ++k) {
        colourFrom_[k] = makeField(this, 1014 + k);
        colourTo_[k] = makeField(this, 1017 + k);
        colourFrom_[k]->setValidator(byteValidator);
        colourTo_[k]->setValidator(byteValidator);
    }
    configList_ = new QComboBox(this);
    configList_->setObjectName("1026");
    configList_->addItems({"Initial scenery configuration", "Current scenery configuration"});
    count_ = makeField(this, 1031);
    overwrite_ = new QCheckBox("Overwrite existing objects, starting from:", this);
    overwrite_->setObjectName("1055");
    startList_ = new QComboBox(this);
    startList_->setObjectName("1027");
    startList_->setMaxVisibleItems(20);
    go_ = new QPushButton("&GO!", this);
    go_->setObjectName("1028");
    go_->setDefault(true);
    close_ = new QPushButton("&Close", this);
    close_->setObjectName("2");

    // Position and velocity: one row per quantity, "from ... to ...".
    auto* motion = new QGroupBox("Position [m] and velocity [m/s] ranges", this);
    auto* motionGrid = new QGridLayout(motion);
    const char* labels[6] = {"x:", "y:", "z:", "Vx:", "Vy:", "Vz:"};
    for (int k = 0; k < 6; ++k) {
        motionGrid->addWidget(new QLabel(labels[k], motion), k, 0);
        motionGrid->addWidget(from_[k], k, 1);
        motionGrid->addWidget(new QLabel("to", motion), k, 2);
        motionGrid->addWidget(to_[k], k, 3);
    }
    auto range = [this](const QString& title, QLineEdit* from, QLineEdit* to) {
        auto* group = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(group);
        row->addWidget(from, 1);
        row->addWidget(new QLabel("to", group));
        row->addWidget(to, 1);
        return group;
    };
    auto* colour = new QGroupBox("Color", this);
    auto* colourGrid = new QGridLayout(colour);
    const char* channels[3] = {"R", "G", "B"};
    for (int k = 0; k < 3; ++k) {
        colourGrid->addWidget(new QLabel(channels[k], colour), k, 0);
        colourGrid->addWidget(colourFrom_[k], k, 1);
        colourGrid->addWidget(new QLabel("to", colour), k, 2);
        colourGrid->addWidget(colourTo_[k], k, 3);
    }
    auto* configGroup = new QGroupBox("Select configuration", this);
    (new QVBoxLayout(configGroup))->addWidget(configList_);
    auto* countGroup = new QGroupBox("Objects to create", this);
    auto* countRows = new QVBoxLayout(countGroup);
    countRows->addWidget(count_);
    countRows->addWidget(overwrite_);
    countRows->addWidget(startList_);

    auto* right = new QVBoxLayout;
    right->addWidget(range("Mass range", from_[6], to_[6]));
    right->addWidget(range("Radius range", from_[7], to_[7]));
    right->addWidget(colour);
    auto* top = new QHBoxLayout;
    top->addWidget(motion, 3);
    top->addLayout(right, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(configGroup, 1);
    bottom->addWidget(countGroup, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(go_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    layout->addLayout(buttons);

    connect(configList_, &QComboBox::currentIndexChanged, this, &ObjectRandomizerDialog::configChosen);
    connect(overwrite_, &QCheckBox::clicked, this, &ObjectRandomizerDialog::overwriteClicked);
    connect(go_, &QPushButton::clicked, this, &ObjectRandomizerDialog::go);
    connect(close_, &QPushButton::clicked, this, &ObjectRandomizerDialog::reject);

    dialogs::RandomizerSettings& s = dialogs::randomizerSettings();
    if (!s.opened) {
        s.low.color = s.high.color = 0xFFFFFF;
        s.opened = true;
    }
    fill();
    DialogKeys::install(this, [this](bool enter, QWidget* control) { return key(enter, control); });
    go_->setFocus();
}

void ObjectRandomizerDialog::fill() {
    dialogs::RandomizerSettings& s = dialogs::randomizerSettings();
    {
        const QSignalBlocker quiet(configList_);
        configList_->setCurrentIndex(s.config);
    }
    const auto low = boundsOf(s.low), high = boundsOf(s.high);
    for (int k = 0; k < 8; ++k) {
        from_[k]->setText(fromWorldText(formatReal(*low[k])));
        to_[k]->setText(fromWorldText(formatReal(*high[k])));
    }
    count_->setText(QString::number(std::min<uint32_t>(s.count, MAX_OBJECTS)));
    for (int k = 0; k < 3; ++k) {
        colourFrom_[k]->setText(QString::number((s.low.color >> (8 * k)) & 0xFF));
        colourTo_[k]->setText(QString::number((s.high.color >> (8 * k)) & 0xFF));
    }
    const World& world = app_.world();
    const bool initial = s.config == 0;
    const QStringList entries =
        objectEntries(initial ? world.initialObjects.get() : world.objects.get(),
                      std::clamp(initial ? world.INIT_OBJECTS_N : world.OBJECTS_N, 0, MAX_OBJECTS));
    overwrite_->setChecked(s.start >= 0);
    fillObjectList(startList_, entries, s.start >= 0 ? s.start : 0);
    startList_->setEnabled(s.start >= 0);
}

void ObjectRandomizerDialog::read() {
    dialogs::RandomizerSettings& s = dialogs::randomizerSettings();
    const auto low = boundsOf(s.low), high = boundsOf(s.high);
    for (int k = 0; k < 8; ++k) {
        *low[k] = dialogs::parseFiniteReal(fieldText(from_[k]), *low[k], kTextMax);
        *high[k] = dialogs::parseFiniteReal(fieldText(to_[k]), *high[k], kTextMax);
    }
    const int64_t count = dialogs::parseWholeNumber(fieldText(count_));
    s.count = static_cast<uint32_t>(std::clamp<int64_t>(count, 0, UINT32_MAX));
    s.start = overwrite_->isChecked() ? startList_->currentIndex() : -1;
    s.low.color = colourFrom(colourFrom_);
    s.high.color = colourFrom(colourTo_);
}

void ObjectRandomizerDialog::configChosen(int index) {
    if (index < 0) return;
    read();
    dialogs::randomizerSettings().config = index;
    // The start list shows the objects of the configuration chosen now.
    fill();
}

void ObjectRandomizerDialog::overwriteClicked() {
    read();
    fill();
}

void ObjectRandomizerDialog::go() {
    read();
    const dialogs::RandomizerSettings& s = dialogs::randomizerSettings();
    int created = 0;
    bool proceed = true;
    if (s.start >= 0) {
        QMessageBox box(QMessageBox::Question, "Object Randomizer",
                        "Are you sure you want to overwrite existing objects?", QMessageBox::Yes | QMessageBox::No,
                        this);
        box.setDefaultButton(QMessageBox::No);
        proceed = box.exec() == QMessageBox::Yes;
    }
    if (proceed) {
        created = dialogs::createRandomObjects(app_.world(), s.config, s.count, s.low, s.high, s.start,
                                               static_cast<uint64_t>(std::time(nullptr)));
    }
    if (created > 0) {
        app_.objectsChanged();
        dialogs::noteInitialOnlyObjects(app_);
    }
    fill();  // the values in their stored form, the start list with the new objects
    const QString text = created < 1    ? QString("No objects were created")
                         : created == 1 ? QString("Successfully created 1 object")
                                        : QString("Successfully created %1 objects").arg(created);
    QMessageBox::information(this, "Object Randomizer", text);
}

void ObjectRandomizerDialog::reject() {
    read();
    QDialog::reject();
}

bool ObjectRandomizerDialog::key(bool enter, QWidget* control) {
    if (enter) {
        if (control == this || control == go_) {
            go();
            return true;
        }
        if (qobject_cast<QPushButton*>(control)) return false;  // "&Close" presses itself
        // The typed values, in their stored form.
        read();
        fill();
        go_->setFocus();
        return true;
    }
    if (control == this || control == go_ || control == close_) {
        reject();
    } else {
        fill();
        go_->setFocus();
    }
    return true;
}

void ObjectRandomizerDialog::run(AppContext& app) {
    {
        const RunHold hold(app);
        ObjectRandomizerDialog dialog(app, app.activeWindow());
        dialog.exec();
    }
    app.rebuildAndPaint();
    app.refreshMenus();
}

}  // namespace vantor
