# Build options shared by every target: they reach a target through
# vantor_build_options, which the lowest library links publicly.
option(VANTOR_WERROR "Treat compiler warnings as errors" OFF)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(_vantor_x86 ON)
else()
  set(_vantor_x86 OFF)
endif()
option(VANTOR_AVX512 "Build the 512-bit vector loops (chosen at run time where the processor has them)" ${_vantor_x86})
if(VANTOR_AVX512 AND NOT _vantor_x86)
  message(FATAL_ERROR "VANTOR_AVX512 needs an x86-64 target")
endif()

add_library(vantor_build_options INTERFACE)
# Includes are rooted at the top so that a header names its layer
# ("engine/world.h"); generated headers sit in the same form below the build.
target_include_directories(vantor_build_options INTERFACE ${VANTOR_SOURCE_ROOT} ${CMAKE_BINARY_DIR}/generated)
target_compile_options(vantor_build_options INTERFACE -Wall -Wextra $<$<BOOL:${VANTOR_WERROR}>:-Werror>)
# Debug builds check the preconditions that VANTOR_ASSERT states.
target_compile_definitions(vantor_build_options INTERFACE $<$<CONFIG:Debug>:VANTOR_CHECKS=1>)
