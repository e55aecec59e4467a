#!/usr/bin/env bash
# Sourced by the scripts that build the Windows programs: the one configuration of each of the
# two cross builds, so that every script builds alike and none rebuilds what another built.
#   mirvot_configure_gcc <folder> [cmake arguments...]    MinGW-w64 GCC
#   mirvot_configure_clang <folder> [cmake arguments...]  clang and lld of the house version
#                                                         (llvm-tools.sh): the release build
# Both expect $root, the repository's root.
# shellcheck source=llvm-tools.sh
source "$root/scripts/llvm-tools.sh"

mirvot_configure_gcc() {
  local folder="$1"
  shift
  cmake -S "$root" -B "$folder" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" \
    -DMIRVOT_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
}

mirvot_configure_clang() {
  local folder="$1" clangxx
  shift
  clangxx="$(mirvot_house_tool clang++)"
  # CMake keeps the compiler a folder was first configured with: a folder made with another
  # clang is configured afresh, or it would go on building with that one.
  if [[ -f "$folder/CMakeCache.txt" ]] &&
    ! grep -qx "MIRVOT_CLANG_CXX:[A-Z]*=$clangxx" "$folder/CMakeCache.txt"; then
    rm -rf "$folder/CMakeCache.txt" "$folder/CMakeFiles"
  fi
  cmake -S "$root" -B "$folder" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-clang-mingw-w64-x86_64.cmake" \
    -DMIRVOT_CLANG_CXX="$clangxx" \
    -DMIRVOT_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
}
