// Sceneries shared by the writer and reader tests: worlds built in code and
// their file texts, written out by hand from the file layout.
#pragma once

#include <string>

#include "engine/world.h"
#include "platform/version.h"

namespace vantor::samples {

// The file of a new, empty scenery.
inline const std::string EMPTY_SCENERY_TEXT = "[PROGRAM_VERSION]=" VANTOR_VERSION
                                              "\n"
                                              "\n"
                                              "[SCENERY_NAME]=\n"
                                              "[SCENERY_DESCRIPTION]=\n"
                                              "\n"
                                              "[FILE_READ_ONLY]=0\n"
                                              "[PROCESS_PRIORITY]=0\n"
                                              "[CALCULATE_RELATIVISTIC_MASSES]=0\n"
                                              "[ALLOW_OBJECT_COLLISIONS]=0\n"
                                              "[FPS_DESIRED]=50\n"
                                              "[DISPLAY_OBJECT_NAMES]=0\n"
                                              "[DIM_DISTANT_OBJECTS]=1\n"
                                              "[SHOW_OBJECT_TRAILS]=0\n"
                                              "[DISPLAY_OBJECTS_AS_DOTS]=0\n"
                                              "[IMPROVE_OBJECTS_VISIBILITY]=0\n"
                                              "[AUTOSAVE_ENABLED]=0\n"
                                              "[AUTOSAVE_PERIOD]=0\n"
                                              "[AUTOSAVE_INTO_SEPARATE_FILES]=0\n"
                                              "[AUTOSTOP_MODE]=0\n"
                                              "[AUTOSTOP_RT_PERIOD]=0\n"
                                              "[AUTOSTOP_ST_PERIOD]=0.e+000\n"
                                              "[RESTART_AFTER_AUTOSTOP]=0\n"
                                              "[VIEW_ROTATING_STEP]=2.2e-001\n"
                                              "[COLLISION_COUNTER]=0\n"
                                              "\n"
                                              "[DISPLAY_STATIC_SCENERY]=0\n"
                                              "[STATIC_SCENERY_OBJECTS_N]=0\n"
                                              "\n"
                                              "[ORIGIN_MODE]=0\n"
                                              "[ORIGIN_OBJECT]=1\n"
                                              "[ORIGIN_POSITION_X]=0.e+000\n"
                                              "[ORIGIN_POSITION_Y]=0.e+000\n"
                                              "[ORIGIN_POSITION_Z]=0.e+000\n"
                                              "[ORIGIN_OFFSET_X]=0.e+000\n"
                                              "[ORIGIN_OFFSET_Y]=0.e+000\n"
                                              "[ORIGIN_OFFSET_Z]=0.e+000\n"
                                              "\n"
                                              "[VIEWPOINT_FOV]=1.e+001\n"
                                              "[VIEWPOINT_MODE]=0\n"
                                              "[VIEWPOINT_OBJECT]=1\n"
                                              "[VIEWPOINT_DISTANCE]=1.e+010\n"
                                              "[VIEWPOINT_THETA]=0.e+000\n"
                                              "[VIEWPOINT_PHI]=0.e+000\n"
                                              "[VIEWPOINT_ALPHA]=0.e+000\n"
                                              "[VIEWPOINT_POSITION_X]=0.e+000\n"
                                              "[VIEWPOINT_POSITION_Y]=0.e+000\n"
                                              "[VIEWPOINT_POSITION_Z]=1.e+010\n"
                                              "\n"
                                              "[SPACECRAFT_MODE]=0\n"
                                              "[SPACECRAFT_OBJECT]=1\n"
                                              "[SPACECRAFT_THRUST_FORCE_MAX]=0.e+000\n"
                                              "[SPACECRAFT_THRUST_FORCE]=0.e+000\n"
                                              "[SPACECRAFT_DIRECTION_X]=0.e+000\n"
                                              "[SPACECRAFT_DIRECTION_Y]=0.e+000\n"
                                              "[SPACECRAFT_DIRECTION_Z]=0.e+000\n"
                                              "[SPACECRAFT_TRACKING_MODE]=0\n"
                                              "[SPACECRAFT_AUTOTRACKING]=0\n"
                                              "[SPACECRAFT_TRACKING_OBJECT]=1\n"
                                              "\n"
                                              "[INIT_SIMULATION_TIME_STEP]=1.e+001\n"
                                              "[SIMULATION_TIME_STEP]=1.e+001\n"
                                              "[SIMULATION_TIME]=0.e+000\n"
                                              "\n"
                                              "[INIT_OBJECTS_N]=0\n"
                                              "[OBJECTS_N]=0\n"
                                              "\n"
                                              "[GROUP_N]=0\n"
                                              "\n"
                                              "\n"
                                              "\n";

// A small scenery with a value of every form: two initial objects, one
// current object, a two-line description, non-default settings.
inline const std::string SMALL_SCENERY_TEXT = "[PROGRAM_VERSION]=" VANTOR_VERSION
                                              "\n"
                                              "\n"
                                              "[SCENERY_NAME]=Two bodies (test)\n"
                                              "[SCENERY_DESCRIPTION]=First line\r\nSecond line\n"
                                              "\n"
                                              "[FILE_READ_ONLY]=1\n"
                                              "[PROCESS_PRIORITY]=2\n"
                                              "[CALCULATE_RELATIVISTIC_MASSES]=1\n"
                                              "[ALLOW_OBJECT_COLLISIONS]=1\n"
                                              "[FPS_DESIRED]=60\n"
                                              "[DISPLAY_OBJECT_NAMES]=1\n"
                                              "[DIM_DISTANT_OBJECTS]=0\n"
                                              "[SHOW_OBJECT_TRAILS]=1\n"
                                              "[DISPLAY_OBJECTS_AS_DOTS]=1\n"
                                              "[IMPROVE_OBJECTS_VISIBILITY]=1\n"
                                              "[AUTOSAVE_ENABLED]=1\n"
                                              "[AUTOSAVE_PERIOD]=600\n"
                                              "[AUTOSAVE_INTO_SEPARATE_FILES]=1\n"
                                              "[AUTOSTOP_MODE]=3\n"
                                              "[AUTOSTOP_RT_PERIOD]=3600\n"
                                              "[AUTOSTOP_ST_PERIOD]=3.1536e+007\n"
                                              "[RESTART_AFTER_AUTOSTOP]=1\n"
                                              "[VIEW_ROTATING_STEP]=1.5e+000\n"
                                              "[COLLISION_COUNTER]=4\n"
                                              "\n"
                                              "[DISPLAY_STATIC_SCENERY]=1\n"
                                              "[STATIC_SCENERY_OBJECTS_N]=2000\n"
                                              "\n"
                                              "[ORIGIN_MODE]=1\n"
                                              "[ORIGIN_OBJECT]=2\n"
                                              "[ORIGIN_POSITION_X]=1.5e+011\n"
                                              "[ORIGIN_POSITION_Y]=-2.5e+003\n"
                                              "[ORIGIN_POSITION_Z]=0.e+000\n"
                                              "[ORIGIN_OFFSET_X]=1.e+000\n"
                                              "[ORIGIN_OFFSET_Y]=-1.e+000\n"
                                              "[ORIGIN_OFFSET_Z]=1.e-003\n"
                                              "\n"
                                              "[VIEWPOINT_FOV]=4.5e+001\n"
                                              "[VIEWPOINT_MODE]=2\n"
                                              "[VIEWPOINT_OBJECT]=1\n"
                                              "[VIEWPOINT_DISTANCE]=2.5e+012\n"
                                              "[VIEWPOINT_THETA]=3.e+001\n"
                                              "[VIEWPOINT_PHI]=2.7e+002\n"
                                              "[VIEWPOINT_ALPHA]=1.2345e+002\n"
                                              "[VIEWPOINT_POSITION_X]=1.e+003\n"
                                              "[VIEWPOINT_POSITION_Y]=-2.e+003\n"
                                              "[VIEWPOINT_POSITION_Z]=1.e+010\n"
                                              "\n"
                                              "[SPACECRAFT_MODE]=1\n"
                                              "[SPACECRAFT_OBJECT]=2\n"
                                              "[SPACECRAFT_THRUST_FORCE_MAX]=1.e+006\n"
                                              "[SPACECRAFT_THRUST_FORCE]=2.5e+005\n"
                                              "[SPACECRAFT_DIRECTION_X]=0.e+000\n"
                                              "[SPACECRAFT_DIRECTION_Y]=-1.e+000\n"
                                              "[SPACECRAFT_DIRECTION_Z]=0.e+000\n"
                                              "[SPACECRAFT_TRACKING_MODE]=2\n"
                                              "[SPACECRAFT_AUTOTRACKING]=1\n"
                                              "[SPACECRAFT_TRACKING_OBJECT]=1\n"
                                              "\n"
                                              "[INIT_SIMULATION_TIME_STEP]=6.e+001\n"
                                              "[SIMULATION_TIME_STEP]=3.e+001\n"
                                              "[SIMULATION_TIME]=8.64e+004\n"
                                              "\n"
                                              "[INIT_OBJECTS_N]=2\n"
                                              "[OBJECTS_N]=1\n"
                                              "\n"
                                              "[GROUP_N]=7\n"
                                              "\n"
                                              "[INIT_OBJECT_1_NAME]=Sun\n"
                                              "[INIT_OBJECT_1_MASS]=1.9890999999999999e+030\n"
                                              "[INIT_OBJECT_1_RADIUS]=6.96e+008\n"
                                              "[INIT_OBJECT_1_X]=0.e+000\n"
                                              "[INIT_OBJECT_1_Y]=0.e+000\n"
                                              "[INIT_OBJECT_1_Z]=0.e+000\n"
                                              "[INIT_OBJECT_1_VX]=0.e+000\n"
                                              "[INIT_OBJECT_1_VY]=0.e+000\n"
                                              "[INIT_OBJECT_1_VZ]=0.e+000\n"
                                              "[INIT_OBJECT_1_COLOR]=30ffff\n"
                                              "[INIT_OBJECT_1_DISABLED]=0\n"
                                              "\n"
                                              "[INIT_OBJECT_2_NAME]=Mercury (inner)\n"
                                              "[INIT_OBJECT_2_MASS]=3.3019999999999999e+023\n"
                                              "[INIT_OBJECT_2_RADIUS]=2.4397e+006\n"
                                              "[INIT_OBJECT_2_X]=-6.9817079e+010\n"
                                              "[INIT_OBJECT_2_Y]=0.e+000\n"
                                              "[INIT_OBJECT_2_Z]=5.e-001\n"
                                              "[INIT_OBJECT_2_VX]=0.e+000\n"
                                              "[INIT_OBJECT_2_VY]=-3.886e+004\n"
                                              "[INIT_OBJECT_2_VZ]=2.5e-001\n"
                                              "[INIT_OBJECT_2_COLOR]=ff\n"
                                              "[INIT_OBJECT_2_DISABLED]=2\n"
                                              "\n"
                                              "\n"
                                              "\n"
                                              "[OBJECT_1_NAME]=Sun\n"
                                              "[OBJECT_1_MASS]=0.e+000\n"
                                              "[OBJECT_1_RADIUS]=1.e+000\n"
                                              "[OBJECT_1_X]=1.e+003\n"
                                              "[OBJECT_1_Y]=-1.e+003\n"
                                              "[OBJECT_1_Z]=4.2e+001\n"
                                              "[OBJECT_1_VX]=1.e-003\n"
                                              "[OBJECT_1_VY]=2.e-003\n"
                                              "[OBJECT_1_VZ]=-5.e-001\n"
                                              "[OBJECT_1_COLOR]=0\n"
                                              "[OBJECT_1_DISABLED]=1\n"
                                              "\n";

inline void setObject(ObjectRecord& o, const char* name, double mass, double radius, double x, double y, double z,
                      double vx, double vy, double vz, uint32_t color, uint8_t disabled) {
    setObjectName(o, name);
    o.mass = mass;
    o.radius = radius;
    o.x = x;
    o.y = y;
    o.z = z;
    o.vx = vx;
    o.vy = vy;
    o.vz = vz;
    o.color = color;
    o.disabled = disabled;
}

// The world whose file is SMALL_SCENERY_TEXT.
inline void makeSmallScenery(World& w) {
    newScenery(w);
    w.SCENERY_NAME = "Two bodies (test)";
    w.SCENERY_DESCRIPTION = "First line\r\nSecond line";
    w.FILE_READ_ONLY = 1;
    w.PROCESS_PRIORITY = 2;
    w.CALCULATE_RELATIVISTIC_MASSES = 1;
    w.ALLOW_OBJECT_COLLISIONS = 1;
    w.FPS_DESIRED = 60;
    w.DISPLAY_OBJECT_NAMES = 1;
    w.DIM_DISTANT_OBJECTS = 0;
    w.SHOW_OBJECT_TRAILS = 1;
    w.DISPLAY_OBJECTS_AS_DOTS = 1;
    w.IMPROVE_OBJECTS_VISIBILITY = 1;
    w.AUTOSAVE_ENABLED = 1;
    w.AUTOSAVE_PERIOD = 600;
    w.AUTOSAVE_INTO_SEPARATE_FILES = 1;
    w.AUTOSTOP_MODE = 3;
    w.AUTOSTOP_RT_PERIOD = 3600;
    w.AUTOSTOP_ST_PERIOD = 3.1536e7;
    w.RESTART_AFTER_AUTOSTOP = 1;
    w.VIEW_ROTATING_STEP = 1.5;
    w.COLLISION_COUNTER = 4;
    w.DISPLAY_STATIC_SCENERY = 1;
    w.STATIC_SCENERY_OBJECTS_N = 2000;
    w.ORIGIN_MODE = 1;
    w.ORIGIN_OBJECT = 1;
    w.ORIGIN_POSITION_X = 1.5e11;
    w.ORIGIN_POSITION_Y = -2500;
    w.ORIGIN_POSITION_Z = 0;
    w.ORIGIN_OFFSET_X = 1;
    w.ORIGIN_OFFSET_Y = -1;
    w.ORIGIN_OFFSET_Z = 0.001;
    w.VIEWPOINT_FOV = 45;
    w.VIEWPOINT_MODE = 2;
    w.VIEWPOINT_OBJECT = 0;
    w.VIEWPOINT_DISTANCE = 2.5e12;
    w.VIEWPOINT_THETA = 30;
    w.VIEWPOINT_PHI = 270;
    w.VIEWPOINT_ALPHA = 123.45;
    w.VIEWPOINT_POSITION_X = 1000;
    w.VIEWPOINT_POSITION_Y = -2000;
    w.VIEWPOINT_POSITION_Z = 1e10;
    w.SPACECRAFT_MODE = 1;
    w.SPACECRAFT_OBJECT = 1;
    w.SPACECRAFT_THRUST_FORCE_MAX = 1e6;
    w.SPACECRAFT_THRUST_FORCE = 2.5e5;
    w.SPACECRAFT_DIRECTION_X = 0;
    w.SPACECRAFT_DIRECTION_Y = -1;
    w.SPACECRAFT_DIRECTION_Z = 0;
    w.SPACECRAFT_TRACKING_MODE = 2;
    w.SPACECRAFT_AUTOTRACKING = 1;
    w.SPACECRAFT_TRACKING_OBJECT = 0;
    w.INIT_SIMULATION_TIME_STEP = 60;
    w.SIMULATION_TIME_STEP = 30;
    w.SIMULATION_TIME = 86400;
    w.GROUP_N = 7;

    w.INIT_OBJECTS_N = 2;
    setObject(w.initialObjects[0], "Sun", 1.9891e30, 6.96e8, 0, 0, 0, 0, 0, 0, 0x30ffff, 0);
    setObject(w.initialObjects[1], "Mercury (inner)", 3.302e23, 2.4397e6, -6.9817079e10, 0, 0.5, 0, -38860, 0.25, 0xff,
              2);
    w.OBJECTS_N = 1;
    setObject(w.objects[0], "Sun", 0, 1, 1000, -1000, 42, 0.001, 0.002, -0.5, 0, 1);
}

}  // namespace vantor::samples
