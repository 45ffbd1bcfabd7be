#!/bin/sh
# Times whole-process decodes of one large image per format and variant
# (6000x4000, or 256x256 for ICO) by oculane-cli and by stb_image,
# ImageMagick, vips, Pillow and netpbm, with peak memory.  See bench/README.md.
#
#   bench/decode-bench.sh [N] [--formats a,b,c] [--cli PATH] [--work DIR] [--list]
#
# N: runs per tool and file, best kept (default 5).  oculane-cli comes from
# --cli, else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
if ! command -v python3 >/dev/null 2>&1; then
    echo "decode-bench: missing tool: python3 (Debian package python3)" >&2
    exit 1
fi
exec python3 "$here/decode_bench.py" "$@"
