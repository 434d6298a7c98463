# The command line's install tree and its Linux packages. Included by
# native.cmake, also for -DLANTERNBOOK_CLI_ONLY=ON.
#
#   cmake --install BUILD [--prefix DIR]   bin/lanternbook, its man page and
#                                          its bash, zsh and fish completions
#   cpack -G DEB / cpack -G TGZ            the same tree as a package
include(GNUInstallDirs)

install(TARGETS lanternbook-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/lanternbook.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Where Debian's shells look for completions that come with a package.
install(FILES ${PROJECT_SOURCE_DIR}/completions/lanternbook.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lanternbook)
install(FILES ${PROJECT_SOURCE_DIR}/completions/_lanternbook
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${PROJECT_SOURCE_DIR}/completions/lanternbook.fish
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME lanternbook)
set(CPACK_PACKAGE_VENDOR "The lanternbook developers")
set(CPACK_PACKAGE_CONTACT "The lanternbook developers <lanternbook@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows, sets and erases a tachograph download key's configuration")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "lanternbook reads and writes the CONFIG file of a tachograph download key\n"
  "(a USB drive whose label contains VOLKARIS): which data the key downloads\n"
  "and over which period. It writes exactly the bytes the Windows configurator\n"
  "dialog would, and erases the downloads kept on the key.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME lanternbook-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
string(TOLOWER "${CPACK_PACKAGE_FILE_NAME}" CPACK_PACKAGE_FILE_NAME)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the libraries the program links, with their versions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
