# The command line's install tree and its Linux packages. Included by
# native.cmake, also for -DLANTERNBOOK_CLI_ONLY=ON.
#
#   cmake --install BUILD [--prefix DIR]   bin/lanternbook, its man page, its
#                                          bash, zsh and fish completions,
#                                          its copyright and changelog
#   cpack -G DEB / cpack -G TGZ            the same tree as a package
include(GNUInstallDirs)

set(LANTERNBOOK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/lanternbook)

# Debian's copyright file in its machine-readable form, made from LICENSE so
# that the licence is written once.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" copyright_line "${licence}")
set(copyright_holders ${CMAKE_MATCH_1})
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" licence_text "${licence}")
string(REGEX REPLACE "\n+$" "" licence_text "${licence_text}")
string(REGEX REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " licence_text " ${licence_text}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: lanternbook

Files: *
Copyright: ${copyright_holders}
License: Expat
${licence_text}
")

# The man page and the changelog as Debian keeps them: compressed, without
# a time stamp in the compressed file.
find_program(LANTERNBOOK_GZIP gzip REQUIRED)
set(LANTERNBOOK_COMPRESSED "")
foreach(source IN ITEMS docs/lanternbook.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${CMAKE_BINARY_DIR}/packaging/${name}
    COMMAND ${LANTERNBOOK_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/packaging/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND LANTERNBOOK_COMPRESSED ${compressed})
endforeach()
add_custom_target(lanternbook-compressed-docs ALL DEPENDS ${LANTERNBOOK_COMPRESSED})

install(TARGETS lanternbook-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/packaging/lanternbook.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${LANTERNBOOK_DOC_DIR})
# Where Debian's shells look for completions. The bash one works with or
# without the bash-completion package, which loads it from there by itself.
install(FILES ${PROJECT_SOURCE_DIR}/completions/lanternbook.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lanternbook)
install(FILES ${PROJECT_SOURCE_DIR}/completions/lanternbook.fish
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
# zsh reads a package's functions from vendor-completions under /usr, and a
# local install's from site-functions: the prefix is known only at install time.
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(zsh_folder vendor-completions)
  else()
    set(zsh_folder site-functions)
  endif()
  file(INSTALL \"${PROJECT_SOURCE_DIR}/completions/_lanternbook\"
    DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/\${zsh_folder}\")
")

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
# What loads the bash completion on demand.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
