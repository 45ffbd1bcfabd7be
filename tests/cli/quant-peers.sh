#!/bin/sh
# The colour count of oculane-cli colors against Pillow's getcolors, and
# --reduce-colors against Pillow's count of what it wrote (at most 256
# colours; an image of at most 256 kept byte for byte), on small random
# images. Needs ImageMagick (convert-im6.q16) and python3 with PIL
# (scripts/install-deps --bench); without them it says so and passes.
#
#   tests/cli/quant-peers.sh OCULANE-CLI
set -e
CLI="$1"
MAGICK=convert-im6.q16
if ! command -v $MAGICK > /dev/null 2>&1; then
    echo "quant-peers: $MAGICK missing, nothing compared"
    exit 0
fi
PYTHON=
for p in python3 /usr/bin/python3; do
    if "$p" -c 'import PIL' > /dev/null 2>&1; then
        PYTHON=$p
        break
    fi
done
if [ -z "$PYTHON" ]; then
    echo "quant-peers: python3 with PIL missing, nothing compared"
    exit 0
fi
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Distinct RGB colours as Pillow counts them.
pillow_count() {
    "$PYTHON" -c 'import sys
from PIL import Image
print(len(Image.open(sys.argv[1]).convert("RGB").getcolors(1 << 24)))' "$1"
}
rgba() { $MAGICK "$1" -depth 8 rgba:- | od -An -v -tx1; }

failed=0
fail() {
    echo "quant-peers: $1"
    failed=1
}

# name | size | ImageMagick image (alpha added to all)
while IFS='|' read -r name size make; do
    in=$TMP/$name.png
    $MAGICK -size "$size" $make -channel A -fx 'rand()' +channel PNG32:"$in"
    expected=$(pillow_count "$in")
    got=$("$CLI" colors "$in")
    [ "$got" = "This image contains $expected colors.   " ] || fail "$name: colors says '$got', Pillow counts $expected"

    "$CLI" convert "$in" "$TMP/out.pam" --reduce-colors
    $MAGICK "$TMP/out.pam" PNG32:"$TMP/out.png"
    reduced=$(pillow_count "$TMP/out.png")
    [ "$reduced" -le 256 ] || fail "$name: --reduce-colors left $reduced colours"
    if [ "$expected" -le 256 ]; then
        rgba "$in" > "$TMP/a.txt"
        rgba "$TMP/out.pam" > "$TMP/b.txt"
        cmp -s "$TMP/a.txt" "$TMP/b.txt" || fail "$name: --reduce-colors changed an image of $expected colours"
    fi
done <<EOF
random-7x5|7x5|xc: +noise Random
random-130x67|130x67|xc: +noise Random
random-1x9|1x9|xc: +noise Random
palette-64x48|64x48|xc: +noise Random -colors 200
grey-300x3|300x3|gradient:black-white
few-40x40|40x40|plasma:fractal -colors 17
EOF
[ "$failed" -eq 0 ] && echo "quant-peers: all agree"
exit $failed
