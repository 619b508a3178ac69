// Reads a scenery text into the world: keys by name, range rules per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/world.h"

namespace vantor {

// What a read did not take as the text stood: a text cut short by a zero
// byte, objects or values missing, counts above the limit, values cut or
// numbers out of range. Empty when the whole text was taken.
struct ReadReport {
    std::vector<std::string> notes;  // one sentence each, in the order found
    bool complete() const { return notes.empty(); }
    std::string text() const;  // the notes, one per line
};

// Called now and then while a file is read: bytes read so far, of total.
using ReadProgress = std::function<void(size_t done, size_t total)>;

// Reads the whole file at path into text. Only regular files are read: a
// folder, FIFO, device, socket or kernel pseudo file (/proc, /sys) is refused
// at once, without waiting on it. 0 on success; -1 the file cannot be opened,
// is not a regular file or cannot be read; -2 too large or no memory. On
// failure *error gets the reason.
int readSceneryFile(const char* path, std::string& text, std::string* error = nullptr,
                    const ReadProgress& progress = {});

// Reads built-in example `exampleNumber` (when nonzero) or the file at path.
// 1 read and applied; 0 neither given; -1 the file cannot be opened or read
// (*error gets the reason); -2 no such example, or no memory for the text.
// On failure nothing of the scenery changes. The caller resets the scenery
// (newScenery) before and repartitions the work after.
int readScenery(World& world, int exampleNumber, const char* path, std::string* error = nullptr,
                ReadReport* report = nullptr);

// Applies a scenery text already in memory (never fails on content). Like a
// C string, the text ends at its first zero byte.
void readSceneryText(World& world, std::string_view text);
void readSceneryText(World& world, std::string_view text, ReadReport& report);

// The same, with the search budget made explicit: lookups that miss the
// cursor rescan the text; once they have scanned this many bytes in all, an
// index of every key in the text answers the rest (0: index at once,
// SIZE_MAX: never). The result is the same either way; only time differs.
void readSceneryText(World& world, std::string_view text, size_t searchBudget, ReadReport* report = nullptr);

// Reads a colour value: hexadecimal digits scanned from the end.
uint32_t parseHexColor(const char* value);

// Longest value kept; longer values are cut. A value buffer holds this many
// characters and a terminating zero.
constexpr size_t VALUE_CAPACITY = 50000;

// "No cursor": the lookup starts at the beginning of the text.
constexpr size_t NO_CURSOR = std::string_view::npos;

// Finds key (bracketed, "[FPS_DESIRED]") at or after the cursor, else from
// the start, and copies the value behind the next "=" up to the line end
// into value (at most `capacity` characters, then a zero). Returns the
// position that ended the value as the next cursor, or NO_CURSOR when the key
// is not in the text.
size_t findKeyValue(std::string_view text, size_t cursor, std::string_view key, char* value,
                    size_t capacity = VALUE_CAPACITY);

// The same for a block text: the value runs up to the next "[" or "]",
// line breaks included, and loses the line breaks at its end.
size_t findKeyText(std::string_view text, size_t cursor, std::string_view key, char* value,
                   size_t capacity = VALUE_CAPACITY);

// The C atol rule in 32 bits: white space, sign, digits; wraps on overflow.
int32_t parseInteger(const char* text);

}  // namespace vantor
