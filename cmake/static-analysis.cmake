# Static analysis as CTest tests; any finding fails the test.
#   static.clang_tidy_core   clang-tidy over the portable core, with this tree's compile database
#   static.clang_tidy_win32  clang-tidy over the Win32 layer, parsed as 32-bit MinGW code
#   static.cppcheck          cppcheck over src/, the Win32 layer with the Windows library
# The checks are in .clang-tidy at the repository root. A finding that is right
# as it stands is suppressed on its line, with the reason: NOLINT(check) or
# cppcheck-suppress id.
#
# Included from native.cmake it registers the tests; the tests run this same
# file as a script (cmake -P) with LANTERNBOOK_ANALYSIS naming the job.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
  # The targets already exist; the variable only reaches targets made after it.
  foreach(target IN ITEMS lanternbook_core unit_tests_plain lanternbook_cli_plain lanternbook-cli)
    if(TARGET ${target})
      set_property(TARGET ${target} PROPERTY EXPORT_COMPILE_COMMANDS ON)
    endif()
  endforeach()

  find_program(LANTERNBOOK_CLANG_TIDY NAMES clang-tidy-14 clang-tidy)
  find_program(LANTERNBOOK_CPPCHECK NAMES cppcheck)
  find_program(LANTERNBOOK_MINGW_CXX NAMES i686-w64-mingw32-g++)

  # A missing tool fails its test with the reason instead of passing quietly.
  set(script ${CMAKE_COMMAND} -DLANTERNBOOK_SOURCE_DIR=${PROJECT_SOURCE_DIR}
      -DLANTERNBOOK_BINARY_DIR=${CMAKE_BINARY_DIR}
      "-DLANTERNBOOK_CLANG_TIDY=${LANTERNBOOK_CLANG_TIDY}"
      "-DLANTERNBOOK_CPPCHECK=${LANTERNBOOK_CPPCHECK}"
      "-DLANTERNBOOK_MINGW_CXX=${LANTERNBOOK_MINGW_CXX}")
  foreach(job IN ITEMS clang_tidy_core clang_tidy_win32 cppcheck)
    add_test(NAME static.${job}
      COMMAND ${script} -DLANTERNBOOK_ANALYSIS=${job} -P ${CMAKE_CURRENT_LIST_FILE})
    # clang-tidy over the core takes 4-5 minutes on a shared 2-core machine.
    set_tests_properties(static.${job} PROPERTIES TIMEOUT 900 LABELS static)
  endforeach()
  return()
endif()

# ---- Script mode ----------------------------------------------------------
cmake_minimum_required(VERSION 3.20)

set(source_dir ${LANTERNBOOK_SOURCE_DIR})
set(work_dir ${LANTERNBOOK_BINARY_DIR}/static-analysis)
file(MAKE_DIRECTORY ${work_dir})

function(require_tool variable name)
  if(NOT ${variable} OR NOT EXISTS "${${variable}}")
    message(FATAL_ERROR "static.${LANTERNBOOK_ANALYSIS}: ${name} not found (scripts/deps.sh installs it)")
  endif()
endfunction()

# Runs a tool from the source tree and shows what it says without the
# per-file chatter; a non-zero exit fails the test once every run is done.
set(failed_runs "")
function(run_tool label)
  execute_process(COMMAND ${ARGN}
    WORKING_DIRECTORY ${source_dir}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  set(text "${output}${errors}")
  string(REGEX REPLACE "[0-9]+ warnings? generated\\.\n?" "" text "${text}")
  string(STRIP "${text}" text)
  if(text)
    message("${text}")
  endif()
  if(NOT result EQUAL 0)
    message("${label}: FAILED (exit ${result})")
    set(failed_runs ${failed_runs} "${label}" PARENT_SCOPE)
    return()
  endif()
  message("${label}: no findings")
endfunction()

# The same sets as the builds: CMakeLists.txt for the core, win32.cmake and
# the host for the Win32 layer.
set(core_source_globs
  src/text/*.cpp src/l10n/*.cpp src/device/*.cpp
  src/config/*.cpp src/maintenance/*.cpp src/dialog/*.cpp
  src/cli/*.cpp src/platform/posix/*.cpp)
set(win32_source_globs src/entry/*.cpp src/*/win32/*.cpp src/host/*.cpp src/cli/main_windows.cpp)

function(collect_sources out)
  set(sources "")
  foreach(pattern IN LISTS ARGN)
    file(GLOB matches ${source_dir}/${pattern})
    list(APPEND sources ${matches})
  endforeach()
  # The command line's Windows entry is Win32 code, whatever folder it is in.
  if(NOT "src/cli/main_windows.cpp" IN_LIST ARGN)
    list(REMOVE_ITEM sources ${source_dir}/src/cli/main_windows.cpp)
  endif()
  list(SORT sources)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# The Win32 build's definitions, as win32.cmake sets them.
set(win32_definitions -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX)
set(tidy_common
  --quiet
  --config-file=${source_dir}/.clang-tidy
  "--header-filter=^${source_dir}/src/"
  "--warnings-as-errors=*")

if(LANTERNBOOK_ANALYSIS STREQUAL "clang_tidy_core")
  require_tool(LANTERNBOOK_CLANG_TIDY clang-tidy)
  collect_sources(core_sources ${core_source_globs})

  # One compile command per source: the database may hold the sanitized
  # build of each file as well, and clang-tidy would check both.
  set(database ${LANTERNBOOK_BINARY_DIR}/compile_commands.json)
  if(NOT EXISTS ${database})
    message(FATAL_ERROR "static.clang_tidy_core: ${database} missing; configure the tree again")
  endif()
  file(READ ${database} commands)
  string(JSON command_count LENGTH "${commands}")
  math(EXPR last_command "${command_count} - 1")
  set(chosen_files "")
  set(chosen_entries "")
  foreach(pass IN ITEMS plain any)
    foreach(index RANGE ${last_command})
      string(JSON entry GET "${commands}" ${index})
      string(JSON file GET "${entry}" file)
      string(JSON directory GET "${entry}" directory)
      get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${directory}")
      if(NOT file IN_LIST core_sources OR file IN_LIST chosen_files)
        continue()
      endif()
      if(pass STREQUAL "plain" AND entry MATCHES "-fsanitize")
        continue()
      endif()
      list(APPEND chosen_files "${file}")
      list(APPEND chosen_entries "${entry}")
    endforeach()
  endforeach()
  foreach(source IN LISTS core_sources)
    if(NOT source IN_LIST chosen_files)
      message(FATAL_ERROR "static.clang_tidy_core: no compile command for ${source}; configure the tree again")
    endif()
  endforeach()
  list(JOIN chosen_entries ",\n" joined)
  file(MAKE_DIRECTORY ${work_dir}/core)
  file(WRITE ${work_dir}/core/compile_commands.json "[\n${joined}\n]\n")

  run_tool("clang-tidy (core)" ${LANTERNBOOK_CLANG_TIDY} ${tidy_common} -p ${work_dir}/core ${core_sources})

elseif(LANTERNBOOK_ANALYSIS STREQUAL "clang_tidy_win32")
  require_tool(LANTERNBOOK_CLANG_TIDY clang-tidy)
  require_tool(LANTERNBOOK_MINGW_CXX i686-w64-mingw32-g++)
  # The MinGW compiler's own search path, in its order; clang's defaults for
  # the target would mix in the host's headers.
  execute_process(COMMAND ${LANTERNBOOK_MINGW_CXX} -E -x c++ - -v
    INPUT_FILE /dev/null OUTPUT_QUIET ERROR_VARIABLE search_report RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT search_report MATCHES "#include <\\.\\.\\.> search starts here:\n(.*)\nEnd of search list")
    message(FATAL_ERROR "static.clang_tidy_win32: cannot read the include paths of ${LANTERNBOOK_MINGW_CXX}")
  endif()
  string(REPLACE "\n" ";" search_lines "${CMAKE_MATCH_1}")
  set(system_includes "")
  foreach(line IN LISTS search_lines)
    string(STRIP "${line}" directory)
    get_filename_component(directory "${directory}" REALPATH)
    list(APPEND system_includes -isystem ${directory})
  endforeach()

  collect_sources(win32_sources ${win32_source_globs})

  run_tool("clang-tidy (Win32)" ${LANTERNBOOK_CLANG_TIDY} ${tidy_common} ${win32_sources} --
    --target=i686-w64-mingw32 -nostdinc ${system_includes}
    -std=c++17 -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    ${win32_definitions} -I${source_dir}/src -I${source_dir}/include -I${LANTERNBOOK_BINARY_DIR}/generated)

elseif(LANTERNBOOK_ANALYSIS STREQUAL "cppcheck")
  require_tool(LANTERNBOOK_CPPCHECK cppcheck)
  set(cppcheck_common
    --std=c++17 --enable=warning,style,performance,portability --inline-suppr
    --error-exitcode=1 --suppress=missingIncludeSystem --quiet -I ${source_dir}/src)

  collect_sources(core_sources ${core_source_globs})
  collect_sources(win32_sources ${win32_source_globs})

  run_tool("cppcheck (core)" ${LANTERNBOOK_CPPCHECK} ${cppcheck_common} ${core_sources})
  run_tool("cppcheck (Win32)" ${LANTERNBOOK_CPPCHECK} ${cppcheck_common}
    -I ${source_dir}/include -I ${LANTERNBOOK_BINARY_DIR}/generated --library=windows --platform=win32W ${win32_definitions} ${win32_sources})

else()
  message(FATAL_ERROR "static-analysis.cmake: unknown job '${LANTERNBOOK_ANALYSIS}'")
endif()

if(failed_runs)
  list(JOIN failed_runs ", " failed_list)
  message(FATAL_ERROR "static.${LANTERNBOOK_ANALYSIS}: findings from ${failed_list}; see above")
endif()
