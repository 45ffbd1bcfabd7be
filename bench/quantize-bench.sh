#!/bin/sh
# Times the median cut to 256 colours on a 6000x4000 photo-like PPM:
# oculane-cli convert --reduce-colors against GraphicsMagick and ImageMagick
# doing the same without dithering, best of N; and the colour count
# (oculane-cli colors, which includes decoding the file).  See bench/README.md.
#
#   bench/quantize-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per tool, best kept (default 3).  oculane-cli comes from --cli,
# else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
name=quantize-bench
tools="gm:graphicsmagick"
. "$here/cli-bench-common.sh"

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
# The decode and write alone, to tell the reduction's own share.
plain=$(best_of sh -c "\"\$0\" convert \"\$1\" - > \"\$2\"" "$cli" "$in" "$out/plain.pam")
oc=$(best_of sh -c "\"\$0\" convert \"\$1\" - --reduce-colors > \"\$2\"" "$cli" "$in" "$out/oculane.pam")
gm=$(best_of gm convert "$in" +dither -colors 256 "$out/gm.ppm")
im=$(best_of $magick "$in" +dither -colors 256 "$out/magick.ppm")
count=$(best_of "$cli" colors "$in")
printf '%-28s %9s\n' "oculane decode+write" "$plain"
printf '%-28s %9s\n' "oculane --reduce-colors" "$oc"
printf '%-28s %9s\n' "gm -colors 256" "$gm"
printf '%-28s %9s\n' "magick -colors 256" "$im"
printf '%-28s %9s\n' "oculane colors (count)" "$count"
awk -v a="$oc" -v b="$plain" 'BEGIN { if (a != "fail" && b != "fail") printf "reduction alone: %.3f s\n", a - b }'
echo "runs: best of $runs; load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
echo "targets: median cut to 256 <= 1.0 s; count < 1 s"
rm -rf "$out"
