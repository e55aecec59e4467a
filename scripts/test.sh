#!/usr/bin/env bash
# Builds everything and runs every test: the style checks (clang-format, clang-tidy), the
# Windows-free core natively (plain and with sanitizers), the fuzz targets, the release build with
# clang (Mirvot.exe, the setup DLL and the interface slot test), then the GCC cross build and
# every Windows test program under Wine on a virtual display. Both builds' Mirvot.exe run through
# the end-to-end life tests and the fault sweep's first calls.
# Usage: scripts/test.sh [extra ctest arguments]
# Environment:
#   MIRVOT_BUILD_DIR        build folder (default <repo>/build); one run at a time per folder
#   MIRVOT_SKIP_STYLE=1     skips the format and tidy checks, for local runs in the middle of a
#                           change; ignored in CI (CI set), which always runs them
#   MIRVOT_KEEP_WINEPREFIX=1  keeps the run's Wine prefix for debugging (its path is printed)
# A failed style check does not stop the run: everything else is still built and tested, and
# the run fails at the end, naming the check.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
export MIRVOT_BUILD_DIR="$build"
jobs="$(nproc)"

bash "$root/scripts/ensure-deps.sh"
# shellcheck source=windows-builds.sh
source "$root/scripts/windows-builds.sh"
# shellcheck source=build-lock.sh
source "$root/scripts/build-lock.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
mirvot_lock_build "$build"
# Prefixes of runs that were killed before they could remove them (the lock says no other run
# is using this folder).
rm -rf "$build"/wineprefix.* "$build"/.wine-session.*

style_failed=()
run_style=1
if [[ "${MIRVOT_SKIP_STYLE:-0}" == 1 && -z "${CI:-}" ]]; then
  run_style=0
fi

# style_check <title> <what to do when it fails> <script>: runs one style check, or says it is
# skipped; a failure is remembered for the end of the run.
style_check() {
  if ((run_style)); then
    echo "== $1"
    bash "$root/scripts/$3" || style_failed+=("$2")
  else
    echo "== $1 skipped (MIRVOT_SKIP_STYLE=1)"
  fi
}

style_check "Format check (clang-format)" "format: run scripts/format.sh" check-format.sh

echo "== Native build of the core"
cmake -S "$root/tests/native" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja --quiet -C "$build/native" -j "$jobs"
echo "== Native build of the core with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root/tests/native" -B "$build/native-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DMIRVOT_SANITIZE=ON >/dev/null
ninja --quiet -C "$build/native-sanitize" -j "$jobs"

clangxx="$(mirvot_house_tool clang++)"
echo "== Fuzz targets ($(basename "$clangxx"), libFuzzer)"
cmake -S "$root/tests/fuzz" -B "$build/fuzz" -G Ninja -DCMAKE_CXX_COMPILER="$clangxx" >/dev/null
ninja --quiet -C "$build/fuzz" -j "$jobs"

echo "== Release build for Windows x86-64 with $(basename "$clangxx"): Mirvot.exe, the setup DLL" \
  "and the slot test"
# Both builds package the same version: the package tests install the release build's package
# (scripts/package.sh may have left another version in its configuration).
package_version=1.0.0
mirvot_configure_clang "$build/win-clang" -DMIRVOT_PACKAGE_VERSION="$package_version"
ninja --quiet -C "$build/win-clang" -j "$jobs" Mirvot mirvot_setup_actions mirvot_package \
  webview2_slot_test

style_check "Static analysis (clang-tidy)" "tidy: the findings are listed above" tidy.sh

echo "== Cross build for Windows x86-64 with GCC"
mirvot_configure_gcc "$build/win" -DMIRVOT_PACKAGE_VERSION="$package_version" \
  -DMIRVOT_NATIVE_BUILD_DIR="$build/native" \
  -DMIRVOT_NATIVE_SANITIZE_BUILD_DIR="$build/native-sanitize" \
  -DMIRVOT_FUZZ_BUILD_DIR="$build/fuzz" \
  -DMIRVOT_CLANG_BUILD_DIR="$build/win-clang"
ninja --quiet -C "$build/win" -j "$jobs"

echo "== Private Wine prefix and virtual display"
trap wine_env_stop EXIT
wine_env_start "$(mktemp -d "$build/wineprefix.XXXXXX")" own-display
wine_env_keep_desktop "$build/win/tests/harness/harness_session_keeper.exe"
echo "   prefix $WINEPREFIX, display $DISPLAY, $("$WINE64" --version 2>/dev/null)"

echo "== Tests"
status=0
# ctest leaves an old list of failures in place when none fail; this run's logs alone count.
rm -f "$build/win/Testing/Temporary/"LastTest*.log
ctest --test-dir "$build/win" --output-on-failure --timeout 120 "$@" || status=$?
# Tests that failed without printing anything were never started by Wine: they run once more,
# and that run decides. Any failure that printed something stands as it is.
if ((status != 0)) &&
  silent="$(bash "$root/scripts/silent-test-failures.sh" "$build/win/Testing/Temporary")"; then
  echo "== Wine did not start these tests (they printed nothing); running them once more:"
  sed 's/^/   /' <<<"$silent"
  status=0
  ctest --test-dir "$build/win" --output-on-failure --timeout 120 --rerun-failed || status=$?
fi

if ((${#style_failed[@]} > 0)); then
  echo "STYLE CHECKS FAILED (everything else ran; see above):"
  printf '  %s\n' "${style_failed[@]}"
  exit 1
fi
exit "$status"
