#!/bin/sh
# Times the viewer's Next on 24 MP JPEGs decoded ahead against djpeg decoding
# the same file, and the first paint of an opened file in a folder of 100 000
# files against the same file alone. See bench/README.md.
#
#   bench/viewer-load-bench.sh [N] [--app PATH] [--work DIR]
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
exec python3 "$here/viewer_load_bench.py" "$@"
