# Compiles the example sceneries into the program. At build time a script
# turns each .nbx file into a byte string of a generated source and adds up
# the benchmark scenery's bytes, so nothing is read from disk at run time and
# the expected byte sum is fixed by the build. The files themselves are
# committed; tools/make_examples.cpp writes them.

set(VANTOR_EXAMPLE_FILES
  Benchmark.nbx
  N500.nbx
  Solar_system-heliocentric.nbx
  Solar_system-geocentric.nbx
  Solar_system-geocentric-trails.nbx
  Star_dust_1.nbx
  Star_dust_1_flyby.nbx
  Planetary_system_creation_1.nbx
  Planetary_system_creation_2.nbx
  Planetary_system_creation_3.nbx)
set(VANTOR_BENCHMARK_FILE Benchmark.nbx)

set(VANTOR_EXAMPLES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VANTOR_EXAMPLES_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/example_data.cpp)

list(TRANSFORM VANTOR_EXAMPLE_FILES PREPEND ${VANTOR_EXAMPLES_DIR}/ OUTPUT_VARIABLE _vantor_example_paths)
# A list cannot pass through the command line as it is (";" splits
# arguments), so the names travel joined by commas.
list(JOIN VANTOR_EXAMPLE_FILES "," _vantor_example_names)

add_custom_command(
  OUTPUT ${VANTOR_EXAMPLES_SOURCE}
  COMMAND ${CMAKE_COMMAND}
    -DEXAMPLES_DIR=${VANTOR_EXAMPLES_DIR}
    -DEXAMPLE_NAMES=${_vantor_example_names}
    -DBENCHMARK_NAME=${VANTOR_BENCHMARK_FILE}
    -DOUTPUT=${VANTOR_EXAMPLES_SOURCE}
    -P ${VANTOR_EXAMPLES_DIR}/EmbedFiles.cmake
  DEPENDS ${_vantor_example_paths} ${VANTOR_EXAMPLES_DIR}/EmbedFiles.cmake
  COMMENT "Embedding the example sceneries"
  VERBATIM)
