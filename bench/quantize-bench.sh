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
runs=3
cli=${OCULANE_CLI:-$here/../build/oculane-cli}
work=${OCULANE_BENCH_WORK:-$here/.work}
while [ $# -gt 0 ]; do
    case "$1" in
        --cli) cli=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        -n) runs=$2; shift 2 ;;
        [0-9]*) runs=$1; shift ;;
        *) echo "quantize-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done

magick=convert-im6.q16
for tool in gm:graphicsmagick $magick:imagemagick; do
    if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
        echo "quantize-bench: missing tool: ${tool%%:*} (Debian package ${tool#*:})" >&2
        exit 1
    fi
done
if [ ! -x "$cli" ]; then
    echo "quantize-bench: no oculane-cli at $cli (build it, or give --cli)" >&2
    exit 1
fi

# The decode benchmark's plasma as a PPM (shared with ops-bench.sh).
mkdir -p "$work"
in=$work/plasma-24bit.ppm
if [ ! -s "$in" ]; then
    echo "quantize-bench: making $in (a minute or so)" >&2
    $magick -seed 7 -size 6000x4000 plasma:fractal -blur 0x2 -type TrueColor -depth 8 "PPM:$in.tmp"
    mv "$in.tmp" "$in"
fi
out=$work/quantize-out
mkdir -p "$out"

# Best wall time of one command, in seconds.
best_of() {
    best=
    i=0
    while [ $i -lt "$runs" ]; do
        t0=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || { echo fail; return; }
        t1=$(date +%s.%N)
        best=$(awk -v a="$t0" -v b="$t1" -v best="$best" \
            'BEGIN { t = b - a; if (best == "" || t < best) best = t; printf "%.3f", best }')
        i=$((i + 1))
    done
    echo "$best"
}

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
