#!/usr/bin/env bash
# Runs the test suite under load, as a busy CI machine would: the whole suite with
# `ctest -j <jobs>` several rounds in a row, then each test program in several copies at
# once. Prints each failing test with the run it failed in and keeps the logs of failed
# runs; exits 1 when anything failed.
#
# usage: scripts/load-tests.sh [build folder] [rounds] [copies] [jobs]
#        (defaults: build 3 8 16)
set -uo pipefail

build=$(cd "${1:-build}" && pwd)
rounds=${2:-3}
copies=${3:-8}
jobs=${4:-16}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
logs=$(mktemp -d "${TMPDIR:-/tmp}/dossara-load.XXXXXX")
failed=0

export QT_QPA_PLATFORM=offscreen
export DOSSARA_SOURCE_DIR="$source_dir"
# The copies skip the disk syncs as ctest's runs do (cmake/DossaraTargets.cmake), except
# in a sanitizer build, whose runtime must be the first library loaded.
eatmydata=$(sed -n 's/^DOSSARA_EATMYDATA:FILEPATH=//p' "$build/CMakeCache.txt" 2>/dev/null)
if [ -n "$eatmydata" ] && [ -e "$eatmydata" ] && ! grep -q '^DOSSARA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  copies_preload=$eatmydata
else
  copies_preload=
fi
# the loops that kill or fail programs at random points run long here
export DOSSARA_LONG_LOOPS=1

for round in $(seq "$rounds"); do
  log="$logs/ctest-$round.log"
  if (cd "$build" && ctest -j "$jobs" >"$log" 2>&1); then
    echo "ctest -j $jobs, round $round: passed"
  else
    failed=1
    echo "ctest -j $jobs, round $round: failed"
    grep -E '^[[:space:]]+[0-9]+ - ' "$log" | sed 's/^[[:space:]]*[0-9]* - /  /'
  fi
done

for program in "$build"/tests/*; do
  [ -x "$program" ] && [ -f "$program" ] || continue
  # Only the test programs: build/tests also holds the helper programs the tests start.
  case "$program" in *_tests) ;; *) continue ;; esac
  name=$(basename "$program")
  pids=()
  for copy in $(seq "$copies"); do
    (cd "$build/tests" && LD_PRELOAD=$copies_preload exec "$program" --gtest_brief=1 >"$logs/$name-$copy.log" 2>&1) &
    pids+=("$!")
  done
  bad=0
  for copy in $(seq "$copies"); do
    if ! wait "${pids[$((copy - 1))]}"; then
      bad=1
      failed=1
      if ! grep -q '^\[  FAILED  \]' "$logs/$name-$copy.log"; then
        echo "  $name copy $copy ended without a test failure (crash or timeout): $logs/$name-$copy.log"
      fi
    else
      rm -f "$logs/$name-$copy.log"
    fi
  done
  if [ "$bad" -eq 0 ]; then
    echo "$name, $copies copies at once: passed"
  else
    echo "$name, $copies copies at once: failed"
    for log in "$logs/$name"-*.log; do
      grep -E '^\[  FAILED  \] [^ ,]+\.[^ ,]+' "$log" | sed -E 's/^\[  FAILED  \] ([^ ,]+).*/\1/' | sort -u
    done | sort | uniq -c | sed -E 's/^ *([0-9]+) (.*)/  \2 failed in \1 of '"$copies"' copies/'
  fi
done

if [ "$failed" -eq 0 ]; then
  rm -rf "$logs"
else
  echo "logs of the failed runs: $logs"
fi
exit "$failed"
