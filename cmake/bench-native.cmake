# The native part of the benchmark: how soon `lanternbook watch` saves a
# key's CONFIG once the key is mounted (Linux, as root; scripts/bench.sh runs
# it from scripts/bench-cli.sh). A program, not a test; never installed.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()
# Built only when asked for: never part of what a user builds and installs.
add_executable(lanternbook-watch-bench EXCLUDE_FROM_ALL bench/native/watch_latency.cpp)
add_dependencies(lanternbook-watch-bench lanternbook-cli)
