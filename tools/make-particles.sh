#!/bin/sh
# Writes every particle description under art/particles/ (.txt) as the
# particle-system file the game loads, with orvelle-psi ($1, default the
# release build's): a description under art/particles/images/<path> gives
# assets/images/<path>.psi, the top-level ones
# assets/images/core/particle/<name>.psi. A file whose bytes come out
# unchanged is left alone, so a second run touches no file.
set -eu
cd "$(dirname "$0")/.."
psi=${1:-build/release/orvelle-psi}

status=0
for txt in $(find art/particles -name '*.txt' | LC_ALL=C sort); do
  rel=${txt#art/particles/}
  case "$rel" in
    images/*) out="assets/${rel%.txt}.psi" ;;
    *) out="assets/images/core/particle/${rel%.txt}.psi" ;;
  esac
  mkdir -p "$(dirname "$out")"
  new="$out.new"
  if ! "$psi" "$txt" "$new"; then
    status=1
    continue
  fi
  if cmp -s "$new" "$out"; then
    rm -f "$new"
  else
    mv "$new" "$out"
    echo "wrote $out"
  fi
done
exit $status
