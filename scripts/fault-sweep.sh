#!/usr/bin/env bash
# The fault sweep of the built Mirvot.exe (README, "Fault sweep"): builds what it needs, then runs
# the program through its whole life under Wine once for every call of every system function it
# makes, up to LIMIT calls per function (default 3; "all" for every call), with that one call
# failing. Prints one line per run and a table per function; exits 1 when any run crashed, hung
# or was orphaned, 2 when the sweep itself could not run.
# Usage: scripts/fault-sweep.sh [LIMIT] [FUNCTION...]
#   FUNCTION...  only these functions (names as in tools/fault_sweep/failure_table.h)
# Environment: MIRVOT_BUILD_DIR (default <repo>/build); a second run on the same folder waits.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
limit="${1:-3}"
shift || true
only=("$@")

bash "$root/scripts/ensure-deps.sh"
# shellcheck source=build-lock.sh
source "$root/scripts/build-lock.sh"
# shellcheck source=windows-builds.sh
source "$root/scripts/windows-builds.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
mirvot_lock_build "$build"

echo "== Building Mirvot.exe and the sweep"
mirvot_configure_gcc "$build/win"
ninja --quiet -C "$build/win" fault_sweep harness_session_keeper

echo "== Private Wine prefix and virtual display"
trap wine_env_stop EXIT
wine_env_start "$(mktemp -d "$build/wineprefix-sweep.XXXXXX")" own-display
wine_env_keep_desktop "$build/win/tests/harness/harness_session_keeper.exe"

arguments=(--limit "$limit")
if ((${#only[@]} > 0)); then
  arguments+=(--only "$(IFS=,; echo "${only[*]}")")
fi
echo "== Sweep: limit $limit${only[*]:+, only ${only[*]}}"
status=0
"$WINE64" "$build/win/tools/fault_sweep/fault_sweep.exe" "${arguments[@]}" 200>&- || status=$?
exit "$status"
