#include "dialogs/settings/threads_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/spin_field.h"
#include "engine/gravity.h"

namespace vantor {

ThreadsDialog::ThreadsDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle("Number of threads");
    const WorkerPool& pool = app.pool();
    // The count in use may be below the setting: the pool measures which
    // count up to it steps this scenery faster.
    auto* text = new QLabel(QString("Max. number of threads:\t%1\nNumber of processors:\t%2\n"
                                    "Computing now:\t%3\n\n"
                                    "Enter desired number of computing threads:")
                                .arg(pool.threadLimit)
                                .arg(pool.processorCount)
                                .arg(computingWorkers(pool)),
                            this);
    text->setObjectName("text");
    field_ = new SpinField(this);
    field_->setObjectName("threads");
    field_->setMaxLength(50);
    field_->setValue(QString::number(pool.workerCount));
    field_->selectAll();
    field_->onStep = [this](int direction) { step(direction); };

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("ok");
    ok->setDefault(true);
    auto* defaults = new QPushButton("&Default", this);
    defaults->setObjectName("default");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel");
    connect(ok, &QPushButton::clicked, this, &ThreadsDialog::accept);
    connect(defaults, &QPushButton::clicked, this, &ThreadsDialog::useDefault);
    connect(cancel, &QPushButton::clicked, this, &ThreadsDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(defaults);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(field_);
    layout->addLayout(buttons);
    DialogKeys::installTwoStep(this);
}

void ThreadsDialog::step(int direction) {
    const QString text = field_->value().trimmed();
    if (text.isEmpty()) return;
    bool ok = false;
    long value = text.toLong(&ok);
    if (!ok) value = 0;
    const int limit = app_.pool().threadLimit;
    if (direction > 0 && value < limit) ++value;
    if (direction < 0 && value > 1) --value;
    field_->setValue(QString::number(value));
}

void ThreadsDialog::useDefault() {
    WorkerPool& pool = app_.pool();
    pool.workerCount = pool.threadLimit;
    field_->setValue(QString::number(pool.workerCount));
}

void ThreadsDialog::accept() {
    WorkerPool& pool = app_.pool();
    bool ok = false;
    const long value = field_->value().trimmed().toLong(&ok);
    if (!ok || value < 1 || value > pool.threadLimit) {
        field_->setValue(QString::number(pool.workerCount));
        field_->selectAll();
        field_->setFocus();
        return;
    }
    pool.workerCount = static_cast<int>(value);
    QDialog::accept();
}

void ThreadsDialog::run(AppContext& app, QWidget* parent) {
    const int before = app.pool().workerCount;
    ThreadsDialog dialog(app, parent);
    dialog.exec();
    if (app.pool().workerCount != before) {
        partitionRanges(app.pool(), app.world());
        app.paintView();
    }
}

}  // namespace vantor
