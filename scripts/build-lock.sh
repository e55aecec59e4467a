#!/usr/bin/env bash
# Sourced by the scripts that build into a build folder: one run at a time per folder. Another
# run that wants the same folder waits, and says so, instead of rebuilding under the first.
#   mirvot_lock_build <dir>   takes the lock on <dir> (created if needed) for the rest of the
#                             script; it is let go when the script ends
#   mirvot_unlock_build       lets it go earlier
# The lock is an flock on <dir>/.mirvot-build.lock held through file descriptor 200; scripts/
# wine-env.sh closes that descriptor in the processes it leaves running.

mirvot_lock_build() {
  local dir="$1"
  mkdir -p "$dir"
  exec 200>>"$dir/.mirvot-build.lock"
  if ! flock -n 200; then
    local holder
    holder="$(cat "$dir/.mirvot-build.owner" 2>/dev/null || true)"
    echo "== Waiting for another run that builds in $dir${holder:+ ($holder)}..."
    flock 200
    echo "== The other run has finished; going on"
  fi
  echo "pid $$, $(basename "$0"), since $(date '+%H:%M:%S')" >"$dir/.mirvot-build.owner"
}

mirvot_unlock_build() {
  flock -u 200 2>/dev/null || true
  exec 200>&-
}
