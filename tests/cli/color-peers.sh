#!/bin/sh
# Invert of oculane-cli convert against ImageMagick's negate of the colour
# channels, and gamma against a vips look-up table of the same curve, on small
# random images with alpha: every byte must agree, alpha included. Needs
# convert-im6.q16 (scripts/install-deps --bench); without it says so and
# passes. Without vips the gamma is not compared.
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

# 255 × (i / 255)^(1 / 1.4) + 0.5: oculane's gamma 40.
if command -v vips > /dev/null 2>&1; then
    vips identity "$TMP/identity.v"
    vips linear "$TMP/identity.v" "$TMP/unit.v" 0.00392156862745098 0
    vips math2_const "$TMP/unit.v" "$TMP/power.v" pow 0.7142857142857143
    vips linear "$TMP/power.v" "$TMP/curve.v" 255 0.5 --uchar
    # Alpha through the identity: it is kept.
    vips bandjoin "$TMP/curve.v $TMP/curve.v $TMP/curve.v $TMP/identity.v" "$TMP/lut.v"
fi

failed=0
same() {
    if ! rgba "$2" > "$TMP/a.txt" || ! rgba "$3" > "$TMP/b.txt" || ! cmp -s "$TMP/a.txt" "$TMP/b.txt"; then
        echo "color-peers: $1 differs ($2 against $3)"
        failed=1
    fi
}

for size in 7x5 64x3 1x9 130x67; do
    in=$TMP/in-$size.png
    $MAGICK -size "$size" xc: +noise Random -channel A -fx 'rand()' +channel PNG32:"$in"
    "$CLI" convert "$in" "$TMP/oc.pam" --invert
    $MAGICK "$in" -channel RGB -negate +channel "$TMP/im.pam"
    same "invert $size ImageMagick" "$TMP/oc.pam" "$TMP/im.pam"
    if [ -s "$TMP/lut.v" ]; then
        "$CLI" convert "$in" "$TMP/oc.pam" --gamma=40
        vips maplut "$in" "$TMP/vips.png" "$TMP/lut.v"
        same "gamma $size vips" "$TMP/oc.pam" "$TMP/vips.png"
    fi
    # Twice is the image itself.
    "$CLI" convert "$in" "$TMP/twice.pam" --invert --invert --swap-red-blue --swap-red-blue
    same "invert and swap twice $size" "$TMP/twice.pam" "$in"
done
exit $failed
