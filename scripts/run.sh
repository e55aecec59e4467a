#!/usr/bin/env bash
# Builds the released Mirvot.exe (the clang build that scripts/package.sh packages) and runs it.
# On Windows the program uses the installed WebView2 Runtime; this Linux machine has neither
# Windows nor the runtime, so the program runs under Wine with the project's test engine (built
# with GCC, like every test program) standing in for the runtime (it paints the URL it was asked
# to open).
# With a usable $DISPLAY the window appears there and stays until you close it; without one a
# virtual display is used and the program is asked to close (as the user closing the window
# would) after the screenshot.
# Fails, saying why, when the program does not show its window, does not open the page, or
# ends with an exit status other than 0.
# Environment: MIRVOT_BUILD_DIR (default <repo>/build), MIRVOT_SCREENSHOT (default
#   <build>/mirvot-window.png), MIRVOT_RUN_TIMEOUT (seconds to wait for the window, default 30).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
shot="${MIRVOT_SCREENSHOT:-$build/mirvot-window.png}"
timeout="${MIRVOT_RUN_TIMEOUT:-30}"

MIRVOT_EXTRA_PACKAGES="imagemagick" bash "$root/scripts/ensure-deps.sh"
# shellcheck source=build-lock.sh
source "$root/scripts/build-lock.sh"
# shellcheck source=windows-builds.sh
source "$root/scripts/windows-builds.sh"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
mirvot_lock_build "$build"

echo "== Building Mirvot.exe (clang, as released) and the test engine (GCC)"
mirvot_configure_clang "$build/win-clang"
ninja --quiet -C "$build/win-clang" Mirvot
mirvot_configure_gcc "$build/win"
ninja --quiet -C "$build/win" test_engine_runtimes
exe="$build/win-clang/src/shell/Mirvot.exe"
runtime_root="$build/win/test-runtimes"
engine_log="$build/mirvot-engine.log"

display_mode=own-display
if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  display_mode=user-display
fi
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
trap wine_env_stop EXIT
echo "== Starting a private Wine prefix"
wine_env_start "$(mktemp -d "$build/wineprefix-run.XXXXXX")" "$display_mode"

to_windows() { echo "Z:${1//\//\\}"; }
export WEBVIEW2_BROWSER_EXECUTABLE_FOLDER="$(to_windows "$runtime_root/fixed")"
export MIRVOT_TEST_ENGINE_LOG="$(to_windows "$engine_log")"
rm -f "$engine_log"

echo "== Running $exe on display $DISPLAY (test engine from $WEBVIEW2_BROWSER_EXECUTABLE_FOLDER)"
"$WINE64" "$exe" 200>&- &
program=$!

# Ends the script with the program's failure when it has already ended.
check_still_running() {
  if ! kill -0 "$program" 2>/dev/null; then
    local status=0
    wait "$program" || status=$?
    fail "Mirvot.exe ended ($1) with exit status $status; engine call log: $engine_log"
  fi
}

# The window is shown when an X window named "Mirvot" is viewable; the page is opened when the
# engine logs the Navigate call.
window_id=""
deadline=$((SECONDS + timeout))
while ((SECONDS < deadline)); do
  check_still_running "before showing its window and opening the page"
  if [[ -z "$window_id" ]]; then
    for id in $(xwininfo -root -tree 2>/dev/null | awk '/"Mirvot"/ {print $1}'); do
      if xwininfo -id "$id" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null; then
        window_id="$id"
        break
      fi
    done
  fi
  if [[ -n "$window_id" ]] && grep -q "Navigate" "$engine_log" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [[ -z "$window_id" ]]; then
  fail "Mirvot.exe did not show its window within $timeout s"
fi
if ! grep -q "Navigate" "$engine_log" 2>/dev/null; then
  fail "Mirvot.exe showed its window but did not open the page within $timeout s; engine call log: $engine_log"
fi

# The screenshot once the window's content has settled: two pictures in a row the same.
previous=""
for _ in $(seq 1 50); do
  import -window "$window_id" "$shot" 2>/dev/null || import -window root "$shot"
  current="$(md5sum <"$shot")"
  [[ "$current" == "$previous" ]] && break
  previous="$current"
  sleep 0.1
done
echo "Screenshot of the window: $shot"
echo "Engine call log: $engine_log"

if [[ "$display_mode" == user-display ]]; then
  # The build folder is free again while the window stays open.
  mirvot_unlock_build
  echo "Close the window to end the program."
else
  # Asked to close as when the user closes the window: Wine's taskkill without /f sends
  # WM_CLOSE to the program's windows.
  check_still_running "after opening the page"
  "$WINE64" taskkill /im Mirvot.exe >/dev/null 2>&1 200>&- || true
  for _ in $(seq 1 $((timeout * 10))); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program" 2>/dev/null; then
    fail "Mirvot.exe did not end within $timeout s after it was asked to close"
  fi
fi
status=0
wait "$program" || status=$?
if ((status != 0)); then
  fail "Mirvot.exe ended with exit status $status; engine call log: $engine_log"
fi
echo "Mirvot.exe ended normally (exit status 0)."
