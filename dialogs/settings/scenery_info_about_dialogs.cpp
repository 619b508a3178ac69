#include "dialogs/settings/scenery_info_about_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "benchmark/scores.h"
#include "benchmark/submission.h"
#include "dialogs/common/context.h"
#include "dialogs/common/dialog_keys.h"
#include "dialogs/common/field_fit.h"
#include "dialogs/common/world_text.h"
#include "engine/world.h"
#include "scenery/realtext.h"
#include "scenery/writer.h"

namespace vantor {

namespace {

constexpr int kInfoTextLimit = 50'000;  // characters of each text

// The scenery keeps a typed line break as a carriage return and line feed;
// the text box shows plain line feeds.
QString descriptionForShow(const std::string& text) { return fromWorldText(text).replace("\r\n", "\n"); }

std::string descriptionForStore(QString text) { return toWorldText(text.replace("\n", "\r\n")); }

}  // namespace

// --- SceneryInfoDialog -------------------------------------------------------

SceneryInfoDialog::SceneryInfoDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("121");
    setWindowTitle("Scenery info");
    setAttribute(Qt::WA_DeleteOnClose);
    name_ = new QLineEdit(this);
    name_->setObjectName("1017");
    name_->setAlignment(Qt::AlignCenter);
    limitToWorldText(name_);
    description_ = new QPlainTextEdit(this);
    description_->setObjectName("1092");
    description_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    limitToWorldText(description_);
    editing_ = new QCheckBox("Enable info editing", this);
    editing_->setObjectName("1093");
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("1");
    ok_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("2");
    connect(ok_, &QPushButton::clicked, this, &SceneryInfoDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &SceneryInfoDialog::reject);
    connect(editing_, &QCheckBox::clicked, this, &SceneryInfoDialog::updateInfoEditState);
    // The text box has no length limit of its own.
    connect(description_, &QPlainTextEdit::textChanged, this, [this] {
        if (description_->document()->characterCount() - 1 <= kInfoTextLimit) return;
        const QSignalBlocker blocker(description_);
        description_->setPlainText(plainTextOf(description_).left(kInfoTextLimit));
        description_->moveCursor(QTextCursor::End);
    });

    auto* nameBox = new QGroupBox("Name", this);
    (new QVBoxLayout(nameBox))->addWidget(name_);
    auto* descriptionBox = new QGroupBox("Description", this);
    (new QVBoxLayout(descriptionBox))->addWidget(description_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(editing_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameBox);
    layout->addWidget(descriptionBox, 1);
    layout->addLayout(buttons);
    resize(430, 320);
    DialogKeys::installTwoStep(this);

    fillSceneryInfo();
    updateInfoEditState();
    ok_->setFocus();
}

void SceneryInfoDialog::fillSceneryInfo() {
    const World& w = app_.world();
    name_->setMaxLength(kInfoTextLimit);
    editing_->setChecked(false);
    setFieldReadOnly(name_, true);
    setFieldReadOnly(description_, true);
    name_->setText(fromWorldText(w.SCENERY_NAME));
    shownDescription_ = descriptionForShow(w.SCENERY_DESCRIPTION);
    description_->setPlainText(shownDescription_);
}

void SceneryInfoDialog::updateInfoEditState() {
    const bool editable = editing_->isChecked();
    setFieldReadOnly(name_, !editable);
    setFieldReadOnly(description_, !editable);
}

bool SceneryInfoDialog::focusOnDialogOr(std::initializer_list<const QWidget*> buttons) const {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus)) return true;
    for (const QWidget* b : buttons) {
        if (focus == b) return true;
    }
    return false;
}

void SceneryInfoDialog::applyTexts() {
    World& w = app_.world();
    std::string name = toWorldText(name_->text().left(kInfoTextLimit));
    sanitizeUserText(name);
    setIfChanged(w, w.SCENERY_NAME, name);
    // An untouched description is read back byte for byte, whatever its line
    // breaks.
    const QString shown = plainTextOf(description_);
    std::string description =
        shown == shownDescription_ ? w.SCENERY_DESCRIPTION : descriptionForStore(shown.left(kInfoTextLimit));
    sanitizeUserText(description);
    setIfChanged(w, w.SCENERY_DESCRIPTION, description);
    app_.refreshMenus();
}

void SceneryInfoDialog::accept() {
    if (focusOnDialogOr({ok_})) {
        applyTexts();
        QDialog::accept();
        return;
    }
    // Enter elsewhere only moves the focus to OK.
    updateInfoEditState();
    ok_->setFocus();
}

void SceneryInfoDialog::reject() {
    if (closing_ || focusOnDialogOr({ok_, cancel_})) {
        QDialog::reject();
        return;
    }
    // Esc in a text only moves the focus to OK.
    updateInfoEditState();
    ok_->setFocus();
}

void SceneryInfoDialog::closeEvent(QCloseEvent* event) {
    closing_ = true;  // the system close never applies
    QDialog::closeEvent(event);
    closing_ = false;
}

// --- AboutDialog -------------------------------------------------------------

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("105");
    setWindowTitle("About");
    auto label = [this](const QString& id, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(id);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    auto readOnly = [this](const QString& id, const QString& text) {
        auto* e = new QLineEdit(text, this);
        e->setObjectName(id);
        setFieldReadOnly(e, true);
        e->setAlignment(Qt::AlignCenter);
        fitToShow(e, text);
        e->setCursorPosition(0);
        return e;
    };
    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    icon->setPixmap(QIcon(":/icons/app.svg").pixmap(48, 48));
    QLabel* product = label("1002", "Vantor");
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    product->setFont(big);
    QLabel* version = label("1005", QString("v%1").arg(PROGRAM_VERSION));
    QLabel* engine = label("1006", QString("(engine v%1)").arg(ENGINE_VERSION));
    QLabel* credit = label("1003", "An N-body gravity simulator: point masses under mutual Newtonian gravity.");
    credit->setWordWrap(true);
    QLineEdit* web = readOnly("1065", WEB_SERVER);

    auto* constants = new QGroupBox("Physical constants used in calculations", this);
    auto* grid = new QGridLayout(constants);
    grid->addWidget(new QLabel("Gravitational constant:", constants), 0, 0);
    grid->addWidget(readOnly("1064", QString("G = %1  m^3 / (kg s^2)").arg(QString::fromStdString(formatReal(G)))), 0,
                    1);
    grid->addWidget(new QLabel("Speed of light in vacuum:", constants), 1, 0);
    grid->addWidget(readOnly("1063", QString("c = %1  m/s").arg(QString::fromStdString(formatReal(SPEED_OF_LIGHT)))), 1,
                    1);
    grid->setColumnStretch(1, 1);

    auto* close = new QPushButton("&Close", this);
    close->setObjectName("1");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    auto* names = new QVBoxLayout;
    names->addWidget(product);
    names->addWidget(version);
    names->addWidget(engine);
    head->addLayout(names, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(credit);
    layout->addWidget(web);
    layout->addWidget(constants);
    layout->addLayout(buttons);
    resize(417, 331);
    close->setFocus();
}

void AboutDialog::run(QWidget* parent) {
    AboutDialog dialog(parent);
    dialog.exec();
}

}  // namespace vantor
