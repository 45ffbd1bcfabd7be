#!/bin/sh
# Writes the GIF sample images kept in samples/ with ImageMagick, from its
# built-in pictures (the same bytes on every run of the same ImageMagick).
# Usage: scripts/make-samples-gif.sh [OUTPUT_DIR]          (needs the imagemagick package)
#        scripts/make-samples-gif.sh --seeds [CORPUS_DIR]  small fuzz seeds (default fuzz/corpus/)
#
# - gif-256colour-interlaced.gif: the rose at 256 colours, interlaced.
# - gif-16colour.gif: the ImageMagick logo, reduced, at 16 colours.
#
# A seed is one prefix byte 0 followed by a GIF file: plain, interlaced,
# two colours, and two frames behind graphic control extensions (the second
# with a transparent colour).
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CONVERT=${CONVERT:-convert-im6.q16}

if [ "$1" = "--seeds" ]; then
    OUT=${2:-$ROOT/fuzz/corpus}
    TMP=$(mktemp -d)
    trap 'rm -rf "$TMP"' EXIT
    $CONVERT rose: -scale 25% +dither -colors 16 -alpha off "$TMP/plain.gif"
    $CONVERT rose: -scale 20% +dither -colors 64 -alpha off -interlace Line "$TMP/interlaced.gif"
    $CONVERT -size 19x9 pattern:checkerboard -monochrome "$TMP/bilevel.gif"
    $CONVERT -size 12x8 xc:red -size 12x8 xc:none -fill blue -draw 'circle 6,4 8,6' \
        -set dispose background +map "$TMP/frames.gif"
    for name in plain interlaced bilevel frames; do
        { printf '\000'; cat "$TMP/$name.gif"; } > "$OUT/seed-gif-$name"
    done
    exit 0
fi

OUT=${1:-$ROOT/samples}
mkdir -p "$OUT"
$CONVERT rose: -scale 200% +dither -colors 256 -alpha off -interlace Line "$OUT/gif-256colour-interlaced.gif"
$CONVERT logo: -resize 160x120 +dither -colors 16 -alpha off -interlace None "$OUT/gif-16colour.gif"
