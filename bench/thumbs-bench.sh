#!/bin/sh
# Times the thumbnails of 1 000 photos of 12 MP in the Large Icons view
# against vipsthumbnail over the same files, and the second visit served
# from the thumbnail cache. See bench/README.md.
#
#   bench/thumbs-bench.sh [N] [--app PATH] [--work DIR]
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
exec python3 "$here/thumbs_bench.py" "$@"
