#include "render/navigation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/camera.h"
#include "render/painter.h"
#include "tests/support/render_samples.h"

namespace vantor::render {
namespace {

using samples::addObject;

TEST(Navigation, RotationCommandsClampThetaAndWrapPhiAndAlpha) {
    const struct {
        int command;
        double theta, phi, alpha;     // before
        double theta2, phi2, alpha2;  // after
    } cases[] = {
        {CMD_ROTATE_VERTICAL_MINUS, 179.9, 0, 0, 180, 0, 0},                                                 // Right
        {CMD_ROTATE_VERTICAL_PLUS, 0.1, 0, 0, 0, 0, 0},                                                      // Left
        {CMD_ROTATE_VERTICAL_PLUS, 90, 0, 0, 89.78, 0, 0},   {CMD_ROTATE_Z_MINUS, 0, 359.9, 0, 0, 0.12, 0},  // Down
        {CMD_ROTATE_Z_PLUS, 0, 0.1, 0, 0, 359.88, 0},                                                        // Up
        {CMD_ROTATE_CLOCKWISE, 0, 0, 0.1, 0, 0, 359.88},     {CMD_ROTATE_COUNTERCLOCKWISE, 0, 0, 359.9, 0, 0, 0.12},
    };
    for (const auto& c : cases) {
        World w;
        w.VIEWPOINT_THETA = c.theta, w.VIEWPOINT_PHI = c.phi, w.VIEWPOINT_ALPHA = c.alpha;
        EXPECT_TRUE(rotateViewCommand(w, c.command));
        EXPECT_NEAR(w.VIEWPOINT_THETA, c.theta2, 1e-9) << c.command;
        EXPECT_NEAR(w.VIEWPOINT_PHI, c.phi2, 1e-9) << c.command;
        EXPECT_NEAR(w.VIEWPOINT_ALPHA, c.alpha2, 1e-9) << c.command;
        EXPECT_NEAR(w.VIEWPOINT_POSITION_Z, 1e10 * std::cos(c.theta2 * DEG_TO_RAD), 1);
        EXPECT_EQ(w.sceneryModified, 0);
    }
    World w;
    EXPECT_FALSE(rotateViewCommand(w, CMD_ZOOM_IN));
}

TEST(Navigation, ZoomSequence) {
    World w;
    View v;
    updateViewSize(w, v, 600, 350);
    zoomIn(w, v);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 9.5e9);
    EXPECT_EQ(w.VIEWPOINT_POSITION_Z, 9.5e9);
    zoomOut(w, v);
    EXPECT_EQ(w.VIEWPOINT_DISTANCE, 9.975e9);
    EXPECT_EQ(v.eyeDistance, 9.975e9 + v.screenScale * 600);
    for (double d : {0.0, -3.0}) {
        w.VIEWPOINT_DISTANCE = d;
        zoomOut(w, v);
        EXPECT_EQ(w.VIEWPOINT_DISTANCE, 1.05);
    }
    EXPECT_EQ(w.sceneryModified, 0);
}

class Drag : public ::testing::Test {
protected:
    void SetUp() override { updateViewSize(w, v, 600, 350); }
    World w;
    View v;
    DragState d;
};

TEST_F(Drag, PlainDragRotatesShiftDragRolls) {
    w.VIEWPOINT_THETA = 90, w.VIEWPOINT_PHI = 100;
    EXPECT_EQ(beginViewDrag(w, v, d, 10, 10), DRAG_REPAINT);
    EXPECT_EQ(v.viewDragging, 1);
    EXPECT_EQ(applyViewDrag(w, v, d, 15, 12, false, false), DRAG_ANGLES | DRAG_REPAINT);
    EXPECT_NEAR(w.VIEWPOINT_THETA, 90 - 5 * 0.22, 1e-9);
    EXPECT_NEAR(w.VIEWPOINT_PHI, 100 + 2 * 0.22, 1e-9);
    EXPECT_EQ(d.lastX, 15);
    EXPECT_EQ(d.lastY, 12);
    applyViewDrag(w, v, d, 17, 40, true, false);
    EXPECT_NEAR(w.VIEWPOINT_ALPHA, 2 * 0.22, 1e-9);
    EXPECT_EQ(d.lastX, 17);
    EXPECT_EQ(d.lastY, 12);  // a roll leaves lastY
    EXPECT_EQ(endViewDrag(v, d), DRAG_REPAINT);
    EXPECT_EQ(v.viewDragging, 0);
    EXPECT_EQ(applyViewDrag(w, v, d, 30, 30, false, false), DRAG_NOTHING);
    EXPECT_EQ(w.sceneryModified, 0);
}

TEST_F(Drag, CtrlDragPansTheOriginWithTheMouse) {
    v.visibleHalfWidth = 8.75e8;
    w.ORIGIN_POSITION_X = 1e11;
    beginViewDrag(w, v, d, 0, 0);
    EXPECT_EQ(applyViewDrag(w, v, d, 100, 0, false, true), DRAG_ORIGIN | DRAG_REPAINT);
    EXPECT_EQ(w.ORIGIN_MODE, 2);
    EXPECT_NEAR(w.ORIGIN_POSITION_X, 1e11 - 8.75e7, 1e-3);  // towards the left of the view
    EXPECT_EQ(d.lastX, 100);

    // Ctrl+Shift moves along the line of sight, here the z axis.
    applyViewDrag(w, v, d, 100, 10, true, true);
    EXPECT_NEAR(w.ORIGIN_POSITION_Z, 10 * 1e10 * 0.001, 1e-3);
    EXPECT_EQ(d.lastY, 10);

    // Under other angles the pan follows the view's own axes.
    w.VIEWPOINT_THETA = 90, w.VIEWPOINT_PHI = 90;
    const Vec3 before{w.ORIGIN_POSITION_X, w.ORIGIN_POSITION_Y, w.ORIGIN_POSITION_Z};
    applyViewDrag(w, v, d, 100, 20, false, true);
    const Vec3 moved = vecSub({w.ORIGIN_POSITION_X, w.ORIGIN_POSITION_Y, w.ORIGIN_POSITION_Z}, before);
    const Vec3 camera = rotateForward(-90, -90, 0, moved);
    EXPECT_NEAR(camera.x, 0, 1e-3);
    EXPECT_NEAR(camera.y, 10 * v.visibleHalfHeight * 0.001, 1e-3);
    EXPECT_NEAR(camera.z, 0, 1e-3);
    EXPECT_EQ(w.sceneryModified, 0);
}

TEST_F(Drag, LosingTheButtonStopsTheDragButKeepsTheAxes) {
    beginViewDrag(w, v, d, 0, 0);
    loseViewDrag(d);
    EXPECT_EQ(applyViewDrag(w, v, d, 50, 50, false, false), DRAG_NOTHING);
    EXPECT_EQ(v.viewDragging, 1);
}

TEST_F(Drag, SpacecraftDragTurnsTheView) {
    w.SPACECRAFT_MODE = 1;
    w.VIEWPOINT_THETA = 80, w.VIEWPOINT_PHI = 30, w.VIEWPOINT_ALPHA = 10;
    EXPECT_EQ(beginViewDrag(w, v, d, 0, 0), DRAG_NOTHING);
    EXPECT_EQ(v.viewDragging, 0);
    const auto heading = [&] {
        return rotateBackward(-w.VIEWPOINT_THETA, -w.VIEWPOINT_PHI, -w.VIEWPOINT_ALPHA, {0, 0, -1});
    };
    const Vec3 h0 = heading();
    applyViewDrag(w, v, d, 10, 0, false, false);  // 10 pixels: 0.3 degrees
    const Vec3 h1 = heading();
    EXPECT_NEAR(std::acos(h0.x * h1.x + h0.y * h1.y + h0.z * h1.z) * RAD_TO_DEG, 0.3, 1e-4);
    EXPECT_NEAR(w.SPACECRAFT_DIRECTION_X, h1.x, 1e-12);
    EXPECT_NEAR(w.SPACECRAFT_DIRECTION_Z, h1.z, 1e-12);
    applyViewDrag(w, v, d, 60, 0, false, false);  // 50 pixels: 0.11 degrees each
    const Vec3 h2 = heading();
    EXPECT_NEAR(std::acos(h1.x * h2.x + h1.y * h2.y + h1.z * h2.z) * RAD_TO_DEG, 5.5, 1e-4);
    const double alpha = w.VIEWPOINT_ALPHA;
    applyViewDrag(w, v, d, 70, 0, true, false);  // Shift rolls the other way round
    EXPECT_NEAR(std::fmod(w.VIEWPOINT_ALPHA - alpha + 360, 360), 360 - 10 * 0.22, 1e-9);
}

TEST(Navigation, TurnsAreUndoneByTheOppositeTurn) {
    World w;
    View v;
    updateViewSize(w, v, 600, 350);
    w.VIEWPOINT_THETA = 70, w.VIEWPOINT_PHI = 200, w.VIEWPOINT_ALPHA = 30;
    turnViewHorizontal(w, v, 0.5);
    turnViewVertical(w, v, -0.5);
    turnViewVertical(w, v, 0.5);
    turnViewHorizontal(w, v, -0.5);
    EXPECT_NEAR(w.VIEWPOINT_THETA, 70, 1e-5);
    EXPECT_NEAR(w.VIEWPOINT_PHI, 200, 1e-5);
    EXPECT_NEAR(w.VIEWPOINT_ALPHA, 30, 1e-5);
    const double len = std::sqrt(w.SPACECRAFT_DIRECTION_X * w.SPACECRAFT_DIRECTION_X +
                                 w.SPACECRAFT_DIRECTION_Y * w.SPACECRAFT_DIRECTION_Y +
                                 w.SPACECRAFT_DIRECTION_Z * w.SPACECRAFT_DIRECTION_Z);
    EXPECT_NEAR(len, 1, 1e-12);
}

TEST(Navigation, ObjectAtPointNamesTheNearestDisc) {
    World w;
    View v;
    w.ORIGIN_MODE = 2;
    w.displayOSD = 0;
    updateViewSize(w, v, 200, 100);
    Surface s;
    clearBackBuffer(v, s);
    const double px = v.eyeDistance / (200 / (2 * std::tan(5 * DEG_TO_RAD)));
    addObject(w, 0, 0, 0, 10.2 * px);          // 0: far, 20 pixels across
    addObject(w, 5 * px, 0, 1e3, 4.2 * px);    // 1: near, 8 across, overlapping
    addObject(w, -59.5 * px, 0, 0, 0.1 * px);  // 2: one pixel
    paintFrame(w, v, s);
    EXPECT_EQ(objectAtPoint(v, 105, 50), 1);
    EXPECT_EQ(objectAtPoint(v, 93, 50), 0);
    EXPECT_EQ(objectAtPoint(v, 100, 61), -1);  // 11 > sqrt(100 + 4)
    EXPECT_EQ(objectAtPoint(v, 100, 60), 0);   // 10: within the radius
    EXPECT_EQ(objectAtPoint(v, 42, 50), 2);    // 2 pixels off a dot still hits
    EXPECT_EQ(objectAtPoint(v, 37, 50), -1);
}

TEST(Navigation, HoldingAToolbarButtonRepeatsItsCommand) {
    View v;
    ToolbarRepeatState state;
    bool repaint = false;
    int performed = 0;
    for (int tick = 0; tick < 40; ++tick) {  // one second
        const int c = toolbarRepeatTick(v, state, CMD_ROTATE_Z_PLUS, repaint);
        if (c) {
            EXPECT_EQ(c, CMD_ROTATE_Z_PLUS);
            EXPECT_GE(tick, 4);  // from the 5th tick on
            ++performed;
        }
        EXPECT_EQ(v.viewDragging, 1);
        EXPECT_FALSE(repaint);
    }
    EXPECT_EQ(performed, 36);
    EXPECT_EQ(toolbarRepeatTick(v, state, 0, repaint), 0);  // let go
    EXPECT_TRUE(repaint);
    EXPECT_EQ(v.viewDragging, 0);
    EXPECT_EQ(state.ticks, 0);
    EXPECT_EQ(toolbarRepeatTick(v, state, 0, repaint), 0);
    EXPECT_FALSE(repaint);
    for (int tick = 0; tick < 4; ++tick) EXPECT_EQ(toolbarRepeatTick(v, state, CMD_ZOOM_OUT, repaint), 0);
    EXPECT_EQ(toolbarRepeatTick(v, state, CMD_ZOOM_OUT, repaint), CMD_ZOOM_OUT);
    EXPECT_EQ(v.viewDragging, 0);                               // zooming shows no axes
    EXPECT_EQ(toolbarRepeatTick(v, state, 40001, repaint), 0);  // any other button is no repeat
}

}  // namespace
}  // namespace vantor::render
