// How the workers wait for each other: spinning first, because within a
// step a partner arrives in microseconds and a kernel wake-up costs more than
// the whole step of a small scenery.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace vantor::pool {

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Spins, then yields, so that a partner sharing a processor on a busy
// machine gets to run.
template <typename Ready>
void waitUntil(Ready ready) {
    constexpr int kSpins = 1 << 10;
    for (int k = 0; k < kSpins; ++k) {
        if (ready()) return;
        cpuRelax();
    }
    while (!ready()) std::this_thread::yield();
}

// An idle worker waiting for the next step also yields for a while, then
// sleeps in the kernel, so that idle workers cost nothing.
inline void waitForChange(const std::atomic<uint64_t>& a, uint64_t old) {
    auto changed = [&] { return a.load(std::memory_order_acquire) != old; };
    constexpr int kSpins = 1 << 10;
    for (int k = 0; k < kSpins; ++k) {
        if (changed()) return;
        cpuRelax();
    }
    const auto yieldUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (std::chrono::steady_clock::now() < yieldUntil) {
        if (changed()) return;
        std::this_thread::yield();
    }
    while (!changed()) a.wait(old, std::memory_order_acquire);
}

// Where one worker is within the steps: a counter only it writes, on a
// cache line of its own, so that passing a barrier costs one transfer per
// partner and no read-modify-write of a shared line.
struct alignas(64) Epoch {
    std::atomic<uint64_t> value{0};
};

}  // namespace vantor::pool
