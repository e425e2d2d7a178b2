#!/usr/bin/env bash
# Times each benchmark script in bench/scripts with our release orvelle-script
# and, when installed, the reference interpreters lua5.1 and lua5.4 on the same
# file, and prints a Markdown table: best of N runs each (user + system CPU
# time, milliseconds), the ratios ours/reference and their geometric means.
# The interpreters take turns within each round, so a busy machine slows all
# of them alike. Scripts named wide_* use the dialect's wide strings and run
# only on ours. lua5.4 gets a prelude defining the 5.0 names the scripts use
# (table.getn, string.gfind); its output is not compared, since it prints
# integral floats as "1.0".
#
#   tools/bench-scripts.sh [BUILD_DIR] [RUNS] [SCRIPT...]
#   BUILD_DIR defaults to build/release (must hold a Release orvelle-script);
#   SCRIPT names (without .lua) pick scripts, default all.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
runs="${2:-3}"
shift $(($# < 2 ? $# : 2))
build="$(cd "$build" 2>/dev/null && pwd || echo "$build")"
ours="$build/orvelle-script"
ref51="$(command -v lua5.1 || true)"
ref54="$(command -v lua5.4 || true)"
prelude54='table.getn = table.getn or function(t) return #t end
string.gfind = string.gfind or string.gmatch'
if [[ ! -x "$ours" ]]; then
  echo "no orvelle-script in $build (build it: cmake --build $build --target orvelle-script)" >&2
  exit 1
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

if (($# > 0)); then
  scripts=()
  for name in "$@"; do scripts+=("$root/bench/scripts/$name.lua"); done
else
  scripts=("$root"/bench/scripts/*.lua)
fi

# CPU time of one run in milliseconds; output to the file named first.
cpu_ms() {
  local outfile="$1" t
  shift
  TIMEFORMAT='%3U %3S'
  t=$({ time "$@" >"$outfile" 2>&1; } 2>&1)
  echo "$t" | awk '{ printf "%d", ($1 + $2) * 1000 + 0.5 }'
}

# best[key] holds the best time so far of interpreter key on a script.
declare -A best
record() {
  local key="$1" ms="$2"
  if [[ -z "${best[$key]:-}" ]] || ((ms < best[$key])); then best[$key]=$ms; fi
}

for script in "${scripts[@]}"; do
  name=$(basename "$script" .lua)
  cd "$(dirname "$script")"
  for ((i = 0; i < runs; i++)); do
    record "ours:$name" "$(cpu_ms "$tmp/ours.$name" "$ours" "$script")"
    if [[ "$name" == wide_* ]]; then continue; fi
    if [[ -n "$ref51" ]]; then
      record "51:$name" "$(cpu_ms "$tmp/51.$name" "$ref51" "$script")"
    fi
    if [[ -n "$ref54" ]]; then
      record "54:$name" "$(cpu_ms "$tmp/54.$name" "$ref54" -e "$prelude54" "$script")"
    fi
  done
done

ratio() { if (($2 > 0)); then echo "$1 $2" | awk '{ printf "%.2f", $1 / $2 }'; else echo "-"; fi; }
seconds() { echo "$1" | awk '{ printf "%.3f", $1 / 1000 }'; }

echo "| script | ours (s) | lua5.1 (s) | lua5.4 (s) | ours/lua5.1 | ours/lua5.4 | same output as lua5.1 |"
echo "|---|---|---|---|---|---|---|"
log51=0 log54=0 n51=0 n54=0
for script in "${scripts[@]}"; do
  name=$(basename "$script" .lua)
  o=${best["ours:$name"]}
  t51=${best["51:$name"]:-} t54=${best["54:$name"]:-}
  c51="-" c54="-" r51="-" r54="-" same="-"
  if [[ -n "$t51" ]]; then
    c51=$(seconds "$t51") r51=$(ratio "$o" "$t51")
    same=$(cmp -s "$tmp/ours.$name" "$tmp/51.$name" && echo yes || echo no)
    if [[ "$r51" != "-" ]]; then
      log51=$(echo "$log51 $o $t51" | awk '{ print $1 + log($2 / $3) }') n51=$((n51 + 1))
    fi
  fi
  if [[ -n "$t54" ]]; then
    c54=$(seconds "$t54") r54=$(ratio "$o" "$t54")
    if [[ "$r54" != "-" ]]; then
      log54=$(echo "$log54 $o $t54" | awk '{ print $1 + log($2 / $3) }') n54=$((n54 + 1))
    fi
  fi
  echo "| $name | $(seconds "$o") | $c51 | $c54 | $r51 | $r54 | $same |"
done
geo() { if (($2 > 0)); then echo "$1 $2" | awk '{ printf "%.2f", exp($1 / $2) }'; else echo "-"; fi; }
echo "| geometric mean | | | | $(geo "$log51" "$n51") | $(geo "$log54" "$n54") | |"
