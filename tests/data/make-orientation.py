#!/usr/bin/env python3
"""Writes the EXIF orientation fixtures into tests/data/orientation/: one
small JPEG per orientation 1 to 8 (orient-N.jpg) and, next to each, the
picture as ImageMagick shows it upright (orient-N.ppm, from
`convert -auto-orient`).

The picture is 24 x 16 pixels of six flat 8 x 8 blocks in different colours,
so each of the eight turns and mirrors gives a different layout. ImageMagick
writes the JPEG (quality 100, no chroma subsampling); this script puts an
APP1 "Exif" segment after its JFIF segment. Odd orientations are written
little-endian ("II"), even ones big-endian ("MM"); IFD0 holds an ImageWidth
tag before the orientation, as cameras do.

Usage: tests/data/make-orientation.py
"""
import os
import shutil
import struct
import subprocess
import tempfile

MAGICK = shutil.which("convert-im6.q16") or shutil.which("convert")
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "orientation")
COLOURS = ["#e02020", "#20c020", "#2040e0", "#e0e020", "#20e0e0", "#e020e0"]


def exif_segment(orientation, big_endian):
    e = ">" if big_endian else "<"
    tiff = (b"MM" if big_endian else b"II") + struct.pack(e + "HI", 42, 8)
    entries = [(0x0100, 3, 1, struct.pack(e + "HH", 24, 0)),   # ImageWidth
               (0x0112, 3, 1, struct.pack(e + "HH", orientation, 0))]
    tiff += struct.pack(e + "H", len(entries))
    for tag, kind, count, value in entries:
        tiff += struct.pack(e + "HHI", tag, kind, count) + value
    tiff += struct.pack(e + "I", 0)  # no IFD1
    payload = b"Exif\0\0" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def with_exif(jpeg, segment):
    # After SOI and the JFIF APP0 segment, where cameras put it.
    pos = 2
    if jpeg[2:4] == b"\xff\xe0":
        pos = 4 + struct.unpack(">H", jpeg[4:6])[0]
    return jpeg[:pos] + segment + jpeg[pos:]


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, "base.jpg")
        blocks = []
        for i, colour in enumerate(COLOURS):
            blocks += ["-fill", colour, "-draw", "rectangle %d,%d %d,%d" % (8 * (i % 3), 8 * (i // 3),
                                                                            8 * (i % 3) + 7, 8 * (i // 3) + 7)]
        subprocess.run([MAGICK, "-size", "24x16", "xc:black", *blocks, "-strip", "-quality", "100",
                        "-sampling-factor", "1x1", base], check=True)
        jpeg = open(base, "rb").read()
        for n in range(1, 9):
            name = os.path.join(OUT, "orient-%d.jpg" % n)
            with open(name, "wb") as f:
                f.write(with_exif(jpeg, exif_segment(n, big_endian=n % 2 == 0)))
            subprocess.run([MAGICK, name, "-auto-orient", "-strip", "ppm:" + name[:-4] + ".ppm"], check=True)


if __name__ == "__main__":
    main()
