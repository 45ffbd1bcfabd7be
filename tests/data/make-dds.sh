#!/bin/sh
# Writes the DDS fixtures of the decoder tests into tests/data/dds/ with
# ImageMagick (Debian package imagemagick), next to the pixels each one must
# decode to, as raw RGBA bytes (*.rgba, rows from the top).
#
# 23 x 17 shrunk copies of ImageMagick's built-in rose (odd sizes: the last row and
# column of blocks are partly outside the image), with and without an alpha
# ramp; one 32 x 16 file carries mip-map levels after the first surface.
# Uncompressed files must decode to exactly the source pixels. For the block
# formats the expected pixels are ImageMagick's own decode: it widens 5:6:5
# colours by repeating their top bits where we shift them, so the tests allow
# a small difference per channel there.
set -e
IM=$(command -v convert-im6.q16 || command -v convert)
OUT=$(dirname "$0")/dds
mkdir -p "$OUT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

"$IM" rose: -resize '23x17!' -depth 8 "$TMP/rgb.png"
"$IM" -size 17x23 gradient:white-black -rotate 90 "$TMP/ramp.png"
"$IM" "$TMP/rgb.png" "$TMP/ramp.png" -alpha off -compose copy_opacity -composite -depth 8 "$TMP/rgba.png"

"$IM" "$TMP/rgb.png" -define dds:compression=none "$OUT/rgb-none.dds"
"$IM" "$TMP/rgba.png" -define dds:compression=none "$OUT/rgba-none.dds"
"$IM" "$TMP/rgb.png" -define dds:compression=dxt1 "$OUT/dxt1.dds"
"$IM" "$TMP/rgba.png" -define dds:compression=dxt3 "$OUT/dxt3.dds"
"$IM" "$TMP/rgba.png" -define dds:compression=dxt5 "$OUT/dxt5.dds"
"$IM" "$TMP/rgba.png" -resize '32x16!' -define dds:compression=dxt5 -define dds:mipmaps=4 "$OUT/dxt5-mipmaps.dds"

"$IM" "$TMP/rgb.png" -depth 8 rgba:"$OUT/rgb.rgba"
"$IM" "$TMP/rgba.png" -depth 8 rgba:"$OUT/rgba.rgba"
for f in dxt1 dxt3 dxt5 dxt5-mipmaps; do
    "$IM" "$OUT/$f.dds" -depth 8 rgba:"$OUT/$f.rgba"
done

# Fuzz seeds: one prefix byte (0: the fuzz target's plain file name), then the
# file; two more seeds are built here: a 4 x 4 DXT1 cube map with two mip
# levels per face and a 4 x 2 surface of 5:6:5 pixels.
SEEDS=$(dirname "$0")/../../fuzz/corpus
for f in dxt1 dxt3 dxt5 rgba-none; do
    { printf '\000'; cat "$OUT/$f.dds"; } > "$SEEDS/seed-dds-$f"
done
python3 - "$SEEDS" <<'PYTHON'
import struct, sys

def header(width, height, flags, pitch, mips, format_flags, fourcc, bits, masks, caps, caps2):
    h = b"DDS " + struct.pack("<7I", 124, flags, height, width, pitch, 0, mips) + bytes(44)
    h += struct.pack("<2I", 32, format_flags) + fourcc + struct.pack("<5I", bits, *masks)
    return h + struct.pack("<2I", caps, caps2) + bytes(12)

faces = b""
for colour in (0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF, 0xF81F):
    faces += struct.pack("<HHI", colour, 0, 0x1B1B1B1B) + struct.pack("<HHI", 0xFFFF, 0, 0) * 2
cube = header(4, 4, 0x81007, 8, 3, 0x4, b"DXT1", 0, (0, 0, 0, 0), 0x401008, 0xFE00)
pixels = struct.pack("<8H", 0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410, 0x7BEF, 0xFFE0)
rgb565 = header(4, 2, 0x100F, 8, 0, 0x40, bytes(4), 16, (0xF800, 0x07E0, 0x001F, 0), 0x1000, 0)
for name, data in (("seed-dds-cubemap", cube + faces), ("seed-dds-rgb565", rgb565 + pixels)):
    with open(sys.argv[1] + "/" + name, "wb") as f:
        f.write(b"\0" + data)
PYTHON
