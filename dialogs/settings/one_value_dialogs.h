// The modal dialogs that edit one setting each: the simulation time step
// (of either configuration), frames per second, the rotating step and the
// field of view angle. OK reads and validates the field; Default sets the
// default at once, which stays even when the dialog is then cancelled.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vantor {

class AppContext;

// Shared shape: a prompt, one field showing the value in full and
// selected, OK, Cancel and (where there is a default) Default.
class OneValueDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit* field() const { return field_; }

protected:
    OneValueDialog(QWidget* parent, const QString& title, const QString& fieldId, bool withDefault);
    // The field shows `text`, selected, with the focus.
    void showValue(const QString& text);
    void finishLayout(QWidget* above, const QString& prompt, const QString& promptGroup);

    QLineEdit* field_;
    QPushButton* default_ = nullptr;
};

class TimeStepDialog : public OneValueDialog {
    Q_OBJECT
public:
    TimeStepDialog(AppContext& app, QWidget* parent);
    // Marks the scenery modified and repaints when OK changed a step.
    static void run(AppContext& app, QWidget* parent);
    void accept() override;
    QComboBox* configuration() const { return configuration_; }

private:
    double& step() const;
    void showStep();

    AppContext& app_;
    QComboBox* configuration_;
    int chosen_ = 0;  // 0 initial, 1 current configuration
};

class FpsDialog : public OneValueDialog {
    Q_OBJECT
public:
    FpsDialog(AppContext& app, QWidget* parent);
    // Marks the scenery modified and repaints when the value changed.
    static void run(AppContext& app, QWidget* parent);
    void accept() override;

private:
    AppContext& app_;
};

// A real setting taken when 0 < value <= limit, else kept.
class RealSettingDialog : public OneValueDialog {
    Q_OBJECT
public:
    RealSettingDialog(QWidget* parent, const QString& title, const QString& fieldId, const QString& prompt,
                      double& setting, double limit, double defaultValue);
    // "Rotating step": the caller refreshes the toolbar field.
    static void runRotatingStep(AppContext& app, QWidget* parent);
    // "Field of View angle": the projection follows whatever the result.
    static void runFieldOfView(AppContext& app, QWidget* parent);
    void accept() override;

private:
    double& setting_;
    double limit_;
};

}  // namespace vantor
