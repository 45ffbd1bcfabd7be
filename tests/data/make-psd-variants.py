#!/usr/bin/env python3
"""Writes the PSD variant fixtures into tests/data/variants/: CMYK (8 and 16
bits, with and without transparency), greyscale and RGB with transparency,
RGB with a fourth channel that is not transparency, bitmap (1-bit, raw and
PackBits), duotone and multichannel documents.

The picture is the same 29 x 17 crop of ImageMagick's built-in rose as in
make-variants.py. ImageMagick (Debian package imagemagick) writes the CMYK,
greyscale-with-alpha and RGBA files; it gives the merged image transparency
by a negative layer count. It unblends such colours from white when reading,
so the transparency of the files it reads back here is either clear or
opaque; the RGBA file with an alpha ramp is read by Pillow, which does not.
It misreads the merged image of its own greyscale file with transparency,
which is checked against its reading of the file's layer instead
(psd-grey-alpha-layer.png).
The other files are built byte by byte below. A few files are also fuzz seeds.

Usage: tests/data/make-psd-variants.py
"""
import os
import struct

from variant_kit import OUT, W, H, CROP, magick, write, make_seeds


def alpha(threshold):
    ramp = ["-size", "%dx%d" % (H, W), "gradient:white-black", "-rotate", "90"]
    return ["(", *ramp, *(["-threshold", "50%"] if threshold else []), ")", "-alpha", "off", "-compose",
            "copy_opacity", "-composite"]


def packbits(row):
    out, i = b"", 0
    while i < len(row):
        n = 1
        while i + n < len(row) and n < 128 and row[i + n] == row[i]:
            n += 1
        if n > 1:
            out += bytes([257 - n, row[i]])
        else:
            while i + n < len(row) and n < 128 and (i + n + 1 >= len(row) or row[i + n] != row[i + n + 1]):
                n += 1
            out += bytes([n - 1]) + row[i:i + n]
        i += n
    return out


def psd(mode, depth, planes, row_bytes, rle=False, colour_data=b""):
    """A document without resources or layers; planes are lists of row bytes."""
    out = b"8BPS" + struct.pack(">H6xHIIHH", 1, len(planes), H, W, depth, mode)
    out += struct.pack(">I", len(colour_data)) + colour_data + struct.pack(">II", 0, 0)
    if not rle:
        return out + struct.pack(">H", 0) + b"".join(b"".join(rows) for rows in planes)
    packed = [[packbits(r) for r in rows] for rows in planes]
    counts = b"".join(struct.pack(">H", len(r)) for rows in packed for r in rows)
    return out + struct.pack(">H", 1) + counts + b"".join(b"".join(rows) for rows in packed)


def make_psd():
    rgb = magick(*CROP, "-depth", "8", "rgb:-")
    grey = magick(*CROP, "-colorspace", "gray", "-depth", "8", "gray:-")

    write("psd-cmyk-raw.psd", magick(*CROP, "-colorspace", "cmyk", "-compress", "None", "psd:-"))
    write("psd-cmyk-rle.psd", magick(*CROP, "-colorspace", "cmyk", "-compress", "RLE", "psd:-"))
    write("psd-cmyk16-rle.psd", magick(*CROP, "-colorspace", "cmyk", "-depth", "16", "-compress", "RLE", "psd:-"))
    write("psd-cmyk-alpha.psd", magick(*CROP, *alpha(True), "-colorspace", "cmyk", "-compress", "RLE", "psd:-"))
    # No peer reads the merged image of this one rightly; its twin is the
    # peer's reading of the file's one layer, which holds the same picture.
    write("psd-grey-alpha.psd", magick(*CROP, *alpha(True), "-colorspace", "gray", "-compress", "RLE", "psd:-"))
    write("psd-grey-alpha-layer.png", magick(os.path.join(OUT, "psd-grey-alpha.psd") + "[1]", "-define",
                                             "png:exclude-chunks=date,time", "png:-"))
    write("psd-rgba-ramp.psd", magick(*CROP, *alpha(False), "-compress", "RLE", "psd:-"))

    # RGB with a fourth channel and no negative layer count: a saved
    # selection, not transparency.
    planes = [[bytes(rgb[3 * (y * W + x) + c] for x in range(W)) for y in range(H)] for c in range(3)]
    selection = [bytes((x * 9) & 0xFF for x in range(W)) for y in range(H)]
    write("psd-rgb-selection.psd", psd(3, 8, planes + [selection], W, rle=True))

    # Bitmap: 1 black, rows whole bytes.
    bits = []
    for y in range(H):
        row = bytearray((W + 7) // 8)
        for x in range(W):
            if grey[y * W + x] < 128:
                row[x >> 3] |= 0x80 >> (x & 7)
        bits.append(bytes(row))
    write("psd-bitmap-raw.psd", psd(0, 1, [bits], (W + 7) // 8))
    write("psd-bitmap-rle.psd", psd(0, 1, [bits], (W + 7) // 8, rle=True))

    # Duotone: the grey plane with the inks' description as colour-mode data.
    grey_rows = [grey[y * W:(y + 1) * W] for y in range(H)]
    write("psd-duotone.psd", psd(8, 8, [grey_rows], W, rle=True, colour_data=bytes(range(40))))
    # Multichannel: three independent channels, uncompressed (Pillow reads
    # only one channel's PackBits counts).
    write("psd-multichannel.psd", psd(7, 8, planes, W))


SEED_FILES = ("psd-cmyk-alpha.psd", "psd-cmyk16-rle.psd", "psd-bitmap-rle.psd", "psd-rgb-selection.psd")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_psd()
    make_seeds(SEED_FILES)
