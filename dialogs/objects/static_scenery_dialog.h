// "Static scenery": the number of background points.
#pragma once

#include <QDialog>

class QLineEdit;

namespace vantor {

class AppContext;

class StaticSceneryDialog : public QDialog {
    Q_OBJECT
public:
    StaticSceneryDialog(AppContext& app, QWidget* parent);

    // Runs the dialog; afterwards a positive count switches the display on.
    static void run(AppContext& app);

    void accept() override;

private:
    AppContext& app_;
    QLineEdit* field_;
};

}  // namespace vantor
