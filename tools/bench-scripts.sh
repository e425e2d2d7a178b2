#!/usr/bin/env bash
# Times each benchmark script in bench/scripts with our release orvelle-script
# and, when installed, a reference interpreter (lua5.1) on the same file, and
# prints a Markdown table: best of N runs each, and the ratio ours/reference.
# Scripts named wide_* use the dialect's wide strings and run only on ours.
#
#   tools/bench-scripts.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR defaults to build/release (must hold a Release orvelle-script).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
runs="${2:-3}"
build="$(cd "$build" 2>/dev/null && pwd || echo "$build")"
ours="$build/orvelle-script"
ref="$(command -v lua5.1 || true)"
if [[ ! -x "$ours" ]]; then
  echo "no orvelle-script in $build (build it: cmake --build $build --target orvelle-script)" >&2
  exit 1
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Best wall time of $runs runs, in seconds; the first run's output goes to
# the file named by the first argument.
best_time() {
  local outfile="$1" best=""
  shift
  for ((i = 0; i < runs; i++)); do
    local start end t
    start=$(date +%s.%N)
    if ((i == 0)); then "$@" >"$outfile"; else "$@" >/dev/null; fi
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z "$best" ]] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
  done
  printf '%.3f' "$best"
}

echo "| script | ours (s) | lua5.1 (s) | ratio ours/lua5.1 | same output |"
echo "|---|---|---|---|---|"
for script in "$root"/bench/scripts/*.lua; do
  name=$(basename "$script" .lua)
  cd "$(dirname "$script")"
  t_ours=$(best_time "$tmp/ours" "$ours" "$script")
  if [[ -n "$ref" && "$name" != wide_* ]]; then
    t_ref=$(best_time "$tmp/ref" "$ref" "$script")
    ratio=$(printf '%.2f' "$(echo "$t_ours / $t_ref" | bc -l)")
    same=$(cmp -s "$tmp/ours" "$tmp/ref" && echo yes || echo no)
    echo "| $name | $t_ours | $t_ref | $ratio | $same |"
  else
    echo "| $name | $t_ours | - | - | - |"
  fi
done
