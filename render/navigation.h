// View navigation: stepping the angles, zooming, the spacecraft turns, the
// mouse drag and the hit test. None of it marks the scenery modified, and
// none of it paints: the shell repaints (and refreshes the viewpoint or
// origin dialog) after each operation.
#pragma once

#include "engine/world.h"
#include "render/view.h"

namespace vantor::render {

// Command ids of the zoom and rotation commands.
enum ViewCommand {
    CMD_ZOOM_IN = 40037,
    CMD_ZOOM_OUT = 40038,
    CMD_ROTATE_Z_PLUS = 40062,          // Up
    CMD_ROTATE_Z_MINUS = 40063,         // Down
    CMD_ROTATE_VERTICAL_PLUS = 40064,   // Left
    CMD_ROTATE_VERTICAL_MINUS = 40065,  // Right
    CMD_ROTATE_CLOCKWISE = 40067,
    CMD_ROTATE_COUNTERCLOCKWISE = 40069,
};

// theta clamped to 0..180; phi and alpha wrapped into 0..360; each then
// recomputes VIEWPOINT_POSITION from D and the angles.
void changeTheta(World& world, double delta);
void changePhi(World& world, double delta);
void changeAlpha(World& world, double delta);

// One of the six rotation commands by VIEW_ROTATING_STEP; false (nothing
// changed) for any other id.
bool rotateViewCommand(World& world, int commandId);

// D x 0.95, or (a D not above 0 first becoming 1) D x 1.05; then the
// viewpoint position and the projection.
void zoomIn(World& world, View& view);
void zoomOut(World& world, View& view);

// Spacecraft mode: turn the view by beta degrees about the screen's
// vertical (horizontal turn) or horizontal axis; new angles and heading.
void turnViewHorizontal(World& world, const View& view, double beta);
void turnViewVertical(World& world, const View& view, double beta);

// The object drawn at a view point in the last painted frame, nearest
// first, or -1. The caller checks the index against OBJECTS_N when the
// objects may have changed since that frame.
int objectAtPoint(const View& view, int x, int y);

// The mouse drag over the view.
struct DragState {
    int buttonHeld = 0;
    int lastX = 0, lastY = 0;
};

enum ViewDragEffect {
    DRAG_NOTHING = 0,
    DRAG_ANGLES = 1,   // theta, phi or alpha changed (viewpoint dialog)
    DRAG_ORIGIN = 2,   // the origin moved, mode now 2 (origin dialog)
    DRAG_REPAINT = 4,  // paint a frame
};

// Left button down at (x, y). Returns DRAG_REPAINT outside spacecraft mode
// (the axes appear while dragging).
int beginViewDrag(const World& world, View& view, DragState& drag, int x, int y);
// Left button up. Returns DRAG_REPAINT.
int endViewDrag(View& view, DragState& drag);
// A move reports the button no longer down: the drag is forgotten (the
// axes stay until the button-up).
void loseViewDrag(DragState& drag);
// A move to (x, y) with the button held: rotate (no modifier), roll
// (Shift), pan in the view plane (Ctrl) or along the line of sight
// (Ctrl+Shift); in spacecraft mode the plain drag turns the view.
int applyViewDrag(World& world, View& view, DragState& drag, int x, int y, bool shift, bool ctrl);

// The mouse wheel zooms as + and - do: its angle units add up, and each
// 120 of them (one notch of a standard wheel, several turns of a
// high-resolution one) is one step, in for a turn away from the user. A turn
// the other way starts the count afresh. The result is the steps to take
// now: n > 0 zoom in n times, n < 0 zoom out -n times.
struct WheelState {
    int accumulated = 0;
};

int wheelZoomSteps(WheelState& wheel, int angleDelta);

// The auto-repeat of the toolbar's zoom and rotation buttons, one call per
// 25 ms tick. pressedCommand is the command of the button held down (the
// first pressed among the zoom and rotation buttons), or 0. A held rotation
// button sets viewDragging (the axes show); letting go clears it and asks
// for a repaint. From the 5th tick on (100 ms) the result is the command to
// perform on this tick, else 0.
struct ToolbarRepeatState {
    int active = 0;
    int ticks = 0;
};

int toolbarRepeatTick(View& view, ToolbarRepeatState& state, int pressedCommand, bool& repaint);

}  // namespace vantor::render
