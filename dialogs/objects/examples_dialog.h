// "Vantor Examples": the built-in sceneries in a tree by category.
#pragma once

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;

namespace vantor {

class AppContext;

class ExamplesDialog : public QDialog {
    Q_OBJECT
public:
    ExamplesDialog(AppContext& app, QWidget* parent);

    // Opens the selected example; a category does nothing.
    void loadSelected();

    QTreeWidget* tree() const { return tree_; }

private:
    AppContext& app_;
    QTreeWidget* tree_;
};

}  // namespace vantor
