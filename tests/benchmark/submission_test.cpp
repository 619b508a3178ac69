#include "benchmark/submission.h"

#include <gtest/gtest.h>

#include <string>

#include "benchmark/run.h"
#include "platform/version.h"
#include "scenery/examples.h"

namespace vantor {
namespace {

// The server's side: alphabet characters back to bytes, mask removed.
std::string decodeSubmission(const std::string& encoded) {
    const std::string alphabet = SUBMISSION_ALPHABET;
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (char c : encoded) {
        const size_t index = alphabet.find(c);
        EXPECT_NE(index, std::string::npos) << c;
        bits = (bits << 6) | static_cast<uint32_t>(index);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>(((bits >> count) & 0xFF) ^ SUBMISSION_MASK);
        }
    }
    return bytes;
}

// Every second byte, starting with the second: the record without filler.
std::string dropFiller(const std::string& filled) {
    std::string record;
    for (size_t i = 1; i < filled.size(); i += 2) record += filled[i];
    return record;
}

SubmissionFields sampleFields() {
    SubmissionFields f;
    f.programVersion = VANTOR_VERSION;
    f.engineVersion = "6.02.22";
    f.cpuMhz = 2993;
    f.processorCount = 8;
    f.cpuidDump = "0000000d756e654749656e696c65746e";
    f.installedMemoryMb = 16384;
    f.nbxMark = 123456789012LL;
    f.maxFps = 4321;
    f.expectedByteSum = 1234567;
    f.foundByteSum = -1;
    f.processorIdentifier = "Test CPU";
    f.comments = "fast:card";
    return f;
}

TEST(Submission, RecordLaysOutTheFieldsAndEndsWithItsCheckSum) {
    const std::string body =
        "[NBX][" VANTOR_VERSION
        "][6.02.22][2993][8][0000000d756e654749656e696c65746e][16384][123456789012][4321][1234567][-1][8][9]"
        ":Test CPU:fast:card";
    uint32_t sum = 0;
    for (unsigned char c : body) sum += c;
    EXPECT_EQ(formatSubmissionRecord(sampleFields()), body + ":[" + std::to_string(sum) + "]");
    EXPECT_EQ(submissionCheckSum(body), static_cast<int32_t>(sum));
}

TEST(Submission, EmptyCommentsEndTheRecordWithTheIdentifierAndAColon) {
    SubmissionFields f = sampleFields();
    f.comments.clear();
    const std::string record = formatSubmissionRecord(f);
    const size_t suffix = record.rfind(":[");
    ASSERT_NE(suffix, std::string::npos);
    const std::string tail = "[8][0]:Test CPU:";
    EXPECT_EQ(record.substr(suffix - tail.size(), tail.size()), tail) << record;
    EXPECT_EQ(record.substr(suffix), ":[" + std::to_string(submissionCheckSum(record.substr(0, suffix))) + "]");
}

TEST(Submission, CheckSumCountsBytesAsUnsigned) {
    EXPECT_EQ(submissionCheckSum("\xff\x01"), 256);
    EXPECT_EQ(submissionCheckSum(""), 0);
}

TEST(Submission, CommentsAreCutAtThreeHundredCharacters) {
    const std::string e = "\xc3\xa9";  // one character, two bytes
    std::string manyE;
    for (int i = 0; i < 301; ++i) manyE += e;
    const struct {
        std::string in;
        size_t bytes;
    } cases[] = {
        {"", 0},      {std::string(300, 'x'), 300},         {std::string(301, 'x'), 300},
        {manyE, 600}, {std::string(299, 'x') + e + e, 301},
    };
    for (const auto& c : cases) EXPECT_EQ(limitComments(c.in), c.in.substr(0, c.bytes)) << c.in.size();
}

TEST(Submission, FillerPrecedesEveryByte) {
    const std::string record = formatSubmissionRecord(sampleFields());
    const std::string filled = interleaveFiller(record, 1149000000u);
    ASSERT_EQ(filled.size(), 2 * record.size());
    EXPECT_EQ(dropFiller(filled), record);
    for (size_t i = 0; i < filled.size(); i += 2) {
        const int f = static_cast<unsigned char>(filled[i]);
        EXPECT_GE(f, 32);
        EXPECT_LE(f, 128);
    }
    EXPECT_EQ(interleaveFiller(record, 1149000000u), filled);  // the seed decides
    EXPECT_NE(interleaveFiller(record, 1149000001u), filled);
}

TEST(Submission, EncodingLengthFollowsTheGroupsOfThree) {
    const struct {
        size_t bytes, characters;
    } cases[] = {
        {0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {5, 7}, {6, 8}, {7, 10}, {300, 400},
    };
    for (auto c : cases) EXPECT_EQ(encodeSubmission(std::string(c.bytes, 'q')).size(), c.characters) << c.bytes;
}

TEST(Submission, EncodingMasksAndUsesTheAlphabet) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"\x3d", "aa"},                            // masked to 0
        {"\x3d\x3d\x3d", "aaaa"}, {"\xc2", "_L"},  // masked to 0xff: 111111 11(0000)
        {"\xc2\xc2\xc2", "____"}, {"\x3c", "aq"},  // masked to 0x01: 000000 01(0000)
    };
    for (const auto& c : cases) EXPECT_EQ(encodeSubmission(c.in), c.out);

    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    const std::string encoded = encodeSubmission(everyByte);
    for (char c : encoded) EXPECT_NE(std::string(SUBMISSION_ALPHABET).find(c), std::string::npos) << c;
    EXPECT_EQ(decodeSubmission(encoded), everyByte);
}

// A machine whose every answer the test knows.
struct FakeMachine {
    int measurements = 0;
    std::vector<bool> indicator;
    SystemProbe probe() {
        SystemProbe p;
        p.processorIdentifier = [] { return std::string("Fake CPU @ 3.00GHz"); };
        p.memory = [] { return platform::MemoryStatus{8192ull * 1048576 - 655360, 4096ull * 1048576}; };
        p.processorCount = [] { return 4; };
        p.measureCpuMhz = [this] { return 3000 + measurements++; };
        p.cpuidDump = [] { return std::string("00000001aabbccdd00000000ffffffff"); };
        p.benchmarkSceneryByteSum = [] { return int64_t{4242}; };
        p.fillerSeed = [] { return 1149000000u; };
        return p;
    }
    WaitIndicator wait() {
        return [this](bool shown) { indicator.push_back(shown); };
    }
};

TEST(SystemDescription, NamesProcessorClockAndMemory) {
    FakeMachine machine;
    SystemState state;
    EXPECT_EQ(describeSystem(state, false, machine.probe(), machine.wait()),
              "Fake CPU @ 3.00GHz, 3000 MHz, 8192 MB of RAM (4096 MB free)");
    EXPECT_EQ(machine.indicator, (std::vector<bool>{true, false}));
    // Measured once: not again unless forced (each opening of the dialog forces it).
    EXPECT_EQ(describeSystem(state, false, machine.probe(), machine.wait()),
              "Fake CPU @ 3.00GHz, 3000 MHz, 8192 MB of RAM (4096 MB free)");
    EXPECT_EQ(describeSystem(state, true, machine.probe(), machine.wait()),
              "Fake CPU @ 3.00GHz, 3001 MHz, 8192 MB of RAM (4096 MB free)");
    EXPECT_EQ(machine.measurements, 2);
    EXPECT_EQ(state.cpuMhz, 3001);
}

TEST(Submission, BuiltRecordDecodesToTheFieldsOfThisMachine) {
    FakeMachine machine;
    SystemState state;
    const std::optional<std::string> encoded =
        buildSubmissionRecord(state, 15000, 250, "my card", machine.probe(), machine.wait());
    ASSERT_TRUE(encoded);
    EXPECT_EQ(machine.measurements, 1);  // never measured before: measured now
    const std::string record = dropFiller(decodeSubmission(*encoded));
    SubmissionFields f;
    f.programVersion = VANTOR_VERSION;
    f.engineVersion = "6.02.22";
    f.cpuMhz = 3000;
    f.processorCount = 4;
    f.cpuidDump = "00000001aabbccdd00000000ffffffff";
    f.installedMemoryMb = 8192;
    f.nbxMark = 15000;
    f.maxFps = 250;
    f.expectedByteSum = static_cast<int32_t>(expectedBenchmarkByteSum());
    f.foundByteSum = 4242;
    f.processorIdentifier = "Fake CPU @ 3.00GHz";
    f.comments = "my card";
    EXPECT_EQ(record, formatSubmissionRecord(f));

    // Submitting again uses the clock already measured.
    ASSERT_TRUE(buildSubmissionRecord(state, 15000, 250, "", machine.probe(), machine.wait()));
    EXPECT_EQ(machine.measurements, 1);
}

TEST(Submission, AddressIsTheServerThePathAndTheText) {
    EXPECT_EQ(submissionAddress("abc_~9"), std::string(WEB_SERVER) + "/nbx/benchmark/?action=view&info=abc_~9");
    EXPECT_EQ(std::string(WEB_SERVER).rfind("https://", 0), 0u);
}

}  // namespace
}  // namespace vantor
