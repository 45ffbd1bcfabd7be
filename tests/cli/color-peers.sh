#!/bin/sh
# Invert of oculane-cli convert against ImageMagick's negate of the colour
# channels on small random images with alpha: every byte must agree, alpha
# included. Needs convert-im6.q16 (scripts/install-deps --bench); without it
# says so and passes.
#
#   tests/cli/color-peers.sh OCULANE-CLI
set -e
CLI="$1"
MAGICK=convert-im6.q16
if ! command -v $MAGICK > /dev/null 2>&1; then
    echo "color-peers: $MAGICK missing, nothing compared"
    exit 0
fi
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

rgba() { $MAGICK "$1" -depth 8 rgba:- | od -An -v -tx1; }

failed=0
for size in 7x5 64x3 1x9 130x67; do
    in=$TMP/in-$size.png
    $MAGICK -size "$size" xc: +noise Random -channel A -fx 'rand()' +channel PNG32:"$in"
    "$CLI" convert "$in" "$TMP/oc.pam" --invert
    $MAGICK "$in" -channel RGB -negate +channel "$TMP/im.pam"
    if ! rgba "$TMP/oc.pam" > "$TMP/a.txt" || ! rgba "$TMP/im.pam" > "$TMP/b.txt" || ! cmp -s "$TMP/a.txt" "$TMP/b.txt"; then
        echo "color-peers: invert $size differs from ImageMagick"
        failed=1
    fi
    # Twice is the image itself.
    "$CLI" convert "$in" "$TMP/twice.pam" --invert --invert --swap-red-blue --swap-red-blue
    rgba "$in" > "$TMP/a.txt"
    rgba "$TMP/twice.pam" > "$TMP/b.txt"
    if ! cmp -s "$TMP/a.txt" "$TMP/b.txt"; then
        echo "color-peers: invert and swap twice $size is not the image"
        failed=1
    fi
done
exit $failed
