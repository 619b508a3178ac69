// Spacecraft mode: one object of the current configuration flown by thrust
// impulses along a heading that is always the camera's line of sight. The
// operations change the world only; the shell paints and refreshes.
#pragma once

#include "engine/gravity.h"
#include "engine/world.h"
#include "render/view.h"

namespace vantor::spacecraft {

constexpr const char* SPACECRAFT_NAME = "Survey Vessel of Captain Orlo";
constexpr double SPACECRAFT_MASS = 10000;  // kg, of a spawned spacecraft
constexpr double SPACECRAFT_RADIUS = 100;  // m
constexpr double SPEED_CAP = 299792457;    // m/s, 1 m/s below c

// The force that gives `mass` (kg), from rest, the relativistic momentum of
// 0.99 c within one simulation step: mass x 0.99 c / (sqrt(1 - 0.99^2) x dt), N.
double defaultThrustMax(const World& world, double mass);

// Toggles spacecraft mode. Engaging needs a valid SPACECRAFT_OBJECT and a
// maximal thrust above 0; it points the heading and the camera along -z and
// sets the thrust to max^0.3. 1 on success (either way), -1 when it cannot
// engage (nothing changed).
int engageSpacecraft(World& world);

// Appends a new spacecraft to the current configuration only, in front of
// the origin point along +z by the smaller visible half extent, makes it
// SPACECRAFT_OBJECT with its default maximal thrust, and repartitions the
// work. Returns its index, or -1 when the table is full.
int spawnSpacecraft(World& world, WorkerPool& pool, const render::View& view);

// One thrust impulse along (sign +1) or against (-1) the heading: 15 % of
// the speed, at most one step's impulse of the present thrust; from rest
// 1 m/s, and never c or more.
void applyThrust(World& world, int sign);

// The spacecraft at rest.
void stopSpacecraft(World& world);

// Thrust := maximal thrust.
void setFullThrust(World& world);

// Thrust x max^(0.02 sign), kept within 1 N .. max.
void adjustThrust(World& world, int sign);

// Turns the heading (and the camera) most of the way towards the target:
// nothing in tracking mode 0, SPACECRAFT_TRACKING_OBJECT (object 0 when not
// valid) in mode 2, the centre of mass otherwise.
void trackTarget(World& world, const render::View& view);

}  // namespace vantor::spacecraft
