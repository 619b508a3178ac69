#include "spacecraft/spacecraft.h"

#include <algorithm>
#include <cmath>

#include "render/camera.h"
#include "render/navigation.h"

namespace vantor::spacecraft {

namespace {

constexpr double NEAR_C = 296794533.42;       // m/s, 0.99 c
constexpr double ONE_MINUS_NEAR_C2 = 0.0199;  // 1 - 0.99^2

bool validIndex(const World& world, int index) { return index >= 0 && index < world.OBJECTS_N; }

Vec3 heading(const World& world) {
    return vecMake(world.SPACECRAFT_DIRECTION_X, world.SPACECRAFT_DIRECTION_Y, world.SPACECRAFT_DIRECTION_Z);
}

void setHeading(World& world, Vec3 d) {
    world.SPACECRAFT_DIRECTION_X = d.x;
    world.SPACECRAFT_DIRECTION_Y = d.y;
    world.SPACECRAFT_DIRECTION_Z = d.z;
}

// The camera's forward axis in world coordinates for the present angles.
Vec3 forwardAxis(const World& world) {
    return vecNormalise(
        render::rotateBackward(-world.VIEWPOINT_THETA, -world.VIEWPOINT_PHI, -world.VIEWPOINT_ALPHA, {0, 0, -1}));
}

void setVelocity(World& world, ObjectRecord& o, Vec3 v) {
    if (o.vx != v.x || o.vy != v.y || o.vz != v.z) world.sceneryModified = 1;
    o.vx = v.x;
    o.vy = v.y;
    o.vz = v.z;
}

double clampUnit(double x) { return std::clamp(x, -1.0, 1.0); }

}  // namespace

double defaultThrustMax(const World& world, double mass) {
    return mass * NEAR_C / (std::sqrt(ONE_MINUS_NEAR_C2) * world.SIMULATION_TIME_STEP);
}

int engageSpacecraft(World& world) {
    if (world.SPACECRAFT_MODE) {
        setIfChanged(world, world.SPACECRAFT_MODE, 0);
        return 1;
    }
    if (!validIndex(world, world.SPACECRAFT_OBJECT) || !(world.SPACECRAFT_THRUST_FORCE_MAX > 0)) return -1;
    setIfChanged(world, world.SPACECRAFT_DIRECTION_X, 0.0);
    setIfChanged(world, world.SPACECRAFT_DIRECTION_Y, 0.0);
    setIfChanged(world, world.SPACECRAFT_DIRECTION_Z, -1.0);
    setIfChanged(world, world.SPACECRAFT_THRUST_FORCE, std::exp(0.3 * std::log(world.SPACECRAFT_THRUST_FORCE_MAX)));
    // The camera's forward axis becomes the world's -z axis, the heading.
    setIfChanged(world, world.VIEWPOINT_THETA, 0.0);
    setIfChanged(world, world.VIEWPOINT_PHI, 0.0);
    setIfChanged(world, world.VIEWPOINT_ALPHA, 0.0);
    setIfChanged(world, world.SPACECRAFT_MODE, 1);
    return 1;
}

int spawnSpacecraft(World& world, WorkerPool& pool, const render::View& view) {
    if (world.OBJECTS_N >= MAX_OBJECTS || world.OBJECTS_N < 0) return -1;
    const int k = world.OBJECTS_N;
    ObjectRecord& o = world.objects[k];
    char* const oldName = o.name;  // a record out of use may still own a name
    o = ObjectRecord{};
    o.name = oldName;
    setObjectName(o, SPACECRAFT_NAME);
    o.mass = SPACECRAFT_MASS;
    o.radius = SPACECRAFT_RADIUS;
    o.color = 0xFFFFFF;
    o.x = world.ORIGIN_POSITION_X;
    o.y = world.ORIGIN_POSITION_Y;
    o.z = world.ORIGIN_POSITION_Z + render::axisLength(view);
    world.SPACECRAFT_OBJECT = k;
    world.OBJECTS_N = k + 1;
    world.SPACECRAFT_THRUST_FORCE_MAX = defaultThrustMax(world, SPACECRAFT_MASS);
    world.sceneryModified = 1;
    partitionWork(pool, world);
    return k;
}

void applyThrust(World& world, int sign) {
    if (!validIndex(world, world.SPACECRAFT_OBJECT)) return;
    ObjectRecord& o = world.objects[world.SPACECRAFT_OBJECT];
    const double s = sign < 0 ? -1.0 : 1.0;
    const Vec3 v = vecMake(o.vx, o.vy, o.vz);
    const double speed = vecLength(v);
    const double dt = world.SIMULATION_TIME_STEP;
    const double thrust = world.SPACECRAFT_THRUST_FORCE;
    // Always the relativistic mass, whatever the physics uses.
    const double mr = o.mass / std::sqrt(1.0 - speed * speed * INV_C2);
    double dv = s * 0.15 * speed;
    if (std::fabs(dv / dt * mr) > thrust) dv = s * thrust * dt / mr;
    const Vec3 d = heading(world);
    Vec3 v2 = vecAdd(v, vecScale(d, dv));
    const double speed2 = vecLength(v2);
    if (speed2 <= 1.0) {
        v2 = vecScale(d, s);
    } else if (speed2 >= SPEED_OF_LIGHT) {
        v2 = vecScale(v2, SPEED_CAP / speed2);
    }
    setVelocity(world, o, v2);
}

void stopSpacecraft(World& world) {
    if (!validIndex(world, world.SPACECRAFT_OBJECT)) return;
    setVelocity(world, world.objects[world.SPACECRAFT_OBJECT], {0, 0, 0});
}

void setFullThrust(World& world) {
    setIfChanged(world, world.SPACECRAFT_THRUST_FORCE, world.SPACECRAFT_THRUST_FORCE_MAX);
}

void adjustThrust(World& world, int sign) {
    const double max = world.SPACECRAFT_THRUST_FORCE_MAX;
    double thrust = world.SPACECRAFT_THRUST_FORCE;
    if (thrust != 0 && max != 0) thrust = std::exp(std::log(max) * (sign < 0 ? -0.02 : 0.02) + std::log(thrust));
    thrust = std::max(thrust, 1.0);
    thrust = std::min(thrust, max);
    setIfChanged(world, world.SPACECRAFT_THRUST_FORCE, thrust);
}

void trackTarget(World& world, const render::View& view) {
    if (world.SPACECRAFT_TRACKING_MODE == 0 || !validIndex(world, world.SPACECRAFT_OBJECT)) return;
    Vec3 target;
    if (world.SPACECRAFT_TRACKING_MODE == 2) {
        int k = world.SPACECRAFT_TRACKING_OBJECT;
        if (!validIndex(world, k)) k = 0;
        const ObjectRecord& t = world.objects[k];
        target = vecMake(t.x, t.y, t.z);
    } else {
        computeCentreOfMass(world);
        target = world.centreOfMass;
    }
    const ObjectRecord& craft = world.objects[world.SPACECRAFT_OBJECT];
    const Vec3 t = vecNormalise(vecSub(target, vecMake(craft.x, craft.y, craft.z)));
    // A centre of mass without mass has no direction to turn to.
    if (!std::isfinite(t.x) || !std::isfinite(t.y) || !std::isfinite(t.z)) return;

    // The turning senses, measured with two small trial turns that are
    // undone again.
    const double theta = world.VIEWPOINT_THETA, phi = world.VIEWPOINT_PHI, alpha = world.VIEWPOINT_ALPHA;
    const Vec3 d0 = heading(world);
    const Vec3 forward = forwardAxis(world);
    auto restore = [&] {
        world.VIEWPOINT_THETA = theta;
        world.VIEWPOINT_PHI = phi;
        world.VIEWPOINT_ALPHA = alpha;
        setHeading(world, d0);
    };
    render::turnViewVertical(world, view, -0.001);
    const Vec3 u = vecNormalise(vecSub(heading(world), forward));
    restore();
    render::turnViewHorizontal(world, view, 0.001);
    const Vec3 w = vecNormalise(vecSub(heading(world), forward));
    restore();

    const auto dot = [](Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    render::turnViewVertical(world, view, -std::asin(clampUnit(dot(t, u))) * RAD_TO_DEG);
    render::turnViewHorizontal(world, view, std::asin(clampUnit(dot(t, w))) * RAD_TO_DEG);
}

}  // namespace vantor::spacecraft
