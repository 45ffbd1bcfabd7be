#!/bin/sh
# Times the Filter menu's operations through oculane-cli convert on a
# 6000x4000 PPM, whole process, best of N: the 3x3 blur against
# `vips conv --precision integer` and ImageMagick `-convolve`, the median
# against `vips rank 3 3 4` and ImageMagick `-statistic median 3x3`; the
# other filters (no peer doing the same) against oculane's own convert
# without an operation, so their own cost shows.
#
#   bench/filter-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per tool and operation, best kept (default 3).  oculane-cli comes
# from --cli, else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
name=filter-bench
tools="vips:libvips-tools"
. "$here/cli-bench-common.sh"
# vips's integer mask: width height scale offset, then the weights.
printf '3 3 9 0\n1 1 1\n1 1 1\n1 1 1\n' > "$out/blur.mat"

minus() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "fail" || b == "fail") print "-"; else printf "%.3f", a - b }'
}

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
base=$(best_of sh -c "\"\$0\" convert \"\$1\" - > \"\$2\"" "$cli" "$in" "$out/stdout.pam")
printf '%-11s %9s %9s %9s %9s %12s %14s\n' operation 'oc. -' 'op only' vips magick oculane/vips magick/oculane
printf '%-11s %9s %9s %9s %9s %12s %14s\n' '(none)' "$base" 0 - - - -
# name | oculane operation | vips command after "vips" (empty: none) | ImageMagick options (empty: none)
while IFS='|' read -r name op vipsop magickop; do
    oc=$(best_of sh -c "\"\$0\" convert \"\$1\" - $op > \"\$2\"" "$cli" "$in" "$out/stdout.pam")
    vp=-
    im=-
    [ -n "$vipsop" ] && vp=$(best_of vips $vipsop)
    [ -n "$magickop" ] && im=$(best_of sh -c "$magick \"\$0\" $magickop PPM:- > \"\$1\"" "$in" "$out/magick.ppm")
    printf '%-11s %9s %9s %9s %9s %12s %14s\n' "$name" "$oc" "$(minus "$oc" "$base")" "$vp" "$im" \
        "$(ratio "$oc" "$vp")" "$(ratio "$im" "$oc")"
done <<EOF
blur|--blur|conv $in $out/vips.ppm $out/blur.mat --precision integer|-virtual-pixel black -convolve 1,1,1,1,1,1,1,1,1
median|--median|rank $in $out/vips.ppm 3 3 4|-virtual-pixel black -statistic median 3x3
soften|--soften||
gaussian-5|--gaussian-5||
sharpen|--sharpen||
find-edge|--find-edge||
emboss|--emboss||
dilate|--dilate||
erode|--erode||
contour|--contour||
add-noise|--add-noise||
jitter|--jitter||
normal-map|--normal-map=1,1||
EOF
echo "runs: best of $runs; load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
echo "'oc. -' is oculane-cli convert writing a PAM to standard output, as vips and ImageMagick write theirs;"
echo "'op only' is that minus the same convert without an operation (decode and write)"
echo "targets: oculane/vips <= 1.00; every 'op only' under 1 s"
rm -rf "$out"
