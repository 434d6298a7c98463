# The command-line program, lanternbook (lanternbook.exe in the Windows
# build), on the portable core. Included by native.cmake and win32.cmake.
#
# Its JSON and argument parsing come from two header-only Debian packages,
# nlohmann-json3-dev and libcli11-dev. Both builds take the same headers: they
# are copied from the host into the build tree, so the MinGW compiler sees
# them without the host's other headers.
foreach(header IN ITEMS nlohmann/json.hpp CLI/CLI.hpp)
  string(MAKE_C_IDENTIFIER "LANTERNBOOK_HEADER_${header}" variable)
  find_path(${variable} ${header} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${variable})
    message(FATAL_ERROR "${header} not found: scripts/deps.sh installs nlohmann-json3-dev and libcli11-dev")
  endif()
  get_filename_component(folder ${header} DIRECTORY)
  file(COPY ${${variable}}/${folder} DESTINATION ${CMAKE_BINARY_DIR}/cli-headers)
endforeach()
set(LANTERNBOOK_CLI_HEADERS ${CMAKE_BINARY_DIR}/cli-headers)

# Portable command code; the POSIX and Windows programs add their own parts.
set(LANTERNBOOK_CLI_SOURCES
  src/cli/program.cpp src/cli/commands.cpp src/cli/command.cpp src/cli/usage.cpp
  src/cli/find.cpp src/cli/show.cpp src/cli/set.cpp src/cli/erase.cpp src/cli/recover.cpp src/cli/help.cpp
  src/cli/watch.cpp src/cli/journal.cpp src/cli/check_profile.cpp
  src/cli/key_choice.cpp src/cli/key_search.cpp src/cli/key_results.cpp src/cli/key_erase.cpp
  src/cli/change_journal.cpp src/cli/profile.cpp src/cli/shown_paths.cpp src/cli/json_document.cpp
  src/cli/terminal.cpp src/cli/configuration_report.cpp src/cli/set_request.cpp src/cli/settings_document.cpp)

if(WIN32)
  add_executable(lanternbook-cli src/cli/main_windows.cpp ${LANTERNBOOK_CLI_SOURCES}
    src/platform/win32/win32_platform.cpp src/platform/win32/win32_reasons.cpp
    src/platform/win32/win32_session.cpp)
  set_target_properties(lanternbook-cli PROPERTIES OUTPUT_NAME lanternbook)
  target_include_directories(lanternbook-cli SYSTEM PRIVATE ${LANTERNBOOK_CLI_HEADERS})
  target_include_directories(lanternbook-cli PRIVATE ${LANTERNBOOK_GENERATED_DIR})
  # The platform's parts only the command line calls (a download's time for the archive).
  target_compile_definitions(lanternbook-cli PRIVATE UNICODE _UNICODE LANTERNBOOK_COMMAND_LINE)
  # SHA-256 for the journal from the system's own bcrypt.dll.
  target_link_libraries(lanternbook-cli PRIVATE lanternbook_core setupapi shell32 shlwapi user32 bcrypt advapi32
    kernel32 ntdll)
  if(MINGW)
    target_link_options(lanternbook-cli PRIVATE ${LANTERNBOOK_STATIC_RUNTIME} -municode $<$<CONFIG:Release>:-s>)
  elseif(MSVC)
    set_property(TARGET lanternbook-cli PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  endif()
  return()
endif()

set(LANTERNBOOK_CLI_POSIX_SOURCES
  src/cli/posix_key_search.cpp src/platform/posix/posix_files.cpp src/platform/posix/mounted_volumes.cpp
  src/platform/posix/posix_session.cpp)
# The journal's SHA-256 comes from nettle (nettle-dev), a well-kept library.
find_library(LANTERNBOOK_LIB_nettle nettle)
find_path(LANTERNBOOK_LIB_nettle_INCLUDE nettle/sha2.h)
if(NOT LANTERNBOOK_LIB_nettle OR NOT LANTERNBOOK_LIB_nettle_INCLUDE)
  message(FATAL_ERROR "libnettle not found: scripts/deps.sh installs nettle-dev")
endif()
set(LANTERNBOOK_CLI_SYSTEM_LIBRARIES ${LANTERNBOOK_LIB_nettle})
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # The mount table is read with util-linux's libmount (libmount-dev), the
  # labels of devices udev says nothing about with its libblkid (libblkid-dev).
  foreach(library IN ITEMS libmount/libmount.h:mount blkid/blkid.h:blkid)
    string(REPLACE ":" ";" parts ${library})
    list(GET parts 0 header)
    list(GET parts 1 name)
    find_library(LANTERNBOOK_LIB_${name} ${name})
    find_path(LANTERNBOOK_LIB_${name}_INCLUDE ${header})
    if(NOT LANTERNBOOK_LIB_${name} OR NOT LANTERNBOOK_LIB_${name}_INCLUDE)
      message(FATAL_ERROR "lib${name} not found: scripts/deps.sh installs lib${name}-dev")
    endif()
    list(APPEND LANTERNBOOK_CLI_SYSTEM_LIBRARIES ${LANTERNBOOK_LIB_${name}})
  endforeach()
endif()

# Plain and sanitized, like the core; the tests run the program of their own
# variant. The command line alone has neither tests nor the sanitized variant.
set(LANTERNBOOK_CLI_VARIANTS plain sanitized)
if(LANTERNBOOK_CLI_ONLY)
  set(LANTERNBOOK_CLI_VARIANTS plain)
endif()
foreach(variant IN LISTS LANTERNBOOK_CLI_VARIANTS)
  set(core lanternbook_core)
  set(suffix "")
  if(variant STREQUAL "sanitized")
    set(core lanternbook_core_sanitized)
    set(suffix "-sanitized")
  endif()
  add_library(lanternbook_cli_${variant} STATIC ${LANTERNBOOK_CLI_SOURCES} ${LANTERNBOOK_CLI_POSIX_SOURCES})
  target_include_directories(lanternbook_cli_${variant} SYSTEM PUBLIC ${LANTERNBOOK_CLI_HEADERS})
  target_include_directories(lanternbook_cli_${variant} PRIVATE ${LANTERNBOOK_GENERATED_DIR})
  target_link_libraries(lanternbook_cli_${variant} PUBLIC ${core} ${LANTERNBOOK_CLI_SYSTEM_LIBRARIES})

  add_executable(lanternbook-cli${suffix} src/cli/main_posix.cpp)
  set_target_properties(lanternbook-cli${suffix} PROPERTIES OUTPUT_NAME lanternbook${suffix})
  target_link_libraries(lanternbook-cli${suffix} PRIVATE lanternbook_cli_${variant})
  if(variant STREQUAL "plain" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # A depot starts the program once for each key: with the C++ runtime linked in, a start
    # neither loads nor relocates libstdc++, about a quarter of the time `show` takes.
    target_link_options(lanternbook-cli${suffix} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
  if(LANTERNBOOK_CLI_ONLY)
    continue()
  endif()

  file(GLOB LANTERNBOOK_CLI_TESTS CONFIGURE_DEPENDS tests/cli/*.cpp tests/fakes/*.cpp)
  add_executable(cli_tests_${variant} ${LANTERNBOOK_CLI_TESTS})
  target_include_directories(cli_tests_${variant} PRIVATE tests tests/unit)
  target_compile_definitions(cli_tests_${variant} PRIVATE
    LANTERNBOOK_CLI_PROGRAM="$<TARGET_FILE:lanternbook-cli${suffix}>"
    LANTERNBOOK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" LANTERNBOOK_EXPECTED_VERSION="${PROJECT_VERSION}")
  target_link_libraries(cli_tests_${variant} PRIVATE lanternbook_cli_${variant} GTest::gtest GTest::gtest_main util)
  add_dependencies(cli_tests_${variant} lanternbook-cli${suffix})
  gtest_discover_tests(cli_tests_${variant} TEST_PREFIX "cli.${variant}." DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300)
endforeach()

if(LANTERNBOOK_CLI_ONLY)
  return()
endif()

# End to end: the native program sets a configuration on an emulated key's
# folder, then the real DLL under Wine must show it and save the same bytes;
# lanternbook.exe runs under Wine on emulated drives. Needs the MinGW build
# tree, as the other Wine tests do.
if(LANTERNBOOK_WIN32_DIR)
  add_test(NAME exe.cli_console_static
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-cli-exe.sh ${LANTERNBOOK_WIN32_DIR}/lanternbook.exe)
  set_tests_properties(exe.cli_console_static PROPERTIES FAIL_REGULAR_EXPRESSION "FAIL:")
  set(set_command "$<TARGET_FILE:lanternbook-cli> set")
  # name | group | keys | options given to `set` before --key
  set(LANTERNBOOK_CLI_E2E_CASES
    "set_last_days|cli_set_last_days|K|--data activities,technical-data --period last:45 --range-button on"
    "set_card_from_till|cli_set_card_from_till|K|--data driver-card-via-tachograph --period from:2025-03-10..2025-04-20"
    "exe_one_key|cli_exe_one_key|K|"
    "exe_two_keys|cli_exe_two_keys|EG|")
  foreach(case IN LISTS LANTERNBOOK_CLI_E2E_CASES)
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 name)
    list(GET parts 1 group)
    list(GET parts 2 keys)
    list(GET parts 3 set_options)
    set(before "")
    if(set_options)
      set(before --before "${set_command} ${set_options} --key")
    endif()
    add_test(NAME e2e.cli.${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e.sh ${LANTERNBOOK_WIN32_DIR} ${group} --keys ${keys} ${before})
    set_tests_properties(e2e.cli.${name} PROPERTIES RESOURCE_LOCK wine_win32 TIMEOUT 300 FAIL_REGULAR_EXPRESSION "FAIL:")
  endforeach()
endif()
