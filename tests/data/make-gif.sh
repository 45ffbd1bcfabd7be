#!/bin/sh
# Writes the GIF fixtures of the decoder tests with ImageMagick, each with a
# binary PPM of how ImageMagick itself reads it back.
# Usage: tests/data/make-gif.sh   (needs convert-im6.q16 from the imagemagick package)
set -e
DIR=$(cd "$(dirname "$0")" && pwd)/gif
CONVERT=${CONVERT:-convert-im6.q16}
mkdir -p "$DIR"
cd "$DIR"

# 256 colours from a smooth two-way ramp, plain and interlaced.
$CONVERT -size 64x48 xc: -channel R -fx 'i/w' -channel G -fx 'j/h' -channel B -fx '(i+j)/(w+h)' +channel +dither -colors 256 -alpha off gradient-256.gif
$CONVERT gradient-256.gif -interlace Line gradient-256-interlaced.gif
# Flat shapes in 16 colours.
$CONVERT -size 50x40 xc:white -fill red -draw 'circle 20,20 30,28' -fill blue -draw 'rectangle 3,3 12,36' \
    -fill '#208040' -draw 'polygon 30,2 48,2 40,18' +dither -colors 16 -alpha off shapes-16.gif
# Two colours, width not a multiple of 8.
$CONVERT -size 33x17 pattern:checkerboard -monochrome bilevel.gif
# A tiny odd-sized image with five colours.
$CONVERT -size 5x3 xc:black -fill red -draw 'point 0,0' -fill lime -draw 'point 4,0' -fill blue \
    -draw 'point 2,1' -fill yellow -draw 'point 4,2' -alpha off odd-size-5.gif

for f in *.gif; do
    $CONVERT "$f" -depth 8 "${f%.gif}.ppm"
done
