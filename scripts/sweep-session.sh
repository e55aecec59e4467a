#!/usr/bin/env bash
# Sourced by the sweep scripts (fault-sweep.sh, message-sweep.sh): builds the sweep and the
# Mirvot.exe of the chosen builds, then starts a private Wine prefix and virtual display for the
# run, stopped when the script exits.
#   mirvot_sweep_session <sweep target> <gcc|clang|both>
# Sets the array `programs` to the chosen builds' Mirvot.exe, the GCC build's first, and exports
# what wine-env.sh exports. Expects $root and $build; holds the build folder's lock.
#   mirvot_sweep_each <sweep exe> <what> [SWEEP ARGUMENTS...]
# Then runs the sweep once per program and returns the worst status: a defect the sweep found
# (1) outweighs a sweep that could not run (2).
# shellcheck disable=SC2154  # root and build are the sourcing script's
mirvot_sweep_session() {
  local target="$1" builds="$2"
  programs=()
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
  ninja --quiet -C "$build/win" "$target" harness_session_keeper
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
}

mirvot_sweep_each() {
  local sweep="$1" what="$2" status=0 run_status program
  shift 2
  for program in "${programs[@]}"; do
    echo "== Sweep of $program${what:+: $what}"
    run_status=0
    "$WINE64" "$sweep" --program "$program" "$@" 200>&- || run_status=$?
    if ((run_status == 1 || (run_status != 0 && status == 0))); then
      status=$run_status
    fi
  done
  return "$status"
}
