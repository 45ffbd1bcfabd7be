#!/usr/bin/env python3
"""Writes the TIFF variant fixtures into tests/data/variants/ (tiff-*.tif):
horizontal predictor with LZW and Deflate (8 and 16 bits, grey and RGB,
strips and tiles), alpha (associated and unassociated, 8 and 16 bits, grey
and RGB), BigTIFF, every orientation, CIELab and ICC Lab, separate planes,
12-bit and 4-bit samples and 32-bit float grey and RGB.

ImageMagick (Debian package imagemagick) makes the pictures, libtiff-tools'
tiffcp and tiffset re-encode them and set tags; layouts neither writes are
built byte by byte here. tests/crosscheck.py compares our decode of each file
with ImageMagick's, tiff2rgba's, Pillow's or netpbm's (tifftopnm).

Usage: tests/data/make-tiff.py
"""
import os
import shutil
import struct
import subprocess
import tempfile

from variant_kit import MAGICK, OUT, W, H, CROP, ALPHA, make_seeds

# The rose scaled down at 16 bits, so samples use their low bytes too.
CROP16 = ["rose:", "-resize", "%dx%d!" % (W, H), "-depth", "16"]


def run(*args):
    return subprocess.run(list(args), check=True, capture_output=True).stdout


def out(name):
    return os.path.join(OUT, name)


def magick(*args):
    return run(MAGICK, *args)


def tiffcp(options, source, name):
    run("tiffcp", *options, source, out(name))


# ---- byte-built files ---------------------------------------------------

def tiff(width, height, bits, photometric, planes, extra=(), tags=(), sample_format=None):
    """A little-endian TIFF of one strip per plane; planes holds the bytes of
    each plane (one entry: samples interleaved). tags: extra (tag, type, values)."""
    samples_per_pixel = len(bits)
    entries = [(256, 4, [width]), (257, 4, [height]), (258, 3, list(bits)), (259, 3, [1]),
               (262, 3, [photometric]), (277, 3, [samples_per_pixel]), (278, 4, [height]),
               (284, 3, [2 if len(planes) > 1 else 1])]
    if extra:
        entries.append((338, 3, list(extra)))
    if sample_format:
        entries.append((339, 3, [sample_format] * samples_per_pixel))
    entries += list(tags)
    data = b"".join(planes)
    offsets = []
    at = 8
    for p in planes:
        offsets.append(at)
        at += len(p)
    entries += [(273, 4, offsets), (279, 4, [len(p) for p in planes])]
    entries.sort()
    size = {3: 2, 4: 4, 5: 8}
    pack = {3: "H", 4: "I", 5: "I"}
    ifd_at = 8 + len(data) + (len(data) & 1)
    extra_at = ifd_at + 2 + 12 * len(entries) + 4
    ifd = struct.pack("<H", len(entries))
    blob = b""
    for tag, kind, values in entries:
        count = len(values) // 2 if kind == 5 else len(values)
        raw = struct.pack("<%d%s" % (len(values), pack[kind]), *values)
        if len(raw) <= 4:
            ifd += struct.pack("<HHI", tag, kind, count) + raw.ljust(4, b"\0")
        else:
            ifd += struct.pack("<HHII", tag, kind, count, extra_at + len(blob))
            blob += raw
    ifd += struct.pack("<I", 0)
    return b"II*\0" + struct.pack("<I", ifd_at) + data + b"\0" * (len(data) & 1) + ifd + blob


def pack_bits(values, bits):
    """Samples of one row packed most significant bit first, padded to a byte."""
    acc, n, result = 0, 0, bytearray()
    for v in values:
        acc = (acc << bits) | v
        n += bits
        while n >= 8:
            n -= 8
            result.append((acc >> n) & 0xFF)
    if n:
        result.append((acc << (8 - n)) & 0xFF)
    return bytes(result)


def samples16(*args):
    raw = magick(*CROP16, *args, "-depth", "16", "-endian", "LSB", "rgb:-" if "gray" not in args else "gray:-")
    return list(struct.unpack("<%dH" % (len(raw) // 2), raw))


def make_built():
    rgb16 = samples16()
    plane = lambda k: struct.pack("<%dH" % (W * H), *rgb16[k::3])
    with open(out("tiff-separate-rgb16.tif"), "wb") as f:
        f.write(tiff(W, H, (16, 16, 16), 2, [plane(0), plane(1), plane(2)]))
    grey = samples16("-colorspace", "gray")
    rows12 = b"".join(pack_bits([v >> 4 for v in grey[y * W:(y + 1) * W]], 12) for y in range(H))
    with open(out("tiff-grey12.tif"), "wb") as f:
        f.write(tiff(W, H, (12,), 1, [rows12]))
    floats = struct.pack("<%df" % len(grey), *(v / 65535.0 for v in grey))
    with open(out("tiff-float-grey.tif"), "wb") as f:
        f.write(tiff(W, H, (32,), 1, [floats], sample_format=3))
    with open(out("tiff-float-rgb.tif"), "wb") as f:
        f.write(tiff(W, H, (32, 32, 32), 2, [struct.pack("<%df" % len(rgb16), *(v / 65535.0 for v in rgb16))],
                     sample_format=3))
    run("tiffcp", "-c", "lzw:3", out("tiff-float-grey.tif"), out("tiff-lzw-predictor3-float-grey.tif"))
    rows4 = b"".join(pack_bits([v >> 12 for v in rgb16[3 * y * W:3 * (y + 1) * W]], 4) for y in range(H))
    with open(out("tiff-rgb4.tif"), "wb") as f:
        f.write(tiff(W, H, (4, 4, 4), 2, [rows4]))
    # ICC Lab: the CIELab file's a and b stored offset by 128 instead of signed.
    lab = first_strip(out("tiff-cielab8.tif"))[:W * H * 3]
    icc = bytes(v if i % 3 == 0 else (v + 128) & 0xFF for i, v in enumerate(lab))
    with open(out("tiff-icclab8.tif"), "wb") as f:
        f.write(tiff(W, H, (8, 8, 8), 9, [icc], tags=[(318, 5, [3127, 10000, 329, 1000])]))


def first_strip(path):
    """The bytes of the first strip of an uncompressed little-endian TIFF."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:4] == b"II*\0"
    at = struct.unpack_from("<I", data, 4)[0]
    fields = {}
    for i in range(struct.unpack_from("<H", data, at)[0]):
        tag, kind, count, value = struct.unpack_from("<HHII", data, at + 2 + 12 * i)
        fields[tag] = value if kind == 4 else value & 0xFFFF
    assert fields[259] == 1
    return data[fields[273]:fields[273] + fields[279]]


# ---- files re-encoded by tiffcp -----------------------------------------

def make_encoded(work):
    rgb8 = os.path.join(work, "rgb8.tif")
    grey8 = os.path.join(work, "grey8.tif")
    rgb16 = os.path.join(work, "rgb16.tif")
    grey16 = os.path.join(work, "grey16.tif")
    magick(*CROP, "-depth", "8", "-compress", "none", rgb8)
    magick(*CROP, "-colorspace", "gray", "-depth", "8", "-compress", "none", grey8)
    magick(*CROP16, "-compress", "none", rgb16)
    magick(*CROP16, "-colorspace", "gray", "-compress", "none", grey16)
    tiles = ["-t", "-w", "16", "-l", "16"]
    tiffcp(["-c", "lzw:2"], rgb8, "tiff-lzw-predictor-rgb8.tif")
    tiffcp(["-c", "zip:2", "-r", "5"], grey8, "tiff-zip-predictor-grey8-strips.tif")
    tiffcp(["-c", "zip:2"] + tiles, grey8, "tiff-zip-predictor-grey8-tiles.tif")
    tiffcp(["-c", "lzw:2"], rgb16, "tiff-lzw-predictor-rgb16.tif")
    tiffcp(["-c", "zip:2"] + tiles, rgb16, "tiff-zip-predictor-rgb16-tiles.tif")
    tiffcp(["-c", "lzw:2"], grey16, "tiff-lzw-predictor-grey16.tif")
    tiffcp(["-c", "zip:2"] + tiles, grey16, "tiff-zip-predictor-grey16-tiles.tif")
    tiffcp(["-8", "-c", "lzw:2"], rgb8, "tiff-bigtiff.tif")
    run("tiffcp", "-8", "-B", "-c", "zip", rgb16, out("tiff-bigtiff-be-rgb16.tif"))
    rgba = os.path.join(work, "rgba.tif")
    magick(*CROP, *ALPHA, "-depth", "8", "-compress", "none", rgba)
    tiffcp(["-p", "separate", "-c", "zip:2"], rgba, "tiff-separate-rgba8.tif")
    for n in range(1, 9):
        name = out("tiff-orientation-%d.tif" % n)
        shutil.copy(rgb8, name)
        run("tiffset", "-s", "274", str(n), name)
    for name, source in (("tiff-orientation-6-grey8.tif", grey8), ("tiff-orientation-7-rgb16.tif", rgb16)):
        shutil.copy(source, out(name))
        run("tiffset", "-s", "274", name[17], out(name))
    bilevel = out("tiff-orientation-8-bilevel.tif")
    magick(*CROP, "-colorspace", "gray", "-threshold", "50%", "-type", "bilevel", "-compress", "none", bilevel)
    run("tiffset", "-s", "274", "8", bilevel)


# ---- files ImageMagick writes -------------------------------------------

def make_magick():
    magick(*CROP, *ALPHA, "-depth", "8", "-define", "tiff:alpha=unassociated", out("tiff-rgba8-unassociated.tif"))
    magick(*CROP, *ALPHA, "-depth", "8", "-define", "tiff:alpha=associated", out("tiff-rgba8-associated.tif"))
    magick(*CROP16, *ALPHA, "-depth", "16", "-define", "tiff:alpha=unassociated", out("tiff-rgba16-unassociated.tif"))
    magick(*CROP16, *ALPHA, "-depth", "16", "-define", "tiff:alpha=associated", out("tiff-rgba16-associated.tif"))
    magick(*CROP, "-colorspace", "gray", *ALPHA, "-depth", "8", out("tiff-grey8-alpha.tif"))
    magick(*CROP, "-colorspace", "Lab", "-depth", "8", out("tiff-cielab8.tif"))
    magick(*CROP16, "-colorspace", "Lab", "-depth", "16", out("tiff-cielab16.tif"))


SEED_FILES = ("tiff-bigtiff.tif", "tiff-zip-predictor-grey16-tiles.tif", "tiff-separate-rgb16.tif",
                 "tiff-orientation-6.tif", "tiff-icclab8.tif")


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make_encoded(work)
    make_magick()
    make_built()
    make_seeds(SEED_FILES)


if __name__ == "__main__":
    main()
