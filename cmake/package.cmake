# The release package: `cpack -G ZIP` in a Windows build folder makes
# lanternbook-<version>-win32.zip or -win64.zip with the DLL, the host
# program, the command line, a README for its user and the licence, and
# what a host builds against: include/lanternbook.h and the import libraries
# in lib/.
# Included by win32.cmake.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LANTERNBOOK_PACKAGE_ARCH win64)
else()
  set(LANTERNBOOK_PACKAGE_ARCH win32)
endif()

# MinGW's linker makes liblanternbook.dll.a, a GNU archive of import objects;
# MSVC's link.exe wants the short import objects that its lib.exe writes,
# and llvm-dlltool writes the same from the .def. MSVC builds make their own.
if(MINGW)
  find_program(LANTERNBOOK_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(machine i386:x86-64)
  else()
    set(machine i386)
  endif()
  set(LANTERNBOOK_MSVC_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/lanternbook.lib)
  add_custom_command(OUTPUT ${LANTERNBOOK_MSVC_IMPORT_LIBRARY}
    COMMAND ${LANTERNBOOK_LLVM_DLLTOOL} -m ${machine} -d ${PROJECT_SOURCE_DIR}/src/entry/lanternbook.def
            -l ${LANTERNBOOK_MSVC_IMPORT_LIBRARY}
    DEPENDS ${PROJECT_SOURCE_DIR}/src/entry/lanternbook.def
    COMMENT "Import library for MSVC: lanternbook.lib" VERBATIM)
  add_custom_target(lanternbook-msvc-import-library ALL DEPENDS ${LANTERNBOOK_MSVC_IMPORT_LIBRARY})
endif()

# Files rather than targets: each file goes where the package wants it.
install(FILES $<TARGET_FILE:lanternbook> DESTINATION .)
install(PROGRAMS $<TARGET_FILE:lanternbook-host> $<TARGET_FILE:lanternbook-cli> DESTINATION .)
# The user's README: what each file is, how a host loads the DLL, how to run lanternbook.exe.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt DESTINATION . RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/include/lanternbook.h DESTINATION include)
install(FILES $<TARGET_LINKER_FILE:lanternbook> ${LANTERNBOOK_MSVC_IMPORT_LIBRARY} DESTINATION lib)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME lanternbook)
set(CPACK_PACKAGE_VENDOR "The lanternbook developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME lanternbook-${PROJECT_VERSION}-${LANTERNBOOK_PACKAGE_ARCH})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
