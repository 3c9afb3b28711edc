# Runs one command-line case and checks its exit status and output.
# Usage: cmake -DPROGRAM=<program> -DCASE=<case file> -DPYTHON=<python3> [-DEMULATOR=<runner>]
#              -P run_cli.cmake
# (EMULATOR, e.g. wine, runs a program built for another system.)
# The case file sets ARGS (the program's arguments), EXIT (the expected status) and the regular
# expressions STDOUT_<i>, STDERR_<i> (must match) and NOT_STDOUT_<i> (must not match), each
# numbered from 0 with its count in STDOUT_COUNT, STDERR_COUNT and NOT_STDOUT_COUNT; JSON set
# means stdout must be one JSON document in well-formed UTF-8; CHECK is Python code run with the
# path of a file holding stdout in sys.argv[1], which must exit 0.
# Or: cmake -DPYTHON=<python3> -DCOPY_FROM=<dir> -DCOPY_TO=<dir> -P run_cli.cmake copies a
# fixture, writing each \xNN its files spell (NN in hex) as that byte.
if(DEFINED COPY_FROM)
  execute_process(COMMAND "${PYTHON}" -c [[
import pathlib, re, shutil, sys
source, target = map(pathlib.Path, sys.argv[1:])
shutil.rmtree(target, ignore_errors=True)
for path in (p for p in source.rglob("*") if p.is_file()):
    out = target / path.relative_to(source)
    out.parent.mkdir(parents=True, exist_ok=True)
    spelt = rb"\\x([0-9a-f]{2})"
    out.write_bytes(re.sub(spelt, lambda m: bytes.fromhex(m[1].decode()), path.read_bytes()))
]] "${COPY_FROM}" "${COPY_TO}" COMMAND_ERROR_IS_FATAL ANY)
  return()
endif()

include("${CASE}")
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${ARGS}
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

if(JSON)
  file(WRITE "${CASE}.json" "${stdout}")
  execute_process(COMMAND "${PYTHON}" -c
    "import json, sys; json.loads(open(sys.argv[1], 'rb').read().decode())" "${CASE}.json"
    RESULT_VARIABLE parsed ERROR_VARIABLE why)
  if(NOT parsed EQUAL 0)
    message(FATAL_ERROR "stdout is no JSON document in UTF-8: ${why}\n${report}")
  endif()
endif()
if(DEFINED CHECK)
  file(WRITE "${CASE}.out" "${stdout}")
  execute_process(COMMAND "${PYTHON}" -c "${CHECK}" "${CASE}.out"
    RESULT_VARIABLE checked ERROR_VARIABLE why)
  if(NOT checked EQUAL 0)
    message(FATAL_ERROR "stdout fails the check: ${why}\n${report}")
  endif()
endif()
expect(stdout "${STDOUT_COUNT}" STDOUT TRUE)
expect(stderr "${STDERR_COUNT}" STDERR TRUE)
expect(stdout "${NOT_STDOUT_COUNT}" NOT_STDOUT FALSE)
