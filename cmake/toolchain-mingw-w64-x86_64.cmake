# Cross-build for Windows x86-64 with Debian's MinGW-w64 (posix thread model, which
# GoogleTest and std::thread need).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-target.cmake)

set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
