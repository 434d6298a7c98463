# libFuzzer target for the CONFIG decoder. The native tree is built with g++,
# so clang++ builds the fuzzer directly from the sources it needs.
option(LANTERNBOOK_REQUIRE_FUZZER "Fail the configuration when the fuzzer cannot be built" OFF)

function(lanternbook_fuzzer_unavailable reason)
  if(LANTERNBOOK_REQUIRE_FUZZER)
    message(FATAL_ERROR "config_fuzzer: ${reason}")
  endif()
  message(STATUS "config_fuzzer skipped: ${reason}")
endfunction()

find_program(LANTERNBOOK_CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(NOT LANTERNBOOK_CLANGXX)
  lanternbook_fuzzer_unavailable("clang++ not found")
  return()
endif()

set(LANTERNBOOK_FUZZ_FLAGS -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
  -fno-sanitize-recover=all -Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion
  -Wno-sign-conversion)

# The libFuzzer runtime is packaged apart from clang++ itself.
set(probe_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz-probe)
file(MAKE_DIRECTORY ${probe_dir})
file(WRITE ${probe_dir}/probe.cpp
  "#include <cstddef>\n#include <cstdint>\n"
  "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, std::size_t) { return 0; }\n")
execute_process(
  COMMAND ${LANTERNBOOK_CLANGXX} -std=c++17 -fsanitize=fuzzer,address,undefined probe.cpp -o probe
  WORKING_DIRECTORY ${probe_dir}
  RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_VARIABLE probe_error)
if(NOT probe_result EQUAL 0)
  lanternbook_fuzzer_unavailable(
    "${LANTERNBOOK_CLANGXX} cannot link -fsanitize=fuzzer (libFuzzer runtime missing?): ${probe_error}")
  return()
endif()

set(fuzz_sources
  ${PROJECT_SOURCE_DIR}/tests/fuzz/config_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/src/device/config_codec.cpp)
set(fuzz_headers
  ${PROJECT_SOURCE_DIR}/src/device/config_codec.h
  ${PROJECT_SOURCE_DIR}/src/device/device_drive.h
  ${PROJECT_SOURCE_DIR}/src/platform/platform.h)
set(fuzz_binary ${CMAKE_CURRENT_BINARY_DIR}/fuzz/config_fuzzer)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
add_custom_command(
  OUTPUT ${fuzz_binary}
  COMMAND ${LANTERNBOOK_CLANGXX} ${LANTERNBOOK_FUZZ_FLAGS} -I${PROJECT_SOURCE_DIR}/src
          ${fuzz_sources} -o ${fuzz_binary}
  DEPENDS ${fuzz_sources} ${fuzz_headers}
  COMMENT "Building config_fuzzer with ${LANTERNBOOK_CLANGXX}"
  VERBATIM)
add_custom_target(config_fuzzer ALL DEPENDS ${fuzz_binary})

# A bounded, reproducible run; findings land in the build tree, not the sources.
set(fuzz_artifacts ${CMAKE_CURRENT_BINARY_DIR}/fuzz-artifacts)
file(MAKE_DIRECTORY ${fuzz_artifacts})
add_test(NAME config_fuzzer
  COMMAND ${fuzz_binary} -runs=200000 -max_len=2048 -seed=1 -artifact_prefix=${fuzz_artifacts}/
  WORKING_DIRECTORY ${fuzz_artifacts})
set_tests_properties(config_fuzzer PROPERTIES TIMEOUT 120)
