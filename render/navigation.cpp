#include "render/navigation.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "render/camera.h"

namespace vantor::render {

namespace {

double wrapDegrees(double a) {
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360 : a;
}

}  // namespace

void changeTheta(World& world, double delta) {
    double t = world.VIEWPOINT_THETA + delta;
    if (t < 0) t = 0;
    if (t > 180) t = 180;
    world.VIEWPOINT_THETA = t;
    viewpointFromAngles(world);
}

void changePhi(World& world, double delta) {
    world.VIEWPOINT_PHI = wrapDegrees(world.VIEWPOINT_PHI + delta);
    viewpointFromAngles(world);
}

void changeAlpha(World& world, double delta) {
    world.VIEWPOINT_ALPHA = wrapDegrees(world.VIEWPOINT_ALPHA + delta);
    viewpointFromAngles(world);
}

bool rotateViewCommand(World& world, int commandId) {
    const double step = world.VIEW_ROTATING_STEP;
    switch (commandId) {
        case CMD_ROTATE_Z_PLUS: changePhi(world, -step); return true;
        case CMD_ROTATE_Z_MINUS: changePhi(world, step); return true;
        case CMD_ROTATE_VERTICAL_PLUS: changeTheta(world, -step); return true;
        case CMD_ROTATE_VERTICAL_MINUS: changeTheta(world, step); return true;
        case CMD_ROTATE_CLOCKWISE: changeAlpha(world, -step); return true;
        case CMD_ROTATE_COUNTERCLOCKWISE: changeAlpha(world, step); return true;
        default: return false;
    }
}

void zoomIn(World& world, View& view) {
    world.VIEWPOINT_DISTANCE *= 0.95;
    viewpointFromAngles(world);
    updateProjection(world, view);
}

void zoomOut(World& world, View& view) {
    if (world.VIEWPOINT_DISTANCE <= 0) world.VIEWPOINT_DISTANCE = 1.0;
    world.VIEWPOINT_DISTANCE *= 1.05;
    viewpointFromAngles(world);
    updateProjection(world, view);
}

namespace {

// Turns the camera-space images of the world axes by beta about the
// screen's vertical (horizontal) or horizontal axis and reads the angles
// and the heading back from them.
void turnView(World& world, const View& view, double beta, bool horizontal) {
    const double l = axisLength(view);
    const double th = -world.VIEWPOINT_THETA, ph = -world.VIEWPOINT_PHI, al = -world.VIEWPOINT_ALPHA;
    Vec3 images[3] = {rotateForward(th, ph, al, {l, 0, 0}), rotateForward(th, ph, al, {0, l, 0}),
                      rotateForward(th, ph, al, {0, 0, l})};
    const double c = std::cos(beta * DEG_TO_RAD), s = std::sin(beta * DEG_TO_RAD);
    for (Vec3& p : images) {
        if (horizontal) {
            p = {c * p.x - s * p.z, p.y, s * p.x + c * p.z};
        } else {
            p = {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
        }
    }
    recoverViewAngles(world, view, images);
    const Vec3 heading =
        vecNormalise(rotateBackward(-world.VIEWPOINT_THETA, -world.VIEWPOINT_PHI, -world.VIEWPOINT_ALPHA, {0, 0, -1}));
    world.SPACECRAFT_DIRECTION_X = heading.x;
    world.SPACECRAFT_DIRECTION_Y = heading.y;
    world.SPACECRAFT_DIRECTION_Z = heading.z;
}

}  // namespace

int wheelZoomSteps(WheelState& wheel, int angleDelta) {
    constexpr int kNotch = 120;
    if ((angleDelta > 0 && wheel.accumulated < 0) || (angleDelta < 0 && wheel.accumulated > 0)) wheel.accumulated = 0;
    // Kept within one notch, so that no sum of deltas can overflow.
    const int64_t sum = int64_t{wheel.accumulated} + angleDelta;
    const int64_t steps = sum / kNotch;
    wheel.accumulated = static_cast<int>(sum - steps * kNotch);
    return static_cast<int>(steps);
}

void turnViewHorizontal(World& world, const View& view, double beta) { turnView(world, view, beta, true); }

void turnViewVertical(World& world, const View& view, double beta) { turnView(world, view, beta, false); }

int objectAtPoint(const View& view, int x, int y) {
    for (int k = view.depthCount - 1; k >= 0; --k) {
        const DrawEntry& e = view.depthOrder[k];
        if (!e.visible) continue;
        const double dx = static_cast<double>(int64_t{x} - e.x), dy = static_cast<double>(int64_t{y} - e.y);
        const double d = e.diameter;
        if (dx * dx + dy * dy <= d * d * 0.25 + 4) return e.index;
    }
    return -1;
}

int beginViewDrag(const World& world, View& view, DragState& drag, int x, int y) {
    drag.buttonHeld = 1;
    drag.lastX = x;
    drag.lastY = y;
    if (world.SPACECRAFT_MODE) return DRAG_NOTHING;
    view.viewDragging = 1;
    return DRAG_REPAINT;
}

int endViewDrag(View& view, DragState& drag) {
    drag.buttonHeld = 0;
    view.viewDragging = 0;
    return DRAG_REPAINT;
}

void loseViewDrag(DragState& drag) { drag.buttonHeld = 0; }

int applyViewDrag(World& world, View& view, DragState& drag, int x, int y, bool shift, bool ctrl) {
    if (!drag.buttonHeld) return DRAG_NOTHING;
    const double dx = static_cast<double>(int64_t{x} - drag.lastX);
    const double dy = static_cast<double>(int64_t{y} - drag.lastY);
    const double step = world.VIEW_ROTATING_STEP;
    if (ctrl) {
        // A drag of 1000 pixels moves by one visible half extent (or by D
        // along the line of sight), so the scene follows the mouse.
        const Vec3 shiftCamera =
            shift ? Vec3{0, 0, dy * world.VIEWPOINT_DISTANCE * 0.001}
                  : Vec3{-dx * view.visibleHalfWidth * 0.001, dy * view.visibleHalfHeight * 0.001, 0};
        const Vec3 v =
            rotateBackward(-world.VIEWPOINT_THETA, -world.VIEWPOINT_PHI, -world.VIEWPOINT_ALPHA, shiftCamera);
        world.ORIGIN_MODE = 2;
        world.ORIGIN_POSITION_X += v.x;
        world.ORIGIN_POSITION_Y += v.y;
        world.ORIGIN_POSITION_Z += v.z;
        drag.lastX = x;
        drag.lastY = y;
        return DRAG_ORIGIN | DRAG_REPAINT;
    }
    if (!shift) {
        if (world.SPACECRAFT_MODE) {
            turnViewHorizontal(world, view, -dx * (std::fabs(dx) < 41 ? 0.03 : 0.11));
            turnViewVertical(world, view, dy * (std::fabs(dy) < 41 ? 0.03 : 0.11));
        } else {
            changeTheta(world, -dx * step);
            changePhi(world, dy * step);
        }
        drag.lastY = y;
    } else {
        changeAlpha(world, world.SPACECRAFT_MODE ? -dx * step : dx * step);
    }
    drag.lastX = x;
    return DRAG_ANGLES | DRAG_REPAINT;
}

int toolbarRepeatTick(View& view, ToolbarRepeatState& state, int pressedCommand, bool& repaint) {
    const bool zoom = pressedCommand == CMD_ZOOM_IN || pressedCommand == CMD_ZOOM_OUT;
    bool rotation = false;
    for (int c : {CMD_ROTATE_Z_PLUS, CMD_ROTATE_Z_MINUS, CMD_ROTATE_VERTICAL_PLUS, CMD_ROTATE_VERTICAL_MINUS,
                  CMD_ROTATE_CLOCKWISE, CMD_ROTATE_COUNTERCLOCKWISE}) {
        rotation = rotation || pressedCommand == c;
    }
    const bool wasActive = state.active != 0;
    state.active = zoom || rotation;
    if (rotation) view.viewDragging = 1;
    repaint = false;
    if (!rotation && wasActive) {
        view.viewDragging = 0;
        repaint = true;
    }
    if (!state.active) {
        state.ticks = 0;
        return 0;
    }
    return ++state.ticks >= 5 ? pressedCommand : 0;
}

}  // namespace vantor::render
