#include "dialogs/objects/static_scenery_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_text.h"
#include "dialogs/common/world_text.h"
#include "render/static_scenery.h"
#include "render/view.h"

namespace vantor {

StaticSceneryDialog::StaticSceneryDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle("Static scenery");
    auto* prompt = new QLabel("Enter number of static scenery objects (0 to 100000):", this);
    field_ = new QLineEdit(this);
    field_->setObjectName("1099");
    field_->setMaxLength(50);
    field_->setText(QString::number(app.world().STATIC_SCENERY_OBJECTS_N));
    field_->selectAll();
    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("2");
    auto* defaults = new QPushButton("&Default", this);
    defaults->setObjectName("3");
    connect(ok, &QPushButton::clicked, this, &StaticSceneryDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &StaticSceneryDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { field_->setText("10000"); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(defaults);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(field_);
    layout->addLayout(buttons);
    DialogKeys::installTwoStep(this);
    field_->setFocus();
}

void StaticSceneryDialog::accept() {
    World& world = app_.world();
    const int old = world.STATIC_SCENERY_OBJECTS_N;
    const int64_t count =
        std::clamp<int64_t>(dialogs::parseWholeNumber(toWorldText(field_->text())), 0, render::MAX_STATIC_POINTS);
    setIfChanged(world, world.STATIC_SCENERY_OBJECTS_N, count);
    if (count > old) render::generateStaticScenery(world, app_.view());
    QDialog::accept();
}

void StaticSceneryDialog::run(AppContext& app) {
    {
        StaticSceneryDialog dialog(app, app.activeWindow());
        dialog.exec();
    }
    World& world = app.world();
    if (world.STATIC_SCENERY_OBJECTS_N > 0 && !world.DISPLAY_STATIC_SCENERY)
        setIfChanged(world, world.DISPLAY_STATIC_SCENERY, 1);
    app.refreshMenus();
    app.paintView();
}

}  // namespace vantor
