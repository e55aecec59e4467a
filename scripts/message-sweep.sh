#!/usr/bin/env bash
# The message sweep of the built Mirvot.exe (README, "Message sweep"): builds what it needs, then
# delivers other programs' messages to the program's windows under Wine, one life per batch, and
# checks and classifies each life. Sweeps the GCC build and the clang build, one after the other,
# unless --build picks one. Prints one line per life and a summary per build; exits 1 when a life
# did not survive, 2 when a sweep could not run.
# Usage: scripts/message-sweep.sh [--build gcc|clang|both] [SWEEP ARGUMENTS...]
#   SWEEP ARGUMENTS  [--window main|host] [--range FIRST-LAST] [--batch N] [--narrow yes|no]
#                    (tools/message_sweep/message_sweep.cpp)
# Environment: MIRVOT_BUILD_DIR (default <repo>/build); a second run on the same folder waits.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
builds=both
if [[ "${1:-}" == --build ]]; then
  builds="${2:-}"
  shift 2 || true
fi
case "$builds" in
  gcc | clang | both) ;;
  *) echo "message-sweep.sh: --build takes gcc, clang or both" >&2; exit 2 ;;
esac

# shellcheck source=sweep-session.sh
source "$root/scripts/sweep-session.sh"
mirvot_sweep_session message_sweep "$builds"

mirvot_sweep_each "$build/win/tools/message_sweep/message_sweep.exe" "$*" "$@"
