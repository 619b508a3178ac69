// The keys of a scenery file, in file order, with what each holds and the
// rule its value passes on reading. The writer writes these rows in order;
// the reader looks them up in the same order, so a file the program wrote is
// read in one forward pass.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/world.h"

namespace vantor {

enum class KeyForm {
    Version,    // the writing program's version; written, never interpreted
    LineText,   // up to the end of the line
    BlockText,  // up to the next bracket, line breaks included
    Integer,    // decimal, read by the C atol rule in 32 bits
    Reference,  // an object index, one more in the file than in memory
    Real,       // the real-number text form
};

// What the reader does once a key has been looked up, found or not, because
// the rule involves more than the key's own value.
enum class AfterRead {
    Nothing,
    ThrustAtMostMax,  // the current thrust never exceeds the largest one
    UnitHeading,      // the spacecraft heading becomes a unit vector
    ObjectCount,      // a count above MAX_OBJECTS is cut to it, with a note
    GroupAtMost100,   // GROUP_N is capped at 100
};

// One key of the settings part. The member pointer that the form names is
// set (text, integer or real); the version has none.
struct SceneryKey {
    std::string_view key;  // bracketed, as it stands in the file: "[FPS_DESIRED]"
    KeyForm form;
    std::string World::*text = nullptr;  // LineText, BlockText
    int World::*integer = nullptr;       // Integer, Reference
    double World::*real = nullptr;       // Real
    // Integer and Reference: the value stored for the value read.
    int (*integerRule)(int32_t read) = nullptr;
    // Real: the value stored for a finite value read, given the value before.
    double (*realRule)(double read, double before) = nullptr;
    // Real: the value stored when the rule's result is not finite or the
    // number read is too large for a double; none: the value it had.
    std::optional<double> afterNew;
    AfterRead after = AfterRead::Nothing;
    bool blankAfter = false;  // a blank line follows the key's line

    constexpr SceneryKey thenBlank() const {
        SceneryKey k = *this;
        k.blankAfter = true;
        return k;
    }
    constexpr SceneryKey then(AfterRead what) const {
        SceneryKey k = *this;
        k.after = what;
        return k;
    }
};

// The settings part: the 58 keys ahead of the object blocks, in file order.
std::span<const SceneryKey> sceneryKeys();

enum class ObjectKeyForm { Name, Real, Color, Disabled };

// One key of an object block; the file key is the table's prefix
// ("[INIT_OBJECT_" or "[OBJECT_"), the object number, "_" and the suffix.
struct ObjectKey {
    std::string_view suffix;  // with the closing bracket: "MASS]"
    ObjectKeyForm form;
    double ObjectRecord::*real = nullptr;  // Real
    bool absolute = false;                 // Real: the magnitude is stored
    bool zeroDisables = false;             // Real: a value of 0 disables the object
};

// The eleven keys of an object block, in file order.
std::span<const ObjectKey> objectKeys();

constexpr std::string_view INITIAL_OBJECT_PREFIX = "[INIT_OBJECT_";
constexpr std::string_view CURRENT_OBJECT_PREFIX = "[OBJECT_";

}  // namespace vantor
