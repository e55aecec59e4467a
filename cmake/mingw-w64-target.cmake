# What both MinGW-w64 toolchain files (GCC and clang) share: the target system, its binary tools
# and where find_* looks for its libraries and headers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_AR /usr/bin/${MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/wine-emulator.cmake)
