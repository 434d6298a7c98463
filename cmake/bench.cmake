# The benchmark program: times the DLL's operations under Wine against bare
# floors measured in the same run. A program, not a test.
file(GLOB LANTERNBOOK_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(NOT LANTERNBOOK_BENCH_SOURCES)
  return()
endif()
add_executable(lanternbook-bench ${LANTERNBOOK_BENCH_SOURCES})
target_compile_definitions(lanternbook-bench PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_include_directories(lanternbook-bench PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
target_link_libraries(lanternbook-bench PRIVATE lanternbook_test_support comctl32 setupapi shell32 psapi gdi32 user32 ntdll)
# It loads the DLL from its own folder.
add_dependencies(lanternbook-bench lanternbook)
if(MINGW)
  target_link_options(lanternbook-bench PRIVATE ${LANTERNBOOK_STATIC_RUNTIME} -municode)
elseif(MSVC)
  set_property(TARGET lanternbook-bench PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()
