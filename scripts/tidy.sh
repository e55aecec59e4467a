#!/usr/bin/env bash
# Runs clang-tidy (the house version, see llvm-tools.sh) over the product sources, src/**/*.cpp
# and the setup's custom actions, packaging/setup_actions/*.cpp, with the rules of .clang-tidy
# and of the .clang-tidy of each layer (src/*/) and of packaging/setup_actions; our headers are
# checked where they are included. Fails on any finding, listing each once.
#   scripts/tidy.sh [--list]   --list prints one line per finding: check file:line message
# The compile database comes from the clang cross build ($MIRVOT_BUILD_DIR/win-clang, default
# build/win-clang), whose flags clang-tidy reads as clang does; it is configured here when it
# does not exist yet (nothing needs to be built).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRVOT_BUILD_DIR:-$root/build}/win-clang"
list_only=0
[[ "${1:-}" == --list ]] && list_only=1
# shellcheck source=llvm-tools.sh
source "$root/scripts/llvm-tools.sh"

if ! clang_tidy="$(mirvot_house_tool clang-tidy)"; then
  echo "No clang-tidy (14 or later) found: install Debian's clang-tidy package" \
       "(scripts/ensure-deps.sh does)." >&2
  exit 2
fi
if [[ ! -f "$build/compile_commands.json" ]]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-clang-mingw-w64-x86_64.cmake" >/dev/null
fi

cd "$root"
mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- 'src/*.cpp' \
  'packaging/setup_actions/*.cpp' | sort)
if ((${#sources[@]} == 0)); then
  echo "No sources under src/ to check" >&2
  exit 2
fi
out="$(mktemp -d "${TMPDIR:-/tmp}/mirvot-tidy.XXXXXX")"
trap 'rm -rf "$out"' EXIT

# One compile command per source: the product's own. The benchmark builds the same sources once
# more with startup marks, and clang-tidy checks a file once for every command that compiles it,
# which doubled the run; only the marks' own source is another program with marks, so its
# marked command stays as well.
mkdir "$out/database"
python3 - "$build/compile_commands.json" "$out/database/compile_commands.json" <<'PY'
import json, shlex, sys
entries = json.load(open(sys.argv[1]))
# Options of a newer clang than the house clang-tidy, which only change the code generated
# (cmake/compiler-settings.cmake): the older front end refuses them as unknown.
NEWER_CODE_GENERATION = {"-fno-file-reproducible", "-mguard=cf"}
for entry in entries:
    if "command" in entry:
        entry["command"] = shlex.join(argument for argument in shlex.split(entry["command"])
                                      if argument not in NEWER_CODE_GENERATION)
    if "arguments" in entry:
        entry["arguments"] = [argument for argument in entry["arguments"]
                              if argument not in NEWER_CODE_GENERATION]
def marked(entry):
    return "-DMIRVOT_STARTUP_MARKS" in entry.get("command", " ".join(entry.get("arguments", [])))
kept = {}
for entry in entries:
    source = entry["file"]
    if not marked(entry) or source.endswith("/src/common/startup_marks.cpp"):
        kept.setdefault((source, marked(entry)), entry)
for entry in entries:  # a source that only the marked build compiles
    if not any(key[0] == entry["file"] for key in kept):
        kept[(entry["file"], True)] = entry
json.dump(list(kept.values()), open(sys.argv[2], "w"), indent=1)
PY

# One clang-tidy per source, as many at once as there are cores; each writes its own report.
status=0
printf '%s\n' "${sources[@]}" | CLANG_TIDY="$clang_tidy" OUT="$out" \
  xargs -r -P "$(nproc)" -I{} bash -c '
    report="$OUT/$(tr / _ <<<"{}").txt"
    "$CLANG_TIDY" -p "$OUT/database" --quiet "{}" >"$report" 2>"$report.err" || echo "{}" >>"$report.failed"
  ' || status=$?

# A configuration that clang-tidy cannot read makes it fall back to its default checks: that is
# a failure, not a pass.
if grep -h -A2 'Error parsing\|error: .*clang-tidy' "$out"/*.err 2>/dev/null | sort -u | grep .; then
  echo "TIDY: a .clang-tidy file could not be read (above)" >&2
  exit 2
fi

# A header's findings come once per source that includes it: each is listed once.
findings="$(cat "$out"/*.txt | grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' |
  sed -e "s|^$root/||" -e 's/,-warnings-as-errors\]$/]/' | sort -u || true)"
failed_runs="$(cat "$out"/*.failed 2>/dev/null || true)"
if ((list_only)); then
  sed -E 's/^([^:]+):([0-9]+):[0-9]+: (warning|error): (.*) \[([^]]+)\]$/\5 \1:\2 \4/' <<<"$findings" |
    grep -v '^$' | sort -u || true
  exit 0
fi
version="$(mirvot_llvm_version "$clang_tidy")"
if [[ -z "$findings" && -z "$failed_runs" && $status == 0 ]]; then
  echo "ok: ${#sources[@]} sources, no finding (clang-tidy $version)"
  exit 0
fi
if [[ -n "$findings" ]]; then
  echo "TIDY: $(wc -l <<<"$findings") findings in ${#sources[@]} sources (clang-tidy $version):"
  echo "$findings"
  echo "By check:"
  grep -oE '\[[^]]+\]$' <<<"$findings" | sort | uniq -c | sort -rn | sed 's/^/  /'
else
  echo "TIDY: clang-tidy failed without a finding on:"
  sed 's/^/  /' <<<"$failed_runs"
  cat "$out"/*.err >&2 || true
fi
exit 1
