// "Autosave" and "Automatic Stop / Restart": modeless dialogs whose periods
// are entered in separate unit fields with counting arrows. They only store
// the settings; the run picks them up at its next start.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QPushButton;

namespace vantor {

class AppContext;
class SpinField;

class PeriodDialog : public QDialog {
    Q_OBJECT
public:
    // The fields and boxes from the stored settings; the changed flag off.
    virtual void fillFromSettings() = 0;
    bool changed() const { return changed_; }
    AppContext& app() const { return app_; }

    void reject() override;

protected:
    PeriodDialog(AppContext& app, QWidget* parent, const QString& title);

    // A group of unit fields, largest unit first, with their arrows.
    using Group = std::vector<SpinField*>;
    Group makeGroup(const QStringList& ids, std::function<void(std::vector<std::string>&, int, int)> arrow);
    static std::vector<std::string> texts(const Group& group);
    static void showTexts(const Group& group, const std::vector<std::string>& texts);

    QCheckBox* makeBox(const QString& text, const QString& id);
    QLayout* groupLayout(const Group& group, const QStringList& labels);
    void finishLayout(QLayout* body);

    virtual void enableByBoxes() = 0;
    // Stores the fields and boxes into the settings.
    virtual void store() = 0;
    virtual void afterApply() {}

    // The changed flag (which enables Apply), with the enabling rule.
    void setChanged();
    void clearChanged();
    void closeEvent(QCloseEvent* event) override;

    AppContext& app_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* apply_;

private:
    void okPressed();
    void applyPressed();

    bool changed_ = false;
    bool closing_ = false;
    std::vector<SpinField*> fields_;
};

class AutosaveDialog : public PeriodDialog {
    Q_OBJECT
public:
    AutosaveDialog(AppContext& app, QWidget* parent);
    void fillFromSettings() override;

protected:
    void enableByBoxes() override;
    void store() override;

private:
    QCheckBox* enable_;
    Group period_;
    QCheckBox* separateFiles_;
};

class AutostopDialog : public PeriodDialog {
    Q_OBJECT
public:
    AutostopDialog(AppContext& app, QWidget* parent);
    void fillFromSettings() override;

protected:
    void enableByBoxes() override;
    void store() override;
    void afterApply() override { fillFields(); }

private:
    void fillFields();

    QCheckBox* realTime_;
    Group realPeriod_;
    QCheckBox* simulatedTime_;
    Group simulatedPeriod_;
    QCheckBox* restart_;
};

}  // namespace vantor
