# Runs one command-line case and checks its exit status and output.
# Usage: cmake -DPROGRAM=<program> -DCASE=<case file> -P run_cli.cmake
# The case file sets ARGS (the program's arguments), EXIT (the expected status) and the regular
# expressions STDOUT_<i>, STDERR_<i> (must match) and NOT_STDOUT_<i> (must not match), each
# numbered from 0 with its count in STDOUT_COUNT, STDERR_COUNT and NOT_STDOUT_COUNT.
include("${CASE}")
execute_process(COMMAND "${PROGRAM}" ${ARGS}
  RESULT_VARIABLE status OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
set(report "--- stdout:\n${stdout}--- stderr:\n${stderr}")
if(NOT status STREQUAL EXIT)
  message(FATAL_ERROR "Exit status ${status}, expected ${EXIT}\n${report}")
endif()

function(expect stream count prefix should_match)
  if(count EQUAL 0)
    return()
  endif()
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    set(pattern "${${prefix}_${i}}")
    if(should_match AND NOT "${${stream}}" MATCHES "${pattern}")
      message(FATAL_ERROR "${stream} does not match: ${pattern}\n${report}")
    elseif(NOT should_match AND "${${stream}}" MATCHES "${pattern}")
      message(FATAL_ERROR "${stream} matches what it must not: ${pattern}\n${report}")
    endif()
  endforeach()
endfunction()

expect(stdout "${STDOUT_COUNT}" STDOUT TRUE)
expect(stderr "${STDERR_COUNT}" STDERR TRUE)
expect(stdout "${NOT_STDOUT_COUNT}" NOT_STDOUT FALSE)
