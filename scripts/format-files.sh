#!/usr/bin/env bash
# Sourced by check-format.sh and format.sh: the C++ files of the tree (committed or new, not
# ignored) and the clang-format that formats them.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=llvm-tools.sh
source "$root/scripts/llvm-tools.sh"

if ! clang_format="$(mirvot_house_tool clang-format)"; then
  echo "No clang-format (14 or later) found: install Debian's clang-format package" \
       "(scripts/ensure-deps.sh does)." >&2
  exit 2
fi

# Prints the files NUL-separated, relative to the root.
mirvot_cxx_files() {
  git -C "$root" ls-files -z --cached --others --exclude-standard -- \
    '*.cpp' '*.h' '*.cc' '*.hpp' '*.inl'
}
