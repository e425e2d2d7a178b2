#!/bin/sh
# Renders every picture under art/images/ (SVG) to the same path under
# assets/images/ as a 32-bit RGBA PNG, at the pixel size the SVG root's
# width and height give. A picture whose bytes come out unchanged is left
# alone, so a second run touches no file. Installs rsvg-convert (Debian
# package librsvg2-bin) and python3 (for tools/png_rgba.py) when they are
# missing; building and testing the game never need them.
set -eu
cd "$(dirname "$0")/.."

missing=""
command -v rsvg-convert >/dev/null 2>&1 || missing="librsvg2-bin"
command -v python3 >/dev/null 2>&1 || missing="$missing python3"
[ -z "$missing" ] || ./tools/install-deps.sh $missing

# The root element's integer width or height attribute ($2) of SVG file $1.
root_size() {
  tr '\n\t' '  ' <"$1" | sed -n 's/^.*<svg\([^>]*\)>.*$/\1/p' |
    sed -n -E "s/^(.*[[:space:]])?$2=\"([0-9]+)\".*$/\2/p"
}

status=0
for svg in $(find art/images -name '*.svg' | LC_ALL=C sort); do
  rel=${svg#art/}
  png="assets/${rel%.svg}.png"
  width=$(root_size "$svg" width)
  height=$(root_size "$svg" height)
  if [ -z "$width" ] || [ -z "$height" ]; then
    echo "$svg: the <svg> root needs integer width and height attributes" >&2
    status=1
    continue
  fi
  mkdir -p "$(dirname "$png")"
  tmp=$(mktemp "$png.tmp-XXXXXX")
  if ! rsvg-convert --format=png --width="$width" --height="$height" --output="$tmp" "$svg" ||
     ! python3 tools/png_rgba.py "$tmp"; then
    rm -f "$tmp"
    echo "$svg: could not be rendered" >&2
    status=1
    continue
  fi
  if cmp -s "$tmp" "$png"; then
    rm -f "$tmp"
  else
    chmod 644 "$tmp"
    mv "$tmp" "$png"
    echo "rendered $png (${width}x${height})"
  fi
done
exit $status
