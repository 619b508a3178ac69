// Where the modeless dialogs show: beside the main window at first, then
// where the user left each kind of dialog during this run (the program keeps
// no settings between runs); always above the window that shows the view,
// the fullscreen window included.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

namespace vantor::dialogs {

constexpr int DIALOG_GAP = 8;  // pixels between a dialog and the main window

// The top-left corner for a frame of `outer` size beside the frame `owner`:
// right of it, else left of it, else below it, where `area` has the room;
// where no side has it, the side that covers the owner least. The frame is
// kept inside `area` as far as its size allows.
QPoint besideOwner(const QRect& owner, const QSize& outer, const QRect& area);

// Shows a modeless dialog above `owner`'s window: where the user left a
// dialog of its kind during this run, else beside `ownerFrame` (the owner's
// frame when not given). A dialog already on show is raised and focused.
void showModeless(QWidget* dialog, QWidget* owner, std::optional<QRect> ownerFrame = std::nullopt);

// The one way a modeless dialog of a kind is held: `handle` is empty while
// none is open (from the moment it finishes, before its deferred deletion).
// Makes the dialog with make() when there is none; returns it.
template <typename D, typename Make>
D* holdModeless(QPointer<D>& handle, Make make) {
    if (!handle) {
        handle = make();
        QObject::connect(handle.data(), &QDialog::finished, handle.data(), [&handle] { handle = nullptr; });
    }
    return handle.data();
}

// The view went to another top-level window (fullscreen on or off): the open
// modeless dialogs go above that window, where they are, without taking the
// keyboard from it.
void keepModelessAbove(QWidget* owner);

// Forgets where the dialogs were left, as at program start.
void forgetModelessPlaces();

}  // namespace vantor::dialogs
