#!/usr/bin/env bash
# Fails, listing every file, when a C++ file of the tree differs from what clang-format makes of
# it with the root's .clang-format. scripts/format.sh formats them.
#   scripts/check-format.sh [--diff]   --diff also prints the changes clang-format would make
set -euo pipefail
# shellcheck source=format-files.sh
source "$(dirname "${BASH_SOURCE[0]}")/format-files.sh"
show_diff=0
[[ "${1:-}" == --diff ]] && show_diff=1

cd "$root"
differing="$(mirvot_cxx_files | CLANG_FORMAT="$clang_format" xargs -0 -r -n 8 -P "$(nproc)" bash -c '
  for file; do
    "$CLANG_FORMAT" --style=file "$file" | cmp -s - "$file" || echo "$file"
  done' _ | sort)"
checked="$(mirvot_cxx_files | tr -cd '\0' | wc -c)"
version="$("$clang_format" --version | sed -n 's/.*version \([0-9.]*\).*/\1/p')"
if [[ -z "$differing" ]]; then
  echo "ok: $checked files formatted as .clang-format says (clang-format $version)"
  exit 0
fi
count="$(wc -l <<<"$differing")"
echo "FORMAT: $count of $checked files differ from .clang-format (clang-format $version):"
sed 's/^/  /' <<<"$differing"
if ((show_diff)); then
  while read -r file; do
    "$clang_format" --style=file "$file" | diff -u --label "a/$file" --label "b/$file" "$file" - || true
  done <<<"$differing"
fi
echo "Run scripts/format.sh to format them (scripts/check-format.sh --diff shows the changes)."
exit 1
