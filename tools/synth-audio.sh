#!/bin/sh
# Synthesises every sound description under art/audio/ (.txt) into the same
# path under assets/audio/ (.ogg) with orvelle-synth ($1, default the
# release build's). A sound whose bytes come out unchanged is left alone, so
# a second run touches no file.
set -eu
cd "$(dirname "$0")/.."
synth=${1:-build/release/orvelle-synth}

status=0
for txt in $(find art/audio -name '*.txt' | LC_ALL=C sort); do
  rel=${txt#art/}
  ogg="assets/${rel%.txt}.ogg"
  new="$ogg.new"
  if ! "$synth" "$txt" "$new"; then
    status=1
    continue
  fi
  if cmp -s "$new" "$ogg"; then
    rm -f "$new"
  else
    mv "$new" "$ogg"
    echo "synthesised $ogg"
  fi
done
exit $status
