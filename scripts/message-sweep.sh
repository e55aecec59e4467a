#!/usr/bin/env bash
# The message sweep of the built Mirvot.exe (README, "Message sweep"): builds what it needs, then
# delivers other programs' messages to the program's windows under Wine, one life per batch, and
# checks and classifies each life. Sweeps the release (GCC) build and the clang build in turn.
# Prints one line per life and a summary per build; exits 1 when any life crashed, hung or was
# orphaned, 2 when a sweep could not run.
# Usage: scripts/message-sweep.sh [--build gcc|clang] [SWEEP ARGUMENTS...]
#   --build   only that build's Mirvot.exe
#   SWEEP ARGUMENTS  passed on: [--window main|host] [--range FIRST-LAST] [--batch N]
# Environment: MIRVOT_BUILD_DIR (default <repo>/build); a second run on the same folder waits.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
builds=(gcc clang)
if [[ "${1:-}" == --build ]]; then
  if [[ "${2:-}" != gcc && "${2:-}" != clang ]]; then
    echo "usage: scripts/message-sweep.sh [--build gcc|clang] [sweep arguments...]" >&2
    exit 2
  fi
  builds=("$2")
  shift 2
fi

bash "$root/scripts/ensure-deps.sh"
# shellcheck source=build-lock.sh
source "$root/scripts/build-lock.sh"
# shellcheck source=windows-builds.sh
source "$root/scripts/windows-builds.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
mirvot_lock_build "$build"

echo "== Building ${builds[*]} Mirvot.exe and the sweep"
mirvot_configure_gcc "$build/win"
ninja --quiet -C "$build/win" message_sweep harness_session_keeper
declare -A programs=([gcc]="$build/win/src/shell/Mirvot.exe")
if [[ " ${builds[*]} " == *" clang "* ]]; then
  mirvot_configure_clang "$build/win-clang"
  ninja --quiet -C "$build/win-clang" Mirvot
  programs[clang]="$build/win-clang/src/shell/Mirvot.exe"
fi

echo "== Private Wine prefix and virtual display"
trap wine_env_stop EXIT
wine_env_start "$(mktemp -d "$build/wineprefix-sweep.XXXXXX")" own-display
wine_env_keep_desktop "$build/win/tests/harness/harness_session_keeper.exe"

status=0
for name in "${builds[@]}"; do
  echo "== Sweep of the $name build${*:+: $*}"
  result=0
  "$WINE64" "$build/win/tools/message_sweep/message_sweep.exe" --program "${programs[$name]}" \
    "$@" 200>&- || result=$?
  if ((result > status)); then
    status=$result
  fi
done
exit "$status"
