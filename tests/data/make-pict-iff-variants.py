#!/usr/bin/env python3
"""Writes the PICT and IFF variant fixtures into tests/data/variants/.

PICT: pictures made of several bands (pixel maps of 4, 8, 16 and 32 bits),
each drawn at its own destination rectangle of the picture frame.
ImageMagick reads them all back (tests/crosscheck.py); it shows 1-bit
bitmaps all black, so those are left to the unit tests.

All files are built byte by byte here from the same 29 x 17 crop of
ImageMagick's built-in rose that tests/data/make-variants.py uses. A few of
the files are also fuzz seeds (fuzz/corpus/seed-variant-*).

Usage: tests/data/make-pict-iff-variants.py
"""
import os
import shutil
import struct
import subprocess

MAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "variants")
SEEDS = os.path.join(HERE, "..", "..", "fuzz", "corpus")
W, H = 29, 17
CROP = ["rose:", "-crop", "%dx%d+20+14" % (W, H), "+repage"]


def magick(*args):
    return subprocess.run([MAGICK, *args], check=True, capture_output=True).stdout


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def rgb_rows(colours=0):
    reduce = ["-dither", "None", "-colors", str(colours)] if colours else []
    raw = magick(*CROP, *reduce, "-depth", "8", "rgb:-")
    return [[tuple(raw[3 * (y * W + x):3 * (y * W + x) + 3]) for x in range(W)] for y in range(H)]


def indexed(rows):
    """(palette, index rows) of rows with at most 256 colours."""
    palette = sorted({p for row in rows for p in row})
    assert len(palette) <= 256
    where = {c: i for i, c in enumerate(palette)}
    return palette, [[where[p] for p in row] for row in rows]


def packbits(data):
    """PackBits: repeats of three or more as runs, the rest as literals."""
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and run < 128 and data[i + run] == data[i]:
            run += 1
        if run >= 3:
            out += bytes([257 - run, data[i]])
            i += run
            continue
        start = i
        while i < len(data) and i - start < 128:
            if i + 2 < len(data) and data[i] == data[i + 1] == data[i + 2]:
                break
            i += 1
        out += bytes([i - start - 1]) + bytes(data[start:i])
    return bytes(out)


def packbits16(words):
    """PackBits in 16-bit units, literals only."""
    out = bytearray()
    for i in range(0, len(words), 128):
        chunk = words[i:i + 128]
        out += bytes([len(chunk) - 1]) + b"".join(struct.pack(">H", w) for w in chunk)
    return bytes(out)


# ---- PICT: several bands composed on the frame ------------------------

def rect(top, left, bottom, right):
    return struct.pack(">4h", top, left, bottom, right)


class Pict:
    def __init__(self, frame, version=2):
        self.version = version
        self.data = bytearray(512) + struct.pack(">H", 0) + rect(*frame)
        if version == 1:
            # Version 1 pictures open with a clip region (the frame).
            self.data += b"\x11\x01\x01" + struct.pack(">H", 10) + rect(*frame)
        else:
            self.data += struct.pack(">HHH", 0x0011, 0x02FF, 0x0C00)
            self.data += struct.pack(">iII", -2 << 16, 0x480000, 0x480000) + rect(*frame) + bytes(4)

    def opcode(self, op):
        if self.version == 1:
            self.data.append(op)
            return
        if len(self.data) & 1:
            self.data.append(0)
        self.data += struct.pack(">H", op)

    def rows(self, row_bytes, packed_rows):
        for p in packed_rows:
            self.data += (bytes([len(p)]) if row_bytes <= 250 else struct.pack(">H", len(p))) + p

    def pixmap_header(self, bounds, pack_type, pixel_type, pixel_size, cmp_count, cmp_size):
        self.data += rect(*bounds) + struct.pack(">HHIIIHHHHIII", 0, pack_type, 0, 0x480000, 0x480000,
                                                 pixel_type, pixel_size, cmp_count, cmp_size, 0, 0, 0)

    def placement(self, bounds, dest):
        self.data += rect(*bounds) + rect(*dest) + struct.pack(">H", 0)

    def indexed(self, bounds, dest, palette, index_rows, bits=8):
        width = bounds[3] - bounds[1]
        row_bytes = max(8, (width * bits + 7) // 8 + 1 & ~1)
        self.opcode(0x98)
        self.data += struct.pack(">H", row_bytes | 0x8000)
        self.pixmap_header(bounds, 0, 0, bits, 1, bits)
        self.data += struct.pack(">IHH", 0, 0, len(palette) - 1)
        for i, (r, g, b) in enumerate(palette):
            self.data += struct.pack(">4H", i, r * 257, g * 257, b * 257)
        self.placement(bounds, dest)
        packed = []
        for row in index_rows:
            value = 0
            for i in row:
                value = value << bits | i
            value <<= row_bytes * 8 - len(row) * bits
            packed.append(packbits(value.to_bytes(row_bytes, "big")))
        self.rows(row_bytes, packed)

    def bitmap(self, bounds, dest, bit_rows):
        """A 1-bit bitmap (BitsRect, rows stored as they are when short, else PackBitsRect)."""
        width = bounds[3] - bounds[1]
        row_bytes = (width + 15) // 16 * 2
        self.opcode(0x90 if row_bytes < 8 else 0x98)
        self.data += struct.pack(">H", row_bytes) + rect(*bounds)
        self.placement(bounds, dest)
        rows = []
        for row in bit_rows:
            value = 0
            for bit in row:
                value = value << 1 | bit
            rows.append((value << (row_bytes * 8 - len(row))).to_bytes(row_bytes, "big"))
        if row_bytes < 8:
            self.data += b"".join(rows)
        else:
            self.rows(row_bytes, [packbits(r) for r in rows])

    def direct(self, bounds, dest, rgb_rows, bits=32):
        width = bounds[3] - bounds[1]
        row_bytes = width * bits // 8
        self.opcode(0x9A)
        self.data += struct.pack(">IH", 0xFF, row_bytes | 0x8000)
        if bits == 32:
            self.pixmap_header(bounds, 4, 16, 32, 3, 8)
            self.placement(bounds, dest)
            self.rows(row_bytes, [packbits(bytes(p[0] for p in row) + bytes(p[1] for p in row) +
                                           bytes(p[2] for p in row)) for row in rgb_rows])
        else:
            self.pixmap_header(bounds, 3, 16, 16, 3, 5)
            self.placement(bounds, dest)
            self.rows(row_bytes, [packbits16([(p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3 for p in row])
                                  for row in rgb_rows])

    def end(self):
        self.opcode(0xFF)
        return bytes(self.data)


def make_pict():
    rgb = rgb_rows()
    palette, index = indexed(rgb_rows(40))
    full = (0, 0, H, W)
    # Three bands down the frame: 8-bit, 32-bit, 8-bit again.
    p = Pict(full)
    p.indexed((0, 0, 6, W), (0, 0, 6, W), palette, index[0:6])
    p.direct((6, 0, 12, W), (6, 0, 12, W), rgb[6:12])
    p.indexed((12, 0, H, W), (12, 0, H, W), palette, index[12:H])
    write("pict-bands-8bit-32bit.pct", p.end())
    # Bands side by side whose bounds all start at 0,0: only the destination places them.
    p = Pict(full)
    for left, right in ((0, 10), (10, 20), (20, W)):
        p.direct((0, 0, H, right - left), (0, left, H, right), [row[left:right] for row in rgb])
    write("pict-bands-destination.pct", p.end())
    # 16-bit bands, packed in 16-bit units.
    p = Pict(full)
    p.direct((0, 0, 9, W), (0, 0, 9, W), rgb[0:9], bits=16)
    p.direct((9, 0, H, W), (9, 0, H, W), rgb[9:H], bits=16)
    write("pict-bands-16bit.pct", p.end())
    # 4-bit bands with different colour tables.
    p = Pict(full)
    for top, bottom in ((0, 8), (8, H)):
        band = [row for row in rgb_rows(16)[top:bottom]]
        pal, idx = indexed(band)
        p.indexed((top, 0, bottom, W), (top, 0, bottom, W), pal, idx, bits=4)
    write("pict-bands-4bit-own-tables.pct", p.end())


def make_seeds():
    # One prefix byte (0: the fuzz target's plain file name), then the file.
    for name in ("pict-bands-8bit-32bit.pct", "pict-bands-4bit-own-tables.pct"):
        with open(os.path.join(OUT, name), "rb") as f:
            data = f.read()
        with open(os.path.join(SEEDS, "seed-variant-" + os.path.splitext(name)[0]), "wb") as f:
            f.write(b"\0" + data)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_pict()
    make_seeds()
