#include "render/camera.h"

#include <cmath>
#include <cstring>

namespace vantor::render {

void updateViewSize(View& view, int width, int height) {
    view.viewWidth = width > 0 ? width : 0;
    view.viewHeight = height > 0 ? height : 0;
}

void updateViewSize(const World& world, View& view, int width, int height) {
    updateViewSize(view, width, height);
    updateProjection(world, view);
}

double screenScaleFor(double fovDegrees) { return 0.0001 / (2.0 * std::tan(fovDegrees * 0.008726646259971648)); }

void updateProjection(const World& world, View& view) {
    view.screenScale = screenScaleFor(world.VIEWPOINT_FOV);
    const double w = view.viewWidth, h = view.viewHeight;
    const double kw = view.screenScale * w;
    const double a = world.VIEWPOINT_DISTANCE + kw;
    double sx = a * w * 0.0001 / (2.0 * kw);
    double sy = h * a * 0.0001 / (2.0 * kw);
    if (sx <= 0) sx = 1.0;
    if (sy <= 0) sy = 1.0;
    view.eyeDistance = a;
    view.visibleHalfWidth = sx;
    view.visibleHalfHeight = sy;
}

void refreshAngleCache(const World& world, View& view) {
    AngleCache& c = view.angleCache;
    c.theta = world.VIEWPOINT_THETA * DEG_TO_RAD;
    c.phi = world.VIEWPOINT_PHI * DEG_TO_RAD;
    c.alpha = world.VIEWPOINT_ALPHA * DEG_TO_RAD;
    c.sinTheta = std::sin(c.theta);
    c.sinPhi = std::sin(c.phi);
    c.sinAlpha = std::sin(c.alpha);
    c.cosTheta = std::cos(c.theta);
    c.cosPhi = std::cos(c.phi);
    c.cosAlpha = std::cos(c.alpha);
}

namespace {

bool validObject(const World& world, int index) { return index >= 0 && index < world.OBJECTS_N; }

int objectCount(const World& world) {
    return world.OBJECTS_N < 0 ? 0 : world.OBJECTS_N > MAX_OBJECTS ? MAX_OBJECTS : world.OBJECTS_N;
}

}  // namespace

void updateOrigin(World& world, View& view) {
    if (world.SPACECRAFT_MODE) {
        // Look along the heading, towards a point 1e10 m ahead or as far
        // ahead as the tracked object is away. A spacecraft index outside the
        // table leaves the origin where it was; a tracked one counts as not
        // tracking.
        if (validObject(world, world.SPACECRAFT_OBJECT)) {
            const ObjectRecord& craft = world.objects[world.SPACECRAFT_OBJECT];
            world.ORIGIN_POSITION_X = craft.x;
            world.ORIGIN_POSITION_Y = craft.y;
            world.ORIGIN_POSITION_Z = craft.z;
            double ahead = 1e10;
            if (world.SPACECRAFT_TRACKING_MODE == 2) {
                if (validObject(world, world.SPACECRAFT_TRACKING_OBJECT)) {
                    const ObjectRecord& t = world.objects[world.SPACECRAFT_TRACKING_OBJECT];
                    ahead = vecLength(vecMake(craft.x - t.x, craft.y - t.y, craft.z - t.z));
                }
            }
            world.ORIGIN_POSITION_X += world.SPACECRAFT_DIRECTION_X * ahead;
            world.ORIGIN_POSITION_Y += world.SPACECRAFT_DIRECTION_Y * ahead;
            world.ORIGIN_POSITION_Z += world.SPACECRAFT_DIRECTION_Z * ahead;
        }
    } else if (world.ORIGIN_MODE == 0) {
        computeCentreOfMass(world);
        // Without mass (or with a position that is not a number) there is no
        // centre; keeping the last origin keeps the picture.
        const Vec3 c = world.centreOfMass;
        if (std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z)) {
            world.ORIGIN_POSITION_X = c.x;
            world.ORIGIN_POSITION_Y = c.y;
            world.ORIGIN_POSITION_Z = c.z;
        }
    } else if (world.ORIGIN_MODE == 1) {
        if (validObject(world, world.ORIGIN_OBJECT)) {
            const ObjectRecord& o = world.objects[world.ORIGIN_OBJECT];
            world.ORIGIN_POSITION_X = o.x;
            world.ORIGIN_POSITION_Y = o.y;
            world.ORIGIN_POSITION_Z = o.z;
        }
    }
    view.originPoint =
        vecMake(world.ORIGIN_POSITION_X + world.ORIGIN_OFFSET_X, world.ORIGIN_POSITION_Y + world.ORIGIN_OFFSET_Y,
                world.ORIGIN_POSITION_Z + world.ORIGIN_OFFSET_Z);
    const Vec3 o = view.originPoint;
    ObjectRecord* d = view.displayObjects.get();
    const int n = objectCount(world);
    for (int i = 0; i < n; ++i) {
        d[i].x -= o.x;
        d[i].y -= o.y;
        d[i].z -= o.z;
    }
}

void updateViewpoint(World& world, View& view) {
    if (world.SPACECRAFT_MODE) {
        world.VIEWPOINT_MODE = 1;
        world.VIEWPOINT_OBJECT = world.SPACECRAFT_OBJECT;
    }
    if (world.VIEWPOINT_MODE == 1) {
        if (validObject(world, world.VIEWPOINT_OBJECT)) {
            const ObjectRecord& o = view.displayObjects[world.VIEWPOINT_OBJECT];
            world.VIEWPOINT_POSITION_X = o.x;
            world.VIEWPOINT_POSITION_Y = o.y;
            world.VIEWPOINT_POSITION_Z = o.z;
            anglesFromViewpoint(world);
        }
    } else if (world.VIEWPOINT_MODE == 2) {
        anglesFromViewpoint(world);
    }
    updateProjection(world, view);
}

void prepareFrame(World& world, View& view) {
    const int n = objectCount(world);
    if (n == 0) return;
    std::memcpy(static_cast<void*>(view.displayObjects.get()), world.objects.get(), sizeof(ObjectRecord) * n);
    updateOrigin(world, view);
    updateViewpoint(world, view);
    refreshAngleCache(world, view);
    view.screenScale = screenScaleFor(world.VIEWPOINT_FOV);

    // Hoisted: one set of sines and cosines for every object.
    const AngleCache& c = view.angleCache;
    const double cT = c.cosTheta, sT = c.sinTheta, cP = c.cosPhi, sP = c.sinPhi, cA = c.cosAlpha, sA = c.sinAlpha;
    ObjectRecord* d = view.displayObjects.get();
    for (int i = 0; i < n; ++i) {
        ObjectRecord& o = d[i];
        if (o.disabled == 1) continue;
        const double a = o.x * cP + o.y * sP, b = o.y * cP - o.x * sP;
        const double x1 = a * cT - o.z * sT, z1 = o.z * cT + a * sT;
        o.x = x1 * cA + b * sA;
        o.y = b * cA - x1 * sA;
        o.z = z1;
    }
}

void viewpointFromAngles(World& world) {
    const double t = world.VIEWPOINT_THETA * DEG_TO_RAD, p = world.VIEWPOINT_PHI * DEG_TO_RAD;
    const double d = world.VIEWPOINT_DISTANCE;
    world.VIEWPOINT_POSITION_X = d * std::sin(t) * std::cos(p);
    world.VIEWPOINT_POSITION_Y = d * std::sin(t) * std::sin(p);
    world.VIEWPOINT_POSITION_Z = d * std::cos(t);
}

void anglesFromViewpoint(World& world) {
    const double x = world.VIEWPOINT_POSITION_X, y = world.VIEWPOINT_POSITION_Y, z = world.VIEWPOINT_POSITION_Z;
    const double d = std::sqrt(x * x + y * y + z * z);
    world.VIEWPOINT_DISTANCE = d;
    if (d == 0) return;
    double theta = std::acos(z / d) * RAD_TO_DEG;
    if (theta < 0) theta = 0;
    if (theta > 180) theta = 180;
    double phi = std::fmod(std::atan2(y, x) * RAD_TO_DEG, 360.0);
    if (phi < 0) phi += 360;
    world.VIEWPOINT_THETA = theta;
    world.VIEWPOINT_PHI = phi;
}

void worldToCamera(const View& view, double& x, double& y, double& z) { worldToCamera(view, x, y, z, x, y, z); }

void worldToCamera(const View& view, double x, double y, double z, double& cx, double& cy, double& cz) {
    const AngleCache& c = view.angleCache;
    const double a = x * c.cosPhi + y * c.sinPhi, b = y * c.cosPhi - x * c.sinPhi;
    const double x1 = a * c.cosTheta - z * c.sinTheta, z1 = z * c.cosTheta + a * c.sinTheta;
    cx = x1 * c.cosAlpha + b * c.sinAlpha;
    cy = b * c.cosAlpha - x1 * c.sinAlpha;
    cz = z1;
}

void projectPoint(const World& world, const View& view, double x, double y, double z, double& sx, double& sy) {
    const double w = view.viewWidth, h = view.viewHeight;
    const double a = world.VIEWPOINT_DISTANCE + view.screenScale * w;
    sx = w * 0.5 + 10000.0 * (a * w * x * 0.0001) / (2.0 * (a - z) * view.visibleHalfWidth);
    sy = h * 0.5 - 10000.0 * (a * h * y * 0.0001) / (2.0 * (a - z) * view.visibleHalfHeight);
}

Vec3 rotateForward(double a, double b, double c, Vec3 p) {
    a *= DEG_TO_RAD;
    b *= DEG_TO_RAD;
    c *= DEG_TO_RAD;
    const double u = p.x * std::cos(b) - p.y * std::sin(b), v = p.x * std::sin(b) + p.y * std::cos(b);
    const double x1 = u * std::cos(a) + p.z * std::sin(a), z1 = p.z * std::cos(a) - u * std::sin(a), y1 = v;
    return {x1 * std::cos(c) - y1 * std::sin(c), x1 * std::sin(c) + y1 * std::cos(c), z1};
}

Vec3 rotateBackward(double a, double b, double c, Vec3 p) {
    a = -a * DEG_TO_RAD;
    b = -b * DEG_TO_RAD;
    c = -c * DEG_TO_RAD;
    const double x1 = p.x * std::cos(c) - p.y * std::sin(c), y1 = p.x * std::sin(c) + p.y * std::cos(c);
    const double u = x1 * std::cos(a) + p.z * std::sin(a), z1 = p.z * std::cos(a) - x1 * std::sin(a);
    return {u * std::cos(b) - y1 * std::sin(b), u * std::sin(b) + y1 * std::cos(b), z1};
}

double axisLength(const View& view) {
    return view.visibleHalfWidth < view.visibleHalfHeight ? view.visibleHalfWidth : view.visibleHalfHeight;
}

namespace {

double squaredDistance(Vec3 a, Vec3 b) {
    const Vec3 d = vecSub(a, b);
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// Halving search: from start with a first step of `step` it covers the open
// range 0 .. 2 start and keeps the candidate of smaller error.
template <typename Error>
double searchAngle(double start, double step, Error error) {
    double cur = start;
    do {
        step *= 0.5;
        const double prev = cur;
        const double d1 = error(prev - step);
        cur = prev + step;
        const double d2 = error(prev + step);
        if (d1 < d2) cur = prev - step;
    } while (step > 1e-12);
    return cur;
}

}  // namespace

void recoverViewAngles(World& world, const View& view, const Vec3 (&images)[3]) {
    const double l = axisLength(view);
    const Vec3 tx = images[0], tz = images[2];
    const Vec3 zAxis{0, 0, l}, xAxis{l, 0, 0};
    if (tz.x != 0 || tz.y != 0) {
        const double alpha =
            searchAngle(180, 180, [&](double c) { return squaredDistance(tz, rotateForward(-90, -180, -c, zAxis)); });
        const double theta =
            searchAngle(90, 90, [&](double c) { return squaredDistance(tz, rotateForward(-c, -180, -alpha, zAxis)); });
        const double phi = searchAngle(
            180, 180, [&](double c) { return squaredDistance(tx, rotateForward(-theta, -c, -alpha, xAxis)); });
        world.VIEWPOINT_THETA = theta;
        world.VIEWPOINT_PHI = phi;
        world.VIEWPOINT_ALPHA = alpha;
        return;
    }
    const double alpha = world.VIEWPOINT_ALPHA;
    const double d0 = squaredDistance(tz, rotateForward(0, -180, -alpha, zAxis));
    const double d180 = squaredDistance(tz, rotateForward(-180, -180, -alpha, zAxis));
    const double theta = d0 < d180 ? 0 : 180;
    const double phi =
        searchAngle(180, 180, [&](double c) { return squaredDistance(tx, rotateForward(-theta, -c, -alpha, xAxis)); });
    world.VIEWPOINT_THETA = theta;
    world.VIEWPOINT_PHI = phi;
}

}  // namespace vantor::render
