#include "platform/sysinfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace vantor::platform {
namespace {

TEST(SystemInfo, ProcessorIdentifierPrefersTheVariable) {
    const std::string cpuinfo =
        "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) CPU @ 2.20GHz  \n"
        "processor\t: 1\nmodel name\t: Other\n";
    const struct {
        const char* env;
        std::string cpuinfo;
        std::string expected;
    } cases[] = {
        {"Intel64 Family 6 Model 85 Stepping 7, GenuineIntel", cpuinfo,
         "Intel64 Family 6 Model 85 Stepping 7, GenuineIntel"},
        {nullptr, cpuinfo, "Intel(R) Xeon(R) CPU @ 2.20GHz"},
        {"", cpuinfo, "Intel(R) Xeon(R) CPU @ 2.20GHz"},
        {nullptr, "", "Unknown processor"},
        {nullptr, "processor\t: 0\nBogoMIPS\t: 48.00\n", "Unknown processor"},
        {nullptr, "model name\t:   \n", "Unknown processor"},
        {nullptr, "model name: last line without a break", "last line without a break"},
    };
    for (const auto& c : cases) EXPECT_EQ(processorIdentifierFrom(c.env, c.cpuinfo), c.expected) << c.cpuinfo;
    EXPECT_FALSE(processorIdentifier().empty());
}

TEST(SystemInfo, MemoryIsRoundedToWholeMegabytes) {
    const struct {
        uint64_t bytes;
        int64_t installed, free;
    } cases[] = {
        {0, 1, 0},                                 // 655,360 bytes are 0.625 MB
        {1024ull * 1048576 - 655360, 1024, 1023},  // installed: the missing 640 KB added back
        {524288, 1, 1},                            // half a megabyte rounds up
        {524287, 1, 0},
        {16ull << 30, 16385, 16384},
    };
    for (auto c : cases) {
        EXPECT_EQ(installedMemoryMb(c.bytes), c.installed) << c.bytes;
        EXPECT_EQ(freeMemoryMb(c.bytes), c.free) << c.bytes;
    }
    const MemoryStatus m = memoryStatus();
    EXPECT_GT(m.totalBytes, 0u);
    EXPECT_LE(m.availableBytes, m.totalBytes);
}

// A 3 GHz processor and a sleep that really lasts `sleptSeconds`.
ClockSources simulatedClock(double sleptSeconds, int64_t frequency = 10000000, bool counterAfterSleep = true,
                            int64_t counterStart = 5000000000) {
    struct State {
        int64_t counter;
        uint64_t cycles = 7;
    };
    auto s = std::make_shared<State>(State{counterStart});
    ClockSources c;
    c.counterFrequency = [frequency] { return frequency; };
    c.readCounter = [s, counterAfterSleep, calls = std::make_shared<int>(0)](int64_t& v) {
        v = s->counter;
        return ++*calls == 1 || counterAfterSleep;
    };
    c.readTimeStampCounter = [s] { return s->cycles; };
    c.sleep = [s, sleptSeconds, frequency](int ms) {
        EXPECT_EQ(ms, 1000);
        s->counter += std::llround(sleptSeconds * static_cast<double>(frequency));
        s->cycles += static_cast<uint64_t>(std::llround(sleptSeconds * 3e9));
    };
    return c;
}

TEST(SystemInfo, ClockTrustsTheCounterOnlyWithinTenPercent) {
    const struct {
        double slept;
        int expected;
    } cases[] = {
        {1.0, 3000}, {1.05, 3000}, {0.95, 3000},
        {1.1, 3000}, {1.2, 3600},  // R about 0.83: the sleep is taken as one second
        {0.8, 2400}, {0.9, 2700},
    };
    for (auto c : cases) EXPECT_EQ(measureCpuMhz(simulatedClock(c.slept)), c.expected) << c.slept;
}

TEST(SystemInfo, ClockWithoutAUsableCounterIsTheFirstEstimate) {
    EXPECT_EQ(measureCpuMhz(simulatedClock(1.05, 0)), 3150);                  // no counter
    EXPECT_EQ(measureCpuMhz(simulatedClock(1.05, 10000000, false)), 3150);    // second reading failed
    EXPECT_EQ(measureCpuMhz(simulatedClock(1.05, 10000000, true, 0)), 3150);  // a start reading of 0
}

TEST(SystemInfo, CpuidDumpRepeatsLeafTwoAsItSays) {
    std::map<uint32_t, int> executed;
    auto fake = [&](uint32_t leaf) {
        ++executed[leaf];
        CpuidRegisters r{leaf * 0x10u, 0xabcdef01u, 0, 0xffffffffu};
        if (leaf == 0) r.eax = 3;
        if (leaf == 2) r.eax = 0x00000003u + 0x100u * static_cast<uint32_t>(executed[2]);
        return r;
    };
    const std::string dump = cpuidDumpFrom(fake);
    EXPECT_EQ(dump,
              "00000003abcdef0100000000ffffffff"
              "00000010abcdef0100000000ffffffff"
              "00000103abcdef0100000000ffffffff"
              "00000203abcdef0100000000ffffffff"
              "00000303abcdef0100000000ffffffff"
              "00000030abcdef0100000000ffffffff");
    EXPECT_EQ(executed[2], 3);

    // A low byte of 0 still runs leaf 2 once; a nonsense highest leaf stays bounded.
    auto huge = [](uint32_t leaf) { return CpuidRegisters{leaf == 0 ? 0xffffffffu : 0u, 0, 0, 0}; };
    EXPECT_EQ(cpuidDumpFrom(huge).size(), 256u * 32);
}

TEST(SystemInfo, CpuidDumpOfThisMachineIsLowerCaseHex) {
    const std::string dump = cpuidDump();
    if (!cpuidAvailable()) {
        EXPECT_TRUE(dump.empty());
        return;
    }
    ASSERT_GE(dump.size(), 32u);
    EXPECT_EQ(dump.size() % 32, 0u);
    EXPECT_EQ(dump.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_GE(dump.size() / 32, std::stoul(dump.substr(0, 8), nullptr, 16) + 1);
}

}  // namespace
}  // namespace vantor::platform
