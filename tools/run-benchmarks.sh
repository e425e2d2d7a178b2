#!/bin/sh
# Runs every benchmark program in the given build folder.
set -e
dir=${1:-build/bench}
for b in "$dir"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done
