#!/usr/bin/env bash
# Runs one fuzz target from a scratch copy of its committed seed corpus (with its dictionary,
# if it has one), bounded in time and seeded, and fails when libFuzzer reports a finding (a crash, a sanitizer report or a broken
# invariant). The input that caused it is kept in <fuzz-build-dir>/findings/<target>/.
#
# Usage: tests/fuzz/run_bounded.sh <fuzz-build-dir> <target> <seconds>
#
# Long runs: MIRVOT_FUZZ_RUNS bounds the run by executions instead (seconds 0 = no time
# limit); MIRVOT_FUZZ_SEED overrides the seed (1); MIRVOT_FUZZ_CORPUS_OUT keeps the grown
# corpus in that folder. Extra libFuzzer flags go in MIRVOT_FUZZ_FLAGS. On a shared machine
# run one target at a time, for example:
#   for t in $(sed -n 's/^  \([a-z_0-9]*\)$/\1/p' tests/fuzz/targets.cmake); do
#     MIRVOT_FUZZ_RUNS=10000000 nice -n 10 tests/fuzz/run_bounded.sh build-fuzz "$t" 0
#   done
set -euo pipefail

if (($# != 3)); then
  echo "usage: $0 <fuzz-build-dir> <target> <seconds>" >&2
  exit 2
fi
build_dir="$1"
target="$2"
seconds="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
binary="$build_dir/$target"
seeds="$here/corpus/$target"

if [[ ! -x "$binary" ]]; then
  echo "fuzz target not built: $binary" >&2
  exit 2
fi
if [[ ! -d "$seeds" ]]; then
  echo "no seed corpus: $seeds" >&2
  exit 2
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/mirvot-fuzz-$target.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/corpus" "$scratch/artifacts"
cp -R "$seeds/." "$scratch/corpus/"

flags=(
  -seed="${MIRVOT_FUZZ_SEED:-1}"
  -max_total_time="$seconds"
  -timeout=20
  -print_final_stats=1
  -artifact_prefix="$scratch/artifacts/"
)
if [[ -f "$here/dict/$target.dict" ]]; then
  flags+=(-dict="$here/dict/$target.dict")
fi
if [[ -n "${MIRVOT_FUZZ_RUNS:-}" ]]; then
  flags+=(-runs="$MIRVOT_FUZZ_RUNS")
fi
if [[ -n "${MIRVOT_FUZZ_FLAGS:-}" ]]; then
  read -r -a extra <<<"$MIRVOT_FUZZ_FLAGS"
  flags+=("${extra[@]}")
fi

status=0
"$binary" "${flags[@]}" "$scratch/corpus" || status=$?

if [[ -n "${MIRVOT_FUZZ_CORPUS_OUT:-}" ]]; then
  mkdir -p "$MIRVOT_FUZZ_CORPUS_OUT"
  cp -R "$scratch/corpus/." "$MIRVOT_FUZZ_CORPUS_OUT/"
fi

if ((status != 0)) || [[ -n "$(ls -A "$scratch/artifacts")" ]]; then
  findings="$build_dir/findings/$target"
  mkdir -p "$findings"
  cp -R "$scratch/artifacts/." "$findings/" 2>/dev/null || true
  echo "FINDING in $target (libFuzzer exit $status); inputs kept in $findings:" >&2
  ls -l "$findings" >&2 || true
  exit 1
fi
echo "$target: no finding"
