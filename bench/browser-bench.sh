#!/bin/sh
# Times the desktop program: listing 10 000 files against ls -l, previewing a
# 6000x4000 JPEG against djpeg, and its memory for that image.
# See bench/README.md.
#
#   bench/browser-bench.sh [N] [--app PATH] [--work DIR]
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
exec python3 "$here/browser_bench.py" "$@"
