#!/bin/sh
# Every writer's file reopened by Pillow and ImageMagick with the pixels it
# was given: lossless formats exactly (alpha where the format keeps it,
# opaque elsewhere), PGM as the rounded BT.601 grey, JPEG within a small mean
# error and with its quality and progressive marks as `identify` reports
# them. Needs python3-pil and convert-im6.q16 (scripts/install-deps
# --bench); without them it says so and passes.
#
#   tests/cli/save-peers.sh OCULANE-CLI
#
# The files are written by save-tool (tests/tools/save_tool.cpp) beside
# OCULANE-CLI, through the same registered writers the program uses.
set -e
CLI="$1"
BUILD=$(cd "$(dirname "$CLI")" && pwd)
MAGICK=convert-im6.q16
PY=/usr/bin/python3
for tool in $MAGICK identify-im6.q16; do
    if ! command -v "$tool" > /dev/null 2>&1; then
        echo "save-peers: $tool missing, nothing compared"
        exit 0
    fi
done
if ! $PY -c 'import PIL' 2> /dev/null; then
    echo "save-peers: Pillow missing, nothing compared"
    exit 0
fi
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

TOOL="$BUILD/save-tool"
if [ ! -x "$TOOL" ]; then
    echo "save-peers: no save-tool beside $CLI (build the tests)" >&2
    exit 1
fi

cat > "$TMP/compare.py" <<'EOF'
import subprocess, sys
from PIL import Image

MAGICK = "convert-im6.q16"
src, out, kind = sys.argv[1:4]

def pillow(path):
    im = Image.open(path)
    return im.size, im.convert("RGBA").tobytes()

def magick(path):
    size = subprocess.run(["identify-im6.q16", "-format", "%w %h", path + "[0]"], check=True,
                          capture_output=True, text=True).stdout.split()
    # ImageMagick 6 keeps a bottom-up TGA as stored and marks its orientation.
    data = subprocess.run([MAGICK, path + "[0]", "-auto-orient", "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout
    return (int(size[0]), int(size[1])), data

def expected(rgba, swap=False):
    e = bytearray(rgba)
    for i in range(0, len(e), 4):
        r, g, b = e[i], e[i + 1], e[i + 2]
        if swap:
            e[i], e[i + 2] = b, r
        if kind == "grey":
            # Exact rounding of the BT.601 luma; a value exactly halfway may go either way.
            e[i] = e[i + 1] = e[i + 2] = (299 * r + 587 * g + 114 * b + 500) // 1000
        if kind != "rgba":
            e[i + 3] = 255
    return bytes(e)

size, rgba = pillow(src)
readers = [("Pillow", pillow), ("ImageMagick", magick)]
if kind == "ras-rle":
    # Byte-encoded rasters: Pillow and ImageMagick 6 both drop the row
    # padding of encoded data (the caller gives even rows only), and
    # ImageMagick 6 reads every type but the standard one as red, green, blue.
    kind = "rgb"
    readers = [(n, r) if n == "Pillow" else (n + " (red and blue swapped)", r) for n, r in readers]
if kind in ("pillow-rgb", "magick-rgb"):
    # PCX files of bit planes: Pillow has no reader for three planes, and
    # ImageMagick 6 shows one plane's set bits black whatever the palette.
    readers = [r for r in readers if r[0] == ("Pillow" if kind == "pillow-rgb" else "ImageMagick")]
    kind = "rgb"
failed = False
for reader, read in readers:
    want = expected(rgba, swap=reader.endswith("swapped)"))
    got_size, got = read(out)
    if got_size != size or len(got) != len(want):
        print(f"{out}: {reader} reads {got_size}, want {size}")
        failed = True
        continue
    if kind == "jpeg":
        err = sum(abs(a - b) for i, (a, b) in enumerate(zip(got, want)) if i % 4 != 3) / (3 * size[0] * size[1])
        if err > 3.0:
            print(f"{out}: {reader} mean error {err:.2f}")
            failed = True
        continue
    bad = [i for i in range(len(want)) if got[i] != want[i]
           and not (kind == "grey" and abs(got[i] - want[i]) == 1 and i % 4 != 3)]
    if bad:
        i = bad[0] // 4 * 4
        print(f"{out}: {reader} differs at pixel {i // 4}: {tuple(got[i:i+4])} want {tuple(want[i:i+4])} ({len(bad)} bytes)")
        failed = True
sys.exit(1 if failed else 0)
EOF

failed=0
for size in 7x5 130x67 1x9; do
    noise=$TMP/noise-$size.png
    photo=$TMP/photo-$size.png
    $MAGICK -size "$size" xc: +noise Random -channel A -fx 'rand()' +channel PNG32:"$noise"
    $MAGICK -size "$size" -seed 7 plasma:fractal -blur 0x1 PNG24:"$photo"
    # name | source | file | writer options | expected kind
    while IFS='|' read -r name source file options kind; do
        in=$TMP/$source-$size.png
        out=$TMP/$file
        # JPEG is judged on an image large enough for its 8 x 8 blocks.
        # and byte-encoded rasters on rows that need no padding (see compare.py).
        [ "$kind" = jpeg ] || [ "$kind" = ras-rle ] && [ "$size" != 130x67 ] && continue
        # shellcheck disable=SC2086
        if ! "$TOOL" "$in" "$out" $options; then
            echo "save-peers: $name $size not written"
            failed=1
            continue
        fi
        if ! $PY "$TMP/compare.py" "$in" "$out" "$kind"; then
            echo "save-peers: $name $size differs"
            failed=1
        fi
    done <<EOF
png|noise|a.png||rgba
png interlaced|noise|b.png|interlace|rgba
png opaque|photo|c.png||rgb
bmp 24|noise|a.bmp|depth=24|rgb
tga 24|noise|a.tga|depth=24|rgb
tga 24 rle|noise|b.tga|depth=24 rle|rgb
tga 32 rle|noise|c.tga|depth=32 rle|rgba
tiff|noise|a.tif||rgba
tiff packbits|photo|b.tif|compression=1|rgb
tiff lzw|noise|c.tif|compression=2|rgba
ppm|noise|a.ppm||rgb
pgm|noise|a.pgm||grey
ras 24|noise|a.ras|depth=24|rgb
ras 24 rle|photo|b.ras|depth=24 rle|ras-rle
pcx 24|noise|a.pcx|depth=24|rgb
jpeg q90|photo|a.jpg|quality=90|jpeg
jpeg progressive|photo|b.jpg|quality=90 progressive optimize|jpeg
EOF
done

# 8-bit files of images with at most 256 colours come back exactly, in every
# PCX layout (one to four bit planes, bytes with the trailing palette).
# Pillow reads a PCX of one bit plane as black and white whatever its
# palette, so the two-colour images are black and white.
cat > "$TMP/colors.py" <<'EOF'
import random, sys
from PIL import Image
w, h, n, out = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
rnd = random.Random(n)
colors = [(0, 0, 0), (255, 255, 255)] if n == 2 else \
    [(c >> 16, c >> 8 & 255, c & 255) for c in rnd.sample(range(1 << 24), n)]
im = Image.new("RGB", (w, h))
# Every colour at least once, the rest at random.
im.putdata([colors[i] if i < n else rnd.choice(colors) for i in range(w * h)])
im.save(out)
EOF
for size in 7x5 130x67; do
    for colors in 2 4 8 16 17 35; do
        in=$TMP/c$colors-$size.png
        $PY "$TMP/colors.py" "${size%x*}" "${size#*x}" $colors "$in"
        # name | file | writer options | expected kind
        while IFS='|' read -r name file options kind; do
            # Byte-encoded rasters on rows that need no padding (see compare.py).
            [ "$name" = "ras 8 rle" ] && [ "$size" != 130x67 ] && continue
            [ "$name" = "pcx 8" ] && [ "$colors" = 2 ] && kind=pillow-rgb
            [ "$name" = "pcx 8" ] && [ "$colors" = 8 ] && kind=magick-rgb
            out=$TMP/$colors-$file
            # shellcheck disable=SC2086
            if ! "$TOOL" "$in" "$out" $options; then
                echo "save-peers: $name $colors colours $size not written"
                failed=1
                continue
            fi
            if ! $PY "$TMP/compare.py" "$in" "$out" "$kind"; then
                echo "save-peers: $name $colors colours $size differs"
                failed=1
            fi
        done <<EOF
bmp 8|a.bmp|depth=8|rgb
tga 8|a.tga|depth=8|rgb
tga 8 rle|b.tga|depth=8 rle|rgb
pcx 8|a.pcx|depth=8|rgb
ras 8|a.ras|depth=8|rgb
ras 8 rle|b.ras|depth=8 rle|rgb
EOF
    done
done

# The marks a reader sees of the JPEG options.
in=$TMP/photo-130x67.png
"$TOOL" "$in" "$TMP/q60.jpg" quality=60 progressive
if ! identify-im6.q16 -verbose "$TMP/q60.jpg" | grep -q "Quality: 60" ||
   ! identify-im6.q16 -verbose "$TMP/q60.jpg" | grep -q "Interlace: JPEG"; then
    echo "save-peers: JPEG quality 60 progressive not reported as such"
    failed=1
fi
[ $failed = 0 ] && echo "save-peers: every file reopens with its pixels"
exit $failed
