#include "scenery/scenery_keys.h"

#include <array>
#include <cmath>

#include "scenery/realtext.h"

namespace vantor {

namespace {

// Integer rules: what is stored for the value read.
int flag(int32_t v) { return v >= 1 ? 1 : 0; }
int zeroToThree(int32_t v) { return v >= 0 && v <= 3 ? v : 0; }
int oneOrTwo(int32_t v) { return v == 1 || v == 2 ? v : 0; }
int notNegative(int32_t v) { return v < 0 ? 0 : v; }
int reference(int32_t v) { return v >= 1 ? v - 1 : 0; }
template <int32_t LO, int32_t HI>
int clamped(int32_t v) {
    return v < LO ? LO : v > HI ? HI : v;
}

// Real rules, given a finite value read and the setting's value before.
double asRead(double v, double) { return v; }
double absolute(double v, double) { return std::fabs(v); }
double simulatedStopTime(double v, double) { return v < 0 ? 0.0 : v > 1e12 ? 1e12 : v; }
double polarAngle(double v, double) { return v < 0 ? 0.0 : v > 180 ? 180.0 : v; }
double notNegativeReal(double v, double) { return v < 0 ? 0.0 : v; }
double rotatingStep(double v, double) { return v > 0 && v <= 10 ? v : 0.22; }
double fieldOfView(double v, double) { return v > 110 ? 110.0 : v > 0 ? v : 10.0; }
double viewingDistance(double v, double) { return v == 0 ? 1e10 : std::fabs(v); }
double timeStep(double v, double before) { return acceptPositiveUpTo(before, v, 1e10); }

double reduceAngle(double degrees, double) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    // A tiny negative remainder plus 360 rounds to 360 itself, and an
    // infinite angle has no remainder: neither lies in [0, 360).
    if (!(r < 360.0)) r = 0.0;
    return r;
}

constexpr int32_t THIRTY_DAYS = 2592000;  // s

constexpr SceneryKey row(std::string_view key, KeyForm form) {
    SceneryKey k{};
    k.key = key;
    k.form = form;
    return k;
}

constexpr SceneryKey version(std::string_view key) { return row(key, KeyForm::Version); }

constexpr SceneryKey lineText(std::string_view key, std::string World::*field) {
    SceneryKey k = row(key, KeyForm::LineText);
    k.text = field;
    return k;
}

constexpr SceneryKey blockText(std::string_view key, std::string World::*field) {
    SceneryKey k = row(key, KeyForm::BlockText);
    k.text = field;
    return k;
}

constexpr SceneryKey integer(std::string_view key, int World::*field, int (*rule)(int32_t)) {
    SceneryKey k = row(key, KeyForm::Integer);
    k.integer = field;
    k.integerRule = rule;
    return k;
}

constexpr SceneryKey flagKey(std::string_view key, int World::*field) { return integer(key, field, flag); }

constexpr SceneryKey referenceKey(std::string_view key, int World::*field) {
    SceneryKey k = integer(key, field, reference);
    k.form = KeyForm::Reference;
    return k;
}

constexpr SceneryKey real(std::string_view key, double World::*field, double (*rule)(double, double),
                          std::optional<double> afterNew) {
    SceneryKey k = row(key, KeyForm::Real);
    k.real = field;
    k.realRule = rule;
    k.afterNew = afterNew;
    return k;
}

constexpr std::array SCENERY_KEYS{
    version("[PROGRAM_VERSION]").thenBlank(),
    lineText("[SCENERY_NAME]", &World::SCENERY_NAME),
    blockText("[SCENERY_DESCRIPTION]", &World::SCENERY_DESCRIPTION).thenBlank(),
    flagKey("[FILE_READ_ONLY]", &World::FILE_READ_ONLY),
    integer("[PROCESS_PRIORITY]", &World::PROCESS_PRIORITY, zeroToThree),
    flagKey("[CALCULATE_RELATIVISTIC_MASSES]", &World::CALCULATE_RELATIVISTIC_MASSES),
    flagKey("[ALLOW_OBJECT_COLLISIONS]", &World::ALLOW_OBJECT_COLLISIONS),
    integer("[FPS_DESIRED]", &World::FPS_DESIRED, clamped<5, 1000>),
    flagKey("[DISPLAY_OBJECT_NAMES]", &World::DISPLAY_OBJECT_NAMES),
    flagKey("[DIM_DISTANT_OBJECTS]", &World::DIM_DISTANT_OBJECTS),
    flagKey("[SHOW_OBJECT_TRAILS]", &World::SHOW_OBJECT_TRAILS),
    flagKey("[DISPLAY_OBJECTS_AS_DOTS]", &World::DISPLAY_OBJECTS_AS_DOTS),
    flagKey("[IMPROVE_OBJECTS_VISIBILITY]", &World::IMPROVE_OBJECTS_VISIBILITY),
    flagKey("[AUTOSAVE_ENABLED]", &World::AUTOSAVE_ENABLED),
    integer("[AUTOSAVE_PERIOD]", &World::AUTOSAVE_PERIOD, clamped<0, THIRTY_DAYS>),
    flagKey("[AUTOSAVE_INTO_SEPARATE_FILES]", &World::AUTOSAVE_INTO_SEPARATE_FILES),
    integer("[AUTOSTOP_MODE]", &World::AUTOSTOP_MODE, zeroToThree),
    integer("[AUTOSTOP_RT_PERIOD]", &World::AUTOSTOP_RT_PERIOD, clamped<0, THIRTY_DAYS>),
    real("[AUTOSTOP_ST_PERIOD]", &World::AUTOSTOP_ST_PERIOD, simulatedStopTime, 0),
    flagKey("[RESTART_AFTER_AUTOSTOP]", &World::RESTART_AFTER_AUTOSTOP),
    real("[VIEW_ROTATING_STEP]", &World::VIEW_ROTATING_STEP, rotatingStep, 0.22),
    integer("[COLLISION_COUNTER]", &World::COLLISION_COUNTER, notNegative).thenBlank(),
    flagKey("[DISPLAY_STATIC_SCENERY]", &World::DISPLAY_STATIC_SCENERY),
    // Only the count is stored; the rendering layer generates the points
    // from it after a load.
    integer("[STATIC_SCENERY_OBJECTS_N]", &World::STATIC_SCENERY_OBJECTS_N, clamped<0, 100000>).thenBlank(),

    integer("[ORIGIN_MODE]", &World::ORIGIN_MODE, oneOrTwo),
    referenceKey("[ORIGIN_OBJECT]", &World::ORIGIN_OBJECT),
    real("[ORIGIN_POSITION_X]", &World::ORIGIN_POSITION_X, asRead, 0),
    real("[ORIGIN_POSITION_Y]", &World::ORIGIN_POSITION_Y, asRead, 0),
    real("[ORIGIN_POSITION_Z]", &World::ORIGIN_POSITION_Z, asRead, 0),
    real("[ORIGIN_OFFSET_X]", &World::ORIGIN_OFFSET_X, asRead, 0),
    real("[ORIGIN_OFFSET_Y]", &World::ORIGIN_OFFSET_Y, asRead, 0),
    real("[ORIGIN_OFFSET_Z]", &World::ORIGIN_OFFSET_Z, asRead, 0).thenBlank(),

    real("[VIEWPOINT_FOV]", &World::VIEWPOINT_FOV, fieldOfView, 10),
    integer("[VIEWPOINT_MODE]", &World::VIEWPOINT_MODE, oneOrTwo),
    referenceKey("[VIEWPOINT_OBJECT]", &World::VIEWPOINT_OBJECT),
    real("[VIEWPOINT_DISTANCE]", &World::VIEWPOINT_DISTANCE, viewingDistance, 1e10),
    real("[VIEWPOINT_THETA]", &World::VIEWPOINT_THETA, polarAngle, 0),
    real("[VIEWPOINT_PHI]", &World::VIEWPOINT_PHI, reduceAngle, 0),
    real("[VIEWPOINT_ALPHA]", &World::VIEWPOINT_ALPHA, reduceAngle, 0),
    real("[VIEWPOINT_POSITION_X]", &World::VIEWPOINT_POSITION_X, asRead, 0),
    real("[VIEWPOINT_POSITION_Y]", &World::VIEWPOINT_POSITION_Y, asRead, 0),
    real("[VIEWPOINT_POSITION_Z]", &World::VIEWPOINT_POSITION_Z, asRead, 1e10).thenBlank(),

    integer("[SPACECRAFT_MODE]", &World::SPACECRAFT_MODE, notNegative),
    referenceKey("[SPACECRAFT_OBJECT]", &World::SPACECRAFT_OBJECT),
    real("[SPACECRAFT_THRUST_FORCE_MAX]", &World::SPACECRAFT_THRUST_FORCE_MAX, absolute, 0),
    real("[SPACECRAFT_THRUST_FORCE]", &World::SPACECRAFT_THRUST_FORCE, absolute, 0).then(AfterRead::ThrustAtMostMax),
    real("[SPACECRAFT_DIRECTION_X]", &World::SPACECRAFT_DIRECTION_X, asRead, 0),
    real("[SPACECRAFT_DIRECTION_Y]", &World::SPACECRAFT_DIRECTION_Y, asRead, 0),
    real("[SPACECRAFT_DIRECTION_Z]", &World::SPACECRAFT_DIRECTION_Z, asRead, 0).then(AfterRead::UnitHeading),
    integer("[SPACECRAFT_TRACKING_MODE]", &World::SPACECRAFT_TRACKING_MODE, oneOrTwo),
    flagKey("[SPACECRAFT_AUTOTRACKING]", &World::SPACECRAFT_AUTOTRACKING),
    referenceKey("[SPACECRAFT_TRACKING_OBJECT]", &World::SPACECRAFT_TRACKING_OBJECT).thenBlank(),

    // A time step outside (0, 1e10] leaves the step as it was.
    real("[INIT_SIMULATION_TIME_STEP]", &World::INIT_SIMULATION_TIME_STEP, timeStep, std::nullopt),
    real("[SIMULATION_TIME_STEP]", &World::SIMULATION_TIME_STEP, timeStep, std::nullopt),
    real("[SIMULATION_TIME]", &World::SIMULATION_TIME, notNegativeReal, 0).thenBlank(),

    integer("[INIT_OBJECTS_N]", &World::INIT_OBJECTS_N, notNegative).then(AfterRead::ObjectCount),
    integer("[OBJECTS_N]", &World::OBJECTS_N, notNegative).then(AfterRead::ObjectCount).thenBlank(),
    integer("[GROUP_N]", &World::GROUP_N, notNegative).then(AfterRead::GroupAtMost100).thenBlank(),
};
static_assert(SCENERY_KEYS.size() == 58, "rows 1 to 58 of the layout");

constexpr ObjectKey objectKey(std::string_view suffix, ObjectKeyForm form) {
    return {suffix, form, nullptr, false, false};
}

constexpr ObjectKey realField(std::string_view suffix, double ObjectRecord::*field, bool absolute = false,
                              bool zeroDisables = false) {
    return {suffix, ObjectKeyForm::Real, field, absolute, zeroDisables};
}

constexpr std::array OBJECT_KEYS{
    objectKey("NAME]", ObjectKeyForm::Name),
    // A mass of 0 disables the object; a DISABLED key below may override.
    realField("MASS]", &ObjectRecord::mass, true, true),
    realField("RADIUS]", &ObjectRecord::radius, true),
    realField("X]", &ObjectRecord::x),
    realField("Y]", &ObjectRecord::y),
    realField("Z]", &ObjectRecord::z),
    realField("VX]", &ObjectRecord::vx),
    realField("VY]", &ObjectRecord::vy),
    realField("VZ]", &ObjectRecord::vz),
    objectKey("COLOR]", ObjectKeyForm::Color),
    objectKey("DISABLED]", ObjectKeyForm::Disabled),
};
static_assert(OBJECT_KEYS.size() == 11, "eleven lines per object block");

}  // namespace

std::span<const SceneryKey> sceneryKeys() { return SCENERY_KEYS; }

std::span<const ObjectKey> objectKeys() { return OBJECT_KEYS; }

}  // namespace vantor
