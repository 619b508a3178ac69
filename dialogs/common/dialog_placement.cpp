#include "dialogs/common/dialog_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace vantor::dialogs {

namespace {

// The modeless dialogs shown so far and where each kind was last seen. It
// watches the dialogs' moves, so that a dialog the user dragged away opens
// there again.
class Placements : public QObject {
public:
    std::vector<QPointer<QWidget>> dialogs;
    std::map<QByteArray, QPoint> leftAt;
    QSize decoration{0, 0};  // the window frame last seen around a dialog

    static QByteArray kindOf(const QWidget* dialog) { return dialog->metaObject()->className(); }

    void track(QWidget* dialog) {
        std::erase_if(dialogs, [](const QPointer<QWidget>& d) { return d.isNull(); });
        if (std::find(dialogs.begin(), dialogs.end(), dialog) != dialogs.end()) return;
        dialogs.emplace_back(dialog);
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QWidget*>(watched);
        const bool moved = event->type() == QEvent::Move && dialog && dialog->isVisible();
        if (dialog && (moved || event->type() == QEvent::Hide)) leftAt[kindOf(dialog)] = dialog->pos();
        if (moved) decoration = decoration.expandedTo(dialog->frameGeometry().size() - dialog->size());
        return false;
    }
};

Placements& placements() {
    static Placements* theOne = new Placements;  // lives as long as the program
    return *theOne;
}

// A coordinate that keeps a span of `size` within [low, high], as far as it fits.
int keptWithin(int value, int size, int low, int high) { return std::max(low, std::min(value, high + 1 - size)); }

QPoint keptInside(QPoint p, const QSize& outer, const QRect& area) {
    return {keptWithin(p.x(), outer.width(), area.left(), area.right()),
            keptWithin(p.y(), outer.height(), area.top(), area.bottom())};
}

QRect availableAreaAt(const QWidget* owner, QPoint point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) screen = owner ? owner->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The size of a dialog with its window frame. Most window systems add the
// frame only once the dialog is shown: the frames of the owner (none while
// fullscreen) and of the dialogs seen so far stand in.
QSize outerSize(const QWidget* dialog, const QWidget* owner) {
    QSize decoration = placements().decoration;
    if (owner && owner->isVisible()) decoration = decoration.expandedTo(owner->frameGeometry().size() - owner->size());
    if (const QWindow* handle = dialog->windowHandle()) {
        const QMargins m = handle->frameMargins();
        decoration = decoration.expandedTo(QSize(m.left() + m.right(), m.top() + m.bottom()));
    }
    return dialog->size() + decoration;
}

void setTransientParent(QWidget* dialog, QWidget* owner) {
    QWindow* ownerWindow = owner ? owner->window()->windowHandle() : nullptr;
    if (!ownerWindow) return;
    // The dialog's window, for the owner to be set before the window system
    // maps it (winId() would make the widget native as well).
    if (!dialog->windowHandle()) dialog->createWinId();
    QWindow* window = dialog->windowHandle();
    if (window && window->transientParent() != ownerWindow) window->setTransientParent(ownerWindow);
}

void place(QWidget* dialog, QWidget* owner, const std::optional<QRect>& ownerFrame) {
    if (!dialog->testAttribute(Qt::WA_Resized)) dialog->adjustSize();
    const QSize outer = outerSize(dialog, owner);
    const auto left = placements().leftAt.find(Placements::kindOf(dialog));
    if (left != placements().leftAt.end()) {
        dialog->move(keptInside(left->second, outer, availableAreaAt(owner, left->second)));
        return;
    }
    if (!owner) return;
    const QRect frame = ownerFrame.value_or(owner->window()->frameGeometry());
    dialog->move(besideOwner(frame, outer, availableAreaAt(owner, frame.center())));
}

}  // namespace

QPoint besideOwner(const QRect& owner, const QSize& outer, const QRect& area) {
    const int top = keptWithin(owner.top(), outer.height(), area.top(), area.bottom());
    const int left = keptWithin(owner.left(), outer.width(), area.left(), area.right());
    const QPoint sides[] = {
        {owner.right() + 1 + DIALOG_GAP, top},             // right
        {owner.left() - DIALOG_GAP - outer.width(), top},  // left
        {left, owner.bottom() + 1 + DIALOG_GAP},           // below
    };
    for (const QPoint& p : sides) {
        if (area.contains(QRect(p, outer))) return p;
    }
    // No side has the room: the one that, kept on the screen, covers the least.
    QPoint best = keptInside(sides[0], outer, area);
    long long leastCovered = std::numeric_limits<long long>::max();
    for (const QPoint& p : sides) {
        const QPoint kept = keptInside(p, outer, area);
        const QRect covered = QRect(kept, outer).intersected(owner);
        const long long amount = covered.isEmpty() ? 0 : static_cast<long long>(covered.width()) * covered.height();
        if (amount < leastCovered) {
            leastCovered = amount;
            best = kept;
        }
    }
    return best;
}

void showModeless(QWidget* dialog, QWidget* owner, std::optional<QRect> ownerFrame) {
    placements().track(dialog);
    if (!dialog->isVisible()) {
        // Placed before its window exists, so that the place is that of the
        // window's frame.
        place(dialog, owner, ownerFrame);
        setTransientParent(dialog, owner);
        dialog->show();
    }
    dialog->raise();
    dialog->activateWindow();
}

void keepModelessAbove(QWidget* owner) {
    if (!owner) return;
    bool shownAnew = false;
    for (const QPointer<QWidget>& dialog : std::vector<QPointer<QWidget>>(placements().dialogs)) {
        // A hidden dialog gets its owner when it is shown again.
        if (!dialog || !dialog->isVisible()) continue;
        if (dialog->windowHandle() && dialog->windowHandle()->transientParent() == owner->window()->windowHandle())
            continue;
        // The window system reads the owner when a window is mapped: show it anew.
        const QPoint at = dialog->pos();
        const bool quiet = dialog->testAttribute(Qt::WA_ShowWithoutActivating);
        dialog->setAttribute(Qt::WA_ShowWithoutActivating, true);
        dialog->hide();
        setTransientParent(dialog, owner);
        dialog->move(at);
        dialog->show();
        dialog->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
        shownAnew = true;
    }
    // Some window systems activate a window on show regardless.
    if (shownAnew) owner->window()->activateWindow();
}

void forgetModelessPlaces() { placements().leftAt.clear(); }

}  // namespace vantor::dialogs
