#!/usr/bin/env python3
"""Writes the IFF/ILBM sample images kept in samples/ and the pixels they hold.

Usage: scripts/make-samples-iff.py [SAMPLES_DIR [EXPECTED_DIR]]
       scripts/make-samples-iff.py --seeds [CORPUS_DIR]

SAMPLES_DIR defaults to the repository's samples/ folder, EXPECTED_DIR to
tests/data/iff/.  For every sample NAME.iff the script also writes
EXPECTED_DIR/NAME.ppm: a binary PPM of the colours the file is meant to show,
computed here from the same indices, so a decoder can be checked against it
(ImageMagick does not read ILBM).

- iff-8bit-byterun1.iff: 8 planes, a 256-colour map, ByteRun1-compressed.
- iff-ham6.iff: hold-and-modify with 6 planes, uncompressed.  Its colour map
  is written the old way, 4 bits per gun in the high nibble (0xF0 is full),
  and a decoder is expected to show it at full range (level v of 0..15 is
  v * 17).  Every row starts from black.

With --seeds it writes small fuzz seeds instead (default fuzz/corpus/): one
prefix byte 0 and then an ILBM file, for each decoding path (plane counts,
ByteRun1, mask plane, extra half-brite, HAM6, 24 planes).

Both samples carry a red 6x6 marker in the top-left corner so a flipped decode shows.
Integer arithmetic only: the output is the same on every run.
"""

import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def chunk(ident, data):
    out = ident + struct.pack(">I", len(data)) + data
    if len(data) % 2:
        out += b"\0"
    return out


def bmhd(width, height, planes, compression):
    # width, height, x, y, planes, masking, compression, pad, transparent colour,
    # x aspect, y aspect, page width, page height
    return struct.pack(">HHhhBBBBHBBhh", width, height, 0, 0, planes, 0, compression, 0, 0, 10, 11,
                       width, height)


def form(chunks):
    data = b"ILBM" + b"".join(chunks)
    return b"FORM" + struct.pack(">I", len(data)) + data


def plane_rows(indices, width, planes):
    """Plane rows of one pixel row, plane 0 first, 2 * ceil(width / 16) bytes each."""
    row_bytes = 2 * ((width + 15) // 16)
    rows = []
    for p in range(planes):
        row = bytearray(row_bytes)
        for x in range(width):
            if (indices[x] >> p) & 1:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return rows


def byterun1(row):
    """ByteRun1 of one plane row: runs of three or more repeat, the rest is literal."""
    out = bytearray()
    i = 0
    n = len(row)
    while i < n:
        run = 1
        while i + run < n and row[i + run] == row[i] and run < 128:
            run += 1
        if run >= 3:
            out += bytes([257 - run, row[i]])
            i += run
            continue
        start = i
        while i < n and i - start < 128 and not (i + 2 < n and row[i] == row[i + 1] == row[i + 2]):
            i += 1
        out += bytes([i - start - 1]) + row[start:i]
    return bytes(out)


def write_ppm(path, width, height, rgb_rows):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        for row in rgb_rows:
            f.write(bytes(c for px in row for c in px))


def in_marker(x, y):
    return x < 6 and y < 6


def sample_8bit(width=96, height=72):
    # Entry 0 black, 1 red, then a hue wheel at two brightnesses and a grey ramp.
    palette = [(0, 0, 0), (255, 0, 0)]
    for i in range(96):
        h = i * 6
        seg, f = divmod(h, 96)
        f = f * 255 // 95
        r, g, b = [(255, f, 0), (255 - f, 255, 0), (0, 255, f), (0, 255 - f, 255), (f, 0, 255),
                   (255, 0, 255 - f)][seg % 6]
        palette.append((r, g, b))
        palette.append((r // 2, g // 2, b // 2))
    while len(palette) < 256:
        v = (len(palette) - 194) * 255 // 61
        palette.append((v, v, v))
    cx, cy = width // 2, height // 2
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if in_marker(x, y):
                row.append(1)
                continue
            d = math.isqrt((x - cx) ** 2 + (y - cy) ** 2)
            if d < 30:
                # Rings of the hue wheel, alternately bright and dark.
                row.append(2 + 2 * ((x * 3 + y * 5 + d * 2) % 96) + (d // 6) % 2)
            elif y > height - 10:
                row.append(194 + x * 61 // width)
            else:
                row.append(0 if (x // 8 + y // 8) % 2 else 194 + 30)
        rows.append(row)
    body = b"".join(byterun1(pr) for row in rows for pr in plane_rows(row, width, 8))
    cmap = b"".join(bytes(c) for c in palette)
    data = form([chunk(b"BMHD", bmhd(width, height, 8, 1)), chunk(b"CMAP", cmap),
                 chunk(b"CAMG", struct.pack(">I", 0)), chunk(b"BODY", body)])
    expected = [[palette[i] for i in row] for row in rows]
    return data, expected


def sample_ham6(width=96, height=64):
    # 4-bit levels; the file stores them as v << 4.
    base = [(0, 0, 0), (15, 0, 0), (15, 15, 15), (8, 8, 8), (0, 0, 15), (0, 15, 0), (15, 15, 0), (4, 4, 4),
            (12, 12, 12), (15, 8, 0), (8, 0, 15), (0, 8, 8), (15, 0, 8), (8, 15, 0), (0, 4, 12), (12, 4, 0)]
    rows = []
    expected = []
    for y in range(height):
        indices = []
        shown = []
        prev = (0, 0, 0)  # every row starts from black
        for x in range(width):
            if in_marker(x, y):
                target = (15, 0, 0)
            else:
                # A smooth sweep: red across, green down, blue along the diagonal.
                target = (x * 15 // (width - 1), y * 15 // (height - 1), ((x + 2 * y) * 15 // (width + 2 * height)))
            # Pick the step that ends closest to the target: a base colour or
            # one gun of the previous pixel.
            best = None
            for i, c in enumerate(base):
                cost = sum(abs(a - b) for a, b in zip(c, target))
                if best is None or cost < best[0]:
                    best = (cost, i, c)
            for gun, control in ((2, 1), (0, 2), (1, 3)):
                c = list(prev)
                c[gun] = target[gun]
                cost = sum(abs(a - b) for a, b in zip(c, target))
                if cost < best[0]:
                    best = (cost, (control << 4) | target[gun], tuple(c))
            indices.append(best[1])
            prev = best[2]
            shown.append(tuple(v * 17 for v in prev))
        rows.append(indices)
        expected.append(shown)
    body = b"".join(pr for row in rows for pr in plane_rows(row, width, 6))
    cmap = b"".join(bytes(v << 4 for v in c) for c in base)
    data = form([chunk(b"BMHD", bmhd(width, height, 6, 0)), chunk(b"CMAP", cmap),
                 chunk(b"CAMG", struct.pack(">I", 0x800)), chunk(b"BODY", body)])
    return data, expected


def seeds(folder):
    width, height = 20, 6
    def ilbm(planes, pixels, cmap=None, camg=0, masking=0, compression=0):
        rows = []
        for row in pixels:
            rows += plane_rows(row, width, planes)
            if masking == 1:
                rows.append(b"\xff" * (2 * ((width + 15) // 16)))
        body = b"".join(byterun1(r) if compression else r for r in rows)
        header = bytearray(bmhd(width, height, planes, compression))
        header[9] = masking
        chunks = [chunk(b"BMHD", bytes(header))]
        if cmap is not None:
            chunks.append(chunk(b"CMAP", bytes(c for rgb in cmap for c in rgb)))
        chunks += [chunk(b"CAMG", struct.pack(">I", camg)), chunk(b"BODY", body)]
        return form(chunks)
    def picture(levels):
        return [[(x * 3 + y * 5 + x * y) % levels for x in range(width)] for y in range(height)]
    def colours(n):
        return [(i * 37 % 256, i * 91 % 256, 255 - i * 255 // max(n - 1, 1)) for i in range(n)]
    files = {
        "1plane-grey": ilbm(1, picture(2)),
        "4planes-byterun1": ilbm(4, picture(16), colours(16), compression=1),
        "8planes-mask": ilbm(8, picture(256), colours(256), masking=1, compression=1),
        "ehb": ilbm(6, picture(64), colours(32), camg=0x80),
        "ham6": ilbm(6, picture(64), colours(16), camg=0x800, compression=1),
        "24planes": ilbm(24, [[(x * 40) | (y * 40) << 8 | (x * y * 7 % 256) << 16 for x in range(width)]
                              for y in range(height)]),
    }
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, "seed-iff-" + name), "wb") as f:
            f.write(b"\0" + data)


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--seeds":
        seeds(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "fuzz", "corpus"))
        return
    samples = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "samples")
    expected_dir = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "tests", "data", "iff")
    os.makedirs(samples, exist_ok=True)
    os.makedirs(expected_dir, exist_ok=True)
    for name, make in (("iff-8bit-byterun1", sample_8bit), ("iff-ham6", sample_ham6)):
        data, pixels = make()
        with open(os.path.join(samples, name + ".iff"), "wb") as f:
            f.write(data)
        write_ppm(os.path.join(expected_dir, name + ".ppm"), len(pixels[0]), len(pixels), pixels)
        print("%s.iff: %d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
