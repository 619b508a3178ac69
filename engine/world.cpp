#include "engine/world.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vantor {

Vec3 vecMake(double x, double y, double z) { return {x, y, z}; }
Vec3 vecAdd(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 vecSub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 vecScale(Vec3 a, double f) { return {a.x * f, a.y * f, a.z * f}; }

Vec3 vecDiv(Vec3 a, double divisor) {
    if (divisor == 0.0) return {0, 0, 0};
    return {a.x / divisor, a.y / divisor, a.z / divisor};
}

double vecLength(Vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

Vec3 vecNormalise(Vec3 a) { return vecDiv(a, vecLength(a)); }

constexpr std::align_val_t kTableAlignment{64};

void RecordTableDeleter::operator()(ObjectRecord* table) const {
    ::operator delete[](static_cast<void*>(table), kTableAlignment);
}

static RecordTable makeTable() {
    // A spare record at the end, so that vector copies may read a little
    // past the last one; every byte of every record zero.
    constexpr size_t kBytes = sizeof(ObjectRecord) * (MAX_OBJECTS + 1);
    void* memory = ::operator new[](kBytes, kTableAlignment);
    std::memset(memory, 0, kBytes);
    return RecordTable(static_cast<ObjectRecord*>(memory));
}

World::World() : initialObjects(makeTable()), objects(makeTable()) {}

World::~World() {
    // Names beyond the counts may still be owned (records out of use keep
    // theirs until overwritten), so free every table slot.
    for (int i = 0; i < MAX_OBJECTS; ++i) {
        std::free(initialObjects[i].name);
        std::free(objects[i].name);
    }
}

int setObjectName(ObjectRecord& record, const char* text) {
    // Copy before freeing: the text may be the record's own name.
    char* copy = nullptr;
    if (text) {
        size_t n = std::strlen(text) + 1;
        copy = static_cast<char*>(std::malloc(n));
        if (copy) std::memcpy(copy, text, n);
    }
    std::free(record.name);
    record.name = copy;
    if (!text) return 0;
    return copy ? 1 : -1;
}

void freeObjectNames(World& world) {
    for (int i = 0; i < world.INIT_OBJECTS_N; ++i) setObjectName(world.initialObjects[i], nullptr);
    for (int i = 0; i < world.OBJECTS_N; ++i) setObjectName(world.objects[i], nullptr);
}

static void clearTable(ObjectRecord* table) {
    // Records out of use may still own a name from an earlier, longer table.
    for (int i = 0; i < MAX_OBJECTS; ++i) std::free(table[i].name);
    std::memset(static_cast<void*>(table), 0, sizeof(ObjectRecord) * MAX_OBJECTS);
}

static void zeroSpeedFigures(World& w) {
    w.simTimeAtLastMeasure = 0;
    w.measuredFps = 0;
    w.measuredMcs = 0;
    w.simSecondsPerSecond = 0;
}

void newScenery(World& w) {
    clearTable(w.initialObjects.get());
    clearTable(w.objects.get());
    w.INIT_OBJECTS_N = 0;
    w.OBJECTS_N = 0;

    w.SCENERY_NAME.clear();
    w.SCENERY_DESCRIPTION.clear();
    w.FILE_READ_ONLY = 0;
    w.CALCULATE_RELATIVISTIC_MASSES = 0;
    w.ALLOW_OBJECT_COLLISIONS = 0;
    w.DIM_DISTANT_OBJECTS = 1;
    w.SHOW_OBJECT_TRAILS = 0;
    w.DISPLAY_OBJECTS_AS_DOTS = 0;
    w.IMPROVE_OBJECTS_VISIBILITY = 0;
    w.AUTOSAVE_ENABLED = 0;
    w.AUTOSAVE_PERIOD = 0;
    w.AUTOSAVE_INTO_SEPARATE_FILES = 0;
    w.AUTOSTOP_MODE = 0;
    w.RESTART_AFTER_AUTOSTOP = 0;
    w.VIEW_ROTATING_STEP = 0.22;
    w.COLLISION_COUNTER = 0;
    w.DISPLAY_STATIC_SCENERY = 0;
    w.STATIC_SCENERY_OBJECTS_N = 0;
    w.ORIGIN_MODE = 0;
    w.VIEWPOINT_FOV = 10;
    w.VIEWPOINT_DISTANCE = 1e10;
    w.VIEWPOINT_THETA = 0;
    w.VIEWPOINT_PHI = 0;
    w.VIEWPOINT_ALPHA = 0;
    w.VIEWPOINT_POSITION_X = 0;
    w.VIEWPOINT_POSITION_Y = 0;
    w.VIEWPOINT_POSITION_Z = 1e10;
    w.SPACECRAFT_MODE = 0;
    w.SPACECRAFT_OBJECT = 0;
    w.SPACECRAFT_THRUST_FORCE_MAX = 0;
    w.SPACECRAFT_DIRECTION_X = 0;
    w.SPACECRAFT_DIRECTION_Y = 0;
    w.SPACECRAFT_DIRECTION_Z = 0;
    w.INIT_SIMULATION_TIME_STEP = 10;
    w.SIMULATION_TIME_STEP = 10;
    w.GROUP_N = 0;

    w.SIMULATION_TIME = 0;
    zeroSpeedFigures(w);

    w.stepsPerFrame = 5;
    w.selectedObject = -1;
    w.FPS_DESIRED = 50;
    w.displayOSD = 1;
    w.displayAxes = 0;
    w.sceneryOnDisk = 0;
    w.collisionDetected = 0;
    w.simulationRunning = 0;
    w.sceneryModified = 0;
    w.currentFileName.clear();
}

void resetRunState(World& w) {
    w.SIMULATION_TIME_STEP = 10;
    w.OBJECTS_N = 0;
    w.SIMULATION_TIME = 0;
    zeroSpeedFigures(w);
    w.stepsPerFrame = 5;
    w.selectedObject = -1;
    w.benchmarkRunning = 0;
    w.collisionDetected = 0;
    w.COLLISION_COUNTER = 0;
    w.simulationRunning = 0;
    w.sceneryModified = 0;
}

void resetToInitial(World& w) {
    w.SIMULATION_TIME_STEP = w.INIT_SIMULATION_TIME_STEP;
    w.SIMULATION_TIME = 0;
    w.OBJECTS_N = w.INIT_OBJECTS_N;
    for (int i = 0; i < w.INIT_OBJECTS_N; ++i) {
        char* oldName = w.objects[i].name;
        w.objects[i] = w.initialObjects[i];
        w.objects[i].name = oldName;
        setObjectName(w.objects[i], w.initialObjects[i].name);
    }
    if (w.SPACECRAFT_OBJECT >= w.OBJECTS_N) w.SPACECRAFT_OBJECT = 0;
}

void computeCentreOfMass(World& w) {
    double sx = 0, sy = 0, sz = 0, sm = 0;
    for (int i = 0; i < w.OBJECTS_N; ++i) {
        const ObjectRecord& o = w.objects[i];
        sx += o.mass * o.x;
        sy += o.mass * o.y;
        sz += o.mass * o.z;
        sm += o.mass;
    }
    double inv = 1.0 / sm;
    w.centreOfMass = {sx * inv, sy * inv, sz * inv};
}

uint8_t clampDisabled(long value) {
    if (value <= 0) return 0;
    if (value >= 2) return 2;
    return 1;
}

}  // namespace vantor
