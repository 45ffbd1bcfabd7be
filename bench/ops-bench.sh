#!/bin/sh
# Times whole-process image operations on a 6000x4000 PPM: oculane-cli convert
# against vips and ImageMagick doing the same, best of N.  See bench/README.md.
#
#   bench/ops-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per tool and operation, best kept (default 3).  oculane-cli comes
# from --cli, else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
name=ops-bench
tools="vips:libvips-tools"
. "$here/cli-bench-common.sh"

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "fail" || b == "fail" || b == 0) print "-"; else printf "%.2f", a / b }'
}

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
printf '%-10s %9s %9s %9s %9s %12s %14s\n' operation oculane 'oc. -' vips magick oculane/vips magick/oculane
# name | oculane operation | vips command after "vips" | ImageMagick options
while IFS='|' read -r name op vipsop magickop; do
    oc=$(best_of "$cli" convert "$in" "$out/oculane.pam" $op)
    ocp=$(best_of sh -c "\"\$0\" convert \"\$1\" - $op > \"\$2\"" "$cli" "$in" "$out/stdout.pam")
    vp=$(best_of vips $vipsop)
    im=$(best_of $magick "$in" $magickop "$out/magick.pam")
    printf '%-10s %9s %9s %9s %9s %12s %14s\n' "$name" "$oc" "$ocp" "$vp" "$im" "$(ratio "$oc" "$vp")" \
        "$(ratio "$im" "$oc")"
done <<EOF
flip|--flip-horizontal|flip $in $out/vips.ppm vertical|-flip
rot90|--rotate-cw|rot $in $out/vips.ppm d90|-rotate 90
resize/4|--resize=1500x1000|shrink $in $out/vips.ppm 4 4|-scale 1500x1000!
canvas|--canvas=6100x4100|embed $in $out/vips.ppm 50 50 6100 4100|-background black -gravity center -extent 6100x4100
EOF
echo "runs: best of $runs; load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
echo "targets: oculane/vips <= 1.00, magick/oculane >= 3.00"
echo "oculane writes OUT safely (temporary file, fsync, rename); 'oc. -' is the same convert writing to"
echo "standard output redirected to a file, as vips and ImageMagick write theirs (no fsync)"
rm -rf "$out"
