// The ten example sceneries compiled into the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantor {

struct ExampleScenery {
    int number;                 // example number, e.g. 110
    const char* itemText;       // e.g. "Solar_system-heliocentric.nbx"
    const char* category;       // e.g. "Solar system"
    const unsigned char* data;  // the scenery text, exactly `size` bytes
    size_t size;
};

constexpr int BENCHMARK_EXAMPLE = 111;

// All examples in the order of the examples tree.
std::span<const ExampleScenery> allExamples();

// The example of that number, or nullptr.
const ExampleScenery* findExample(int number);

// Sum of the benchmark scenery's bytes, fixed when the program was built.
uint32_t expectedBenchmarkByteSum();

// Sum of a text's bytes as unsigned 8-bit values in a 32-bit integer.
uint32_t byteSum(const unsigned char* data, size_t size);

}  // namespace vantor
