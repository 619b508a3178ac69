#include "scenery/examples.h"

#include <array>
#include <cstring>

// Defined in the source that the build generates from scenery/examples/*.nbx
// (scenery/examples/EmbedFiles.cmake): the files' names, bytes and sizes,
// and the benchmark scenery's byte sum as the build computed it.
namespace vantor::embedded {
extern const char* const exampleFileNames[];
extern const char* const exampleFileData[];
extern const size_t exampleFileSizes[];
extern const size_t exampleFileCount;
extern const uint32_t benchmarkByteSum;
}  // namespace vantor::embedded

namespace vantor {

namespace {

struct ExampleEntry {
    int number;
    const char* itemText;  // also the name of its file
    const char* category;
};

// The examples tree, in its order.
constexpr ExampleEntry kEntries[] = {
    {111, "Benchmark.nbx", "General"},
    {127, "N500.nbx", "General"},
    {110, "Solar_system-heliocentric.nbx", "Solar system"},
    {129, "Solar_system-geocentric.nbx", "Solar system"},
    {130, "Solar_system-geocentric-trails.nbx", "Solar system"},
    {128, "Star_dust_1.nbx", "Star Dust"},
    {131, "Star_dust_1_flyby.nbx", "Star Dust"},
    {123, "Planetary_system_creation_1.nbx", "Planetary systems creation"},
    {124, "Planetary_system_creation_2.nbx", "Planetary systems creation"},
    {125, "Planetary_system_creation_3.nbx", "Planetary systems creation"},
};
constexpr size_t kCount = sizeof(kEntries) / sizeof(kEntries[0]);

// Pairs each entry with its embedded file by name, once; built on first use
// so that no other static initialiser can see it half made.
const std::array<ExampleScenery, kCount>& table() {
    static const std::array<ExampleScenery, kCount> examples = [] {
        std::array<ExampleScenery, kCount> t{};
        for (size_t i = 0; i < kCount; ++i) {
            t[i] = {kEntries[i].number, kEntries[i].itemText, kEntries[i].category, nullptr, 0};
            for (size_t f = 0; f < embedded::exampleFileCount; ++f) {
                if (std::strcmp(embedded::exampleFileNames[f], kEntries[i].itemText) == 0) {
                    t[i].data = reinterpret_cast<const unsigned char*>(embedded::exampleFileData[f]);
                    t[i].size = embedded::exampleFileSizes[f];
                }
            }
        }
        return t;
    }();
    return examples;
}

}  // namespace

std::span<const ExampleScenery> allExamples() { return table(); }

const ExampleScenery* findExample(int number) {
    for (const ExampleScenery& e : table()) {
        if (e.number == number) return e.data ? &e : nullptr;
    }
    return nullptr;
}

uint32_t expectedBenchmarkByteSum() { return embedded::benchmarkByteSum; }

uint32_t byteSum(const unsigned char* data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum += data[i];
    return sum;
}

}  // namespace vantor
