#!/usr/bin/env bash
# Sourced by the test, run and benchmark commands: a private Wine prefix and a virtual display
# for this run only, never the user's ~/.wine or display settings. Runs at the same time on one
# machine do not meet: each has its own prefix folder, its own display and its own wineserver.
#   wine_env_start <prefix-dir> [own-display|user-display]
#                           creates a fresh prefix in <prefix-dir> (whatever was there is
#                           removed), starts Xvfb on a free display (own-display, or when
#                           DISPLAY is unset) and a persistent wineserver
#   wine_env_keep_desktop <exe>
#                           starts a program that keeps Wine's desktop process up until the
#                           session stops, and waits until that process runs
#   wine_env_stop           stops the wineserver, the desktop keeper and Xvfb, and removes the
#                           prefix unless MIRVOT_KEEP_WINEPREFIX=1
# Exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and DISPLAY (when it starts its own display).
# WINE64 and WINESERVER64 name Wine's loader and server; MIRVOT_WINE and MIRVOT_WINESERVER pick
# others.
#
# Processes started here close file descriptor 200, where the scripts hold their build lock
# (scripts/build-lock.sh), so that a server outliving the script cannot keep the lock.

# Prints the first of its arguments that names an executable file; empty ones are skipped.
_mirvot_first_executable() {
  local candidate
  for candidate in "$@"; do
    if [[ -n "$candidate" && -x "$candidate" ]]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# Wine's 64-bit loader from the installed package: wine64 where the package has one (its
# plain "wine" is then the 32-bit front end), otherwise "wine", which newer Wine uses for
# 64-bit programs too.
_mirvot_find_wine() {
  _mirvot_first_executable "${MIRVOT_WINE:-}" "$(command -v wine64 2>/dev/null)" \
    /usr/lib/wine/wine64 /usr/lib64/wine/wine64 "$(command -v wine 2>/dev/null)" /usr/lib/wine/wine
}

# The server binary itself, preferably beside the loader: Debian's wrapper scripts named
# "wineserver" add -p0, which would end a persistent server.
_mirvot_find_wineserver() {
  local loader_dir
  loader_dir="$(dirname "$(readlink -f "$WINE64")")"
  _mirvot_first_executable "${MIRVOT_WINESERVER:-}" "$loader_dir/wineserver64" \
    /usr/lib/wine/wineserver64 /usr/lib64/wine/wineserver64 \
    "$(command -v wineserver64 2>/dev/null)" "$loader_dir/wineserver" \
    "$(command -v wineserver 2>/dev/null)" /usr/lib/wine/wineserver
}

if ! WINE64="$(_mirvot_find_wine)"; then
  echo "wine-env.sh: no Wine found (wine64 or wine): install Debian's wine64 package" \
       "(scripts/ensure-deps.sh does)" >&2
  return 1 2>/dev/null || exit 1
fi
if ! WINESERVER64="$(_mirvot_find_wineserver)"; then
  echo "wine-env.sh: Wine's server (wineserver64 or wineserver) was not found beside $WINE64" >&2
  return 1 2>/dev/null || exit 1
fi
# The CMake toolchains take the same loader as the test programs' emulator.
export MIRVOT_WINE="$WINE64"
_mirvot_xvfb_pid=""
_mirvot_keeper_pid=""
_mirvot_prefix=""
_mirvot_session_dir=""

_wine_reg() {
  "$WINE64" reg "$@" >/dev/null 2>&1 200>&-
}

# Starts Xvfb on the first free display and exports DISPLAY. -displayfd lets the server pick
# the number and tell it once it accepts connections: no guessing, no race with another run.
_mirvot_start_xvfb() {
  local number_file="$_mirvot_session_dir/display" log="$_mirvot_session_dir/xvfb.log"
  # Large enough for a 1920x1200 client area at 144 DPI plus the frame.
  Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 3>"$number_file" \
    >"$log" 2>&1 200>&- &
  _mirvot_xvfb_pid=$!
  local i number=""
  for i in $(seq 1 200); do
    # The number is written, with its newline, once the display accepts connections.
    if [[ -s "$number_file" && -z "$(tail -c 1 "$number_file")" ]]; then
      number="$(tr -dc '0-9' <"$number_file")"
      break
    fi
    if ! kill -0 "$_mirvot_xvfb_pid" 2>/dev/null; then
      break
    fi
    sleep 0.05
  done
  if [[ -z "$number" ]]; then
    echo "wine-env.sh: the virtual display (Xvfb) did not start; its output:" >&2
    sed 's/^/  /' "$log" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

wine_env_start() {
  local prefix="$1"
  local use_own_display="${2:-own-display}"
  _mirvot_prefix="$prefix"
  mkdir -p "$(dirname "$prefix")"
  _mirvot_session_dir="$(mktemp -d "$(dirname "$prefix")/.wine-session.XXXXXX")"
  export WINEPREFIX="$prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts, no menu/desktop integration.
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  export TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8
  unset WINELOADER WINESERVER

  if [[ "$use_own_display" == "own-display" || -z "${DISPLAY:-}" ]]; then
    _mirvot_start_xvfb || return 1
  fi

  rm -rf "$prefix"
  "$WINE64" wineboot -i >/dev/null 2>&1 200>&- || true
  "$WINESERVER64" -w 200>&- || true

  # Windows 10, no crash dialog and no debugger (a crash must show as a crash, not as exit 0),
  # and unmanaged X11 windows so destroying a window does not stall without a window manager.
  _wine_reg add 'HKCU\Software\Wine' /v Version /d win10 /f
  _wine_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  _wine_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f
  _wine_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 0 /f
  _wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  _wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f
  "$WINESERVER64" -w 200>&- || true

  # One server for the whole run: without it every test program pays for a server start. The
  # server puts itself in the background once it accepts connections, so when this returns it
  # is ready.
  if ! "$WINESERVER64" -p >"$_mirvot_session_dir/wineserver.log" 2>&1 200>&-; then
    echo "wine-env.sh: the persistent wineserver did not start; its output:" >&2
    sed 's/^/  /' "$_mirvot_session_dir/wineserver.log" >&2
    return 1
  fi
  "$WINE64" wineboot >/dev/null 2>&1 200>&- || true
}

# True when Wine's desktop process (explorer.exe) of this session's prefix is running.
_mirvot_desktop_running() {
  local pid
  for pid in $(pgrep -f 'explorer\.exe' 2>/dev/null); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      return 0
    fi
  done
  return 1
}

# Starts a program with one hidden window that lives until wine_env_stop, so that Wine's desktop
# process stays up between test programs instead of being restarted (and then lingering for a
# second with the test's output pipe open) for each one. Returns once the desktop process runs.
wine_env_keep_desktop() {
  "$WINE64" "$1" >/dev/null 2>&1 </dev/null 200>&- &
  _mirvot_keeper_pid=$!
  local i
  for i in $(seq 1 400); do
    if _mirvot_desktop_running; then
      return 0
    fi
    if ! kill -0 "$_mirvot_keeper_pid" 2>/dev/null; then
      echo "wine-env.sh: the desktop keeper $1 ended at once" >&2
      return 1
    fi
    sleep 0.05
  done
  echo "wine-env.sh: Wine's desktop process did not start within 20 s for $1" >&2
  return 1
}

wine_env_stop() {
  if [[ -n "${WINEPREFIX:-}" ]]; then
    "$WINESERVER64" -k >/dev/null 2>&1 200>&- || true
  fi
  if [[ -n "$_mirvot_keeper_pid" ]]; then
    wait "$_mirvot_keeper_pid" 2>/dev/null || true
    _mirvot_keeper_pid=""
  fi
  if [[ -n "$_mirvot_xvfb_pid" ]]; then
    kill "$_mirvot_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_mirvot_xvfb_pid" 2>/dev/null || true
    _mirvot_xvfb_pid=""
  fi
  if [[ -n "$_mirvot_session_dir" ]]; then
    rm -rf "$_mirvot_session_dir"
    _mirvot_session_dir=""
  fi
  if [[ -n "$_mirvot_prefix" && "${MIRVOT_KEEP_WINEPREFIX:-0}" != 1 ]]; then
    rm -rf "$_mirvot_prefix"
  elif [[ -n "$_mirvot_prefix" ]]; then
    echo "Wine prefix kept: $_mirvot_prefix"
  fi
  _mirvot_prefix=""
}
