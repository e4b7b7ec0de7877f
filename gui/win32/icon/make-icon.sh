#!/bin/sh
# Renders zeltra5.ico from the two drawings with ImageMagick: 256, 48 and 32 pixels from
# zeltra5.svg, 24 and 16 pixels from the simplified zeltra5-small.svg. The .ico is kept in the
# repository so that building needs no image tools; run this after changing a drawing.
set -eu
cd "$(dirname "$0")"
command -v convert >/dev/null || { echo "make-icon.sh: ImageMagick's convert is missing" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 256 48 32; do
    convert -background none zeltra5.svg -resize "${size}x${size}" "PNG32:$work/$size.png"
done
for size in 24 16; do
    convert -background none zeltra5-small.svg -resize "${size}x${size}" "PNG32:$work/$size.png"
done
convert "$work/256.png" "$work/48.png" "$work/32.png" "$work/24.png" "$work/16.png" zeltra5.ico
echo "wrote $(pwd)/zeltra5.ico"
