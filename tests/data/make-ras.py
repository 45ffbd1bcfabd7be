#!/usr/bin/env python3
"""Writes the Sun rasterfile fixtures of the decoder tests into tests/data/ras/,
each next to the pixels it must decode to (NAME.rgba: raw 8-bit RGBA, rows
from the top).

The pictures are a 29 x 17 crop of ImageMagick's built-in rose (odd width:
rows are padded to 16 bits). ImageMagick (Debian package imagemagick) writes
the plain 24-bit (RGB order) and 8-bit colour-mapped files, and their
expected pixels are its own decode. This script writes the variants
ImageMagick cannot write: byte-encoded data (with runs across row ends and
escaped 0x80 bytes), BGR order, 32 bits, 1 bit with and without a map, 8 bits
without a map; their expected pixels are the ones encoded. (ImageMagick
reads some of those differently: RGB order for byte-encoded data, the pad
byte of 32-bit pixels as alpha, inverted indices for 1-bit files with a map.)

Usage: tests/data/make-ras.py
"""
import os
import shutil
import struct
import subprocess

MAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ras")
W, H = 29, 17
CROP = ["rose:", "-crop", "%dx%d+20+14" % (W, H), "+repage"]


def magick(*args):
    return subprocess.run([MAGICK, *args], check=True, capture_output=True).stdout


def rgb_pixels(*extra):
    raw = magick(*CROP, *extra, "-depth", "8", "rgb:-")
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


def indexed(colours):
    pixels = rgb_pixels("+dither", "-colors", str(colours))
    palette = sorted(set(pixels))
    return palette, [palette.index(p) for p in pixels]


def rows_of(values):
    return [values[y * W:(y + 1) * W] for y in range(H)]


def pad16(row):
    return row + b"\0" * (len(row) & 1)


def pack_bits(bits):
    out = bytearray()
    for i in range(0, len(bits), 8):
        chunk = bits[i:i + 8]
        byte = 0
        for k, b in enumerate(chunk):
            byte |= (b & 1) << (7 - k)
        out.append(byte)
    return bytes(out)


def byte_encode(data):
    """The rasterfile byte encoding over the whole block (runs cross rows)."""
    out = bytearray()
    i = 0
    while i < len(data):
        j = i
        while j < len(data) and data[j] == data[i] and j - i < 256:
            j += 1
        run, v = j - i, data[i]
        if run == 1:
            out += bytes([0x80, 0]) if v == 0x80 else bytes([v])
        elif run == 2 and v != 0x80:
            out += bytes([v, v])
        else:
            out += bytes([0x80, run - 1, v])
        i = j
    return bytes(out)


def write_rgba(name, pixels):
    with open(os.path.join(OUT, name[:-4] + ".rgba"), "wb") as f:
        f.write(bytes(v for p in pixels for v in (p[0], p[1], p[2], 255)))


def rasterfile(name, depth, rows, expected, typ=1, maptype=0, cmap=b""):
    write_rgba(name, expected)
    data = b"".join(pad16(r) for r in rows)
    if typ == 2:
        data = byte_encode(data)
    header = struct.pack(">8I", 0x59A66A95, W, H, depth, len(data), typ, maptype, len(cmap))
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(header + cmap + data)


def equal_rgb_map(palette):
    return bytes(c[0] for c in palette) + bytes(c[1] for c in palette) + bytes(c[2] for c in palette)


def main():
    os.makedirs(OUT, exist_ok=True)
    rgb = rgb_pixels()
    for name, extra in (("rose-24-rgb.ras", []), ("rose-8-map.ras", ["+dither", "-colors", "64"])):
        path = os.path.join(OUT, name)
        magick(*CROP, *extra, path)
        magick(path, "-depth", "8", "rgba:" + path[:-4] + ".rgba")

    rasterfile("rose-24-bgr-rle.ras", 24,
               [bytes(v for p in row for v in (p[2], p[1], p[0])) for row in rows_of(rgb)], rgb, typ=2)
    rasterfile("rose-32.ras", 32,
               [bytes(v for p in row for v in (0, p[2], p[1], p[0])) for row in rows_of(rgb)], rgb)

    palette, index = indexed(40)
    # Index 0x80 is made common so that escaped 0x80 bytes appear in the data.
    index = [0x80 if i == 0 else i for i in index]
    palette = palette + [(0, 0, 0)] * (129 - len(palette))
    palette[0x80] = palette[0]
    rasterfile("rose-8-map-rle.ras", 8, [bytes(r) for r in rows_of(index)], [palette[i] for i in index],
               typ=2, maptype=1, cmap=equal_rgb_map(palette))

    grey = [p[0] for p in rgb_pixels("-colorspace", "gray")]
    rasterfile("rose-8-nomap.ras", 8, [bytes(r) for r in rows_of(grey)], [(g, g, g) for g in grey])
    bits = [1 if g < 96 else 0 for g in grey]
    rasterfile("rose-1-nomap.ras", 1, [pack_bits(r) for r in rows_of(bits)],
               [(0, 0, 0) if b else (255, 255, 255) for b in bits])
    two = [(250, 230, 120), (20, 40, 110)]
    rasterfile("rose-1-map.ras", 1, [pack_bits(r) for r in rows_of(bits)], [two[b] for b in bits],
               maptype=1, cmap=equal_rgb_map(two))


if __name__ == "__main__":
    main()
