#!/usr/bin/env bash
# Sourced by the test, run and benchmark commands: a private Wine prefix and a virtual display
# for this run only, never the user's ~/.wine or display settings.
#   wine_env_start <prefix-dir>   creates a fresh prefix, starts Xvfb and a persistent wineserver
#   wine_env_stop                 stops both
# Exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and DISPLAY (when it starts its own display).

WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
_mirvot_xvfb_pid=""

_wine_reg() {
  "$WINE64" reg "$@" >/dev/null 2>&1
}

wine_env_start() {
  local prefix="$1"
  local use_own_display="${2:-own-display}"
  export WINEPREFIX="$prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts, no menu/desktop integration.
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  export TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8
  unset WINELOADER WINESERVER

  if [[ "$use_own_display" == "own-display" || -z "${DISPLAY:-}" ]]; then
    local n
    for n in $(seq 91 140); do
      if [[ ! -e /tmp/.X${n}-lock && ! -e /tmp/.X11-unix/X${n} ]]; then
        break
      fi
    done
    # Large enough for a 1920x1200 client area at 144 DPI plus the frame.
    Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    _mirvot_xvfb_pid=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [[ -e /tmp/.X11-unix/X${n} ]] && break
      sleep 0.05
    done
  fi

  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  "$WINE64" wineboot -i >/dev/null 2>&1 || true
  "$WINESERVER64" -w || true

  # Windows 10, no crash dialog and no debugger (a crash must show as a crash, not as exit 0),
  # and unmanaged X11 windows so destroying a window does not stall without a window manager.
  _wine_reg add 'HKCU\Software\Wine' /v Version /d win10 /f
  _wine_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  _wine_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f
  _wine_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 0 /f
  _wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  _wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f
  "$WINESERVER64" -w || true

  # One server for the whole run: without it every test program pays for a server start.
  "$WINESERVER64" -p &
  sleep 0.2
  "$WINE64" wineboot >/dev/null 2>&1 || true
}

# Starts a program with one hidden window that lives until wine_env_stop, so that Wine's desktop
# process stays up between test programs instead of being restarted (and then lingering for a
# second with the test's output pipe open) for each one.
wine_env_keep_desktop() {
  "$WINE64" "$1" >/dev/null 2>&1 </dev/null &
  sleep 0.5
}

wine_env_stop() {
  if [[ -n "${WINEPREFIX:-}" ]]; then
    "$WINESERVER64" -k >/dev/null 2>&1 || true
  fi
  if [[ -n "$_mirvot_xvfb_pid" ]]; then
    kill "$_mirvot_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_mirvot_xvfb_pid" 2>/dev/null || true
    _mirvot_xvfb_pid=""
  fi
}
