#!/bin/sh
# GIF, IFF/ILBM, PICT and DDS files of our writers reopened by other
# programs: Pillow and ImageMagick for GIF and DDS, ImageMagick for PICT,
# netpbm's ilbmtoppm for IFF. Images of at most 256 colours must come back
# exactly; reduced images and DDS blocks as our own decoder reads them (DDS
# also within the block error of the source). Needs python3-pil,
# convert-im6.q16 and netpbm (scripts/install-deps --bench); without them it
# says so and passes.
#
#   tests/cli/palette-peers.sh OCULANE-CLI
#
# The files are written by save-tool (tests/tools/save_tool.cpp) beside
# OCULANE-CLI, through the registered writers.
set -e
CLI="$1"
BUILD=$(cd "$(dirname "$CLI")" && pwd)
MAGICK=convert-im6.q16
PY=/usr/bin/python3

TOOL="$BUILD/save-tool"
if [ ! -x "$TOOL" ]; then
    echo "palette-peers: no save-tool beside $CLI (build the tests)" >&2
    exit 1
fi

for tool in $MAGICK ilbmtoppm; do
    if ! command -v "$tool" > /dev/null 2>&1; then
        echo "palette-peers: $tool missing, nothing compared"
        exit 0
    fi
done
if ! $PY -c 'import PIL' 2> /dev/null; then
    echo "palette-peers: Pillow missing, nothing compared"
    exit 0
fi
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

cat > "$TMP/compare.py" <<'EOF'
import io, subprocess, sys
from PIL import Image

MAGICK = "convert-im6.q16"
src, ours, out, kind = sys.argv[1:5]

def pillow(path):
    im = Image.open(path)
    return im.size, im.convert("RGBA").tobytes()

def magick(path):
    size = subprocess.run(["identify-im6.q16", "-format", "%w %h", path + "[0]"], check=True,
                          capture_output=True, text=True).stdout.split()
    data = subprocess.run([MAGICK, path + "[0]", "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    return (int(size[0]), int(size[1])), data

def netpbm(path):
    ppm = subprocess.run(["ilbmtoppm", path], check=True, capture_output=True).stdout
    im = Image.open(io.BytesIO(ppm))
    return im.size, im.convert("RGBA").tobytes()

def pam(path):
    with open(path, "rb") as f:
        data = f.read()
    end = data.index(b"ENDHDR\n") + 7
    fields = dict(line.split(" ", 1) for line in data[:end].decode().splitlines()[1:-1])
    return (int(fields["WIDTH"]), int(fields["HEIGHT"])), data[end:]

readers = {"gif": [pillow, magick], "dds": [pillow, magick], "pct": [magick], "iff": [netpbm]}[out.rsplit(".", 1)[1]]
size, source = pillow(src)
if kind == "exact":
    want = bytearray(source)
    want[3::4] = b"\xff" * (len(want) // 4)
else:
    got_size, want = pam(ours)
    assert got_size == size
    if kind.startswith("dxt"):
        # Our own reading of the blocks stays within the error of four
        # colours a block; DXT1 keeps alpha as opaque from 128 up.
        colour = [abs(want[i] - source[i]) for i in range(len(source))
                  if i % 4 != 3 and (kind != "dxt1" or source[i | 3] >= 128)]
        alpha = [abs(want[i] - (source[i] if kind != "dxt1" else 255 * (source[i] >= 128)))
                 for i in range(3, len(source), 4)]
        if sum(colour) / max(len(colour), 1) > 12 or max(alpha) > (0 if kind == "dxt1" else 17):
            print(f"{out}: block error {sum(colour) / max(len(colour), 1):.2f}, alpha {max(alpha)}")
            sys.exit(1)
failed = False
for read in readers:
    got_size, got = read(out)
    if got_size != size or len(got) != len(want):
        print(f"{out}: {read.__name__} reads {got_size}, want {size}")
        failed = True
        continue
    # Under alpha 0 the colour is no one's business. Readers of DXT blocks
    # differ in how 5:6:5 widens (low bits zero or repeated: up to 8 apart)
    # and in rounding interpolated alpha, never in which colour or alpha a
    # pixel takes.
    slack = (8, 8, 8, 2) if kind.startswith("dxt") else (0, 0, 0, 0)
    bad = [i for i in range(len(want)) if abs(got[i] - want[i]) > slack[i % 4]
           and not (want[i | 3] == 0 and got[i | 3] == 0)]
    if kind.startswith("dxt"):
        bad += [i for i in range(3, len(want), 4) if (got[i] == 0) != (want[i] == 0)]
    if bad:
        i = bad[0] // 4 * 4
        print(f"{out}: {read.__name__} differs at pixel {i // 4}: {tuple(got[i:i+4])} want {tuple(want[i:i+4])}"
              f" ({len(bad)} bytes)")
        failed = True
sys.exit(1 if failed else 0)
EOF

# Sources: few colours (random indices into a random table), many colours
# (a plasma photo), and alpha for the DDS blocks.
cat > "$TMP/make.py" <<'EOF'
import random, sys
from PIL import Image
w, h, colors, path = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
rng = random.Random(w * 7919 + h * 31 + colors)
table = [(rng.randrange(256), rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(colors)]
im = Image.new("RGBA", (w, h))
# Noise with stretches of one colour, so packers meet runs and literals.
im.putdata([table[(x // 9) % colors] if rng.random() < 0.3 else table[rng.randrange(colors)]
            for y in range(h) for x in range(w)])
im.save(path)
EOF

failed=0
for size in 1x1 7x5 251x67 130x300; do
    w=${size%x*}
    h=${size#*x}
    $PY "$TMP/make.py" "$w" "$h" 2 "$TMP/two-$size.png"
    $PY "$TMP/make.py" "$w" "$h" 256 "$TMP/few-$size.png"
    $MAGICK -size "$size" -seed 7 plasma:fractal -blur 0x1 PNG24:"$TMP/photo-$size.png"
    $MAGICK -size "$size" -seed 3 plasma:fractal -blur 0x2 \( +clone -channel R -separate \) \
        -compose CopyOpacity -composite PNG32:"$TMP/alpha-$size.png"
    # name | source | file | writer options | expected
    while IFS='|' read -r name source file options kind; do
        in=$TMP/$source-$size.png
        out=$TMP/$file
        # shellcheck disable=SC2086
        if ! "$TOOL" "$in" "$out" $options; then
            echo "palette-peers: $name $size not written"
            failed=1
            continue
        fi
        "$CLI" convert "$out" "$TMP/ours.pam" > /dev/null
        if ! $PY "$TMP/compare.py" "$in" "$TMP/ours.pam" "$out" "$kind"; then
            echo "palette-peers: $name $size differs"
            failed=1
        fi
    done <<EOF
gif two colours|two|a.gif||exact
gif|few|b.gif||exact
gif interlaced|few|c.gif|interlace|exact
gif reduced|photo|d.gif|interlace|ours
iff two colours|two|a.iff||exact
iff|few|b.iff||exact
iff byterun1|few|c.iff|rle|exact
iff reduced|photo|d.iff|rle|ours
pict|few|a.pct||exact
pict packbits|few|b.pct|rle|exact
pict two colours packbits|two|c.pct|rle|exact
pict reduced|photo|d.pct|rle|ours
dds dxt1|photo|a.dds|dxt=1|dxt
dds dxt1 alpha|alpha|b.dds|dxt=1|dxt1
dds dxt3|alpha|c.dds|dxt=3|dxt
dds dxt5 mipmaps|alpha|d.dds|dxt=5 mipmaps|dxt
EOF
done
[ $failed = 0 ] && echo "palette-peers: every file reopens with its pixels"
exit $failed
