// The world model: both object tables, the scenery settings (named by their
// file keys), and the run state that the engine and the shell share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantor {

constexpr int MAX_OBJECTS = 50000;

// Physical constants, the same everywhere.
constexpr double G = 6.6739e-11;                   // m^3 / (kg s^2)
constexpr double SPEED_OF_LIGHT = 299792458.0;     // m/s
constexpr double INV_C2 = 1.1126500560536185e-17;  // 1/c^2 in s^2/m^2
constexpr double DEG_TO_RAD = 0.017453292519943295;
constexpr double RAD_TO_DEG = 57.29577951308232;

// One gravitating body. Trivially copyable so that a table can be block
// copied (the display copy of each frame); the name is owned by its table
// and managed through setObjectName. 96 bytes.
struct ObjectRecord {
    char* name;               // owned, nul-terminated, or nullptr
    double mass;              // kg, rest mass, never negative
    double relativisticMass;  // kg, recomputed by every step
    double gravParam;         // m^3/s^2, G x effective mass, recomputed by every step
    double radius;            // m, display only
    double x, y, z;           // m
    double vx, vy, vz;        // m/s
    uint32_t color;           // 0x00BBGGRR
    uint8_t disabled;         // 0 active, 1 disabled, 2 disabled but visible
};
static_assert(sizeof(ObjectRecord) == 96, "object record layout");

// An object table of MAX_OBJECTS records that starts on a cache line, so
// that the step's vector copies between records and columns cross as few
// lines as they can; they may read into a spare record past the end.
struct RecordTableDeleter {
    void operator()(ObjectRecord* table) const;
};
using RecordTable = std::unique_ptr<ObjectRecord[], RecordTableDeleter>;

struct Vec3 {
    double x, y, z;
};

Vec3 vecMake(double x, double y, double z);
Vec3 vecAdd(Vec3 a, Vec3 b);
Vec3 vecSub(Vec3 a, Vec3 b);
Vec3 vecScale(Vec3 a, double factor);
Vec3 vecDiv(Vec3 a, double divisor);  // a divisor of exactly 0 gives the zero vector
double vecLength(Vec3 a);
Vec3 vecNormalise(Vec3 a);  // a / |a| through the same zero rule

// The single world of a process (tests make their own). Settings keep their
// scenery-file keys as names; the comments give unit and value after New
// ("kept": New leaves the value as it was; 0 at program start).
struct World {
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Object tables, fixed capacity MAX_OBJECTS each, allocated once.
    RecordTable initialObjects;
    RecordTable objects;
    int INIT_OBJECTS_N = 0;  // initial configuration count; 0
    int OBJECTS_N = 0;       // current configuration count; 0

    std::string SCENERY_NAME;               // empty
    std::string SCENERY_DESCRIPTION;        // empty
    int FILE_READ_ONLY = 0;                 // flag; 0
    int PROCESS_PRIORITY = 0;               // 0 Normal, 1 Low, 2 High, 3 Highest; kept
    int CALCULATE_RELATIVISTIC_MASSES = 0;  // flag; 0
    int ALLOW_OBJECT_COLLISIONS = 0;        // flag; 0
    int FPS_DESIRED = 50;                   // frames/s; 50
    int DISPLAY_OBJECT_NAMES = 0;           // flag; kept
    int DIM_DISTANT_OBJECTS = 1;            // flag; 1
    int SHOW_OBJECT_TRAILS = 0;             // flag; 0
    int DISPLAY_OBJECTS_AS_DOTS = 0;        // flag; 0
    int IMPROVE_OBJECTS_VISIBILITY = 0;     // flag; 0
    int AUTOSAVE_ENABLED = 0;               // flag; 0
    int AUTOSAVE_PERIOD = 0;                // s; 0
    int AUTOSAVE_INTO_SEPARATE_FILES = 0;   // flag; 0
    int AUTOSTOP_MODE = 0;                  // bit 0 real time, bit 1 simulated time; 0
    int AUTOSTOP_RT_PERIOD = 0;             // s of real time; kept
    double AUTOSTOP_ST_PERIOD = 0;          // s of simulated time; kept
    int RESTART_AFTER_AUTOSTOP = 0;         // flag; 0
    double VIEW_ROTATING_STEP = 0.22;       // degrees; 0.22
    int COLLISION_COUNTER = 0;              // objects disabled by collisions; 0
    int DISPLAY_STATIC_SCENERY = 0;         // flag; 0
    int STATIC_SCENERY_OBJECTS_N = 0;       // background points, 0..100000; 0

    int ORIGIN_MODE = 0;    // 0 centre of mass, 1 object, 2 point; 0
    int ORIGIN_OBJECT = 0;  // 0-based index; kept
    double ORIGIN_POSITION_X = 0, ORIGIN_POSITION_Y = 0, ORIGIN_POSITION_Z = 0;  // m; kept
    double ORIGIN_OFFSET_X = 0, ORIGIN_OFFSET_Y = 0, ORIGIN_OFFSET_Z = 0;        // m; kept

    double VIEWPOINT_FOV = 10;         // degrees; 10
    int VIEWPOINT_MODE = 0;            // 0 distance and angles, 1 object, 2 point; kept
    int VIEWPOINT_OBJECT = 0;          // 0-based index; kept
    double VIEWPOINT_DISTANCE = 1e10;  // m; 1e10
    double VIEWPOINT_THETA = 0, VIEWPOINT_PHI = 0, VIEWPOINT_ALPHA = 0;  // degrees; 0
    double VIEWPOINT_POSITION_X = 0, VIEWPOINT_POSITION_Y = 0,
           VIEWPOINT_POSITION_Z = 1e10;  // m, origin-relative; (0, 0, 1e10)

    int SPACECRAFT_MODE = 0;                 // 0
    int SPACECRAFT_OBJECT = 0;               // 0-based index; 0
    double SPACECRAFT_THRUST_FORCE_MAX = 0;  // N; 0
    double SPACECRAFT_THRUST_FORCE = 0;      // N; kept
    double SPACECRAFT_DIRECTION_X = 0, SPACECRAFT_DIRECTION_Y = 0,
           SPACECRAFT_DIRECTION_Z = 0;   // unit heading; (0, 0, 0)
    int SPACECRAFT_TRACKING_MODE = 0;    // 0..2; kept
    int SPACECRAFT_AUTOTRACKING = 0;     // flag; kept
    int SPACECRAFT_TRACKING_OBJECT = 0;  // 0-based index; kept

    double INIT_SIMULATION_TIME_STEP = 10;  // s; 10
    double SIMULATION_TIME_STEP = 10;       // s per step; 10
    double SIMULATION_TIME = 0;             // s since the initial configuration; 0
    int GROUP_N = 0;                        // carried through files unchanged; 0

    // Run state, never saved.
    int simulationRunning = 0;
    int sceneryModified = 0;
    int collisionDetected = 0;
    int stepsPerFrame = 5;
    int selectedObject = -1;
    Vec3 centreOfMass{0, 0, 0};
    int benchmarkRunning = 0;
    int displayAxes = 0;
    int displayOSD = 1;
    int sceneryOnDisk = 0;
    std::string currentFileName;  // path or example item text; empty when none

    // Speed figures of the run loop.
    int batchStepCounter = 0;
    uint64_t frameCounter = 0;
    int64_t measuredFps = 0;
    int64_t measuredMcs = 0;
    int64_t simSecondsPerSecond = 0;
    double simTimeAtLastMeasure = 0;  // s
    int fpsPrimed = 0;

    // The speed limit, a setting of the session (never saved, kept by New
    // and by opening): at most this many simulated seconds per real second;
    // 0 is off. speedLimitHeld: every batch since the last frame-rate
    // measurement was cut short by the limit, so that the frame rate says
    // nothing of the batch size (a batch that ran full clears it).
    double speedLimit = 0;
    int speedLimitHeld = 0;

    bool isEmpty() const { return INIT_OBJECTS_N <= 0 && OBJECTS_N <= 0; }
};

// Makes the empty default scenery. Settings marked "kept" stay as they were.
// The shell recomputes the projection and the back buffer afterwards.
void newScenery(World& world);

// Prepares a restart from the initial configuration; always followed by
// resetToInitial. The caller repartitions the work (partitionWork).
void resetRunState(World& world);

// Copies the initial configuration into the current one.
void resetToInitial(World& world);

// Mass-weighted mean position of all current objects, disabled ones included.
// With no objects or a total mass of 0 the result is not a number.
void computeCentreOfMass(World& world);

// Replaces a record's name: 0 with no text (name cleared), 1 on success,
// -1 when the copy cannot be allocated (name cleared).
int setObjectName(ObjectRecord& record, const char* text);

// Frees the names of the used records of both tables.
void freeObjectNames(World& world);

// Stores a setting and marks the scenery modified only when the value changes.
template <typename T, typename U>
void setIfChanged(World& world, T& setting, const U& value) {
    if (!(setting == static_cast<T>(value))) {
        setting = static_cast<T>(value);
        world.sceneryModified = 1;
    }
}

// Clamps a disabled value from outside into 0..2.
uint8_t clampDisabled(long value);

}  // namespace vantor
