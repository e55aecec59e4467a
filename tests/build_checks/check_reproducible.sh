#!/usr/bin/env bash
# Builds Mirvot.exe a second time from the same sources in a fresh folder at another path and
# compares it byte for byte with the main build's: no timestamp, no build path may differ.
#   check_reproducible.sh <source-dir> <reference-exe> <scratch-dir>
set -euo pipefail
source_dir="$1"; reference="$2"; scratch="$3"
rm -rf "$scratch"
cmake -S "$source_dir" -B "$scratch" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/toolchain-mingw-w64-x86_64.cmake" \
  -DMIRVOT_BUILD_TESTS=OFF >/dev/null
ninja --quiet -C "$scratch" Mirvot
second="$(find "$scratch" -name Mirvot.exe | head -n 1)"
if cmp "$reference" "$second"; then
  echo "ok: identical ($(stat -c %s "$reference") bytes)"
  rm -rf "$scratch"
else
  echo "FAIL: $reference and $second differ"
  exit 1
fi
