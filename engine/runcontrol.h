// Run control that needs no window: speed figures, the status texts, the
// process priority, automatic stop, reinitialising and autosave names.
#pragma once

#include <array>
#include <ctime>
#include <string>

#include "engine/gravity.h"
#include "engine/world.h"

namespace vantor {

// The file an autosave into separate files writes for `path` at local time
// `t`: stem + "_YYYYMMDD-hhmmss" + extension, for example
// orbits_20060515-143005.nbx for orbits.nbx. The extension is split off the
// file name only, never off a folder name ("my.sims/run" gets no extension).
std::string separateAutosaveName(const std::string& path, const std::tm& t);

// "Autosave timestamp: 14:30h, 2006-5-15" (minutes without a leading zero).
std::string autosaveTimestampText(const std::tm& t);

// Where an autosave at local time `t` writes the scenery's file
// (currentFileName): its own file, or a separate time-stamped one when
// AUTOSAVE_INTO_SEPARATE_FILES is set or when the scenery is read-only
// (FILE_READ_ONLY), whose file an autosave never overwrites.
struct AutosaveTarget {
    std::string path;
    bool separate = false;  // the scenery itself stays unsaved
    bool readOnly = false;  // separate only because the scenery is read-only
};
AutosaveTarget autosaveTarget(const World& world, const std::tm& t);

// The status text after a successful autosave: the timestamp, and where the
// copy went when the read-only flag sent it to a separate file
// ("... (read-only: saved as orbit_20060515-143005.nbx)").
std::string autosaveSuccessText(const AutosaveTarget& target, const std::tm& t);

// "Last Autosave was unsuccessful", with the writer's reason in brackets
// when there is one.
constexpr const char* AUTOSAVE_FAILED_TEXT = "Last Autosave was unsuccessful";
std::string autosaveFailureText(const std::string& reason);

// Parts 1 to 5 of the status bar: "\tRunning" or "\tPaused", "\tNi=..",
// "\tN=..", "\t2 threads" or "\t1 thread", "CC=..". A leading tab centres.
std::array<std::string, 5> statusRunParts(const World& world, const WorkerPool& pool);

// The once-a-second measurement while running: simulated seconds per
// second and MCS over `elapsedSeconds` since the last measurement.
void measureSpeed(World& world, double elapsedSeconds);

// The frame-rate measurement and the batch-size control. Returns true when
// the caller should restart its frame-rate interval (the run was just
// primed, or a measurement was taken). An interval in which the speed limit
// cut every batch short keeps the batch size; each interval starts out so
// (speedLimitHeld set while a limit is set) until a batch runs full.
bool measureFpsAndAdapt(World& world, double elapsedSeconds);

// The speed limit's share of a batch. `limit` simulated seconds per real
// second (0 or less: off), `timeStep` seconds per step, `realSeconds` since
// the last batch began and the fraction of a step `carry` left over by it:
// how many steps this batch may take, at most `batchSize`. The limit never
// changes the time step, only how many steps a batch takes; the fraction
// carried on makes the average rate exact whatever the frame times. A
// machine too slow for the limit takes whole batches and owes nothing, so
// that it never races to catch up.
struct LimitedBatch {
    int steps;     // this batch's steps, 0..batchSize
    double carry;  // the fraction of a step owed to the next batch, 0 <= carry < 1
    bool held;     // the limit (not the batch size) decided: fewer steps than batchSize
};
LimitedBatch limitedBatch(double limit, double timeStep, double realSeconds, double carry, int batchSize);

// The limits offered in the menu and the toolbar, in simulated seconds per
// real second: an hour, a day, a week, a month (a twelfth of a year of 365
// days) and a year.
constexpr double SPEED_LIMIT_PRESETS[] = {3600, 86400, 604800, 2628000, 31536000};
constexpr double DEFAULT_SPEED_LIMIT = 86400;  // the L key's limit until another is chosen

// A limit as the toolbar shows it: "Off", "1 day/s", "2.5 hours/s",
// "90 s/s", in the largest unit of which it is at least one.
std::string speedLimitText(double limit);

// A limit as a person types it: "off" (or 0, or nothing), or a positive
// number with an optional unit (s, min, h, d, w, month, y and their names
// in full, singular or plural) and an optional "/s" or "per second":
// "1 day/s", "12 h", "3 weeks per second", "5000". False, with `limit`
// unchanged, for anything else.
bool parseSpeedLimit(const std::string& text, double& limit);

// Applies a PROCESS_PRIORITY value (0 Normal, 1 Low, 2 High, 3 Highest) to
// the process and the workers. 0 on success; -1 for a value outside 0..3 or
// when the system refuses (raising a priority needs privileges), which is
// never fatal.
int setProcessPriority(WorkerPool& pool, int priority);

// Normal priority for the process and the workers, as while paused. 0 on
// success; -1 when the system refuses (a process that ran at Low may not
// return from it without privileges).
int restoreNormalPriority(WorkerPool& pool);

// The PROCESS_PRIORITY value whose niceness the calling thread (which steps
// with the workers) has now, or -1 when it has none of them. After a refused
// change this is the priority that stayed in force.
int priorityInForce();

// The status text for a change to `wanted` that the system refused, naming
// what stayed in force (inForce -1: unknown): "Priority High refused; Normal
// stays in force" (short enough for the status bar's first part).
std::string priorityRefusedText(int wanted, int inForce);

// The reinitialize command's work once confirmed: back to the initial
// configuration, run state reset, work repartitioned. The caller
// recomputes the projection and repaints.
void reinitializeWorld(World& world, WorkerPool& pool);

// Whether the automatic stop by simulated time is due after a step.
bool simulatedTimeStopDue(const World& world);

// What an automatic stop does. A restart goes back to the initial
// configuration; without one (INIT_OBJECTS_N 0) it would delete every
// object, so the run stops and keeps what it has.
enum class AutostopOutcome { Stop, Restart, RestartSkipped };
AutostopOutcome autostopOutcome(const World& world);

constexpr const char* AUTOSTOP_RESTART_SKIPPED_TEXT =
    "Automatic restart skipped: the scenery has no initial configuration";

// A run that moved the simulated time from `timeAtStart` changed the
// scenery: marks it modified. True when the mark was newly set.
bool markModifiedIfTimeMoved(World& world, double timeAtStart);

}  // namespace vantor
