#!/bin/sh
# Times the writers on a 6000x4000 photo-like image (the decode benchmark's
# plasma) on tmpfs, against netpbm, libjpeg-turbo's cjpeg and vips writing the
# same format with the same settings; best of N.  See bench/README.md.
#
#   bench/encode-bench.sh [N] [--build DIR] [--work DIR]
#
# Ours is a small program built against the libraries in the build folder
# (default build/), through the registered writers (its source is the one
# tests/cli/save-peers.sh builds). It decodes the image once and writes it N
# times: "write" is the fastest write alone, "process" a whole run (start,
# decode, one write, exit) as the other tools are timed. Our writer fsyncs
# every file before renaming it over the target (cheap on tmpfs; on a disk it
# is part of the cost and the others do not pay it).
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
runs=3
build=$here/../build
work=${OCULANE_BENCH_WORK:-$here/.work}
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        [0-9]*) runs=$1; shift ;;
        *) echo "encode-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)
magick=convert-im6.q16
for tool in vips:libvips-tools $magick:imagemagick pnmtopng:netpbm cjpeg:libjpeg-turbo-progs; do
    if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
        echo "encode-bench: missing tool: ${tool%%:*} (Debian package ${tool#*:})" >&2
        exit 1
    fi
done

mkdir -p "$work"
src=$work/plasma-24bit.ppm
if [ ! -s "$src" ]; then
    echo "encode-bench: making $src (a minute or so)" >&2
    $magick -seed 7 -size 6000x4000 plasma:fractal -blur 0x2 -type TrueColor -depth 8 "PPM:$src.tmp"
    mv "$src.tmp" "$src"
fi
shm=$(mktemp -d /dev/shm/encode-bench.XXXXXX)
trap 'rm -rf "$shm"' EXIT
cp "$src" "$shm/in.ppm"
in=$shm/in.ppm

tool=$build/save-tool
if [ ! -x "$tool" ]; then
    echo "encode-bench: no save-tool in $build (build the tests)" >&2
    exit 1
fi

# Best of N whole runs of a shell command, in seconds.
best() {
    b=""
    i=0
    while [ $i -lt "$runs" ]; do
        t0=$(date +%s%N)
        sh -c "$1" > /dev/null
        t1=$(date +%s%N)
        t=$(( (t1 - t0) / 1000000 ))
        if [ -z "$b" ] || [ "$t" -lt "$b" ]; then b=$t; fi
        i=$((i + 1))
    done
    printf '%d.%03d' $((b / 1000)) $((b % 1000))
}

size() { stat -c %s "$1" | awk '{ printf "%.1f MB", $1 / 1e6 }'; }

printf '%-22s %-36s %8s %10s\n' format tool seconds size
# format | our file | our options | peers: label@command, ';' between them
while IFS='|' read -r name ours options peers; do
    write=$("$tool" "$in" "$shm/$ours" $options repeat="$runs")
    printf '%-22s %-36s %8s %10s\n' "$name" "oculane write (decoded once)" "$write" "$(size "$shm/$ours")"
    # shellcheck disable=SC2016
    process=$(best "'$tool' '$in' '$shm/$ours' $options")
    printf '%-22s %-36s %8s\n' "" "oculane process" "$process"
    echo "$peers" | tr ';' '\n' | while IFS='@' read -r label command; do
        [ -n "$label" ] || continue
        out=$shm/peer-$ours
        t=$(best "$(echo "$command" | sed "s|IN|$in|g; s|OUT|$out|g")")
        printf '%-22s %-36s %8s %10s\n' "" "$label" "$t" "$(size "$out")"
    done
done <<EOF
PNG zlib 6|a.png||pnmtopng -compression=6@pnmtopng -compression=6 IN > OUT;vips pngsave --compression 6@vips pngsave IN OUT --compression 6;vips pngsave --compression 6 --filter all@vips pngsave IN OUT --compression 6 --filter all
JPEG q60|a.jpg|quality=60|cjpeg -quality 60@cjpeg -quality 60 IN > OUT;vips jpegsave --Q 60@vips jpegsave IN OUT --Q 60
TIFF LZW|a.tif|compression=2|vips tiffsave --compression lzw@vips tiffsave IN OUT --compression lzw
TIFF none|b.tif||vips tiffsave@vips tiffsave IN OUT
BMP 24|a.bmp|depth=24|ppmtobmp@ppmtobmp IN > OUT
TGA 24|a.tga|depth=24|pamtotga -norle@pamtotga -norle IN > OUT
TGA 24 RLE|b.tga|depth=24 rle|pamtotga (RLE by default)@pamtotga IN > OUT
PPM|a.ppm||vips ppmsave@vips ppmsave IN OUT;pnmtopnm@pnmtopnm IN > OUT
PGM|a.pgm||ppmtopgm@ppmtopgm IN > OUT;vips colourspace b-w@vips colourspace IN OUT b-w
PCX 24|a.pcx|depth=24|ppmtopcx -24bit@ppmtopcx -24bit IN > OUT
RAS 24|a.ras|depth=24|pnmtorast -standard@pnmtorast -standard IN > OUT
RAS 24 RLE|b.ras|depth=24 rle|pnmtorast -rle@pnmtorast -rle IN > OUT
EOF
