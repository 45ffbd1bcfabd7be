#!/usr/bin/env python3
"""Writes the PBM/PGM/PPM fixtures of the decoder tests into tests/data/pnm/,
each next to the pixels it must decode to (NAME.rgba: raw 8-bit RGBA, rows
from the top).

The pictures are a 29 x 17 crop of ImageMagick's built-in rose. ImageMagick
(Debian package imagemagick) writes all six kinds (plain and raw bitmap,
greymap and pixmap), a greymap with maxval 15 and a pixmap with 16-bit
samples; their expected pixels are its own decode. This script writes plain
files with "#" comments in the header and between samples, maxvals of 1000
and 7, and a raw 16-bit greymap; their expected pixels are the samples scaled
to 0-255 and rounded. (ImageMagick rounds 16-bit grey samples down.)

Usage: tests/data/make-pnm.py
"""
import os
import shutil
import subprocess

MAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pnm")
W, H = 29, 17
CROP = ["rose:", "-crop", "%dx%d+20+14" % (W, H), "+repage"]


def magick(*args):
    return subprocess.run([MAGICK, *args], check=True, capture_output=True).stdout


def scaled(v, maxval):
    return (v * 255 + maxval // 2) // maxval


def write(name, data, expected):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
    with open(os.path.join(OUT, name[:-4] + ".rgba"), "wb") as f:
        f.write(bytes(v for p in expected for v in (*p, 255)))


def main():
    os.makedirs(OUT, exist_ok=True)
    grey = ["-colorspace", "gray"]
    plain = ["-compress", "none"]
    for name, extra in (("ppm-raw.ppm", []), ("ppm-plain.ppm", plain),
                        ("pgm-raw.pgm", grey), ("pgm-plain.pgm", grey + plain),
                        ("pgm-raw-maxval15.pgm", grey + ["-depth", "4"]),
                        ("ppm-raw-16bit.ppm", ["-depth", "16"]),
                        ("pbm-raw.pbm", ["-monochrome"]), ("pbm-plain.pbm", ["-monochrome"] + plain)):
        path = os.path.join(OUT, name)
        magick(*CROP, *extra, path)
        magick(path, "-depth", "8", "rgba:" + path[:-4] + ".rgba")

    raw16 = magick(*CROP, *grey, "-depth", "16", "-endian", "MSB", "gray:-")
    g16 = [raw16[i] * 256 + raw16[i + 1] for i in range(0, len(raw16), 2)]
    write("pgm-raw-16bit.pgm", b"P5\n%d %d\n65535\n" % (W, H) + raw16,
          [(scaled(v, 65535),) * 3 for v in g16])

    # Plain greymap, maxval 1000: a comment after the magic, one inside the
    # header's last line and one ending every row; no line end after the last sample.
    g1000 = [v * 1000 // 65535 for v in g16]
    rows = [" ".join(str(v) for v in g1000[y * W:(y + 1) * W]) for y in range(H)]
    text = "P2 # rose in grey\n%d %d\n1000# maxval\n" % (W, H) + "".join(r + " # row\n" for r in rows)
    write("pgm-plain-maxval1000.pgm", text.rstrip("\n").encode(), [(scaled(v, 1000),) * 3 for v in g1000])

    # Plain pixmap, maxval 7, several samples to a line, tabs and CR LF line ends.
    rgb = magick(*CROP, "-depth", "8", "rgb:-")
    s7 = [v * 7 // 255 for v in rgb]
    lines = ["\t".join(str(v) for v in s7[i:i + 12]) for i in range(0, len(s7), 12)]
    text = "P3\r\n#size\r\n%d\t%d\r\n7\r\n" % (W, H) + "\r\n".join(lines) + "\r\n"
    write("ppm-plain-maxval7.ppm", text.encode(),
          [tuple(scaled(v, 7) for v in s7[i:i + 3]) for i in range(0, len(s7), 3)])


if __name__ == "__main__":
    main()
