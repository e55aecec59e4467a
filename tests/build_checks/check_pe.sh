#!/usr/bin/env bash
# Checks a built Windows image: it imports only system DLLs (the C++ runtime is linked in), has
# the hardening flags (dynamic base, high-entropy VA, NX compatible), no link timestamp, and the
# expected subsystem.   check_pe.sh <gui|any> <file>...
set -euo pipefail
objdump=x86_64-w64-mingw32-objdump
kind="$1"; shift
status=0
fail() { echo "FAIL: $*"; status=1; }

# System DLLs this project may import; anything else (libstdc++, libgcc, winpthread...) would
# have to be shipped beside the program.
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|shcore|msvcrt|ucrtbase|shlwapi|version|uxtheme|dwmapi|imm32|winmm|ws2_32|bcrypt|ntdll|msi|api-ms-win-[a-z0-9-]+)\.dll$'

for file in "$@"; do
  info="$("$objdump" -p "$file")"
  while read -r dll; do
    lower="$(tr 'A-Z' 'a-z' <<<"$dll")"
    [[ "$lower" =~ $allowed ]] || fail "$file imports non-system DLL $dll"
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$info")

  characteristics="$(sed -n 's/^DllCharacteristics\s*\([0-9a-fA-F]*\).*/\1/p' <<<"$info")"
  value=$((16#$characteristics))
  (( value & 0x20 )) || fail "$file lacks HIGH_ENTROPY_VA (DllCharacteristics $characteristics)"
  (( value & 0x40 )) || fail "$file lacks DYNAMIC_BASE (DllCharacteristics $characteristics)"
  (( value & 0x100 )) || fail "$file lacks NX_COMPAT (DllCharacteristics $characteristics)"

  stamp="$(sed -n 's/^Time\/Date\s*//p' <<<"$info")"
  [[ "$stamp" == *"1970"* ]] || fail "$file carries a link timestamp ($stamp)"

  subsystem="$(sed -n 's/^Subsystem\s*//p' <<<"$info")"
  case "$kind" in
    gui) [[ "$subsystem" == *"Windows GUI"* ]] || fail "$file subsystem is $subsystem, expected Windows GUI" ;;
  esac
  if [[ "$kind" == gui ]]; then
    # The build folder must not leak into the program (debug info aside, which release builds
    # do not carry): reproducible builds from any checkout path. grep reads to the end (no -q):
    # under pipefail, a grep that stopped early would fail strings and hide the match.
    if strings -a "$file" | grep -F "$MIRVOT_BUILD_DIR_HINT" >/dev/null; then
      fail "$file contains the build path $MIRVOT_BUILD_DIR_HINT"
    fi
  fi
done
[[ $status == 0 ]] && echo "ok: $# image(s) checked"
exit $status
