# Windows build: lanternbook.dll (32- or 64-bit, only system DLLs imported,
# exactly two exports), the host program that loads it and the end-to-end test driver.
# The DLL gets a core of its own, built for size; the programs that link the
# core beside code built the ordinary way (the end-to-end driver) get a plain one.
foreach(core lanternbook_core lanternbook_core_dll)
  lanternbook_core_library(${core})
  target_compile_definitions(${core} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
endforeach()

file(GLOB LANTERNBOOK_WIN32_SOURCES CONFIGURE_DEPENDS src/entry/*.cpp src/*/win32/*.cpp)
# The system's reasons for failures, the journal's user and its SHA-256 are
# the command line's alone.
list(FILTER LANTERNBOOK_WIN32_SOURCES EXCLUDE REGEX "win32_(reasons|session)\\.cpp$")
add_library(lanternbook SHARED
  ${LANTERNBOOK_WIN32_SOURCES}
  src/entry/lanternbook.def
  src/resources/lanternbook.rc)
set_target_properties(lanternbook PROPERTIES PREFIX "" OUTPUT_NAME lanternbook)
target_include_directories(lanternbook PRIVATE include ${LANTERNBOOK_GENERATED_DIR})
target_link_libraries(lanternbook PRIVATE lanternbook_core_dll
  comctl32 setupapi shell32 msimg32 gdi32 user32 kernel32 ntdll)

if(MINGW)
  # Everything of the C++ runtime goes into the DLL itself.
  set(LANTERNBOOK_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
  target_link_options(lanternbook PRIVATE ${LANTERNBOOK_STATIC_RUNTIME} -Wl,--enable-stdcall-fixup
      "$<$<CONFIG:Release>:-s;-Wl,--gc-sections>")
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
  # Small DLL: no type information (nothing asks for it), library errors
  # thrown without their strings (src/entry/lean_runtime.cpp), sized for
  # bytes with link-time optimisation (points-to analysis across the whole
  # program drops a few more branches), every function and datum in a section
  # of its own so the linker drops what nobody calls. Exceptions stay on: the
  # exports and the window procedure catch whatever is thrown. 32-bit
  # asynchronous unwind tables would keep every function alive, and the
  # 32-bit Windows stack is 4-byte aligned anyway; 64-bit Windows needs its
  # unwind tables for stack walks.
  set(LANTERNBOOK_LEAN_FLAGS -fno-rtti -fno-threadsafe-statics -ffunction-sections -fdata-sections
    "$<$<CONFIG:Release>:-Oz;-flto;-flto-partition=one;-fipa-pta>")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND LANTERNBOOK_LEAN_FLAGS -fno-asynchronous-unwind-tables -mpreferred-stack-boundary=2)
  endif()
  target_compile_options(lanternbook PRIVATE ${LANTERNBOOK_LEAN_FLAGS})
  target_compile_options(lanternbook_core_dll PRIVATE ${LANTERNBOOK_LEAN_FLAGS})
  # Link-time code generation takes its code options from the link line.
  # The DLL is a whole program: nothing but its exports and DllMain is seen
  # from outside, so whatever they never reach goes (the linker alone keeps
  # every function that has unwind information).
  target_link_options(lanternbook PRIVATE ${LANTERNBOOK_LEAN_FLAGS} "$<$<CONFIG:Release>:-fwhole-program>")
elseif(MSVC)
  set_property(TARGET lanternbook lanternbook_core lanternbook_core_dll PROPERTY
    MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

# The host builds as any host would: the public header and the import library.
add_executable(lanternbook-host src/host/host_main.cpp)
target_compile_definitions(lanternbook-host PRIVATE UNICODE _UNICODE)
target_include_directories(lanternbook-host PRIVATE include ${LANTERNBOOK_GENERATED_DIR})
target_link_libraries(lanternbook-host PRIVATE lanternbook comctl32)

add_library(no-exports SHARED tests/e2e/no_exports.cpp)
set_target_properties(no-exports PROPERTIES PREFIX "")

# What the end-to-end driver and the benchmark share: the DLL's loader and
# the driver of scripted steps inside the dialog's modal loop. Both include
# it as "support/...".
file(GLOB LANTERNBOOK_TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS tests/support/*.cpp)
add_library(lanternbook_test_support STATIC ${LANTERNBOOK_TEST_SUPPORT_SOURCES})
target_compile_definitions(lanternbook_test_support PRIVATE UNICODE _UNICODE)
target_include_directories(lanternbook_test_support PUBLIC tests src)
target_link_libraries(lanternbook_test_support PUBLIC user32)
if(MSVC)
  set_property(TARGET lanternbook_test_support PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

file(GLOB LANTERNBOOK_E2E_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp)
list(FILTER LANTERNBOOK_E2E_SOURCES EXCLUDE REGEX "no_exports\\.cpp$")
if(LANTERNBOOK_E2E_SOURCES)
  # The Win32 platform too, whose held folders it tests directly.
  add_executable(lanternbook-e2e ${LANTERNBOOK_E2E_SOURCES} src/platform/win32/win32_platform.cpp)
  target_compile_definitions(lanternbook-e2e PRIVATE UNICODE _UNICODE)
  target_include_directories(lanternbook-e2e PRIVATE src tests)
  target_link_libraries(lanternbook-e2e PRIVATE lanternbook_test_support lanternbook_core comctl32 gdi32 user32
    setupapi shell32 shlwapi ntdll)
endif()

if(MINGW)
  foreach(program lanternbook-host lanternbook-e2e)
    if(TARGET ${program})
      target_link_options(${program} PRIVATE ${LANTERNBOOK_STATIC_RUNTIME} -municode)
    endif()
  endforeach()
  target_link_options(no-exports PRIVATE ${LANTERNBOOK_STATIC_RUNTIME})
elseif(MSVC)
  foreach(program lanternbook-host lanternbook-e2e)
    if(TARGET ${program})
      set_property(TARGET ${program} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    endif()
  endforeach()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/cli.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/bench.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
