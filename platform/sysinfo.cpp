#include "platform/sysinfo.h"

#include <sys/sysinfo.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define VANTOR_HAS_CPUID 1
#else
#define VANTOR_HAS_CPUID 0
#endif

namespace vantor::platform {

namespace {

std::string_view trim(std::string_view s) {
    const char* space = " \t\r\n";
    size_t first = s.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    size_t last = s.find_last_not_of(space);
    return s.substr(first, last - first + 1);
}

std::string readWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int64_t roundedMb(double bytes) { return static_cast<int64_t>(std::llround(bytes / 1048576.0)); }

}  // namespace

std::string processorIdentifierFrom(const char* envValue, std::string_view cpuinfo) {
    // An empty variable names nothing; the model name says more.
    if (envValue && *envValue) return envValue;
    size_t pos = 0;
    while (pos < cpuinfo.size()) {
        size_t end = cpuinfo.find('\n', pos);
        if (end == std::string_view::npos) end = cpuinfo.size();
        std::string_view line = cpuinfo.substr(pos, end - pos);
        size_t colon = line.find(':');
        if (colon != std::string_view::npos && trim(line.substr(0, colon)) == "model name") {
            std::string_view name = trim(line.substr(colon + 1));
            if (!name.empty()) return std::string(name);
        }
        pos = end + 1;
    }
    return UNKNOWN_PROCESSOR;
}

std::string processorIdentifier() {
    return processorIdentifierFrom(std::getenv("PROCESSOR_IDENTIFIER"), readWholeFile("/proc/cpuinfo"));
}

MemoryStatus memoryStatus() {
    MemoryStatus status;
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
        status.totalBytes = static_cast<uint64_t>(info.totalram) * unit;
        status.availableBytes = (static_cast<uint64_t>(info.freeram) + info.bufferram) * unit;
    }
    // The kernel's own estimate of available memory counts reclaimable
    // caches too, which is what "free" means to a user.
    std::istringstream meminfo(readWholeFile("/proc/meminfo"));
    std::string key;
    unsigned long long kilobytes = 0;
    while (meminfo >> key >> kilobytes) {
        if (key == "MemAvailable:") {
            status.availableBytes = static_cast<uint64_t>(kilobytes) * 1024;
            break;
        }
        meminfo.ignore(256, '\n');
    }
    return status;
}

int64_t installedMemoryMb(uint64_t totalBytes) { return roundedMb(static_cast<double>(totalBytes) + 655360.0); }

int64_t freeMemoryMb(uint64_t availableBytes) { return roundedMb(static_cast<double>(availableBytes)); }

ClockSources systemClockSources() {
    ClockSources s;
    s.counterFrequency = [] { return int64_t{1000000000}; };
    s.readCounter = [](int64_t& value) {
        value =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        return true;
    };
#if VANTOR_HAS_CPUID
    s.readTimeStampCounter = [] { return static_cast<uint64_t>(__rdtsc()); };
#else
    s.readTimeStampCounter = [] { return uint64_t{0}; };
#endif
    s.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    return s;
}

int measureCpuMhz(const ClockSources& sources) {
    int64_t frequency = sources.counterFrequency();
    int64_t c0 = 0, c1 = 0;
    bool counterOk = frequency > 0 && sources.readCounter(c0);
    const uint64_t t0 = sources.readTimeStampCounter();
    sources.sleep(1000);
    if (counterOk) counterOk = sources.readCounter(c1);
    const uint64_t cycles = sources.readTimeStampCounter() - t0;  // unsigned: wraps like the counter
    const double perSecond = static_cast<double>(cycles) * 1e-6;  // the sleep taken as one second
    double mhz = perSecond;
    if (counterOk && frequency > 0 && c0 > 0 && c1 > 0 && c1 - c0 > 0) {
        const double ratio = static_cast<double>(frequency) / static_cast<double>(c1 - c0);
        if (std::fabs(ratio - 1.0) < 0.1) mhz = ratio * perSecond;
    }
    mhz = std::round(mhz);
    return mhz >= 2147483647.0 ? 2147483647 : static_cast<int>(mhz);
}

bool cpuidAvailable() { return VANTOR_HAS_CPUID != 0; }

CpuidRegisters executeCpuid(uint32_t leaf) {
    CpuidRegisters r;
#if VANTOR_HAS_CPUID
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
#else
    (void)leaf;
#endif
    return r;
}

std::string cpuidDumpFrom(const CpuidFunction& cpuid) {
    // Real processors report a few dozen leaves; a value beyond this is not a
    // leaf count and must not make the dump unbounded.
    constexpr uint32_t kLeafLimit = 255;
    std::string text;
    auto record = [&text](const CpuidRegisters& r) {
        char hex[33];
        std::snprintf(hex, sizeof hex, "%08x%08x%08x%08x", r.eax, r.ebx, r.ecx, r.edx);
        text += hex;
    };
    const CpuidRegisters first = cpuid(0);
    const uint32_t highest = first.eax < kLeafLimit ? first.eax : kLeafLimit;
    record(first);
    for (uint32_t leaf = 1; leaf <= highest; ++leaf) {
        const CpuidRegisters r = cpuid(leaf);
        record(r);
        if (leaf == 2) {
            for (uint32_t again = 1; again < (r.eax & 0xFFu); ++again) record(cpuid(2));
        }
    }
    return text;
}

std::string cpuidDump() {
    if (!cpuidAvailable()) return {};
    return cpuidDumpFrom(executeCpuid);
}

}  // namespace vantor::platform
