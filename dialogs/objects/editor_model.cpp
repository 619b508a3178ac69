#include "dialogs/objects/editor_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dialogs/common/field_text.h"
#include "scenery/realtext.h"
#include "scenery/writer.h"

namespace vantor::dialogs {

namespace {

std::string byteText(uint32_t colour, int shift) { return std::to_string((colour >> shift) & 0xFF); }

uint32_t byteOf(const std::string& text) {
    return static_cast<uint32_t>(parseWholeNumber(text.substr(0, EDITOR_TEXT_MAX))) & 0xFF;
}

// No name and an empty name read the same to the user.
bool sameName(const char* a, const char* b) { return std::strcmp(a ? a : "", b ? b : "") == 0; }

bool sameRecord(const ObjectRecord& a, const ObjectRecord& b) {
    return sameName(a.name, b.name) && a.mass == b.mass && a.relativisticMass == b.relativisticMass &&
           a.gravParam == b.gravParam && a.radius == b.radius && a.x == b.x && a.y == b.y && a.z == b.z &&
           a.vx == b.vx && a.vy == b.vy && a.vz == b.vz && a.color == b.color && a.disabled == b.disabled;
}

// Copies a record into a slot that owns its name, with a copy of the name.
void copyRecord(ObjectRecord& to, const ObjectRecord& from) {
    char* const owned = to.name;
    to = from;
    to.name = owned;
    setObjectName(to, from.name);
}

}  // namespace

ObjectFields objectFields(const ObjectRecord& r) {
    ObjectFields f;
    f.name = r.name ? r.name : "";
    f.mass = formatReal(r.mass);
    f.radius = formatReal(r.radius);
    f.x = formatReal(r.x);
    f.y = formatReal(r.y);
    f.z = formatReal(r.z);
    f.vx = formatReal(r.vx);
    f.vy = formatReal(r.vy);
    f.vz = formatReal(r.vz);
    f.red = byteText(r.color, 0);
    f.green = byteText(r.color, 8);
    f.blue = byteText(r.color, 16);
    f.disabled = r.disabled >= 1;
    f.visible = r.disabled >= 2;
    return f;
}

void readObjectFields(const ObjectFields& f, ObjectRecord& r) {
    r.disabled = !f.disabled ? 0 : f.visible ? 2 : 1;
    std::string name = f.name.substr(0, EDITOR_TEXT_MAX);
    sanitizeUserText(name);
    setObjectName(r, name.c_str());
    r.mass = std::fabs(parseFiniteReal(f.mass, r.mass, EDITOR_TEXT_MAX));
    if (r.mass == 0) r.disabled = 1;
    r.radius = std::fabs(parseFiniteReal(f.radius, r.radius, EDITOR_TEXT_MAX));
    r.x = parseFiniteReal(f.x, r.x, EDITOR_TEXT_MAX);
    r.y = parseFiniteReal(f.y, r.y, EDITOR_TEXT_MAX);
    r.z = parseFiniteReal(f.z, r.z, EDITOR_TEXT_MAX);
    r.vx = parseFiniteReal(f.vx, r.vx, EDITOR_TEXT_MAX);
    r.vy = parseFiniteReal(f.vy, r.vy, EDITOR_TEXT_MAX);
    r.vz = parseFiniteReal(f.vz, r.vz, EDITOR_TEXT_MAX);
    r.color = byteOf(f.blue) << 16 | byteOf(f.green) << 8 | byteOf(f.red);
}

EditorTables::EditorTables(const World& world) {
    const ObjectRecord* sources[2] = {world.initialObjects.get(), world.objects.get()};
    const int counts[2] = {world.INIT_OBJECTS_N, world.OBJECTS_N};
    for (int c = 0; c < 2; ++c) {
        const int n = std::max(0, std::min(counts[c], MAX_OBJECTS));
        tables_[c].resize(n);
        for (int i = 0; i < n; ++i) copyRecord(tables_[c][i], sources[c][i]);
    }
}

EditorTables::~EditorTables() {
    for (auto& table : tables_)
        for (ObjectRecord& r : table) std::free(r.name);
}

int EditorTables::addObject(int config, int current) {
    auto& table = tables_[config & 1];
    if (table.size() >= static_cast<size_t>(MAX_OBJECTS)) return current;
    ObjectRecord r{};
    r.color = 0xFFFFFF;
    const std::string name = "Object " + std::to_string(table.size() + 1);
    setObjectName(r, name.c_str());
    table.push_back(r);
    return static_cast<int>(table.size()) - 1;
}

int EditorTables::deleteObject(int config, int object) {
    auto& table = tables_[config & 1];
    if (object < 0 || object >= static_cast<int>(table.size())) return -1;
    std::free(table[object].name);
    table.erase(table.begin() + object);
    const int n = static_cast<int>(table.size());
    return object < n ? object : n - 1;
}

bool EditorTables::commit(World& world) const {
    ObjectRecord* targets[2] = {world.initialObjects.get(), world.objects.get()};
    int* counts[2] = {&world.INIT_OBJECTS_N, &world.OBJECTS_N};
    bool changed = false;
    for (int c = 0; c < 2; ++c) {
        const int n = count(c);
        if (*counts[c] != n) changed = true;
        for (int i = 0; i < n && !changed; ++i) changed = !sameRecord(targets[c][i], tables_[c][i]);
    }
    if (!changed) return false;
    freeObjectNames(world);
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < count(c); ++i) copyRecord(targets[c][i], tables_[c][i]);
        *counts[c] = count(c);
    }
    world.sceneryModified = 1;
    return true;
}

}  // namespace vantor::dialogs
