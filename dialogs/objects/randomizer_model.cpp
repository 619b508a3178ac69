#include "dialogs/objects/randomizer_model.h"

#include <string>

#include "engine/random.h"

namespace vantor::dialogs {

RandomizerSettings& randomizerSettings() {
    static RandomizerSettings settings;
    return settings;
}

namespace {

// low + r (high - low) / 32767 of one byte, in whole numbers truncating
// toward zero.
uint32_t randomByte(uint32_t low, uint32_t high, int shift) {
    const int a = static_cast<int>((low >> shift) & 0xFF), b = static_cast<int>((high >> shift) & 0xFF);
    return static_cast<uint32_t>(a + randomDraw() * (b - a) / RANDOM_DRAW_MAX) & 0xFF;
}

}  // namespace

int createRandomObjects(World& world, int config, uint32_t count, const ObjectRecord& low, const ObjectRecord& high,
                        int start, uint64_t seed) {
    ObjectRecord* table = config == 0 ? world.initialObjects.get() : world.objects.get();
    int& tableCount = config == 0 ? world.INIT_OBJECTS_N : world.OBJECTS_N;
    int i = start >= 0 && start < tableCount ? start : tableCount;
    if (i < 0) i = 0;
    seedRandom(seed);
    int created = 0;
    for (uint32_t k = 0; k < count && i < MAX_OBJECTS; ++k) {
        ObjectRecord r{};
        // The order of the draws is part of what a seed reproduces.
        r.x = randomInRange(low.x, high.x);
        r.y = randomInRange(low.y, high.y);
        r.z = randomInRange(low.z, high.z);
        r.vx = randomInRange(low.vx, high.vx);
        r.vy = randomInRange(low.vy, high.vy);
        r.vz = randomInRange(low.vz, high.vz);
        r.mass = randomInRange(low.mass, high.mass);
        r.radius = randomInRange(low.radius, high.radius);
        const uint32_t red = randomByte(low.color, high.color, 0);
        const uint32_t green = randomByte(low.color, high.color, 8);
        const uint32_t blue = randomByte(low.color, high.color, 16);
        r.color = blue << 16 | green << 8 | red;
        r.name = table[i].name;  // the slot keeps owning its name storage
        table[i] = r;
        setObjectName(table[i], ("Object " + std::to_string(i + 1)).c_str());
        ++i;
        ++created;
        world.sceneryModified = 1;
    }
    if (i > tableCount) tableCount = i;
    return created;
}

}  // namespace vantor::dialogs
