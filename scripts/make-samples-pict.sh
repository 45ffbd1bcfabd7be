#!/bin/sh
# Writes the Macintosh PICT samples in samples/ with ImageMagick 6 (Debian
# package imagemagick-6.q16):
#   pict-8bit-palette.pict  the built-in rose in 32 colours (PackBitsRect,
#                           8-bit pixel map with a colour table)
#   pict-32bit-direct.pict  a drawn picture in true colour (DirectBitsRect,
#                           packed red, green and blue planes)
#
# Usage: scripts/make-samples-pict.sh [--verify OCULANE_CLI]
#
# With --verify, every sample is decoded with "OCULANE_CLI dump" and compared
# pixel for pixel with ImageMagick's reading of it; exit status 1 on any
# difference.
set -e
IM=convert-im6.q16
OUT="$(cd "$(dirname "$0")/.." && pwd)/samples"

# Colours at 8 bits, so the colour table holds c × 257 and every reader
# agrees on them.
$IM rose: -colors 32 -depth 8 "$OUT/pict-8bit-palette.pict"
$IM -size 120x80 gradient:'#1E3C78-#F0C850' \
    -fill '#C81E1E' -draw 'circle 38,40 38,14' \
    -fill white -draw 'rectangle 72,18 108,62' \
    -fill '#1E8C3C' -draw 'polygon 76,58 90,24 104,58' \
    -type truecolor -depth 8 "$OUT/pict-32bit-direct.pict"

if [ "$1" = "--verify" ]; then
    CLI="$2"
    TMP=$(mktemp -d)
    trap 'rm -rf "$TMP"' EXIT
    status=0
    for f in "$OUT"/pict-*.pict; do
        "$CLI" dump "$f" "$TMP/ours.pam"
        $IM "$f" -alpha on "$TMP/theirs.pam"
        diff=$(compare-im6.q16 -metric AE "$TMP/ours.pam" "$TMP/theirs.pam" null: 2>&1) || true
        echo "$(basename "$f"): $diff pixels differ"
        [ "$diff" = "0" ] || status=1
    done
    exit $status
fi
