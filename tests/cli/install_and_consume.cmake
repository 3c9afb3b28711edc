# Installs the build tree into a scratch prefix and builds a consumer against it, once through
# find_package(Tessella) and once through pkg-config; then runs the installed command-line host
# when the build has one.
# Usage: cmake -DBUILD_DIR=<build tree> -DWORK_DIR=<scratch dir> -DCONSUMER_DIR=<consumer source>
#              -DLIBDIR=<lib dir below the prefix> -DVERSION=<x.y.z> -DC_COMPILER=<cc>
#              [-DSANITIZE=<-fsanitize=... flags>] [-DWITH_CLI=ON] -P install_and_consume.cmake
cmake_minimum_required(VERSION 3.25)

# Runs a command; stops the test with its output unless it exits with the expected status.
function(run_checked expected_status)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL expected_status)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command}\nexited ${status}, expected ${expected_status}\n${out}${err}")
  endif()
  set(run_output "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect_output pattern)
  if(NOT run_output MATCHES "${pattern}")
    message(FATAL_ERROR "Output does not match '${pattern}':\n${run_output}")
  endif()
endfunction()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
run_checked(0 "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

string(REGEX MATCH "^[0-9]+" major "${VERSION}")
set(expected_files
  "include/tessella.h"
  "${LIBDIR}/libtessella.so"
  "${LIBDIR}/libtessella.so.${major}"
  "${LIBDIR}/libtessella.so.${VERSION}"
  "${LIBDIR}/cmake/Tessella/TessellaConfig.cmake"
  "${LIBDIR}/cmake/Tessella/TessellaConfigVersion.cmake"
  "${LIBDIR}/cmake/Tessella/TessellaTargets.cmake"
  "${LIBDIR}/pkgconfig/tessella.pc")
if(WITH_CLI)
  list(APPEND expected_files "bin/tessella" "share/tessella/examples/armory")
endif()
foreach(file IN LISTS expected_files)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "Not installed: ${file}")
  endif()
endforeach()
# The development link and the SONAME link lead to the one real file.
foreach(link "libtessella.so" "libtessella.so.${major}")
  if(NOT IS_SYMLINK "${prefix}/${LIBDIR}/${link}")
    message(FATAL_ERROR "${link} is not a symbolic link")
  endif()
endforeach()

set(load_refused "3 \\[Exception\\] \\[Tessella\\] File\\(Database\\) Line\\(411\\) Function\\(Database::CDatabase::Load\\) - FileSizer or FileLoader was not provided on DLL initialization\\.")

# CMake package, with a version request the version file accepts and one it must refuse.
set(consumer_build "${WORK_DIR}/consumer-cmake")
run_checked(0 "${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${consumer_build}"
  "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_COMPILER=${C_COMPILER}"
  "-DCMAKE_C_FLAGS=${SANITIZE}" "-DTESSELLA_VERSION_WANTED=${major}")
run_checked(0 "${CMAKE_COMMAND}" --build "${consumer_build}")
run_checked(0 "${consumer_build}/consumer")
expect_output("^${load_refused}\n$")
math(EXPR next_major "${major} + 1")
run_checked(1 "${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${WORK_DIR}/consumer-wrong-version"
  "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_COMPILER=${C_COMPILER}"
  "-DTESSELLA_VERSION_WANTED=${next_major}")
expect_output("compatible with requested version \"${next_major}\"")

# pkg-config, finding the installed .pc file from its own location.
set(ENV{PKG_CONFIG_PATH} "${prefix}/${LIBDIR}/pkgconfig")
run_checked(0 pkg-config --modversion tessella)
expect_output("^${VERSION}\n$")
run_checked(0 pkg-config --cflags --libs tessella)
string(STRIP "${run_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(sanitize_flags UNIX_COMMAND "${SANITIZE}")
set(consumer_pc "${WORK_DIR}/consumer-pkg-config")
run_checked(0 "${C_COMPILER}" -std=c11 ${sanitize_flags} "${CONSUMER_DIR}/consumer.c" ${flags}
  "-Wl,-rpath,${prefix}/${LIBDIR}" -o "${consumer_pc}")
run_checked(0 "${consumer_pc}")
expect_output("^${load_refused}\n$")

# The installed host finds the sample database installed beside it.
if(WITH_CLI)
  run_checked(0 "${prefix}/bin/tessella" --help)
  expect_output("${prefix}/share/tessella/examples/armory")
  run_checked(0 "${prefix}/bin/tessella" check --quiet)
endif()
