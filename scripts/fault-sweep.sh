#!/usr/bin/env bash
# The fault sweep of the built Mirvot.exe (README, "Fault sweep"): builds what it needs, then runs
# the program through each chosen life under Wine once for every call of every system function
# it makes, up to LIMIT calls per function (default 3; "all" for every call), with that one call
# failing. Sweeps the GCC build and the clang build, one after the other, unless --build picks
# one. Prints one line per run and a table per function and life; exits 1 when any run crashed,
# hung or was orphaned, 2 when the sweep itself could not run.
# Usage: scripts/fault-sweep.sh [--build gcc|clang|both] [--life LIFE[,LIFE...]|all] [LIMIT]
#                               [FUNCTION...]
#   --life       the lives to sweep (tools/fault_sweep/lives.h; default: first)
#   FUNCTION...  only these functions (names as in tools/fault_sweep/failure_table.h)
# Environment: MIRVOT_BUILD_DIR (default <repo>/build); a second run on the same folder waits.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
builds=both
lives=first
while (($# > 0)); do
  case "$1" in
    --build) builds="$2"; shift 2 ;;
    --life) lives="$2"; shift 2 ;;
    *) break ;;
  esac
done
case "$builds" in
  gcc | clang | both) ;;
  *) echo "fault-sweep.sh: --build takes gcc, clang or both" >&2; exit 2 ;;
esac
limit="${1:-3}"
shift || true
only=("$@")

# shellcheck source=sweep-session.sh
source "$root/scripts/sweep-session.sh"
mirvot_sweep_session fault_sweep "$builds"

arguments=(--life "$lives" --limit "$limit")
if ((${#only[@]} > 0)); then
  arguments+=(--only "$(IFS=,; echo "${only[*]}")")
fi
mirvot_sweep_each "$build/win/tools/fault_sweep/fault_sweep.exe" \
  "lives $lives, limit $limit${only[*]:+, only ${only[*]}}" "${arguments[@]}"
