#!/bin/sh
# Times a thumbnail index PDF of N photos of 6000 x 4000 (24 MP, JPEG quality
# 90) made by `oculane --print OUT.pdf --thumbnails FOLDER` against
# ImageMagick's montage of the same files into index pages (PNG: Debian's
# ImageMagick policy refuses to write PDF), once with its reduced JPEG decode
# (-define jpeg:size, as a user who knows it would) and once plainly when it
# can (each decode is 190 MB at ImageMagick's 16 bits a channel; its
# resource limits may refuse). Best of R runs; peak RSS of each from
# /usr/bin/time.
#
#   bench/print-bench.sh [N] [-n R] [--oculane PATH] [--work DIR]
#
# N: number of photos (default 100); R: runs per tool (default 3). The photos
# are made once in bench/.work/print-N/ (a plasma, a minute or so, then
# copies). Targets: oculane faster than montage; peak RSS at most two full
# bitmaps (2 x 91.6 MiB) plus the thumbnails.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
count=100
runs=3
oculane=${OCULANE:-$here/../build/oculane}
work=${OCULANE_BENCH_WORK:-$here/.work}
while [ $# -gt 0 ]; do
    case "$1" in
        --oculane) oculane=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        -n) runs=$2; shift 2 ;;
        [0-9]*) count=$1; shift ;;
        *) echo "print-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done
magick=convert-im6.q16
montage=montage-im6.q16
for tool in $magick $montage /usr/bin/time; do
    command -v "$tool" >/dev/null 2>&1 || { echo "print-bench: missing $tool (Debian packages imagemagick, time)" >&2; exit 1; }
done
[ -x "$oculane" ] || { echo "print-bench: no oculane at $oculane (build it, or give --oculane)" >&2; exit 1; }

mkdir -p "$work"
photo=$work/print-photo-q90.jpg
if [ ! -s "$photo" ]; then
    echo "print-bench: making $photo (a minute or so)" >&2
    $magick -seed 11 -size 6000x4000 plasma:fractal -blur 0x2 -quality 90 "$photo.tmp.jpg"
    mv "$photo.tmp.jpg" "$photo"
fi
folder=$work/print-$count
if [ "$(ls "$folder" 2>/dev/null | wc -l)" -ne "$count" ]; then
    rm -rf "$folder"
    mkdir -p "$folder"
    i=1
    while [ $i -le "$count" ]; do
        cp "$photo" "$folder/$(printf 'photo-%03d.jpg' $i)"
        i=$((i + 1))
    done
fi
out=$work/print-out
mkdir -p "$out"
# The stored print setup of a fresh installation, not the user's.
config=$out/config
rm -rf "$config"
mkdir -p "$config"
export OCULANE_CONFIG_DIR=$config
unset DISPLAY WAYLAND_DISPLAY

# Best wall time and the peak RSS of that kind of run ("fail" when it failed).
measure() {
    best=
    rss=
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f '%e %M' -o "$out/time" "$@" >/dev/null 2>"$out/stderr" || { echo "fail -"; return; }
        read -r t m <"$out/time"
        best=$(awk -v t="$t" -v best="$best" 'BEGIN { if (best == "" || t < best) best = t; printf "%.2f", best }')
        rss=$m
        i=$((i + 1))
    done
    echo "$best $rss"
}

rm -f "$out"/montage-*.png "$out"/*.pdf
# Files by name, as the folder lists them; 1-inch cells with name and size.
files=$(ls "$folder"/*.jpg)
echo "print-bench: $count photos of 6000x4000, best of $runs"
printf '%-34s %9s %12s\n' tool seconds "peak RSS MiB"
ours=$(measure "$oculane" --print "$out/oculane.pdf" --thumbnails "$folder")
set -- $ours
printf '%-34s %9s %12s\n' "oculane --print --thumbnails" "$1" "$(awk -v k="$2" 'BEGIN { printf "%.0f", k / 1024 }')"
ours_time=$1
# shellcheck disable=SC2086
hinted=$(measure $montage -define jpeg:size=600x600 $files -geometry 300x300+15+15 -tile 7x8 -label '%f\n%wx%h' \
    "$out/montage-hint-%d.png")
set -- $hinted
printf '%-34s %9s %12s\n' "montage -define jpeg:size" "$1" "$(awk -v k="$2" 'BEGIN { if (k == "-") print "-"; else printf "%.0f", k / 1024 }')"
hinted_time=$1
# shellcheck disable=SC2086
plain=$(runs=1 measure $montage $files -geometry 300x300+15+15 -tile 7x8 -label '%f\n%wx%h' \
    "$out/montage-%d.png")
set -- $plain
printf '%-34s %9s %12s\n' "montage (one run)" "$1" "$(awk -v k="$2" 'BEGIN { if (k == "-") print "-"; else printf "%.0f", k / 1024 }')"
awk -v a="$hinted_time" -v b="$ours_time" \
    'BEGIN { if (a == "fail" || b == "fail" || b == 0) print "montage -define / oculane: -"; else printf "montage -define / oculane: %.1f (target > 1)\n", a / b }'
echo "output: oculane PDF $(du -k "$out/oculane.pdf" | cut -f1) KiB, montage PNG pages $(cat "$out"/montage-hint-*.png 2>/dev/null | wc -c | awk '{ printf "%d", $1 / 1024 }') KiB"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every row)"
