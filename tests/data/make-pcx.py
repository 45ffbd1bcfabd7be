#!/usr/bin/env python3
"""Writes the PCX fixtures of the decoder tests into tests/data/pcx/, each next
to the pixels it must decode to (NAME.rgba: raw 8-bit RGBA, rows from the top).

The pictures are a 29 x 17 crop of ImageMagick's built-in rose (odd width:
plane rows are padded to an even length). ImageMagick (Debian package
imagemagick) writes the 24-bit (three planes) and the 8-bit file with the
256-colour palette after the data; their expected pixels are its own decode.
This script writes the layouts ImageMagick cannot write: 1 bit with 1, 3 and 4
planes, 2 and 4 bits with one plane, all through the 16-entry header palette,
with runs that cross plane and row ends; their expected pixels are the ones
encoded. (ImageMagick shows 1-bit, 1-plane files in black and white whatever
their palette.)

Usage: tests/data/make-pcx.py
"""
import os
import shutil
import struct
import subprocess

MAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pcx")
W, H = 29, 17
CROP = ["rose:", "-crop", "%dx%d+20+14" % (W, H), "+repage"]


def magick(*args):
    return subprocess.run([MAGICK, *args], check=True, capture_output=True).stdout


def indexed(colours):
    raw = magick(*CROP, "+dither", "-colors", str(colours), "-depth", "8", "rgb:-")
    pixels = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    palette = sorted(set(pixels))
    return palette, [palette.index(p) for p in pixels]


def run_length(data):
    """The whole image as one stream: runs cross plane and row ends."""
    out = bytearray()
    i = 0
    while i < len(data):
        j = i
        while j < len(data) and data[j] == data[i] and j - i < 63:
            j += 1
        if j - i == 1 and data[i] < 0xC0:
            out.append(data[i])
        else:
            out += bytes([0xC0 | (j - i), data[i]])
        i = j
    return bytes(out)


def pack(values, bits, bytes_per_line):
    """One plane row, most significant bits first, zero-padded."""
    out = bytearray(bytes_per_line)
    for x, v in enumerate(values):
        bit = x * bits
        out[bit // 8] |= v << (8 - bits - bit % 8)
    return bytes(out)


def pcx(name, bits, planes, palette, index):
    bytes_per_line = ((W * bits + 7) // 8 + 1) & ~1
    data = bytearray()
    for y in range(H):
        row = index[y * W:(y + 1) * W]
        if planes == 1:
            data += pack(row, bits, bytes_per_line)
        else:
            for p in range(planes):
                data += pack([(v >> p) & 1 for v in row], 1, bytes_per_line)
    header_palette = bytes(v for c in palette for v in c).ljust(48, b"\0")
    header = struct.pack("<4B6H", 10, 5, 1, bits, 0, 0, W - 1, H - 1, 72, 72) + header_palette
    header += struct.pack("<2B2H", 0, planes, bytes_per_line, 1).ljust(64, b"\0")
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(header + run_length(bytes(data)))
    with open(os.path.join(OUT, name[:-4] + ".rgba"), "wb") as f:
        f.write(bytes(v for i in index for v in (*palette[i], 255)))


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, extra in (("rose-24.pcx", []), ("rose-8-palette.pcx", ["+dither", "-colors", "200"])):
        path = os.path.join(OUT, name)
        magick(*CROP, *extra, path)
        magick(path, "-depth", "8", "rgba:" + path[:-4] + ".rgba")
    pcx("rose-4bit.pcx", 4, 1, *indexed(16))
    pcx("rose-2bit.pcx", 2, 1, *indexed(4))
    pcx("rose-1bit.pcx", 1, 1, *indexed(2))
    pcx("rose-1bit-3planes.pcx", 1, 3, *indexed(8))
    pcx("rose-1bit-4planes.pcx", 1, 4, *indexed(16))


if __name__ == "__main__":
    main()
