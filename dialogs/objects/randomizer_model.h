// The object randomizer without its window: the settings kept from one
// opening to the next and the creation of random objects. No Qt here.
#pragma once

#include <cstdint>

#include "engine/world.h"

namespace vantor::dialogs {

// Kept for the program's whole life, never saved.
struct RandomizerSettings {
    // Lower and upper bounds; only mass, radius, position, velocity and
    // colour are used.
    ObjectRecord low{}, high{};
    int config = 0;       // 0 initial, 1 current configuration
    uint32_t count = 0;   // objects to create
    int start = -1;       // first object to overwrite, -1 to append
    bool opened = false;  // both colour bounds become white at the first opening
};

// The process-wide settings.
RandomizerSettings& randomizerSettings();

// Seeds the generator with `seed`, then creates `count` objects in the
// table of `config` from index `start` on (past the end, or -1, appends),
// each bound drawn by randomInRange and the colour bytes uniformly; stops
// at MAX_OBJECTS. Returns the number created; marks the scenery modified
// when any was. The caller repartitions the work (partitionWork).
int createRandomObjects(World& world, int config, uint32_t count, const ObjectRecord& low, const ObjectRecord& high,
                        int start, uint64_t seed);

}  // namespace vantor::dialogs
