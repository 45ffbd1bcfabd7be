#!/usr/bin/env python3
"""Writers for the benchmark images ImageMagick cannot make: a big ByteRun1
IFF/ILBM and a 256 x 256 32-bit ICO with a BMP (not PNG) entry.  Used by
decode_bench.py; can also be run by hand:

  bench_images.py ilbm SOURCE.bmp OUT.iff   8-bit uncompressed BMP -> 8-plane ByteRun1 ILBM
  bench_images.py ico RGB_FILE OUT.ico      256*256*3 bytes of raw RGB -> 32-bit ICO

Standard library only, and fast enough for 6000 x 4000 (plane packing and
run finding are done by int() and re, not per pixel in Python).
"""

import re
import struct
import sys

# ---------------------------------------------------------------------------
# IFF/ILBM
# ---------------------------------------------------------------------------

_RUN = re.compile(rb"(.)\1{2,}", re.S)


def byterun1(row):
    """ByteRun1 (PackBits) of one plane row: runs of three or more bytes are
    repeats, everything else literal, at most 128 bytes per packet."""
    out = bytearray()

    def literal(a, b):
        while a < b:
            n = min(128, b - a)
            out.append(n - 1)
            out.extend(row[a:a + n])
            a += n

    pos = 0
    for m in _RUN.finditer(row):
        start, end = m.span()
        literal(pos, start)
        value = row[start]
        n = end - start
        while n > 0:
            k = min(128, n)
            if k == 1:
                out += bytes((0, value))
            else:
                out += bytes((257 - k, value))
            n -= k
        pos = end
    literal(pos, len(row))
    return bytes(out)


def _plane_tables(planes):
    # Maps a palette index to b"1" or b"0" for bit p, so bytes.translate turns
    # one row of indices into a binary string per plane.
    return [bytes(0x31 if (i >> p) & 1 else 0x30 for i in range(256)) for p in range(planes)]


def read_bmp8(path):
    """(width, height, palette as 768 RGB bytes, rows top first) of an 8-bit
    BI_RGB BMP with a 40-byte header."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s: not a BMP" % path)
    offset = struct.unpack_from("<I", data, 10)[0]
    hsize, w, h, _planes, bits, comp = struct.unpack_from("<IiiHHI", data, 14)
    colours = struct.unpack_from("<I", data, 46)[0] or 256
    if hsize != 40 or bits != 8 or comp != 0:
        raise ValueError("%s: want an 8-bit uncompressed BMP" % path)
    pal = bytearray(768)
    for i in range(min(colours, 256)):
        b, g, r = data[54 + 4 * i:54 + 4 * i + 3]
        pal[3 * i:3 * i + 3] = bytes((r, g, b))
    stride = (w + 3) & ~3
    top_down = h < 0
    h = abs(h)
    rows = [data[offset + y * stride:offset + y * stride + w] for y in range(h)]
    if not top_down:
        rows.reverse()
    return w, h, bytes(pal), rows


def write_ilbm(path, width, height, palette, rows, planes=8):
    """8-plane (by default) ByteRun1 ILBM from rows of palette indices."""
    row_bytes = 2 * ((width + 15) // 16)
    pad = b"0" * (row_bytes * 8 - width)
    tables = _plane_tables(planes)
    body = bytearray()
    for row in rows:
        for table in tables:
            bits = row.translate(table) + pad
            body += byterun1(int(bits, 2).to_bytes(row_bytes, "big"))

    def chunk(ident, data):
        return ident + struct.pack(">I", len(data)) + data + (b"\0" if len(data) % 2 else b"")

    # width, height, x, y, planes, masking, compression (1 = ByteRun1), pad,
    # transparent colour, x aspect, y aspect, page width, page height
    bmhd = struct.pack(">HHhhBBBBHBBhh", width, height, 0, 0, planes, 0, 1, 0, 0, 1, 1,
                       min(width, 32767), min(height, 32767))
    data = b"ILBM" + chunk(b"BMHD", bmhd) + chunk(b"CMAP", palette[:3 << planes]) \
        + chunk(b"CAMG", struct.pack(">I", 0)) + chunk(b"BODY", bytes(body))
    with open(path, "wb") as f:
        f.write(b"FORM" + struct.pack(">I", len(data)) + data)


# ---------------------------------------------------------------------------
# ICO
# ---------------------------------------------------------------------------

def write_ico32(path, rgb, size=256):
    """One-image ICO: size x size, 32-bit BGRA DIB entry plus an (all clear)
    AND mask.  Alpha fades from opaque in the middle to 64 in the corners."""
    if len(rgb) != size * size * 3:
        raise ValueError("want %d bytes of RGB" % (size * size * 3))
    c = (size - 1) / 2.0
    far = 2 * c * c
    pixels = bytearray(size * size * 4)
    for y in range(size):
        src_row = (size - 1 - y) * size * 3          # DIB rows are bottom-up
        dst_row = y * size * 4
        dy2 = (size - 1 - y - c) ** 2
        for x in range(size):
            s = src_row + 3 * x
            d = dst_row + 4 * x
            r, g, b = rgb[s], rgb[s + 1], rgb[s + 2]
            a = 255 - int(191 * ((x - c) ** 2 + dy2) / far)
            pixels[d:d + 4] = bytes((b, g, r, a))
    mask = bytes(((size + 31) // 32) * 4 * size)
    # BITMAPINFOHEADER: height counts the XOR image and the AND mask.
    dib = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                      len(pixels) + len(mask), 0, 0, 0, 0) + bytes(pixels) + mask
    wh = 0 if size >= 256 else size
    head = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", wh, wh, 0, 0, 1, 32, len(dib), 22)
    with open(path, "wb") as f:
        f.write(head + dib)


def main(argv):
    if len(argv) == 3 and argv[0] == "ilbm":
        w, h, pal, rows = read_bmp8(argv[1])
        write_ilbm(argv[2], w, h, pal, rows)
    elif len(argv) == 3 and argv[0] == "ico":
        with open(argv[1], "rb") as f:
            write_ico32(argv[2], f.read())
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
