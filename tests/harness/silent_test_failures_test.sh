#!/usr/bin/env bash
# The test command runs a failed test once more only when it printed nothing at all; every other
# failure must stand. Checked on ctest logs written here in ctest's own layout.
#   silent_test_failures_test.sh <scripts/silent-test-failures.sh> <scratch folder>
set -euo pipefail
script="$1" scratch="$2"
fail() { echo "FAIL: $*"; exit 1; }

# entry <number> <name> <Passed|Failed> [output line]: one test's record in LastTest.log.
entry() {
  printf '%s/9 Testing: %s\n%s/9 Test: %s\nCommand: "wine64" "x.exe"\nOutput:\n%s\n' \
    "$1" "$2" "$1" "$2" "----------------------------------------------------------"
  [[ -z "${4:-}" ]] || echo "$4"
  printf '<end of output>\nTest time =   0.01 sec\n%s\nTest %s.\n\n' \
    "----------------------------------------------------------" "$3"
}
# run <expected exit> <expected output> <failed list> <entries...>
check() {
  local want_status="$1" want_output="$2" failed="$3"
  shift 3
  rm -rf "$scratch" && mkdir -p "$scratch"
  printf '%s' "$failed" >"$scratch/LastTestsFailed.log"
  printf '%s\n' "$@" >"$scratch/LastTest.log"
  local output status=0
  output="$(bash "$script" "$scratch")" || status=$?
  [[ "$status" == "$want_status" && "$output" == "$want_output" ]] ||
    fail "expected status $want_status and '$want_output', got $status and '$output' for: $failed"
}

ran="Running main() from gtest_main.cc"
check 0 "a.One" "1:a.One"$'\n' "$(entry 1 a.One Failed)" "$(entry 2 a.Two Passed "$ran")"
check 0 $'a.One\na.Two' $'1:a.One\n2:a.Two\n' "$(entry 1 a.One Failed)" "$(entry 2 a.Two Failed)"
# A failure that printed anything stands, and so do the silent ones beside it.
check 1 "" $'1:a.One\n2:a.Two\n' "$(entry 1 a.One Failed)" "$(entry 2 a.Two Failed "$ran")"
# A failure that has no output record (a test that could not be run) stands.
check 1 "" $'1:a.One\n3:a.Gone\n' "$(entry 1 a.One Failed)"
# No failure: nothing to run again.
check 1 "" "" "$(entry 1 a.One Passed "$ran")"
# A silent test that passed is no failure.
check 1 "" "2:a.Two"$'\n' "$(entry 1 a.One Passed)" "$(entry 2 a.Two Failed "$ran")"
echo "ok"
rm -rf "$scratch"
