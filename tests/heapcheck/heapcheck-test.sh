#!/usr/bin/env bash
# The heap-checked run of scripts/winerun: a program that corrupts its heap fails with the
# checker's lines even though it exits 0; a sound one passes, and without the checker the
# faulty one passes too (which is why the step exists).
#   heapcheck-test.sh path/to/scripts/winerun path/to/heapfault.exe
set -uo pipefail
winerun=$1
program=$2
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
out=$(mktemp)
trap 'rm -f "$out"' EXIT

ZOLT_HEAP_CHECK=1 "$winerun" "$program" fault >"$out" 2>&1
rc=$?
[ $rc != 0 ] || fail "a heap fault under the checker exits 0: $(cat "$out")"
grep -q "winerun: the heap checker found" "$out" || fail "the heap errors are not reported: $(cat "$out")"
grep -q "heapfault: done" "$out" || fail "the program's own output is lost: $(cat "$out")"

ZOLT_HEAP_CHECK=1 "$winerun" "$program" >"$out" 2>&1
[ $? = 0 ] || fail "a sound program fails under the checker: $(cat "$out")"

ZOLT_HEAP_CHECK=0 "$winerun" "$program" fault >"$out" 2>&1
[ $? = 0 ] || fail "without the checker a heap fault fails the run: $(cat "$out")"

if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "heap check: all cases passed"
