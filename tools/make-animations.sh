#!/bin/sh
# Packs every animation description under art/animations/ (.json) into its
# sprite sheet and description with tools/make_animation.py:
# art/animations/core/main_menu/lantern.json gives
# assets/images/core/main_menu/lantern.xml and .png. The packer writes the
# same bytes for the same input, so a second run changes nothing.
set -eu
cd "$(dirname "$0")/.."
status=0
for json in $(find art/animations -name '*.json' | LC_ALL=C sort); do
  rel=${json#art/animations/}
  out="assets/images/$(dirname "$rel")"
  mkdir -p "$out"
  python3 tools/make_animation.py "$json" "$out" || status=1
done
exit $status
