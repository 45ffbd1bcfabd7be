#!/bin/sh
# Writes the TGA fixtures of the decoder tests into tests/data/tga/ with
# ImageMagick (Debian package imagemagick), next to the pixels each one must
# decode to, as raw RGBA bytes (*.rgba, rows from the top): ImageMagick's own
# decode, turned upright (it keeps a TGA's row order as an orientation tag).
#
# 29 x 17 crops of ImageMagick's built-in rose: bottom-up and top-down rows,
# uncompressed and run-length encoded, true colour, colour-mapped, greyscale,
# and 32 bits with an alpha ramp. ImageMagick stores rows in memory order and
# marks them by the image's orientation, so bottom-up files are flipped first.
set -e
IM=$(command -v convert-im6.q16 || command -v convert)
OUT=$(dirname "$0")/tga
mkdir -p "$OUT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

"$IM" rose: -crop 29x17+20+14 +repage -depth 8 "$TMP/rgb.png"
"$IM" -size 17x29 gradient:white-black -rotate 90 "$TMP/ramp.png"
"$IM" "$TMP/rgb.png" "$TMP/ramp.png" -alpha off -compose copy_opacity -composite -depth 8 "$TMP/rgba.png"

UP="-flip -orient BottomLeft"
DOWN="-orient TopLeft"
"$IM" "$TMP/rgb.png" $UP "$OUT/rose-24-bottomup.tga"
"$IM" "$TMP/rgb.png" $DOWN -compress RLE "$OUT/rose-24-rle-topdown.tga"
"$IM" "$TMP/rgb.png" +dither -colors 32 $UP -compress RLE "$OUT/rose-8-colormap-rle.tga"
"$IM" "$TMP/rgb.png" +dither -colors 32 $DOWN "$OUT/rose-8-colormap-topdown.tga"
"$IM" "$TMP/rgb.png" -colorspace gray $UP "$OUT/rose-grey.tga"
"$IM" "$TMP/rgb.png" -colorspace gray $UP -compress RLE "$OUT/rose-grey-rle.tga"
"$IM" "$TMP/rgba.png" $DOWN -compress RLE "$OUT/rose-32-alpha-rle.tga"
"$IM" "$TMP/rgba.png" $UP "$OUT/rose-32-alpha.tga"

for f in "$OUT"/*.tga; do
    "$IM" "$f" -auto-orient -depth 8 rgba:"${f%.tga}.rgba"
done
