#!/usr/bin/env bash
# Sourced by the scripts that use LLVM's tools (clang, clang-format, clang-tidy, lld).
#   mirvot_llvm_tool <name>   prints the path of <name>-N with the largest N >= 14, or of plain
#                             <name> when it reports version 14 or later; fails when there is none
#   mirvot_house_tool <name>  the house version below of <name> (clang++, clang-format,
#                             clang-tidy) when installed, else as mirvot_llvm_tool with a note
#   mirvot_llvm_version <path> prints the major version the tool reports

# One LLVM version for everything that must come out the same on every machine: the style checks
# (another clang-format lays out some constructs differently and a newer clang-tidy brings new
# findings) and the release build, whose bytes depend on the compiler and linker that made them.
# A machine that merely has a newer LLVM installed must neither fail a tree that is clean here
# nor release other bytes. Debian 12's default; scripts/ensure-deps.sh installs it where the
# release offers it.
mirvot_house_llvm_version=14

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

mirvot_house_tool() {
  local name="$1"
  if command -v "$name-$mirvot_house_llvm_version" >/dev/null 2>&1; then
    command -v "$name-$mirvot_house_llvm_version"
    return 0
  fi
  local fallback
  fallback="$(mirvot_llvm_tool "$name")" || return 1
  echo "note: $name-$mirvot_house_llvm_version (the house version) is not installed;" \
       "using $(basename "$fallback"), whose results may differ" >&2
  echo "$fallback"
}
