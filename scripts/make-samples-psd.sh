#!/bin/sh
# Writes the PSD samples in samples/ with ImageMagick (Debian package
# imagemagick):
#   psd-rgb-rle.psd      96 x 64 RGB drawing, PackBits rows
#   psd-grey-16bit.psd   48 x 32 greyscale gradient, 16 bits per channel, raw
# Each carries a red (or white) 6 x 6 marker in its top-left corner, so a
# flipped or mirrored decode is easy to spot.
#
# Usage: scripts/make-samples-psd.sh [OUTPUT_DIR]   (default: samples/)
set -e
IM=$(command -v convert-im6.q16 || command -v convert)
OUT=${1:-$(dirname "$0")/../samples}
mkdir -p "$OUT"

"$IM" -size 96x64 gradient:'#fff6d5'-'#8ec5ff' \
    -fill '#2a7f3f' -draw 'rectangle 0,48 95,63' \
    -fill '#f2c200' -draw 'circle 72,16 72,6' \
    -fill '#c0392b' -draw 'polygon 14,48 34,22 54,48' \
    -fill '#6d4c41' -draw 'rectangle 40,34 50,48' \
    -fill red -draw 'rectangle 0,0 5,5' \
    -alpha off -depth 8 -compress RLE "$OUT/psd-rgb-rle.psd"

"$IM" -size 48x32 radial-gradient:white-black -colorspace gray \
    -fill white -draw 'rectangle 0,0 5,5' \
    -alpha off -depth 16 -compress None "$OUT/psd-grey-16bit.psd"
