// "Viewpoint" and "Origin": modeless dialogs that show the camera settings
// while the simulation runs and edit them.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QSet>
#include <vector>

class QLineEdit;
class QPushButton;

namespace vantor {

class AppContext;

// One line per current object, "[n] name". It re-reads the names before it
// drops down, so that names changed elsewhere show without a rebuild on
// every frame.
class ObjectChooser : public QComboBox {
    Q_OBJECT
public:
    ObjectChooser(AppContext& app, QWidget* parent);
    // Rebuilds the lines when `rebuild` or when the count changed; else only
    // the line on show is brought up to date. Emits no signal.
    void sync(bool rebuild);
    // Selects an object (-1 or out of range: none). Emits no signal.
    void select(int index);
    void showPopup() override;

private:
    AppContext& app_;
};

// What the two dialogs share: the mode and object choosers, the number
// fields that follow the settings unless the user is typing in them, and the
// OK and Esc rules.
class ViewSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the present settings. With `force` false a field the user is
    // typing in keeps its text (the dialog follows a running simulation).
    void fill(bool force);
    // A fill once the present command is over (and its frame painted):
    // several changes in a row cost one fill.
    void invalidate();

    QComboBox* modeList() const { return modeList_; }
    ObjectChooser* objectList() const { return objectList_; }
    AppContext& app() const { return app_; }

protected:
    ViewSettingsDialog(AppContext& app, QWidget* parent, const QString& title, const QStringList& modes);

    virtual int mode() const = 0;
    virtual int object() const = 0;
    // The choosers store their choice without marking the scenery modified.
    virtual void setMode(int mode) = 0;
    virtual void setObject(int object) = 0;
    virtual void fillNumbers(bool force) = 0;
    virtual void enableByMode() = 0;
    // Reads the fields of the present mode into the settings.
    virtual void readFields() = 0;

    // readFields, then the projection, a frame and the fields again.
    void apply();

    // A number field of the dialog: shown with formatReal, read with
    // parseReal; Enter applies, Esc discards the typing.
    void addNumberField(QWidget* field);
    void showNumber(QWidget* field, double value, bool force);
    // The number a field shows, or `old` when it reads as no finite number.
    double readNumber(QWidget* field, double old) const;
    void finishLayout(QLayout* body);
    void setEditable(QWidget* field, bool editable);

    QComboBox* modeList_;
    ObjectChooser* objectList_;
    QPushButton* ok_;

private:
    void okPressed();
    bool fieldKey(bool enter);

    AppContext& app_;
    std::vector<QWidget*> numberFields_;
    QSet<QWidget*> typedIn_;  // fields edited since they were last filled
    bool fillPending_ = false;
};

class ViewpointDialog : public ViewSettingsDialog {
    Q_OBJECT
public:
    ViewpointDialog(AppContext& app, QWidget* parent);

protected:
    int mode() const override;
    int object() const override;
    void setMode(int mode) override;
    void setObject(int object) override;
    void fillNumbers(bool force) override;
    void enableByMode() override;
    void readFields() override;

private:
    void spin(int field, int direction);

    QWidget* distance_;
    QWidget* angles_[3];
    QWidget* position_[3];
};

class OriginDialog : public ViewSettingsDialog {
    Q_OBJECT
public:
    OriginDialog(AppContext& app, QWidget* parent);

protected:
    int mode() const override;
    int object() const override;
    void setMode(int mode) override;
    void setObject(int object) override;
    void fillNumbers(bool force) override;
    void enableByMode() override;
    void readFields() override;

private:
    QWidget* position_[3];
    QWidget* offset_[3];
};

}  // namespace vantor
