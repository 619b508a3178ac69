// "Spacecraft": modeless; chooses the spacecraft, its maximal thrust and
// the tracking, spawns a new spacecraft, engages and leaves the mode.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vantor {

class AppContext;

class SpacecraftDialog : public QDialog {
    Q_OBJECT
public:
    SpacecraftDialog(AppContext& app, QWidget* parent);

    // Opens the one instance, or gives the open one the focus.
    static SpacecraftDialog* open(AppContext& app);
    // The open instance, or none.
    static SpacecraftDialog* instance();

    // Shows the settings again. The lists are refilled when refillLists or
    // when the object count changed; the thrust field keeps what is being
    // typed unless dropTyping.
    void refreshFields(bool refillLists, bool dropTyping);

    void engage();
    void spawn();
    void apply();

protected:
    void changeEvent(QEvent* event) override;

private:
    void spacecraftChosen(int index);
    void trackingModeChosen(int index);
    void trackingObjectChosen(int index);
    void enableTracking();
    bool key(bool enter, QWidget* control);

    AppContext& app_;
    QComboBox* craftList_;
    QComboBox* trackingList_;
    QLineEdit* thrust_;
    QComboBox* modeList_;
    QCheckBox* autotracking_;
    QPushButton* engage_;
    QPushButton* spawn_;
    QPushButton* close_;
};

}  // namespace vantor
