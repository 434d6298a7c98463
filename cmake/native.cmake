# Native build: the core and its unit tests, once plain and once under
# AddressSanitizer and UndefinedBehaviorSanitizer. With LANTERNBOOK_CLI_ONLY,
# only the command line on the plain core, and its install rules.
lanternbook_core_library(lanternbook_core)
if(LANTERNBOOK_CLI_ONLY)
  include(${CMAKE_CURRENT_LIST_DIR}/cli.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/install.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/bench-native.cmake)
  return()
endif()

enable_testing()
find_package(GTest REQUIRED)

lanternbook_core_library(lanternbook_core_sanitized)
set(LANTERNBOOK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(lanternbook_core_sanitized PUBLIC ${LANTERNBOOK_SANITIZER_FLAGS})
target_link_options(lanternbook_core_sanitized PUBLIC ${LANTERNBOOK_SANITIZER_FLAGS})

file(GLOB LANTERNBOOK_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp tests/fakes/*.cpp)
include(GoogleTest)
foreach(variant IN ITEMS plain sanitized)
  set(core lanternbook_core)
  if(variant STREQUAL "sanitized")
    set(core lanternbook_core_sanitized)
  endif()
  add_executable(unit_tests_${variant} ${LANTERNBOOK_UNIT_TESTS})
  target_include_directories(unit_tests_${variant} PRIVATE tests)
  target_link_libraries(unit_tests_${variant} PRIVATE ${core} GTest::gtest GTest::gtest_main)
  # Parameterised cases are named by their generators; the printed parameter
  # value would only make the name unreadable.
  gtest_discover_tests(unit_tests_${variant} TEST_PREFIX "${variant}." DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES)
endforeach()

# Every CTest name short enough to read in a summary, with no raw parameter dump.
add_test(NAME ctest.names_readable
  COMMAND ${CMAKE_COMMAND} -DCTEST_COMMAND=${CMAKE_CTEST_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DMAX_LENGTH=100 -P ${CMAKE_CURRENT_LIST_DIR}/test-names.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/cli.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/install.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/install-tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/fuzz.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/wine-tests.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/static-analysis.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/bench-native.cmake OPTIONAL)

# Includes run one way, and the portable core stays portable.
add_test(NAME static.layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-layers.py ${CMAKE_SOURCE_DIR}/src)

# How the string tables are read from their sources and compressed.
add_test(NAME scripts.make_string_tables
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/scripts/test_make_string_tables.py)

# The mutation tool's operators and its restore of the sources; the mutation
# run itself is too long for every test run.
add_test(NAME scripts.mutation_operators
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/scripts/test_mutation.py)
