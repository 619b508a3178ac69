// The step's structure-of-arrays storage.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>

#include "engine/world.h"

namespace vantor::pool {

// Room for the vector kernels to read whole registers past the last object.
constexpr size_t kCapacity = MAX_OBJECTS + 16;

// Where the next column starts within its page, in cache lines.
inline std::atomic<unsigned> nextColumnOffset{0};

// A zeroed, cache-line aligned array of kCapacity entries. Each column
// starts 13 cache lines further into its page than the one made before it
// (13 is odd, so the offsets walk through all 64 sets of the first-level
// cache): columns that all start on a page boundary put the same entry of
// every column into one set, where the step's twenty-odd columns evict each
// other (docs/performance.md).
template <typename T>
struct Column {
    static constexpr size_t kPage = 4096, kLine = 64;
    void* block;
    T* data;
    Column() : block(::operator new[](kCapacity * sizeof(T) + kPage, std::align_val_t(kPage))) {
        const size_t offset = nextColumnOffset.fetch_add(13, std::memory_order_relaxed) % (kPage / kLine) * kLine;
        data = reinterpret_cast<T*>(static_cast<char*>(block) + offset);
        std::memset(static_cast<void*>(data), 0, kCapacity * sizeof(T));
    }
    ~Column() { ::operator delete[](block, std::align_val_t(kPage)); }
    Column(const Column&) = delete;
    Column& operator=(const Column&) = delete;
    T& operator[](size_t i) { return data[i]; }
    const T& operator[](size_t i) const { return data[i]; }
};

}  // namespace vantor::pool
