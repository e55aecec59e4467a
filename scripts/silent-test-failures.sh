#!/usr/bin/env bash
# Says whether every test of ctest's last run that failed ended without printing anything at
# all. A test program under Wine prints its first line as soon as it runs, so such a failure
# means Wine never got the program going (seen about once in several thousand starts, with no
# message from Wine either); a test that ran and failed always says so.
#   silent-test-failures.sh <ctest's Testing/Temporary folder>
# Prints the silent failures one a line and exits 0 when every failure is one of them; exits 1
# when any failure printed something or there was no failure.
set -euo pipefail
folder="$1"
[[ -s "$folder/LastTestsFailed.log" && -f "$folder/LastTest.log" ]] || exit 1
silent="$(awk '
  /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name) }
  /^Output:$/ { state = 1; next }
  state == 1 { state = 2; next }  # the rule under "Output:"
  state == 2 { empty = ($0 == "<end of output>"); state = 0 }
  /^Test Failed\.$/ && empty { print name }
' "$folder/LastTest.log")"
[[ -n "$silent" ]] || exit 1
(($(wc -l <<<"$silent") == $(wc -l <"$folder/LastTestsFailed.log"))) || exit 1
echo "$silent"
