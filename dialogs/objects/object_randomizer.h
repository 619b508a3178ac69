// "Object Randomizer": many objects at once, each quantity drawn between
// two bounds, appended to a configuration or overwriting from an object on.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vantor {

class AppContext;

class ObjectRandomizerDialog : public QDialog {
    Q_OBJECT
public:
    ObjectRandomizerDialog(AppContext& app, QWidget* parent);

    // Runs the dialog modally (the simulation holds meanwhile), then a
    // fresh back buffer and a frame.
    static void run(AppContext& app);

    void reject() override;  // "&Close", Esc, the close box: the settings stay

private:
    void fill();
    void read();
    void go();
    void overwriteClicked();
    void configChosen(int index);
    bool key(bool enter, QWidget* control);

    AppContext& app_;
    // From and to fields in the order x, y, z, vx, vy, vz, mass, radius.
    std::array<QLineEdit*, 8> from_, to_;
    std::array<QLineEdit*, 3> colourFrom_, colourTo_;  // R, G, B
    QComboBox* configList_;
    QLineEdit* count_;
    QCheckBox* overwrite_;
    QComboBox* startList_;
    QPushButton* go_;
    QPushButton* close_;
};

}  // namespace vantor
