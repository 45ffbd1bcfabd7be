#!/bin/sh
# Writes the TGA, PCX, PBM/PGM/PPM and Sun raster samples kept in samples/,
# with ImageMagick (Debian package imagemagick) from its built-in pictures.
#
# Usage: scripts/make-samples-raster.sh [--verify OCULANE_CLI] [OUTPUT_DIR]
#
# OUTPUT_DIR defaults to the repository's samples/ folder. With --verify, each
# written file is decoded by "OCULANE_CLI dump" and its pixels are compared
# with ImageMagick's decode; the script exits 1 on any difference.
#
# ImageMagick writes TGA rows in memory order and marks them by the image's
# orientation: the picture is flipped and marked bottom-left, which gives the
# usual bottom-up file; its reader keeps that order as a tag, so the
# comparison turns its decode upright first.
set -e
IM=$(command -v convert-im6.q16 || command -v convert)
COMPARE=$(command -v compare-im6.q16 || command -v compare)
CLI=
if [ "$1" = "--verify" ]; then
    CLI="$2"
    shift 2
fi
OUT=${1:-$(dirname "$0")/../samples}
mkdir -p "$OUT"

UP="-flip -orient BottomLeft"
# The wizard on white: long runs, a good case for run-length encoding.
"$IM" logo: -resize 96x72 $UP -compress RLE "$OUT/tga-24bit-rle.tga"
"$IM" rose: +dither -colors 64 $UP "$OUT/tga-8bit-colormap.tga"
"$IM" logo: -resize 96x72 "$OUT/pcx-24bit.pcx"
"$IM" rose: +dither -colors 200 "$OUT/pcx-8bit-palette.pcx"
"$IM" rose: "$OUT/pnm-rose.ppm"
# Maxval 15: samples must be scaled up, or the picture comes out nearly black.
"$IM" rose: -colorspace gray -depth 4 "$OUT/pnm-grey-maxval15.pgm"
"$IM" rose: "$OUT/ras-24bit.ras"
"$IM" rose: +dither -colors 64 "$OUT/ras-8bit-colormap.ras"

[ -n "$CLI" ] || exit 0
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
status=0
for f in tga-24bit-rle.tga tga-8bit-colormap.tga pcx-24bit.pcx pcx-8bit-palette.pcx \
         pnm-rose.ppm pnm-grey-maxval15.pgm ras-24bit.ras ras-8bit-colormap.ras; do
    "$IM" "$OUT/$f" -auto-orient -alpha set -depth 8 "$TMP/expected.pam"
    if ! "$CLI" dump "$OUT/$f" "$TMP/ours.pam" > /dev/null; then
        echo "$f: decode failed"
        status=1
        continue
    fi
    diff=$("$COMPARE" -metric AE "$TMP/expected.pam" "$TMP/ours.pam" null: 2>&1 || true)
    echo "$f: $diff pixels differ"
    [ "$diff" = "0" ] || status=1
done
exit $status
