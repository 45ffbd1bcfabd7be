#!/bin/sh
# Times whole-process colour adjustments on a 6000x4000 PPM: oculane-cli
# convert against vips and ImageMagick doing the same, best of N, in the
# manner of ops-bench.sh (same input image, same columns).
#
#   bench/color-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per tool and operation, best kept (default 3).  oculane-cli comes
# from --cli, else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
name=color-bench
tools="vips:libvips-tools"
. "$here/cli-bench-common.sh"

# Gamma 1.4 (oculane's dialog value 40): 255 × (i / 255)^(1 / 1.4) + 0.5 as a
# vips look-up table, made once and not timed.
vips identity "$out/identity.v"
vips linear "$out/identity.v" "$out/unit.v" 0.00392156862745098 0
vips math2_const "$out/unit.v" "$out/power.v" pow 0.7142857142857143
vips linear "$out/power.v" "$out/gamma-lut.v" 255 0.5 --uchar

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
operation_rows <<EOF2
copy||copy $in $out/vips.ppm|-strip
invert|--invert|invert $in $out/vips.ppm|-negate
gamma|--gamma=40|maplut $in $out/vips.ppm $out/gamma-lut.v|-gamma 1.4
EOF2
echo "runs: best of $runs; load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
echo "copy: reading and writing alone, no operation"
echo "targets: oculane/vips <= 1.00"
echo "oculane writes OUT safely (temporary file, fsync, rename); 'oc. -' is the same convert writing to"
echo "standard output redirected to a file, as vips and ImageMagick write theirs (no fsync)"
rm -rf "$out"
