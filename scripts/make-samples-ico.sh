#!/bin/sh
# Writes the icon samples in samples/ and their fuzz seeds in fuzz/corpus/
# with ImageMagick (package imagemagick).
# Usage: scripts/make-samples-ico.sh [REPO_DIR]
set -e
REPO=${1:-$(dirname "$0")/..}
CONVERT=${CONVERT:-convert-im6.q16}
OUT="$REPO/samples"
SEEDS="$REPO/fuzz/corpus"
mkdir -p "$OUT" "$SEEDS"

# Two sizes of a round rose with alpha (32 bits and the AND mask); the first
# entry, 32 x 32, is the one shown.
$CONVERT rose: -resize 32x32! \( -size 32x32 xc:none -fill white -draw "circle 15.5,15.5 15.5,1" \) \
    -compose CopyOpacity -composite -define icon:auto-resize=32,16 "$OUT/ico-rose-alpha.ico"
# 16 colours, 4 bits per pixel, opaque.
$CONVERT rose: -resize 32x32! -colors 16 -type Palette "$OUT/ico-16colour.ico"

seed() { { printf '\000'; cat "$2"; } > "$SEEDS/seed-$1"; }
seed ico-rose-alpha "$OUT/ico-rose-alpha.ico"
seed ico-16colour "$OUT/ico-16colour.ico"
