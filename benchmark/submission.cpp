#include "benchmark/submission.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <new>

#include "benchmark/run.h"
#include "benchmark/scores.h"
#include "platform/platform.h"
#include "scenery/examples.h"
#include "scenery/writer.h"

namespace vantor {

namespace {

int measureInto(SystemState& state, const SystemProbe& probe, const WaitIndicator& wait) {
    if (wait) wait(true);
    state.cpuMhz = probe.measureCpuMhz();
    if (wait) wait(false);
    return state.cpuMhz;
}

std::string decimal(int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    return text;
}

// The filler's generator: the classic linear congruential form, values 0..32767.
class FillerGenerator {
public:
    explicit FillerGenerator(uint32_t seed) : state_(seed) {}
    uint32_t next() {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) & 0x7FFFu;
    }

private:
    uint32_t state_;
};

}  // namespace

SystemProbe systemProbe() {
    SystemProbe p;
    p.processorIdentifier = [] { return platform::processorIdentifier(); };
    p.memory = [] { return platform::memoryStatus(); };
    p.processorCount = [] { return platform::processorCount(); };
    p.measureCpuMhz = [] { return platform::measureCpuMhz(); };
    p.cpuidDump = [] { return platform::cpuidDump(); };
    p.benchmarkSceneryByteSum = [] { return builtInBenchmarkByteSum(); };
    p.fillerSeed = [] { return static_cast<uint32_t>(std::time(nullptr)); };
    return p;
}

std::string describeSystem(SystemState& state, bool forceMeasure, const SystemProbe& probe, const WaitIndicator& wait) {
    const std::string identifier = probe.processorIdentifier();
    const platform::MemoryStatus memory = probe.memory();
    if (forceMeasure || state.cpuMhz < 0) measureInto(state, probe, wait);
    char text[128];
    std::snprintf(text, sizeof text, ", %d MHz, %" PRId64 " MB of RAM (%" PRId64 " MB free)", state.cpuMhz,
                  platform::installedMemoryMb(memory.totalBytes), platform::freeMemoryMb(memory.availableBytes));
    return identifier + text;
}

int32_t submissionCheckSum(std::string_view text) {
    uint32_t sum = 0;
    for (unsigned char c : text) sum += c;
    return static_cast<int32_t>(sum);
}

std::string formatSubmissionRecord(const SubmissionFields& f) {
    std::string r = "[NBX][" + f.programVersion + "][" + f.engineVersion + "][" + decimal(f.cpuMhz) + "][" +
                    decimal(f.processorCount) + "][" + f.cpuidDump + "][" + decimal(f.installedMemoryMb) + "][" +
                    decimal(f.nbxMark) + "][" + decimal(f.maxFps) + "][" + decimal(f.expectedByteSum) + "][" +
                    decimal(f.foundByteSum) + "][" + decimal(static_cast<int32_t>(f.processorIdentifier.size())) +
                    "][" + decimal(static_cast<int32_t>(f.comments.size())) + "]:" + f.processorIdentifier + ":" +
                    f.comments;
    const int32_t sum = submissionCheckSum(r);
    r += ":[" + decimal(sum) + "]";
    return r;
}

std::string limitComments(std::string_view comments) {
    size_t characters = 0;
    for (size_t i = 0; i < comments.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(comments[i]) & 0xC0) == 0x80;
        if (!continuation && ++characters > COMMENTS_LIMIT) return std::string(comments.substr(0, i));
    }
    return std::string(comments);
}

std::string interleaveFiller(std::string_view record, uint32_t seed) {
    FillerGenerator generator(seed);
    std::string filled;
    filled.reserve(record.size() * 2);
    for (char c : record) {
        filled += static_cast<char>(32 + generator.next() * 96 / 32767);
        filled += c;
    }
    return filled;
}

std::string encodeSubmission(std::string_view filled) {
    std::string encoded;
    encoded.reserve((filled.size() + 2) / 3 * 4);
    for (size_t i = 0; i < filled.size(); i += 3) {
        const size_t n = filled.size() - i < 3 ? filled.size() - i : 3;
        uint32_t bits = 0;
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t byte = k < n ? (static_cast<unsigned char>(filled[i + k]) ^ SUBMISSION_MASK) : 0;
            bits = (bits << 8) | byte;
        }
        // n bytes carry 8n bits: n + 1 characters hold them.
        for (size_t k = 0; k <= n; ++k) encoded += SUBMISSION_ALPHABET[(bits >> (18 - 6 * k)) & 0x3F];
    }
    return encoded;
}

std::optional<std::string> buildSubmissionRecord(SystemState& state, int64_t lastNbxMark, int64_t lastMaxFps,
                                                 std::string_view comments, const SystemProbe& probe,
                                                 const WaitIndicator& wait) {
    try {
        SubmissionFields f;
        f.programVersion = PROGRAM_VERSION;
        f.engineVersion = ENGINE_VERSION;
        f.foundByteSum = static_cast<int32_t>(probe.benchmarkSceneryByteSum());
        f.processorIdentifier = probe.processorIdentifier();
        f.comments = limitComments(comments);
        f.cpuMhz = state.cpuMhz >= 0 ? state.cpuMhz : measureInto(state, probe, wait);
        f.cpuidDump = probe.cpuidDump();
        f.installedMemoryMb = static_cast<int32_t>(platform::installedMemoryMb(probe.memory().totalBytes));
        f.processorCount = probe.processorCount();
        f.nbxMark = lastNbxMark;
        f.maxFps = lastMaxFps;
        f.expectedByteSum = static_cast<int32_t>(expectedBenchmarkByteSum());
        return encodeSubmission(interleaveFiller(formatSubmissionRecord(f), probe.fillerSeed()));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::string submissionAddress(std::string_view encoded) {
    return std::string(WEB_SERVER) + SUBMISSION_PATH + std::string(encoded);
}

}  // namespace vantor
