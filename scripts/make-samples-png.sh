#!/bin/sh
# Writes the PNG samples in samples/ and their fuzz seeds in fuzz/corpus/
# with ImageMagick (package imagemagick).
# Usage: scripts/make-samples-png.sh [REPO_DIR]
set -e
REPO=${1:-$(dirname "$0")/..}
CONVERT=${CONVERT:-convert-im6.q16}
OUT="$REPO/samples"
SEEDS="$REPO/fuzz/corpus"
mkdir -p "$OUT" "$SEEDS"
NODATE="-define png:exclude-chunks=date,time"

# RGBA: a colour gradient fading out towards the corners.
$CONVERT -size 64x64 gradient:orange-navy \( -size 64x64 radial-gradient:white-black \) \
    -alpha off -compose CopyOpacity -composite -strip $NODATE "PNG32:$OUT/png-rgba-gradient.png"
# 16 colours in a 4-bit palette with a transparent background (tRNS).
$CONVERT rose: -fuzz 12% -transparent white -colors 16 -strip $NODATE -define png:bit-depth=4 "PNG8:$OUT/png-palette-transparent.png"
# 16-bit greyscale, interlaced.
$CONVERT rose: -colorspace Gray -depth 16 -interlace PNG -strip $NODATE "PNG48:$OUT/png-grey16-interlaced.png.tmp.png"
$CONVERT "$OUT/png-grey16-interlaced.png.tmp.png" -colorspace Gray -depth 16 -interlace PNG -strip $NODATE \
    -define png:color-type=0 -define png:bit-depth=16 "$OUT/png-grey16-interlaced.png"
rm -f "$OUT/png-grey16-interlaced.png.tmp.png"

seed() { { printf '\000'; cat "$2"; } > "$SEEDS/seed-$1"; }
seed png-rgba-gradient "$OUT/png-rgba-gradient.png"
seed png-palette-transparent "$OUT/png-palette-transparent.png"
seed png-grey16-interlaced "$OUT/png-grey16-interlaced.png"
