// The object editor without its window: private working copies of both
// object tables, the field texts of one object, and the add, delete and
// commit operations. No Qt here.
#pragma once

#include <string>
#include <vector>

#include "engine/world.h"

namespace vantor::dialogs {

constexpr int EDITOR_INITIAL = 0;        // configuration index: the initial table
constexpr int EDITOR_CURRENT = 1;        // the current (simulated) table
constexpr size_t EDITOR_TEXT_MAX = 500;  // characters read from a field

// The texts of the editor's fields for one object, and its two boxes.
struct ObjectFields {
    std::string name;
    std::string mass, radius, x, y, z, vx, vy, vz;  // real-number text form
    std::string red, green, blue;                   // decimal bytes
    bool disabled = false;                          // "Di&sabled"
    bool visible = false;                           // "...but &visible"
};

// What the fields show for a record.
ObjectFields objectFields(const ObjectRecord& record);

// Stores the fields into a record: masses and radii as absolute values, a
// mass of 0 disables the object, text that is not a number reads as 0, a
// number out of range keeps the old value, colour bytes modulo 256.
void readObjectFields(const ObjectFields& fields, ObjectRecord& record);

// Working copies of both tables; each record owns its name.
class EditorTables {
public:
    explicit EditorTables(const World& world);
    ~EditorTables();
    EditorTables(const EditorTables&) = delete;
    EditorTables& operator=(const EditorTables&) = delete;

    int count(int config) const { return static_cast<int>(tables_[config & 1].size()); }
    ObjectRecord& record(int config, int index) { return tables_[config & 1][index]; }
    const ObjectRecord& record(int config, int index) const { return tables_[config & 1][index]; }

    // Appends "Object n" (zeros, white, active) and returns its index; at
    // MAX_OBJECTS nothing is added and `current` comes back.
    int addObject(int config, int current);

    // Removes an object; returns the index to show next (the same, or the
    // new last one), -1 when the table became empty or nothing was removed.
    int deleteObject(int config, int object);

    // Replaces both real tables and counts by the working copies. Marks the
    // scenery modified only when something differs; true then. The caller
    // repartitions the work (partitionWork).
    bool commit(World& world) const;

private:
    std::vector<ObjectRecord> tables_[2];
};

}  // namespace vantor::dialogs
