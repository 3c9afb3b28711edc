# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers (posix threads flavour).
# Libraries built for the target are looked up under TESSELLA_WINDOWS_PREFIX; programs built for
# the target run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSELLA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSELLA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSELLA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSELLA_MINGW}-windres)

set(TESSELLA_WINDOWS_PREFIX "" CACHE PATH "Where the target's libraries (tinyxml2, GoogleTest) are installed")
set(CMAKE_FIND_ROOT_PATH /usr/${TESSELLA_MINGW} ${TESSELLA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(TESSELLA_WINE NAMES wine)
if(TESSELLA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TESSELLA_WINE}")
endif()
