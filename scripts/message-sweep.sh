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
ninja --quiet -C "$build/win" message_sweep harness_session_keeper
programs=()
if [[ "$builds" != clang ]]; then
  programs+=("$build/win/src/shell/Mirvot.exe")
fi
if [[ "$builds" != gcc ]]; then
  mirvot_configure_clang "$build/win-clang"
  ninja --quiet -C "$build/win-clang" Mirvot
  programs+=("$build/win-clang/src/shell/Mirvot.exe")
fi

echo "== Private Wine prefix and virtual display"
trap wine_env_stop EXIT
wine_env_start "$(mktemp -d "$build/wineprefix-sweep.XXXXXX")" own-display
wine_env_keep_desktop "$build/win/tests/harness/harness_session_keeper.exe"

status=0
for program in "${programs[@]}"; do
  echo "== Sweep of $program${*:+: $*}"
  run_status=0
  "$WINE64" "$build/win/tools/message_sweep/message_sweep.exe" --program "$program" "$@" \
    200>&- || run_status=$?
  # A life that did not survive (1) outweighs a sweep that could not run (2) in the exit status.
  if ((run_status == 1 || (run_status != 0 && status == 0))); then
    status=$run_status
  fi
done
exit "$status"
