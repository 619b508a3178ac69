// What the system tells about itself: processor name, clock, identification
// registers and memory. Every query that depends on time or hardware has a
// form that takes its sources, so that tests can feed it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantor::platform {

constexpr const char* UNKNOWN_PROCESSOR = "Unknown processor";

// The value of PROCESSOR_IDENTIFIER when set and not empty; otherwise the
// first "model name" of /proc/cpuinfo; otherwise "Unknown processor".
std::string processorIdentifier();

// The same rule on given inputs: envValue is nullptr when the variable is
// absent; cpuinfo is the text of /proc/cpuinfo (empty when unreadable).
std::string processorIdentifierFrom(const char* envValue, std::string_view cpuinfo);

struct MemoryStatus {
    uint64_t totalBytes = 0;      // installed physical memory
    uint64_t availableBytes = 0;  // what programs can still get without swapping
};

// Physical memory; zeros when the system does not say.
MemoryStatus memoryStatus();

// Installed memory in MB: (bytes + 655,360) / 1,048,576, rounded to nearest.
int64_t installedMemoryMb(uint64_t totalBytes);

// Free memory in MB: bytes / 1,048,576, rounded to nearest.
int64_t freeMemoryMb(uint64_t availableBytes);

// The sources of a clock measurement.
struct ClockSources {
    // Performance-counter frequency in ticks per second; 0 when there is none.
    std::function<int64_t()> counterFrequency;
    // Reads the performance counter; false when it cannot be read.
    std::function<bool(int64_t&)> readCounter;
    // The processor's time-stamp counter (cycles); 0 where there is none.
    std::function<uint64_t()> readTimeStampCounter;
    std::function<void(int milliseconds)> sleep;
};

// steady_clock in nanoseconds, the processor's time-stamp counter on x86
// (elsewhere none, so the clock measures 0), and a real sleep.
ClockSources systemClockSources();

// The processor clock in MHz: time-stamp cycles over a one-second sleep,
// corrected by the performance counter when it measured the sleep as within
// 10 % of a second. Takes about one second.
int measureCpuMhz(const ClockSources& sources = systemClockSources());

struct CpuidRegisters {
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// Executes the identification instruction for a leaf (sub-leaf 0).
using CpuidFunction = std::function<CpuidRegisters(uint32_t leaf)>;

// Whether this build can execute the identification instruction (x86).
bool cpuidAvailable();

// The identification instruction of this processor; zeros where there is none.
CpuidRegisters executeCpuid(uint32_t leaf);

// Every register of leaves 0 up to the highest standard leaf as 8 lower-case
// hexadecimal digits, EAX EBX ECX EDX per leaf; leaf 2 repeated as its first
// EAX low byte says. Empty where there is no identification instruction.
std::string cpuidDump();
std::string cpuidDumpFrom(const CpuidFunction& cpuid);

}  // namespace vantor::platform
