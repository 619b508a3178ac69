#include "dialogs/objects/object_editor.h"

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

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/common/run_hold.h"
#include "dialogs/common/world_text.h"
#include "dialogs/dialogs.h"
#include "dialogs/objects/object_lists.h"

namespace vantor {

namespace {

QLineEdit* makeField(QWidget* parent, int id) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::number(id));
    return field;
}

QPushButton* makeButton(QWidget* parent, const QString& text, int id) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    return button;
}

// A group of labelled fields in one row.
QGroupBox* fieldGroup(QWidget* parent, const QString& title, const QStringList& labels,
                      const std::vector<QLineEdit*>& fields) {
    auto* group = new QGroupBox(title, parent);
    auto* row = new QHBoxLayout(group);
    for (size_t k = 0; k < fields.size(); ++k) {
        if (k < static_cast<size_t>(labels.size()) && !labels[k].isEmpty())
            row->addWidget(new QLabel(labels[k], group));
        row->addWidget(fields[k], 1);
    }
    return group;
}

std::string fieldText(const QLineEdit* field) { return toWorldText(field->text().left(dialogs::EDITOR_TEXT_MAX)); }

}  // namespace

ObjectEditorDialog::ObjectEditorDialog(AppContext& app, bool atSelected, QWidget* parent)
    : QDialog(parent), app_(app), tables_(app.world()) {
    setWindowTitle("Object editor");
    if (atSelected) {
        config_ = dialogs::EDITOR_CURRENT;
        object_ = app.world().selectedObject;
    }
    // An index beyond the table shows its last object.
    if (object_ >= shownCount()) object_ = shownCount() - 1;
    if (object_ < 0) object_ = 0;

    configList_ = new QComboBox(this);
    configList_->setObjectName("1026");
    configList_->addItems({"Initial scenery configuration", "Current scenery configuration"});
    objectList_ = new QComboBox(this);
    objectList_->setObjectName("1023");
    objectList_->setMaxVisibleItems(20);
    name_ = makeField(this, 1017);
    name_->setMaxLength(static_cast<int>(dialogs::EDITOR_TEXT_MAX));
    limitToWorldText(name_);
    for (int k = 0; k < 8; ++k) {
        numbers_[k] = makeField(this, 1006 + k);
        fitToReal(numbers_[k]);
        showStartOf(numbers_[k]);
    }
    auto* byteValidator = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
    for (int k = 0; k < 3; ++k) {
        colour_[k] = makeField(this, 1014 + k);
        colour_[k]->setValidator(byteValidator);
    }
    disabled_ = new QCheckBox("Di&sabled", this);
    disabled_->setObjectName("1088");
    visible_ = new QCheckBox("...but &visible", this);
    visible_->setObjectName("1089");
    apply_ = makeButton(this, "&Apply", 1027);
    add_ = makeButton(this, "A&dd object", 1024);
    delete_ = makeButton(this, "De&lete object", 1025);
    ok_ = makeButton(this, "&OK", 1028);
    ok_->setDefault(true);
    cancel_ = makeButton(this, "&Cancel", 2);

    auto* selection = new QGroupBox("Configuration and object selection", this);
    auto* selectionRows = new QVBoxLayout(selection);
    selectionRows->addWidget(configList_);
    selectionRows->addWidget(objectList_);
    auto* nameGroup = fieldGroup(this, "Name", {}, {name_});
    auto* position = fieldGroup(this, "Position [m]", {"x:", "y:", "z:"}, {numbers_[2], numbers_[3], numbers_[4]});
    auto* velocity = fieldGroup(this, "Velocity [m/s]", {"Vx:", "Vy:", "Vz:"}, {numbers_[5], numbers_[6], numbers_[7]});
    auto* mass = fieldGroup(this, "Mass [kg]", {}, {numbers_[0]});
    auto* radius = fieldGroup(this, "Radius [m]", {}, {numbers_[1]});
    auto* colour = fieldGroup(this, "Color", {"R", "G", "B"}, {colour_[0], colour_[1], colour_[2]});

    auto* grid = new QGridLayout;
    grid->addWidget(selection, 0, 0, 1, 2);
    grid->addWidget(nameGroup, 1, 0, 1, 2);
    grid->addWidget(position, 2, 0, 1, 2);
    grid->addWidget(velocity, 3, 0, 1, 2);
    grid->addWidget(mass, 4, 0);
    grid->addWidget(radius, 4, 1);
    grid->addWidget(colour, 5, 0);
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(disabled_);
    boxes->addWidget(visible_);
    grid->addLayout(boxes, 5, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {apply_, add_, delete_}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setTabOrderAsShown();

    connect(configList_, &QComboBox::currentIndexChanged, this, &ObjectEditorDialog::configChosen);
    connect(objectList_, &QComboBox::currentIndexChanged, this, &ObjectEditorDialog::objectChosen);
    connect(add_, &QPushButton::clicked, this, &ObjectEditorDialog::addObject);
    connect(delete_, &QPushButton::clicked, this, &ObjectEditorDialog::deleteObject);
    connect(disabled_, &QCheckBox::clicked, this, &ObjectEditorDialog::boxClicked);
    connect(visible_, &QCheckBox::clicked, this, &ObjectEditorDialog::boxClicked);
    connect(apply_, &QPushButton::clicked, this, &ObjectEditorDialog::applyClicked);
    connect(ok_, &QPushButton::clicked, this, &ObjectEditorDialog::okClicked);
    connect(cancel_, &QPushButton::clicked, this, &ObjectEditorDialog::reject);
    // Typing is a change: "&Apply" need not wait for the first Enter.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        connect(field, &QLineEdit::textEdited, this, [this] {
            if (!dirty_) {
                dirty_ = true;
                refreshEditorControls();
            }
        });
    }

    showObjectFields();
    refreshEditorControls();
    DialogKeys::install(this, [this](bool enter, QWidget* control) { return key(enter, control); });
    ok_->setFocus();
}

// Tab goes through the controls as they are laid out, row by row (the
// fields were made in the table's order, with mass and radius first).
void ObjectEditorDialog::setTabOrderAsShown() {
    const std::vector<QWidget*> order = {
        configList_, objectList_, name_,       numbers_[2], numbers_[3], numbers_[4],  // x, y, z
        numbers_[5], numbers_[6], numbers_[7],                                         // vx, vy, vz
        numbers_[0], numbers_[1],                                                      // mass, radius
        colour_[0],  colour_[1],  colour_[2],  disabled_,   visible_,    apply_,      add_, delete_, ok_, cancel_};
    for (size_t k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);
}

void ObjectEditorDialog::showObjectFields() {
    if (shownCount() < 1) {
        fillObjectList(objectList_, {}, -1);
        name_->clear();
        for (QLineEdit* f : numbers_) f->clear();
        for (QLineEdit* f : colour_) f->clear();
        disabled_->setChecked(false);
        visible_->setChecked(false);
        return;
    }
    const dialogs::ObjectFields f = dialogs::objectFields(tables_.record(config_, object_));
    name_->setText(fromWorldText(f.name));
    const std::string* numbers[8] = {&f.mass, &f.radius, &f.x, &f.y, &f.z, &f.vx, &f.vy, &f.vz};
    for (int k = 0; k < 8; ++k) numbers_[k]->setText(fromWorldText(*numbers[k]));
    colour_[0]->setText(fromWorldText(f.red));
    colour_[1]->setText(fromWorldText(f.green));
    colour_[2]->setText(fromWorldText(f.blue));
    disabled_->setChecked(f.disabled);
    visible_->setChecked(f.visible);
}

void ObjectEditorDialog::refreshEditorControls() {
    {
        const QSignalBlocker quiet(configList_);
        configList_->setCurrentIndex(config_);
    }
    apply_->setEnabled(dirty_);
    if (shownCount() > 0) {
        const ObjectRecord* table = &tables_.record(config_, 0);
        fillObjectList(objectList_, objectEntries(table, shownCount()), object_);
        for (QWidget* w : std::initializer_list<QWidget*>{configList_, objectList_, add_, delete_, disabled_})
            w->setEnabled(true);
        bool editable = true, identity;  // the numbers; the name and colour
        if (disabled_->isChecked()) {
            visible_->setEnabled(true);
            editable = identity = visible_->isChecked();
        } else {
            visible_->setEnabled(false);
            // The simulated objects keep their identity while they take part.
            identity = config_ == dialogs::EDITOR_INITIAL;
        }
        for (QLineEdit* f : numbers_) f->setEnabled(editable);
        name_->setEnabled(identity);
        for (QLineEdit* f : colour_) f->setEnabled(identity);
    } else {
        add_->setEnabled(true);
        configList_->setEnabled(true);
        for (QWidget* w : std::initializer_list<QWidget*>{objectList_, name_, disabled_, visible_, delete_})
            w->setEnabled(false);
        for (QLineEdit* f : numbers_) f->setEnabled(false);
        for (QLineEdit* f : colour_) f->setEnabled(false);
    }
}

void ObjectEditorDialog::readObjectFields() {
    if (object_ < 0 || object_ >= shownCount()) return;
    dialogs::ObjectFields f;
    f.name = fieldText(name_);
    std::string* numbers[8] = {&f.mass, &f.radius, &f.x, &f.y, &f.z, &f.vx, &f.vy, &f.vz};
    for (int k = 0; k < 8; ++k) *numbers[k] = fieldText(numbers_[k]);
    f.red = fieldText(colour_[0]);
    f.green = fieldText(colour_[1]);
    f.blue = fieldText(colour_[2]);
    f.disabled = disabled_->isChecked();
    f.visible = visible_->isChecked();
    dialogs::readObjectFields(f, tables_.record(config_, object_));
}

void ObjectEditorDialog::commit() {
    readObjectFields();
    if (tables_.commit(app_.world())) {
        app_.objectsChanged();
        dialogs::noteInitialOnlyObjects(app_);
    }
    applied_ = true;
}

void ObjectEditorDialog::configChosen(int index) {
    if (index < 0) return;
    // The typed fields of the object shown so far are dropped.
    config_ = index;
    object_ = objectList_->currentIndex();
    if (object_ >= shownCount()) object_ = shownCount() - 1;
    if (object_ < 0) object_ = 0;
    showObjectFields();
    refreshEditorControls();
}

void ObjectEditorDialog::objectChosen(int index) {
    if (index < 0) return;
    readObjectFields();
    config_ = configList_->currentIndex();
    object_ = index < shownCount() ? index : shownCount() - 1;
    showObjectFields();
    refreshEditorControls();
}

void ObjectEditorDialog::addObject() {
    dirty_ = true;
    object_ = tables_.addObject(config_, object_);
    showObjectFields();
    refreshEditorControls();
}

void ObjectEditorDialog::deleteObject() {
    QMessageBox box(QMessageBox::Warning, "Delete object", "Are you sure you want to delete this object?",
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) return;
    dirty_ = true;
    config_ = configList_->currentIndex();
    object_ = tables_.deleteObject(config_, objectList_->currentIndex());
    if (object_ < 0) object_ = 0;
    showObjectFields();
    refreshEditorControls();
}

void ObjectEditorDialog::boxClicked() {
    dirty_ = true;
    refreshEditorControls();
}

void ObjectEditorDialog::applyClicked() {
    commit();
    dirty_ = false;
    showObjectFields();
    refreshEditorControls();
    // "&Apply" is disabled now; the focus would fall to "A&dd object", and
    // the next Enter would add an object.
    ok_->setFocus();
}

void ObjectEditorDialog::okClicked() {
    commit();
    done(1);
}

void ObjectEditorDialog::reject() { done(applied_ ? 1 : 0); }

// First Enter in a field confirms the typing, first Esc undoes it; then
// "&OK" has the focus and the second key acts.
void ObjectEditorDialog::confirmTyping() {
    dirty_ = true;
    refreshEditorControls();
    ok_->setFocus();
}

void ObjectEditorDialog::undoTyping() {
    showObjectFields();
    refreshEditorControls();
    ok_->setFocus();
}

bool ObjectEditorDialog::key(bool enter, QWidget* control) {
    if (enter) {
        if (control == this || control == ok_) {
            okClicked();
            return true;
        }
        if (qobject_cast<QPushButton*>(control)) return false;  // the button presses itself
        confirmTyping();
        return true;
    }
    if (control == this || control == ok_ || control == cancel_ || control == apply_) reject();
    else undoTyping();
    return true;
}

int ObjectEditorDialog::run(AppContext& app) {
    int result = 0;
    {
        const RunHold hold(app);
        ObjectEditorDialog dialog(app, app.world().selectedObject >= 0, app.activeWindow());
        result = dialog.exec();
    }
    if (result) app.rebuildAndPaint();
    else app.paintView();
    app.refreshMenus();
    return result;
}

}  // namespace vantor
