// "Object editor": every field of every object of either configuration,
// edited on working copies that reach the world only by "&Apply" or "&OK".
#pragma once

#include <QDialog>
#include <array>

#include "dialogs/objects/editor_model.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vantor {

class AppContext;

class ObjectEditorDialog : public QDialog {
    Q_OBJECT
public:
    // atSelected: open at world.selectedObject in the current configuration.
    ObjectEditorDialog(AppContext& app, bool atSelected, QWidget* parent);

    // Runs the dialog modally (the simulation holds meanwhile) and repaints;
    // opens at selectedObject when that is 0 or more. Returns 1 when
    // something was applied.
    static int run(AppContext& app);

    int config() const { return config_; }
    int object() const { return object_; }
    bool dirty() const { return dirty_; }

    void reject() override;  // "&Cancel", Esc, the close box

private:
    void setTabOrderAsShown();
    void showObjectFields();
    void refreshEditorControls();
    void readObjectFields();
    void commit();
    void configChosen(int index);
    void objectChosen(int index);
    void addObject();
    void deleteObject();
    void boxClicked();
    void applyClicked();
    void okClicked();
    bool key(bool enter, QWidget* control);
    void confirmTyping();
    void undoTyping();
    int shownCount() const { return tables_.count(config_); }

    AppContext& app_;
    dialogs::EditorTables tables_;
    int config_ = 0;
    int object_ = 0;
    bool dirty_ = false;
    bool applied_ = false;

    QComboBox* configList_;
    QComboBox* objectList_;
    QLineEdit* name_;
    std::array<QLineEdit*, 8> numbers_;  // mass, radius, x, y, z, vx, vy, vz (1006..1013)
    std::array<QLineEdit*, 3> colour_;   // R, G, B (1014..1016)
    QCheckBox* disabled_;
    QCheckBox* visible_;
    QPushButton* apply_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace vantor
