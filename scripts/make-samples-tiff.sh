#!/bin/sh
# Writes the TIFF and EPS samples in samples/ and their fuzz seeds in
# fuzz/corpus/ with ImageMagick (package imagemagick) and python3.
# Usage: scripts/make-samples-tiff.sh [REPO_DIR]
set -e
REPO=${1:-$(dirname "$0")/..}
CONVERT=${CONVERT:-convert-im6.q16}
OUT="$REPO/samples"
SEEDS="$REPO/fuzz/corpus"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$OUT" "$SEEDS"

# RGB, LZW with the horizontal predictor.
$CONVERT rose: -compress lzw -define tiff:predictor=2 -strip "$OUT/tiff-rgb-lzw.tif"
# 16 colours in a 4-bit palette, packed bits.
$CONVERT rose: -colors 16 -type Palette -depth 4 -compress RLE -strip "$OUT/tiff-palette-4bit.tif"

# EPS with a TIFF preview: the 30-byte binary header, the PostScript, then
# the preview (8-bit palette), so the preview does not start at offset 30.
$CONVERT rose: -resize 50% -colors 64 -type Palette -compress None -strip "$TMP/preview.tif"
$CONVERT rose: -resize 50% -compress None "eps2:$TMP/picture.ps"
python3 - "$TMP/picture.ps" "$TMP/preview.tif" "$OUT/eps-tiff-preview.eps" <<'PY'
import re, struct, sys
ps = open(sys.argv[1], 'rb').read()
# No date or temporary path in the file, so that it is the same on every run.
ps = re.sub(rb'%%CreationDate:[^\n]*', b'%%CreationDate: (none)', ps)
ps = re.sub(rb'%%Title:[^\n]*', b'%%Title: (rose)', ps)
tiff = open(sys.argv[2], 'rb').read()
header = struct.pack('<4sIIIIIIH', b'\xc5\xd0\xd3\xc6', 30, len(ps), 0, 0, 30 + len(ps), len(tiff), 0xFFFF)
open(sys.argv[3], 'wb').write(header + ps + tiff)
PY

seed() { { printf '\000'; cat "$2"; } > "$SEEDS/seed-$1"; }
seed tiff-rgb-lzw "$OUT/tiff-rgb-lzw.tif"
seed tiff-palette-4bit "$OUT/tiff-palette-4bit.tif"
seed eps-tiff-preview "$OUT/eps-tiff-preview.eps"
