#!/bin/sh
# The exact operations of oculane-cli convert against ImageMagick and vips on
# small random images with alpha: every byte must agree. Needs
# convert-im6.q16 and vips (scripts/install-deps --bench); without them it
# says so and passes.
#
#   tests/cli/ops-peers.sh OCULANE-CLI
set -e
CLI="$1"
MAGICK=convert-im6.q16
for tool in $MAGICK vips; do
    if ! command -v "$tool" > /dev/null 2>&1; then
        echo "ops-peers: $tool missing, nothing compared"
        exit 0
    fi
done
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Raw RGBA bytes of any image ImageMagick reads.
rgba() { $MAGICK "$1" -depth 8 rgba:- | od -An -v -tx1; }

failed=0
same() {
    if ! rgba "$2" > "$TMP/a.txt" || ! rgba "$3" > "$TMP/b.txt" || ! cmp -s "$TMP/a.txt" "$TMP/b.txt"; then
        echo "ops-peers: $1 differs ($2 against $3)"
        failed=1
    fi
}

for size in 7x5 64x3 1x9 130x67; do
    w=${size%x*}
    h=${size#*x}
    in=$TMP/in-$size.png
    $MAGICK -size "$size" xc: +noise Random -channel A -fx 'rand()' +channel PNG32:"$in"
    # name | oculane operation | ImageMagick options | vips command (empty: none)
    while IFS='|' read -r name op magick vips; do
        "$CLI" convert "$in" "$TMP/oc.pam" $op
        $MAGICK "$in" $magick "$TMP/im.pam"
        same "$name $size ImageMagick" "$TMP/oc.pam" "$TMP/im.pam"
        if [ -n "$vips" ]; then
            eval "vips $vips"
            same "$name $size vips" "$TMP/oc.pam" "$TMP/vips.png"
        fi
    done <<EOF
flip-horizontal|--flip-horizontal|-flip|flip $in $TMP/vips.png vertical
flip-vertical|--flip-vertical|-flop|flip $in $TMP/vips.png horizontal
flip-both|--flip-both|-flip -flop|rot $in $TMP/vips.png d180
transpose|--transpose|-transpose|
rotate-cw|--rotate-cw|-rotate 90|rot $in $TMP/vips.png d90
rotate-ccw|--rotate-ccw|-rotate 270|rot $in $TMP/vips.png d270
rotate 180 high|--rotate=180,2|-rotate 180|rot $in $TMP/vips.png d180
canvas bottom right|--canvas=$((w + 3))x$((h + 2)),8,ff0000|-background red -compose Copy -gravity southeast -extent $((w + 3))x$((h + 2))|embed $in $TMP/vips.png 3 2 $((w + 3)) $((h + 2)) --extend background --background "255 0 0 255"
canvas centre crop|--canvas=${w}x$((h - 2)),0|-gravity center -crop ${w}x$((h - 2))+0+0 +repage|embed $in $TMP/vips.png -- 0 -1 $w $((h - 2))
add-borders from left|--add-borders=4,0,0,1,px,00ff00|-background lime -compose Copy -gravity east -extent $((w + 4))x$h|embed $in $TMP/vips.png 4 0 $((w + 4)) $h --extend background --background "0 255 0 255"
EOF
done
exit $failed
