#!/usr/bin/env bash
# Builds everything and runs every test: the Windows-free core natively (plain and with
# sanitizers), then the cross-built Windows test programs under Wine on a virtual display.
# Usage: scripts/test.sh [extra ctest arguments]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
jobs="$(nproc)"

bash "$root/scripts/ensure-deps.sh"

echo "== Native build of the core"
cmake -S "$root/tests/native" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja --quiet -C "$build/native" -j "$jobs"
if [[ -f "$root/tests/native/CMakeLists.txt" ]] && grep -q MIRVOT_SANITIZE "$root/tests/native/CMakeLists.txt"; then
  echo "== Native build of the core with AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S "$root/tests/native" -B "$build/native-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DMIRVOT_SANITIZE=ON >/dev/null
  ninja --quiet -C "$build/native-sanitize" -j "$jobs"
fi

if [[ -f "$root/tests/fuzz/CMakeLists.txt" ]]; then
  echo "== Fuzz targets (clang, libFuzzer)"
  cmake -S "$root/tests/fuzz" -B "$build/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
  ninja --quiet -C "$build/fuzz" -j "$jobs"
fi

echo "== Cross build for Windows x86-64"
cmake -S "$root" -B "$build/win" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" \
  -DMIRVOT_WARNINGS_AS_ERRORS=ON \
  -DMIRVOT_NATIVE_BUILD_DIR="$build/native" \
  -DMIRVOT_NATIVE_SANITIZE_BUILD_DIR="$build/native-sanitize" \
  -DMIRVOT_FUZZ_BUILD_DIR="$build/fuzz" >/dev/null
ninja --quiet -C "$build/win" -j "$jobs"

echo "== Private Wine prefix and virtual display"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$build/wineprefix" own-display
wine_env_keep_desktop "$build/win/tests/harness/harness_session_keeper.exe"

echo "== Tests"
ctest --test-dir "$build/win" --output-on-failure --timeout 120 "$@"
