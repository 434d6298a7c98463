# The release package: `cpack -G ZIP` in a Windows build folder makes
# lanternbook-<version>-win32.zip or -win64.zip with the DLL, the host
# program, the README and the licence. Included by win32.cmake.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LANTERNBOOK_PACKAGE_ARCH win64)
else()
  set(LANTERNBOOK_PACKAGE_ARCH win32)
endif()

# Files rather than targets: a target install would add the import library.
install(FILES $<TARGET_FILE:lanternbook> DESTINATION .)
install(PROGRAMS $<TARGET_FILE:lanternbook-host> DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME lanternbook)
set(CPACK_PACKAGE_VENDOR "The lanternbook developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME lanternbook-${PROJECT_VERSION}-${LANTERNBOOK_PACKAGE_ARCH})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
