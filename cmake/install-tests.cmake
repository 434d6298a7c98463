# Checks of what install.cmake installs and packages. Included by native.cmake.
set(scripts ${CMAKE_SOURCE_DIR}/scripts)
add_test(NAME install.man_page
  COMMAND ${scripts}/check-man-page.sh $<TARGET_FILE:lanternbook-cli> ${CMAKE_SOURCE_DIR}/docs/lanternbook.1)
add_test(NAME install.completions
  COMMAND ${scripts}/check-completions.sh $<TARGET_FILE:lanternbook-cli> ${CMAKE_SOURCE_DIR}/completions)
# Builds a tree of its own: the slowest of these.
add_test(NAME install.cli_only_tree
  COMMAND ${scripts}/check-install.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/cli-only-check)
add_test(NAME package.deb COMMAND ${scripts}/check-deb.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(install.man_page install.completions install.cli_only_tree package.deb PROPERTIES
  TIMEOUT 900 FAIL_REGULAR_EXPRESSION "FAIL:")
