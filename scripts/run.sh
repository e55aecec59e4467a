#!/usr/bin/env bash
# Builds Mirvot.exe and runs it. On Windows the program uses the installed WebView2 Runtime;
# this Linux machine has neither Windows nor the runtime, so the program runs under Wine with
# the project's test engine standing in for the runtime (it paints the URL it was asked to open).
# With a usable $DISPLAY the window appears there and stays until you close it; without one a
# virtual display is used and the program is closed after the screenshot.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}"
shot="${MIRVOT_SCREENSHOT:-$build/mirvot-window.png}"

MIRVOT_EXTRA_PACKAGES="imagemagick" bash "$root/scripts/ensure-deps.sh"

echo "== Building Mirvot.exe"
cmake -S "$root" -B "$build/win" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" >/dev/null
targets=()
for t in Mirvot test_engine_runtimes; do
  if ninja -C "$build/win" -t targets all 2>/dev/null | grep -q "^$t:"; then
    targets+=("$t")
  fi
done
if [[ " ${targets[*]} " != *" Mirvot "* ]]; then
  ninja --quiet -C "$build/win"
  echo "Mirvot.exe is not assembled yet: the shell and the browser view are still missing."
  echo "Built what exists; run scripts/test.sh to test it."
  exit 0
fi
ninja --quiet -C "$build/win" "${targets[@]}"
exe="$(find "$build/win" -name Mirvot.exe -print -quit)"
runtime_root="$build/win/test-runtimes"

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
display_mode=own-display
if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  display_mode=user-display
fi
trap wine_env_stop EXIT
echo "== Starting a private Wine prefix"
wine_env_start "$build/wineprefix-run" "$display_mode"

to_windows() { echo "Z:${1//\//\\}"; }
export WEBVIEW2_BROWSER_EXECUTABLE_FOLDER="$(to_windows "$runtime_root/fixed")"
export MIRVOT_TEST_ENGINE_LOG="$(to_windows "$build/mirvot-engine.log")"
rm -f "$build/mirvot-engine.log"

echo "== Running $exe on display $DISPLAY (test engine from $WEBVIEW2_BROWSER_EXECUTABLE_FOLDER)"
"$WINE64" "$exe" &
program=$!

for _ in $(seq 1 200); do
  if grep -q "Navigate" "$build/mirvot-engine.log" 2>/dev/null; then
    break
  fi
  if ! kill -0 "$program" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
sleep 1
window_id="$(xwininfo -root -tree 2>/dev/null | awk '/"Mirvot"/ {print $1; exit}')"
if [[ -n "$window_id" ]]; then
  import -window "$window_id" "$shot" 2>/dev/null || import -window root "$shot"
else
  import -window root "$shot"
fi
echo "Screenshot of the window: $shot"
echo "Engine call log: $build/mirvot-engine.log"

if [[ "$display_mode" == user-display ]]; then
  echo "Close the window to end the program."
  wait "$program" || true
else
  "$WINESERVER64" -k >/dev/null 2>&1 || true
  wait "$program" 2>/dev/null || true
fi
