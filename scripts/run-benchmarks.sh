#!/usr/bin/env bash
# Runs every benchmark program of the build.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
found=0
for b in "$build"/bench/*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
[ $found -eq 1 ] || echo "No benchmarks are built yet."
