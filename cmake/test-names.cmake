# Lists the tests of a build tree as CTest names them and fails on any name
# longer than MAX_LENGTH or showing a raw parameter ("GetParam").
# Usage: cmake -DCTEST_COMMAND=ctest -DBUILD_DIR=dir -DMAX_LENGTH=n -P test-names.cmake
execute_process(COMMAND ${CTEST_COMMAND} -N --test-dir ${BUILD_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ctest -N failed: ${errors}")
endif()

string(REPLACE ";" "\\;" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
set(bad "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^ *Test +#[0-9]+: (.*)$")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  math(EXPR count "${count} + 1")
  string(LENGTH "${name}" length)
  if(length GREATER MAX_LENGTH)
    string(APPEND bad "\n  ${length} characters: ${name}")
  elseif(name MATCHES "GetParam")
    string(APPEND bad "\n  a raw parameter: ${name}")
  endif()
endforeach()

if(count EQUAL 0)
  message(FATAL_ERROR "ctest -N listed no test in ${BUILD_DIR}")
endif()
if(bad)
  message(FATAL_ERROR "test names to shorten or name:${bad}")
endif()
message("${count} test names, none over ${MAX_LENGTH} characters or showing a raw parameter")
