#!/bin/sh
# Times writing a 6000x4000 photo-like image as GIF (colour reduction to 256
# included) and as DXT1 DDS, whole processes from the same PPM on tmpfs,
# best of N: oculane's writers (through the palette-tool of
# tests/cli/palette-peers.sh) against netpbm (pnmcolormap 256, pnmremap
# -nofloyd, ppmtogif), GraphicsMagick (gm convert +dither -colors 256) and
# ImageMagick's DDS writer. Our writer syncs the file before renaming it;
# the peers do not. Also prints our writer alone (decode excluded).
#
#   bench/palette-encode-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per tool, best kept (default 3). oculane-cli comes from --cli, else
# $OCULANE_CLI, else build/oculane-cli; the libraries beside it are used.
# The work folder defaults to /dev/shm/oculane-palette-bench.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
runs=3
cli=${OCULANE_CLI:-$here/../build/oculane-cli}
work=${OCULANE_BENCH_WORK:-/dev/shm/oculane-palette-bench}
while [ $# -gt 0 ]; do
    case "$1" in
        --cli) cli=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        -n) runs=$2; shift 2 ;;
        [0-9]*) runs=$1; shift ;;
        *) echo "palette-encode-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done

magick=convert-im6.q16
for tool in pnmcolormap:netpbm pnmremap:netpbm ppmtogif:netpbm gm:graphicsmagick $magick:imagemagick; do
    if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
        echo "palette-encode-bench: missing tool: ${tool%%:*} (Debian package ${tool#*:})" >&2
        exit 1
    fi
done
if [ ! -x "$cli" ]; then
    echo "palette-encode-bench: no oculane-cli at $cli (build it, or give --cli)" >&2
    exit 1
fi

mkdir -p "$work"
tool=$(dirname "$cli")/save-tool
if [ ! -x "$tool" ]; then
    echo "palette-encode-bench: no save-tool beside $cli (build the tests)" >&2
    exit 1
fi
# The same plasma as the decode and operation benchmarks.
in=$work/plasma-24bit.ppm
if [ ! -s "$in" ]; then
    if [ -s "$here/.work/plasma-24bit.ppm" ]; then
        cp "$here/.work/plasma-24bit.ppm" "$in"
    else
        echo "palette-encode-bench: making $in (a minute or so)" >&2
        $magick -seed 7 -size 6000x4000 plasma:fractal -blur 0x2 -type TrueColor -depth 8 "PPM:$in.tmp"
        mv "$in.tmp" "$in"
    fi
fi
out=$work/out
mkdir -p "$out"

best_of() {
    best=
    i=0
    while [ $i -lt "${2:-$runs}" ]; do
        t0=$(date +%s.%N)
        sh -c "$1" >/dev/null 2>&1 || { echo fail; return; }
        t1=$(date +%s.%N)
        t=$(echo "$t1 - $t0" | bc)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
        i=$((i + 1))
    done
    printf '%.2f\n' "$best"
}

# row LABEL COMMAND OUTPUT [RUNS]
row() {
    printf '%-44s %8s s  %s\n' "$1" "$(best_of "$2" "$4")" "$(ls -l "$3" 2>/dev/null | awk '{print $5}') bytes"
}

echo "6000x4000 photo-like image, best of $runs, on $work"
row "oculane GIF (median cut, no dither)" "'$tool' '$in' '$out/o.gif'" "$out/o.gif"
# netpbm takes minutes: one run is enough to compare.
row "netpbm pnmcolormap+pnmremap+ppmtogif (1 run)" \
    "pnmcolormap 256 '$in' > '$out/map.ppm' && pnmremap -nofloyd -mapfile='$out/map.ppm' '$in' | ppmtogif > '$out/n.gif'" \
    "$out/n.gif" 1
row "gm convert +dither -colors 256" "gm convert '$in' +dither -colors 256 '$out/g.gif'" "$out/g.gif"
row "oculane DDS DXT1" "'$tool' '$in' '$out/o.dds' dxt=1" "$out/o.dds"
row "ImageMagick DDS DXT1" "$magick '$in' -define dds:compression=dxt1 -define dds:mipmaps=0 '$out/m.dds'" "$out/m.dds"
echo "oculane writers alone (decode excluded), best of $runs:"
printf '  GIF %s s, DXT1 %s s, IFF %s s, PICT %s s\n' \
    "$("$tool" "$in" "$out/o.gif" repeat="$runs")" "$("$tool" "$in" "$out/o.dds" dxt=1 repeat="$runs")" \
    "$("$tool" "$in" "$out/o.iff" repeat="$runs")" "$("$tool" "$in" "$out/o.pct" rle repeat="$runs")"
