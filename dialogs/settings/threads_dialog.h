// "Number of threads": how many workers take part in a step.
#pragma once

#include <QDialog>

class QLabel;

namespace vantor {

class AppContext;
class SpinField;

class ThreadsDialog : public QDialog {
    Q_OBJECT
public:
    ThreadsDialog(AppContext& app, QWidget* parent);

    // Runs the dialog; afterwards repartitions the work if the count changed.
    static void run(AppContext& app, QWidget* parent);

    SpinField* field() const { return field_; }
    void accept() override;

private:
    void useDefault();
    void step(int direction);

    AppContext& app_;
    SpinField* field_;
};

}  // namespace vantor
