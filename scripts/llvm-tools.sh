#!/usr/bin/env bash
# Sourced by the scripts that use LLVM's tools (clang, clang-format, clang-tidy, lld): picks the
# newest one installed, 14 or later, whatever Debian release this is.
#   mirvot_llvm_tool <name>   prints the path of <name>-N with the largest N >= 14, or of plain
#                             <name> when it reports version 14 or later; fails when there is none
#   mirvot_llvm_version <path> prints the major version the tool reports

mirvot_llvm_version() {
  "$1" --version 2>/dev/null | sed -n 's/.*version \([0-9][0-9]*\)\..*/\1/p' | head -n 1
}

mirvot_llvm_tool() {
  local name="$1" best="" best_version=0 candidate suffix
  while read -r candidate; do
    suffix="${candidate#"$name"-}"
    if [[ "$suffix" =~ ^[0-9]+$ ]] && ((suffix >= 14 && suffix > best_version)); then
      best="$candidate"
      best_version="$suffix"
    fi
  done < <(compgen -c "$name-" | sort -u)
  if [[ -n "$best" ]]; then
    command -v "$best"
    return 0
  fi
  if command -v "$name" >/dev/null 2>&1; then
    local version
    version="$(mirvot_llvm_version "$(command -v "$name")")"
    if [[ -n "$version" ]] && ((version >= 14)); then
      command -v "$name"
      return 0
    fi
  fi
  return 1
}
