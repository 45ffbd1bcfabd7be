#!/bin/sh
# Writes the PSD fixtures of the decoder tests into tests/data/psd/ with
# ImageMagick (Debian package imagemagick), next to the pixels each one must
# decode to, as raw RGBA bytes (*.rgba, rows from the top).
#
# The pictures are small (23 x 17: odd, so no dimension is a multiple of 2,
# 4 or 8) shrunk copies of ImageMagick's built-in rose, with and without an alpha
# ramp. The expected pixels come from the picture each PSD was made from,
# not from reading the PSD back: ImageMagick blends the merged image of files
# with alpha when it reads them. The indexed file gets 64 colours because
# ImageMagick writes palettes of up to 16 colours as 4-bit rows while its
# header still says 8 bits.
set -e
IM=$(command -v convert-im6.q16 || command -v convert)
OUT=$(dirname "$0")/psd
mkdir -p "$OUT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

"$IM" rose: -resize '23x17!' -depth 8 "$TMP/rgb.png"
"$IM" -size 17x23 gradient:white-black -rotate 90 "$TMP/ramp.png"
"$IM" "$TMP/rgb.png" "$TMP/ramp.png" -alpha off -compose copy_opacity -composite -depth 8 "$TMP/rgba.png"
"$IM" "$TMP/rgb.png" -colorspace gray -depth 8 "$TMP/grey.png"
"$IM" "$TMP/rgb.png" -colors 64 -type palette "$TMP/indexed.bmp"

"$IM" "$TMP/rgb.png" -compress None "$OUT/rgb-raw.psd"
"$IM" "$TMP/rgb.png" -compress RLE "$OUT/rgb-rle.psd"
"$IM" "$TMP/rgba.png" -compress None "$OUT/rgba-raw.psd"
"$IM" "$TMP/rgba.png" -compress RLE "$OUT/rgba-rle.psd"
"$IM" "$TMP/grey.png" -compress None "$OUT/grey-raw.psd"
"$IM" "$TMP/grey.png" -compress RLE "$OUT/grey-rle.psd"
"$IM" "$TMP/rgb.png" -depth 16 -compress None "$OUT/rgb16-raw.psd"
"$IM" "$TMP/rgb.png" -depth 16 -compress RLE "$OUT/rgb16-rle.psd"
"$IM" "$TMP/grey.png" -depth 16 -compress RLE "$OUT/grey16-rle.psd"
"$IM" "$TMP/indexed.bmp" -type palette -compress RLE "$OUT/indexed-rle.psd"
"$IM" "$TMP/rgb.png" -colorspace cmyk -compress RLE "$OUT/cmyk.psd"

"$IM" "$TMP/rgb.png" -depth 8 rgba:"$OUT/rgb.rgba"
"$IM" "$TMP/rgba.png" -depth 8 rgba:"$OUT/rgba.rgba"
"$IM" "$TMP/grey.png" -depth 8 rgba:"$OUT/grey.rgba"
"$IM" "$TMP/indexed.bmp" -depth 8 rgba:"$OUT/indexed.rgba"

# Fuzz seeds: one prefix byte (0: the fuzz target's plain file name), then the file.
SEEDS=$(dirname "$0")/../../fuzz/corpus
for f in grey-rle rgba-raw indexed-rle grey16-rle; do
    { printf '\000'; cat "$OUT/$f.psd"; } > "$SEEDS/seed-psd-$f"
done
