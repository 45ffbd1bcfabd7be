#!/bin/sh
# Writes the PICT test fixtures in tests/data/pict/: pictures written by
# ImageMagick together with the pixels ImageMagick reads back from them (PAM),
# and two small JPEG files that the tests wrap as QuickTime-compressed
# pictures. Needs ImageMagick 6 (Debian package imagemagick-6.q16).
set -e
IM=convert-im6.q16
cd "$(dirname "$0")/pict"

# 70 pixels wide: 32-bit rows are 280 bytes, so they carry 16-bit lengths.
ROSE="rose: -crop 70x16+0+14 +repage"

$IM $ROSE -colors 24 -depth 8 im-palette.pict
$IM im-palette.pict im-palette.pam
$IM $ROSE -type truecolor im-direct.pict
$IM im-direct.pict im-direct.pam
# ImageMagick's reader drops the alpha plane, so the reference is the
# picture that was written.
ALPHA="$ROSE -alpha set -channel A -fx (i+j)/(w+h) +channel"
$IM $ALPHA im-alpha.pict
$IM $ALPHA im-alpha.pam

$IM -size 16x8 xc:'#3366CC' -quality 95 jpeg-colour.jpg
$IM -size 16x8 xc:'#808080' -colorspace Gray -quality 95 jpeg-grey.jpg
