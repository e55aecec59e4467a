#!/usr/bin/env bash
# Builds Mirvot.exe and the setup DLL a second time from the same sources, with the toolchain and
# compiler of a reference build, in a fresh folder at another path, and compares both byte for
# byte with the reference build's: no timestamp, no build path may differ.
#   check_reproducible.sh <source-dir> <reference-build-dir> <scratch-dir>
set -euo pipefail
source_dir="$1"; reference="$2"; scratch="$3"
cached() { sed -n "s/^$1:[A-Z]*=//p" "$reference/CMakeCache.txt"; }
arguments=(-DCMAKE_TOOLCHAIN_FILE="$(cached CMAKE_TOOLCHAIN_FILE)" -DMIRVOT_BUILD_TESTS=OFF)
if [[ -n "$(cached MIRVOT_CLANG_CXX)" ]]; then
  arguments+=(-DMIRVOT_CLANG_CXX="$(cached MIRVOT_CLANG_CXX)")
fi
rm -rf "$scratch"
cmake -S "$source_dir" -B "$scratch" -G Ninja "${arguments[@]}" >/dev/null
ninja --quiet -C "$scratch" Mirvot mirvot_setup_actions
status=0
for image in src/shell/Mirvot.exe packaging/MirvotSetupActions.dll; do
  if cmp "$reference/$image" "$scratch/$image"; then
    echo "ok: $image identical ($(stat -c %s "$reference/$image") bytes)"
  else
    echo "FAIL: $reference/$image and $scratch/$image differ"
    status=1
  fi
done
((status == 0)) && rm -rf "$scratch"
exit "$status"
