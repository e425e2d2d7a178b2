#!/bin/sh
# Writes assets/fonts/default.mvec, the built-in default font, from DejaVu Sans
# (package fonts-dejavu-core) with the converter, then checks every glyph
# against FreeType. Usage: tools/make-default-font.sh [BUILD_DIR]
# The build folder must hold mvec-convert (any preset, FreeType installed).
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build/release}
TTF=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
TOOL=$BUILD/tools/mvec-convert/mvec-convert
CODES="32-126,160-383,0x400-0x45F,0x2010-0x2044,0x20AC,0x2122,0x2150-0x2183"

[ -f "$TTF" ] || { echo "missing $TTF (apt-get install fonts-dejavu-core)" >&2; exit 1; }
[ -x "$TOOL" ] || cmake --build "$BUILD" --target mvec-convert
mkdir -p "$ROOT/assets/fonts"
"$TOOL" --codes "$CODES" "$TTF" "$ROOT/assets/fonts/default.mvec"
"$TOOL" --check "$TTF" "$ROOT/assets/fonts/default.mvec"
