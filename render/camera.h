// The camera: the origin point, the viewpoint and its three angles, the
// perspective projection. Angles the user sees are degrees, lengths metres.
// Camera coordinates: x to the right, y up, z towards the viewer; the origin
// point at (0, 0, 0), the viewpoint at (0, 0, D), the eye at (0, 0, A).
#pragma once

#include "engine/world.h"
#include "render/view.h"

namespace vantor::render {

// The view's pixel size (negative counts as 0). The first form leaves the
// projection to the caller; the second also runs updateProjection.
void updateViewSize(View& view, int width, int height);
void updateViewSize(const World& world, View& view, int width, int height);

// K = 0.0001 / (2 tan(FOV / 2)).
double screenScaleFor(double fovDegrees);

// K, A, Sx and Sy from the FOV, D and the view size; an extent that is not
// above 0 becomes 1 (a NaN stays).
void updateProjection(const World& world, View& view);

// The angle cache from theta, phi and alpha.
void refreshAngleCache(const World& world, View& view);

// The start of every frame with objects: the display copy, origin,
// viewpoint, angle cache, K, and every record not disabled (1) turned into
// camera coordinates. Nothing when there are no objects.
void prepareFrame(World& world, View& view);
void updateOrigin(World& world, View& view);
void updateViewpoint(World& world, View& view);

// VIEWPOINT_POSITION from D, theta and phi.
void viewpointFromAngles(World& world);
// D, theta (0..180) and phi (0..360) from VIEWPOINT_POSITION; a position at
// exactly the origin point leaves D at 0 and the angles as they were.
void anglesFromViewpoint(World& world);

// Origin-relative world point -> camera coordinates with the angle cache.
void worldToCamera(const View& view, double& x, double& y, double& z);
void worldToCamera(const View& view, double x, double y, double z, double& cx, double& cy, double& cz);

// Camera point -> screen position in pixels (not truncated). No test of
// depth: points at or behind the eye project through the centre.
void projectPoint(const World& world, const View& view, double x, double y, double z, double& sx, double& sy);

// Turns with explicit angles in degrees: about z by b, about y by a, about
// z by c; rotateBackward undoes rotateForward with the same arguments.
// rotateForward(-theta, -phi, -alpha, p) is worldToCamera.
Vec3 rotateForward(double a, double b, double c, Vec3 p);
Vec3 rotateBackward(double a, double b, double c, Vec3 p);

// The smaller of Sx and Sy (Sy when equal): the length of the axes and of
// the reference vectors of the spacecraft turns.
double axisLength(const View& view);

// Finds theta, phi and alpha for which the world axes (L, 0, 0), (0, L, 0),
// (0, 0, L), L = axisLength, map onto the camera-space images and stores
// them. With the line of sight along the world z axis alpha is kept.
void recoverViewAngles(World& world, const View& view, const Vec3 (&images)[3]);

}  // namespace vantor::render
