// "Scenery info" (modeless: the scenery's name and description, editable on
// request) and "About" (modal: versions, the constants the engine uses and
// the program's web address).
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantor {

class AppContext;

class SceneryInfoDialog : public QDialog {
    Q_OBJECT
public:
    SceneryInfoDialog(AppContext& app, QWidget* parent);

    // Shows the scenery's texts, read-only, with editing off.
    void fillSceneryInfo();
    // The texts are editable exactly while "Enable info editing" is checked.
    void updateInfoEditState();
    AppContext& app() const { return app_; }

    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void applyTexts();
    bool focusOnDialogOr(std::initializer_list<const QWidget*> buttons) const;

    AppContext& app_;
    QLineEdit* name_;
    QPlainTextEdit* description_;
    QCheckBox* editing_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QString shownDescription_;  // the description as filled, to spot typing
    bool closing_ = false;
};

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
    static void run(QWidget* parent);
};

}  // namespace vantor
