#!/bin/sh
# Writes the JPEG samples in samples/ and their fuzz seeds in fuzz/corpus/
# with ImageMagick's built-in rose picture (package imagemagick).
# Usage: scripts/make-samples-jpeg.sh [REPO_DIR]
set -e
REPO=${1:-$(dirname "$0")/..}
CONVERT=${CONVERT:-convert-im6.q16}
OUT="$REPO/samples"
SEEDS="$REPO/fuzz/corpus"
mkdir -p "$OUT" "$SEEDS"

# Colour, 4:2:0 (the usual camera layout).
$CONVERT rose: -resize 200% -sampling-factor 2x2 -quality 85 -strip "$OUT/jpeg-colour.jpg"
# Greyscale, progressive.
$CONVERT rose: -colorspace Gray -interlace Plane -quality 80 -strip "$OUT/jpeg-grey-progressive.jpg"
# Four components: CMYK with the Adobe marker (inverted ink values).
$CONVERT rose: -colorspace CMYK -quality 90 -strip "$OUT/jpeg-cmyk-adobe.jpg"

seed() { { printf '\000'; cat "$2"; } > "$SEEDS/seed-$1"; }
seed jpeg-colour "$OUT/jpeg-colour.jpg"
seed jpeg-grey-progressive "$OUT/jpeg-grey-progressive.jpg"
seed jpeg-cmyk-adobe "$OUT/jpeg-cmyk-adobe.jpg"
# Cut in the middle of the scan data: decodes with the end-of-image marker supplied.
size=$(wc -c < "$OUT/jpeg-colour.jpg")
head -c $((size * 2 / 3)) "$OUT/jpeg-colour.jpg" > "$SEEDS/.cut.jpg"
seed jpeg-truncated "$SEEDS/.cut.jpg"
rm -f "$SEEDS/.cut.jpg"
