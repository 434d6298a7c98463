# End-to-end tests of the cross-built DLL under Wine, and checks of the DLL
# file and the release package. They need LANTERNBOOK_WIN32_DIR, the 32-bit
# MinGW build tree; LANTERNBOOK_WIN64_DIR, the 64-bit one, adds its checks and
# a subset of the end-to-end groups under 64-bit Wine.
set(LANTERNBOOK_WIN32_DIR "" CACHE PATH "Build tree of the 32-bit Windows build")
set(LANTERNBOOK_WIN64_DIR "" CACHE PATH "Build tree of the 64-bit Windows build")
if(NOT LANTERNBOOK_WIN32_DIR)
  message(STATUS "LANTERNBOOK_WIN32_DIR not set: no Wine tests")
  return()
endif()

# The Release 32-bit DLL stays within this many bytes.
set(LANTERNBOOK_DLL_MAX_BYTES 167936)

set(e2e ${CMAKE_SOURCE_DIR}/scripts/e2e.sh ${LANTERNBOOK_WIN32_DIR})
add_test(NAME dll.win32
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-dll.sh win32 ${LANTERNBOOK_WIN32_DIR}/lanternbook.dll
          ${LANTERNBOOK_DLL_MAX_BYTES})

# Each Wine architecture has a prefix of its own: one test at a time in each.
set(windows_builds win32)
set(build_dir_win32 ${LANTERNBOOK_WIN32_DIR})
if(LANTERNBOOK_WIN64_DIR)
  list(APPEND windows_builds win64)
  set(build_dir_win64 ${LANTERNBOOK_WIN64_DIR})
  add_test(NAME dll.win64
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-dll.sh win64 ${LANTERNBOOK_WIN64_DIR}/lanternbook.dll)
endif()
foreach(arch IN LISTS windows_builds)
  add_test(NAME package.${arch}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-package.sh ${arch} ${build_dir_${arch}} ${PROJECT_VERSION})
  set_tests_properties(package.${arch} PROPERTIES RESOURCE_LOCK wine_${arch} TIMEOUT 300
    FAIL_REGULAR_EXPRESSION "FAIL:")
  add_test(NAME release.c_host.${arch}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-release-host.sh ${arch} ${build_dir_${arch}} ${PROJECT_VERSION})
  set_tests_properties(release.c_host.${arch} PROPERTIES RESOURCE_LOCK wine_${arch} TIMEOUT 300
    FAIL_REGULAR_EXPRESSION "FAIL:")
endforeach()

add_test(NAME host.refuses_missing_dll
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-host.sh ${LANTERNBOOK_WIN32_DIR})
set_tests_properties(host.refuses_missing_dll PROPERTIES RESOURCE_LOCK wine_win32 TIMEOUT 300
  FAIL_REGULAR_EXPRESSION "FAIL:")

# name | group | options of e2e.sh, separated by commas
set(LANTERNBOOK_E2E_CASES
  "find.no_key|find_none|--no-key"
  "find.one_key|find_one|--keys,K"
  "find.two_keys|find_two|--keys,EG"
  "dialog.with_key|dialog_with_key|--keys,K"
  "dialog.without_key|dialog_without_key|--no-key"
  "dialog.rules|dialog_rules|--keys,K"
  "dialog.days|dialog_days|--keys,K"
  "dialog.closing|dialog_closing|--keys,K"
  "dialog.format_permission|dialog_format_permission|--keys,K"
  "dialog.painting|dialog_painting|--keys,K"
  "dialog.languages|dialog_languages|--keys,K"
  "dialog.text_fit|dialog_text_fit|--keys,K"
  "config.shown|config_shown|--keys,K"
  "config.typical_use|config_typical_use|--keys,K"
  "config.not_a_key|config_not_a_key|--keys,K,--label,OTHERDISK"
  "config.key_removed|config_key_removed|--keys,K"
  "erase.confirmed|erase_confirmed|--keys,K"
  "erase.declined|erase_declined|--keys,K"
  "format.refused_host_size|format_refused|--keys,K"
  "format.confirmed_487MiB|format_confirmed|--keys,K,--tmpfs,487"
  "guard.pulled_beside_other_key|guard_pulled_beside_other_key|--keys,EG"
  "guard.config_held_at_start|guard_config_held_at_start|--keys,K"
  "guard.card_links_outside|guard_card_links_outside|--keys,K,--link-out,CARD"
  "guard.format_without_temp_487MiB|guard_format_without_temp|--keys,K,--tmpfs,487"
  "guard.hidden_config|guard_hidden_config|--keys,K"
  "guard.helper_name_link|guard_helper_name_link|--keys,K,--before,${CMAKE_SOURCE_DIR}/tests/e2e/seed/helper-name-link.sh"
  "guard.date_link_off_key|guard_date_link_off_key|--keys,K,--before,${CMAKE_SOURCE_DIR}/tests/e2e/seed/date-link.sh"
  "guard.config_pipe|guard_config_pipe|--keys,K,--before,${CMAKE_SOURCE_DIR}/tests/e2e/seed/config-pipe.sh"
  "guard.swapped_in_format_487MiB|guard_swapped_in_format|--keys,K,--tmpfs,487"
  "recovery.after_killed_format_487MiB|recovery_after_killed_format|--keys,K,--tmpfs,487"
  "recovery.by_command_line_487MiB|recovery_by_command_line|--keys,K,--tmpfs,487"
)
# Volume sizes at the edges of the accepted ranges, as exact tmpfs volumes.
foreach(mib IN ITEMS 486 489 960 1000)
  list(APPEND LANTERNBOOK_E2E_CASES "format.declined_${mib}MiB|format_declined|--keys,K,--tmpfs,${mib}")
endforeach()
foreach(mib IN ITEMS 485 490 959 1001)
  list(APPEND LANTERNBOOK_E2E_CASES "format.refused_${mib}MiB|format_refused|--keys,K,--tmpfs,${mib}")
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/e2e-cases.cmake OPTIONAL)

# The cases the 64-bit build runs too: find, the dialog's texts, Save's bytes, erase.
set(LANTERNBOOK_E2E64_CASES find.no_key find.one_key find.two_keys dialog.with_key
  dialog.languages config.typical_use erase.confirmed erase.declined)

foreach(case IN LISTS LANTERNBOOK_E2E_CASES)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 name)
  list(GET parts 1 group)
  list(SUBLIST parts 2 -1 options)
  string(REPLACE "," ";" options "${options}")
  add_test(NAME e2e.${name} COMMAND ${e2e} ${group} ${options})
  set_tests_properties(e2e.${name} PROPERTIES RESOURCE_LOCK wine_win32 TIMEOUT 300
    FAIL_REGULAR_EXPRESSION "FAIL:")
  if(LANTERNBOOK_WIN64_DIR AND name IN_LIST LANTERNBOOK_E2E64_CASES)
    add_test(NAME e2e64.${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e.sh ${LANTERNBOOK_WIN64_DIR} ${group} ${options})
    set_tests_properties(e2e64.${name} PROPERTIES RESOURCE_LOCK wine_win64 TIMEOUT 300
      ENVIRONMENT LANTERNBOOK_WINE_ARCH=win64 FAIL_REGULAR_EXPRESSION "FAIL:")
  endif()
endforeach()
