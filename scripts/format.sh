#!/usr/bin/env bash
# Formats the C++ files of the tree in place with the root's .clang-format.
#   scripts/format.sh            every C++ file of the tree (committed or new, not ignored)
#   scripts/format.sh <file>...  only these
set -euo pipefail
# shellcheck source=format-files.sh
source "$(dirname "${BASH_SOURCE[0]}")/format-files.sh"
if (($# > 0)); then
  "$clang_format" --style=file -i "$@"
  exit 0
fi
cd "$root"
mirvot_cxx_files | xargs -0 -r -n 16 -P "$(nproc)" "$clang_format" --style=file -i
echo "Formatted with $("$clang_format" --version | sed -n 's/.*\(version [0-9.]*\).*/clang-format \1/p')."
