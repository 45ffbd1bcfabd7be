#!/bin/sh
# Writes the DDS samples in samples/ with ImageMagick (Debian package
# imagemagick):
#   dds-dxt1.dds         ImageMagick's rose at 64 x 48, DXT1, no mip-maps
#   dds-dxt5-alpha.dds   64 x 64 disc fading out to transparent, DXT5, with mip-maps
# Each carries a red 8 x 8 marker (one whole block) in its top-left corner, so
# a flipped or mirrored decode is easy to spot.
#
# Usage: scripts/make-samples-dds.sh [OUTPUT_DIR]   (default: samples/)
set -e
IM=$(command -v convert-im6.q16 || command -v convert)
OUT=${1:-$(dirname "$0")/../samples}
mkdir -p "$OUT"

"$IM" rose: -resize '64x48!' -fill red -draw 'rectangle 0,0 7,7' \
    -define dds:compression=dxt1 -define dds:mipmaps=0 "$OUT/dds-dxt1.dds"

"$IM" -size 64x64 radial-gradient:'#3060ff'-'#ffd040' \
    \( -size 64x64 radial-gradient:white-black \) -alpha off -compose copy_opacity -composite \
    -compose over -fill red -draw 'rectangle 0,0 7,7' \
    -define dds:compression=dxt5 "$OUT/dds-dxt5-alpha.dds"
