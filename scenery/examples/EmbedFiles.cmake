# Run by Embed.cmake with cmake -P: writes OUTPUT, a C++ source holding
# every file of EXAMPLE_NAMES (comma-separated, in EXAMPLES_DIR) as a string
# literal of hexadecimal escapes (which compiles far faster than an array of
# numbers), and the byte sum of BENCHMARK_NAME.

cmake_minimum_required(VERSION 3.25)

string(REPLACE "," ";" names "${EXAMPLE_NAMES}")

set(body "")
set(names_table "")
set(data_table "")
set(sizes_table "")
set(benchmark_sum "")
foreach(name IN LISTS names)
  set(path "${EXAMPLES_DIR}/${name}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "example scenery ${path} is missing")
  endif()
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")

  if(name STREQUAL BENCHMARK_NAME)
    # Unsigned bytes added into a 32-bit integer, as the benchmark checks.
    string(REGEX MATCHALL ".." bytes "${hex}")
    set(sum 0)
    foreach(byte IN LISTS bytes)
      math(EXPR sum "${sum} + 0x${byte}")
    endforeach()
    math(EXPR benchmark_sum "${sum} & 0xFFFFFFFF")
  endif()

  string(MAKE_C_IDENTIFIER "example_${name}" id)
  # 32 bytes per line; the last, shorter line is caught by the second rule.
  string(REGEX REPLACE "(................................................................)" "\\1\"\n    \"" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
  string(APPEND body "// ${name}: ${size} bytes\nconst char ${id}[] =\n    \"${hex}\";\n\n")
  string(APPEND names_table "    \"${name}\",\n")
  string(APPEND data_table "    ${id},\n")
  string(APPEND sizes_table "    ${size},\n")
endforeach()

if(benchmark_sum STREQUAL "")
  message(FATAL_ERROR "the benchmark scenery ${BENCHMARK_NAME} is not among the examples")
endif()

file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from scenery/examples/*.nbx; do not edit.
#include <cstddef>
#include <cstdint>

namespace vantor::embedded {

namespace {

${body}}  // namespace

extern const char* const exampleFileNames[] = {
${names_table}};

extern const char* const exampleFileData[] = {
${data_table}};

extern const size_t exampleFileSizes[] = {
${sizes_table}};

extern const size_t exampleFileCount = sizeof(exampleFileSizes) / sizeof(exampleFileSizes[0]);

extern const uint32_t benchmarkByteSum = ${benchmark_sum}u;

}  // namespace vantor::embedded
")
# Renamed into place so that a failed run leaves no half-written source.
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
