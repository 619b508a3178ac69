// The system description of the benchmark dialog and the result submission:
// a text record, interleaved with filler bytes and encoded six bits to a
// character, appended to an address on the project's web server.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sysinfo.h"

namespace vantor {

// The project's web server: scheme and host, the one place they are named.
constexpr const char* WEB_SERVER = "https://www.vantor.example";
constexpr const char* SUBMISSION_PATH = "/nbx/benchmark/?action=view&info=";
constexpr const char* SUBMISSION_ALPHABET = "abcdefghijklmnopqrstuvwxyz~0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_";
constexpr unsigned char SUBMISSION_MASK = 0x3D;
constexpr size_t COMMENTS_LIMIT = 300;  // characters
constexpr const char* DETERMINING_CPU_FREQUENCY_TEXT = "Determining CPU frequency. Please wait...";

// The platform queries behind the description and the record; tests give
// their own.
struct SystemProbe {
    std::function<std::string()> processorIdentifier;
    std::function<platform::MemoryStatus()> memory;
    std::function<int()> processorCount;
    std::function<int()> measureCpuMhz;
    std::function<std::string()> cpuidDump;
    std::function<int64_t()> benchmarkSceneryByteSum;  // -1 when not found
    std::function<uint32_t()> fillerSeed;              // the current time in seconds
};

// The real queries of this machine.
SystemProbe systemProbe();

// State that lives as long as the program.
struct SystemState {
    int cpuMhz = -1;  // processor clock in MHz; -1 until first measured
};

// Shown (true) before and hidden (false) after a clock measurement: the
// small "Determining CPU frequency. Please wait..." dialog.
using WaitIndicator = std::function<void(bool shown)>;

// "<processor>, %ld MHz, %ld MB of RAM (%ld MB free)". Measures the clock
// when forced or not yet measured (about one second).
std::string describeSystem(SystemState& state, bool forceMeasure, const SystemProbe& probe = systemProbe(),
                           const WaitIndicator& wait = {});

// The fields of a submission record, in their order.
struct SubmissionFields {
    std::string programVersion;
    std::string engineVersion;
    int32_t cpuMhz = -1;
    int32_t processorCount = 0;
    std::string cpuidDump;
    int32_t installedMemoryMb = 0;
    int64_t nbxMark = -1;
    int64_t maxFps = -1;
    int32_t expectedByteSum = 0;
    int32_t foundByteSum = -1;
    std::string processorIdentifier;
    std::string comments;
};

// The record text with its ":[check sum]" suffix.
std::string formatSubmissionRecord(const SubmissionFields& fields);

// Sum of the bytes as unsigned 8-bit values in a 32-bit integer.
int32_t submissionCheckSum(std::string_view text);

// The comments as submitted: at most 300 characters (UTF-8 sequences kept whole).
std::string limitComments(std::string_view comments);

// A filler byte (32..128) before every record byte, from a generator of
// values 0..32767 seeded with `seed`; twice as long as the record.
std::string interleaveFiller(std::string_view record, uint32_t seed);

// Masks every byte and writes each group of three as four alphabet
// characters; a last group of 1 or 2 bytes gives 2 or 3 characters.
std::string encodeSubmission(std::string_view filled);

// The encoded submission of the last scores and the comments, measuring the
// clock only when it was never measured. Nothing when memory runs out.
std::optional<std::string> buildSubmissionRecord(SystemState& state, int64_t lastNbxMark, int64_t lastMaxFps,
                                                 std::string_view comments, const SystemProbe& probe = systemProbe(),
                                                 const WaitIndicator& wait = {});

// The address the submit button opens.
std::string submissionAddress(std::string_view encoded);

}  // namespace vantor
