#!/bin/sh
# The Filter menu's operations of oculane-cli convert against ImageMagick on
# small random images: every colour byte must agree (ImageMagick gets the
# image without its alpha), and oculane must keep the alpha byte as it was.
# Needs convert-im6.q16 (scripts/install-deps --bench); without it it says
# so and passes.
#
#   tests/cli/filter-peers.sh OCULANE-CLI
set -e
CLI="$1"
MAGICK=convert-im6.q16
if ! command -v $MAGICK > /dev/null 2>&1; then
    echo "filter-peers: $MAGICK missing, nothing compared"
    exit 0
fi
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Raw bytes of one kind (rgb or a) of any image ImageMagick reads.
bytes() {
    if [ "$1" = a ]; then
        $MAGICK "$2" -alpha extract -depth 8 gray:- | od -An -v -tx1
    else
        $MAGICK "$2" -alpha off -depth 8 rgb:- | od -An -v -tx1
    fi
}

failed=0
same() {
    if ! bytes "$2" "$3" > "$TMP/a.txt" || ! bytes "$2" "$4" > "$TMP/b.txt" || ! cmp -s "$TMP/a.txt" "$TMP/b.txt"; then
        echo "filter-peers: $1 differs ($3 against $4)"
        failed=1
    fi
}

for size in 7x5 64x3 1x9 2x2 130x67; do
    in=$TMP/in-$size.png
    opaque=$TMP/opaque-$size.png
    $MAGICK -size "$size" xc: +noise Random -channel A -fx 'rand()' +channel PNG32:"$in"
    $MAGICK "$in" -alpha off PNG24:"$opaque"
    # On grey images the median's brightness key is the grey value itself.
    grey=$TMP/grey-$size.png
    $MAGICK -size "$size" xc: +noise Random -colorspace Gray -type TrueColor PNG24:"$grey"
    # name | oculane operation | input | ImageMagick options (outside pixels black)
    while IFS='|' read -r name op input magick; do
        src=$in
        [ "$input" = grey ] && src=$grey
        "$CLI" convert "$src" "$TMP/oc.pam" $op
        $MAGICK "$TMP/$input-$size.png" -virtual-pixel black $magick "$TMP/im.png"
        same "$name $size" rgb "$TMP/oc.pam" "$TMP/im.png"
        same "$name $size alpha" a "$TMP/oc.pam" "$src"
    done <<EOF
blur|--blur|opaque|-convolve 1,1,1,1,1,1,1,1,1
soften|--soften|opaque|-convolve 1,1,1,1,8,1,1,1,1
gaussian-3|--gaussian-3|opaque|-convolve 1,2,1,2,4,2,1,2,1
gaussian-5|--gaussian-5|opaque|-convolve 0,1,2,1,0,1,3,4,3,1,2,4,8,4,2,1,3,4,3,1,0,1,2,1,0
sharpen|--sharpen|opaque|-convolve -1,-1,-1,-1,15,-1,-1,-1,-1
find-edge|--find-edge|opaque|-convolve -1,-1,-1,-1,8,-1,-1,-1,-1 -negate
emboss|--emboss|opaque|-bias 32639 -convolve 0,0,-1,0,0,0,1,0,0
dilate|--dilate|opaque|-morphology Dilate 2x2+0+0:1,1,1,1
erode|--erode|opaque|-morphology Erode 2x2+1+1:1,1,1,1
median grey|--median|grey|-statistic median 3x3
EOF
done
exit $failed
