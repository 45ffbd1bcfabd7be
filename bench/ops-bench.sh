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

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
operation_rows <<EOF
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
