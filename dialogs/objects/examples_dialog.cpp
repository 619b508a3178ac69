#include "dialogs/objects/examples_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>

#include "dialogs/common/context.h"
#include "scenery/examples.h"

namespace vantor {

namespace {

constexpr const char* kCategories[] = {"General", "Solar system", "Star Dust", "Planetary systems creation"};

}  // namespace

ExamplesDialog::ExamplesDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle("Vantor Examples");
    setAttribute(Qt::WA_DeleteOnClose);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName("examplesTree");
    tree_->setHeaderHidden(true);
    for (const char* category : kCategories) {
        auto* top = new QTreeWidgetItem(tree_, QStringList(category));
        for (const ExampleScenery& e : allExamples()) {
            if (std::strcmp(e.category, category) != 0) continue;
            auto* item = new QTreeWidgetItem(top, QStringList(e.itemText));
            item->setData(0, Qt::UserRole, e.number);
        }
        top->setExpanded(std::strcmp(category, "Planetary systems creation") != 0);
    }
    auto* load = new QPushButton("&Load", this);
    load->setObjectName("load");
    load->setDefault(true);
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("close");
    connect(load, &QPushButton::clicked, this, &ExamplesDialog::loadSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { loadSelected(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(load);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addLayout(buttons);
    resize(320, 360);
}

void ExamplesDialog::loadSelected() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item) return;
    const QVariant number = item->data(0, Qt::UserRole);
    if (!number.isValid()) return;  // a category
    app_.openScenery(number.toInt(), item->text(0).left(260), true);
}

}  // namespace vantor
