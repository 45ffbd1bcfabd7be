#!/bin/sh
# Times the desktop program's slide show over 20 JPEGs of 6000x4000 against
# djpeg decoding them in turn, and the user-interface time of each step.
# See bench/README.md.
#
#   bench/slideshow-bench.sh [N] [--app PATH] [--work DIR]
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
exec python3 "$here/slideshow_bench.py" "$@"
