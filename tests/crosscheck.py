#!/usr/bin/env python3
"""Decodes image files with oculane-cli and with ImageMagick and compares pixels.

Usage: tests/crosscheck.py [--cli PATH] [FILE_OR_FOLDER ...]
       (default: samples/ and tests/data/variants/)

For each file both decoders read, every pixel must match exactly (JPEG and
JPEG-bearing formats: within 2 per channel). When ImageMagick misreads or
does not read a file, Pillow and (for 16-bit PNM) netpbm are tried as well;
matching any peer passes. A JPEG or PNG stored inside a BMP is compared with
the peer's reading of that JPEG or PNG. Colour channels of pixels that the
peer says are fully transparent are not compared. Files only one decoder reads
are listed but do not fail the run. Exit status 1 when any file differs.
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LOSSY = {".jpg", ".jpeg", ".pct", ".pict"}  # PICT may carry QuickTime JPEG
# The peer decodes JPEG the way we do: no fancy upsampling, floating-point DCT.
PEER_DEFINES = ["-define", "jpeg:fancy-upsampling=off", "-define", "jpeg:dct-method=float"]
# Differences that are understood: file name -> (tolerance, reason[, "rgb"]);
# "rgb" compares colour only, for files whose transparency we do not apply.
KNOWN = {
    "png-grey16-interlaced.png": (1, "16-bit samples keep their high byte; the peer rounds"),
    "jpeg-cmyk-adobe.jpg": (3, "CMYK to RGB rounding differs"),
    "eps-tiff-preview.eps": (1, "libtiff truncates 16-bit colour-map values; the peer rounds"),
    "iff-ham6.iff": (15, "hold-and-modify values are scaled to 0-255; the peer only shifts them"),
    "iff-sham.iff": (15, "hold-and-modify values are scaled to 0-255; the peer only shifts them"),
    "iff-sham-interlaced.iff": (15, "hold-and-modify values are scaled to 0-255; the peer only shifts them"),
    "iff-ctbl.iff": (15, "hold-and-modify values are scaled to 0-255; the peer only shifts them"),
    "psd-grey-16bit.psd": (1, "16-bit samples keep their high byte; the peer rounds"),
    "bmp-im-1555-alpha.bmp": (0, "the peer widens a 1-bit alpha to 128; we widen it to 255", "rgb"),
    "bmp-v3-56byte-1555-alpha.bmp": (0, "the peer widens a 1-bit alpha to 128; we widen it to 255", "rgb"),
    "bmp-im-4444-alpha.bmp": (15, "the peer shifts 4-bit channels up; we repeat their bits (12 is 204, not 192)"),
    "bmp-v2-52byte-565.bmp": (0, "the peer takes an alpha mask from the pixels after a 52-byte header", "rgb"),
    "bmp-v4-108byte-32bit-alpha.bmp": (0, "peers ignore the fourth byte of 32-bit pixels without bit fields; "
                                          "after a 108- or 124-byte header we take it as alpha when it varies", "rgb"),
    "dds-565.dds": (1, "the peer scales 5- and 6-bit values by 255/31 and 255/63, rounded; we repeat their bits"),
    "tga-15bit.tga": (1, "the peer scales 5-bit values by 255/31, rounded; we repeat their bits"),
    "tga-16bit-alpha.tga": (1, "the peer scales 5-bit values by 255/31, rounded; we repeat their bits"),
    "ico-v5-565-mask.ico": (1, "the peer scales 5- and 6-bit values by 255/31 and 255/63, rounded; we repeat their bits"),
    "tga-map15.tga": (1, "the peer scales 5-bit values by 255/31, rounded; we repeat their bits"),
    "tga-map16.tga": (1, "the peer scales 5-bit values by 255/31, rounded; we repeat their bits"),
}
# TIFF: ImageMagick truncates samples wider than 8 bits (and so rounds its
# opacity up); we round as tiff2rgba and pamdepth do, which read these only
# partly (tiff2rgba keeps the high byte of 16-bit grey and premultiplies alpha;
# tifftopnm reads neither tiles nor 12-bit samples).
TIFF_ROUNDS = "the peer truncates samples wider than 8 bits; we round"
KNOWN.update({
    "tiff-float-grey.tif": (1, TIFF_ROUNDS),
    "tiff-float-rgb.tif": (1, TIFF_ROUNDS),
    "tiff-lzw-predictor3-float-grey.tif": (1, TIFF_ROUNDS),
    "tiff-grey12.tif": (1, TIFF_ROUNDS),
    "tiff-zip-predictor-grey16-tiles.tif": (1, TIFF_ROUNDS),
    "tiff-rgba16-associated.tif": (1, TIFF_ROUNDS),
    "tiff-rgba16-unassociated.tif": (1, TIFF_ROUNDS),
    "tiff-rgba8-associated.tif": (1, "the peer truncates colour after dividing out alpha; we round"),
})

# Files no peer reads (or reads rightly) -> a file a peer reads that holds
# the same picture: the same DDS blocks under the legacy header, the same
# values unsigned, or the one layer of a PSD that holds its merged picture.
TWINS = {
    "psd-grey-alpha.psd": "psd-grey-alpha-layer.png",
    "dds-dx10-bc1.dds": "dds-im-dxt1.dds",
    "dds-dx10-bc1-srgb.dds": "dds-im-dxt1.dds",
    "dds-dx10-bc2.dds": "dds-dxt3.dds",
    "dds-dx10-bc3.dds": "dds-im-dxt5.dds",
    "dds-dx10-bc3-srgb.dds": "dds-im-dxt5.dds",
    "dds-dx10-bc3-typeless.dds": "dds-im-dxt5.dds",
    "dds-bc4u.dds": "dds-ati1.dds",
    "dds-bc4s.dds": "dds-ati1.dds",
    "dds-dx10-bc4.dds": "dds-ati1.dds",
    "dds-dx10-bc4-snorm.dds": "dds-ati1.dds",
    "dds-bc5u.dds": "dds-ati2.dds",
    "dds-bc5s.dds": "dds-ati2.dds",
    "dds-dx10-bc5-snorm.dds": "dds-ati2.dds",
    "dds-dx10-bgra8.dds": "dds-a8r8g8b8.dds",
    "dds-dx10-bgrx8.dds": "dds-x8r8g8b8.dds",
    "dds-x8b8g8r8.dds": "dds-x8r8g8b8.dds",
}
_SIGNED = "signed values are shown from -1 (0) to 1 (255); the unsigned twin holds them offset by 128"
KNOWN.update({name: (2, _SIGNED) for name in ("dds-bc4s.dds", "dds-dx10-bc4-snorm.dds", "dds-bc5s.dds",
                                              "dds-dx10-bc5-snorm.dds")})
KNOWN["psd-cmyk16-rle.psd"] = (1, "16-bit inks are multiplied whole and then brought to 8 bits; the peer rounds "
                                  "on the way")


def twin_peer(path):
    """The peer's reading of the file's twin (TWINS), or None."""
    twin = TWINS.get(os.path.basename(path))
    if not twin:
        return None
    result, _ = peer(os.path.join(os.path.dirname(path), twin))
    return result or pillow_peer(os.path.join(os.path.dirname(path), twin))


def read_pam(data):
    """Returns (width, height, rgba bytes) of a P7 RGB_ALPHA file."""
    header_end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    fields = {}
    for line in data[:header_end].decode("ascii").splitlines()[1:]:
        parts = line.split()
        if len(parts) == 2:
            fields[parts[0]] = parts[1]
    return int(fields["WIDTH"]), int(fields["HEIGHT"]), data[header_end:]


def ours(cli, path):
    r = subprocess.run([cli, "dump", path, "-"], capture_output=True)
    if r.returncode != 0:
        return None, r.stderr.decode(errors="replace").strip()
    return read_pam(r.stdout), None


def tiff_preview(path):
    """The TIFF preview of a DOS EPS file as a temporary .tif, or None."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] not in (b"\xc5\xd0\xd3\xc6", b"\xc6\xd3\xd0\xc5") or len(data) < 28:
        return None
    offset, length = struct.unpack_from("<II", data, 20)
    if not offset or not length or offset + length > len(data):
        return None
    handle, name = tempfile.mkstemp(suffix=".tif")
    with os.fdopen(handle, "wb") as out:
        out.write(data[offset:offset + length])
    return name


def ilbm_as_ppm(path):
    """ImageMagick has no ILBM reader; netpbm's ilbmtoppm stands in."""
    handle, name = tempfile.mkstemp(suffix=".ppm")
    with os.fdopen(handle, "wb") as out:
        r = subprocess.run(["ilbmtoppm", path], stdout=out, stderr=subprocess.DEVNULL)
    if r.returncode != 0:
        os.unlink(name)
        return None
    return name


def bmp_embedded(path):
    """The JPEG or PNG stored whole in a BMP (compression 4 or 5, 0 bits) as
    a temporary file: the peers do not read such bitmaps, but read what they hold."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM" or len(data) < 54:
        return None
    offset, size = struct.unpack_from("<II", data, 10)
    bits, compression = struct.unpack_from("<HI", data, 28)
    if size < 40 or bits != 0 or compression not in (4, 5) or offset >= len(data):
        return None
    handle, name = tempfile.mkstemp(suffix=".jpg" if compression == 4 else ".png")
    with os.fdopen(handle, "wb") as out:
        out.write(data[offset:])
    return name


PILLOW = """
import sys
from PIL import Image
im = Image.open(sys.argv[1])
im.seek(0)
im = im.convert("RGBA")
sys.stdout.buffer.write(b"%d %d\\n" % im.size + im.tobytes())
"""


def pillow_peer(path):
    """Pillow (Debian's python3-pil) as a second peer: (w, h, rgba) or None."""
    r = subprocess.run(["/usr/bin/python3", "-c", PILLOW, path], capture_output=True)
    if r.returncode != 0:
        return None
    head, _, pixels = r.stdout.partition(b"\n")
    w, h = (int(v) for v in head.split())
    return (w, h, pixels) if len(pixels) == w * h * 4 else None


PSD_PILLOW = PILLOW.replace("im.seek(0)\n", "")


def psd_pillow_peer(path):
    """Pillow's merged image of a PSD: it numbers layers from 1 and refuses
    seek(0), so the merged image is the one it opens with."""
    if not path.lower().endswith(".psd"):
        return None
    r = subprocess.run(["/usr/bin/python3", "-c", PSD_PILLOW, path], capture_output=True)
    if r.returncode != 0:
        return None
    head, _, pixels = r.stdout.partition(b"\n")
    w, h = (int(v) for v in head.split())
    return (w, h, pixels) if len(pixels) == w * h * 4 else None


def netpbm_peer(path):
    """netpbm's pamdepth brings 16-bit samples to 8 bits with rounding (the
    peer above only truncates); ImageMagick then reads the 8-bit file."""
    with open(path, "rb") as f:
        head = f.read(2)
    if head not in (b"P2", b"P3", b"P5", b"P6"):
        return None
    handle, name = tempfile.mkstemp(suffix=".pnm")
    try:
        with os.fdopen(handle, "wb") as out:
            r = subprocess.run(["pamdepth", "255", path], stdout=out, stderr=subprocess.DEVNULL)
        if r.returncode != 0:
            return None
        result, _ = peer(name)
        return result
    finally:
        os.unlink(name)


def tiff_as_cielab(path):
    """An ICC Lab TIFF (uncompressed, little-endian, one 8-bit strip) as a
    temporary CIELab TIFF: a and b signed instead of offset by 128. libtiff's
    RGBA reader only converts CIELab; the colours are the same."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"II*\0":
        return None
    at = struct.unpack_from("<I", data, 4)[0]
    fields, where = {}, {}
    for i in range(struct.unpack_from("<H", data, at)[0]):
        tag, kind, count, value = struct.unpack_from("<HHII", data, at + 2 + 12 * i)
        fields[tag] = value & 0xFFFF if kind == 3 else value
        where[tag] = at + 2 + 12 * i + 8
    if fields.get(262) != 9 or fields.get(259, 1) != 1 or fields.get(277) != 3 or 273 not in fields:
        return None
    struct.pack_into("<H", data, where[262], 8)
    start, size = fields[273], fields[279]
    for i in range(start, start + size):
        if (i - start) % 3:
            data[i] = (data[i] - 128) & 0xFF
    handle, name = tempfile.mkstemp(suffix=".tif")
    with os.fdopen(handle, "wb") as out:
        out.write(data)
    return name


def tiff2rgba_peer(path):
    """libtiff's tiff2rgba (Debian package libtiff-tools), for TIFF files:
    it rounds 16-bit samples and converts Lab as our reader does. Its output
    is read back by Pillow."""
    if not path.lower().endswith((".tif", ".tiff")):
        return None
    lab = tiff_as_cielab(path)
    handle, name = tempfile.mkstemp(suffix=".tif")
    os.close(handle)
    try:
        r = subprocess.run(["tiff2rgba", "-n", lab or path, name], capture_output=True)
        return pillow_peer(name) if r.returncode == 0 else None
    finally:
        os.unlink(name)
        if lab:
            os.unlink(lab)


def tiff_netpbm_peer(path):
    """netpbm's tifftopnm, then pamdepth's rounding to 8 bits (see netpbm_peer)."""
    if not path.lower().endswith((".tif", ".tiff")):
        return None
    handle, name = tempfile.mkstemp(suffix=".pnm")
    try:
        with os.fdopen(handle, "wb") as out:
            r = subprocess.run(["tifftopnm", "-byrow", path], stdout=out, stderr=subprocess.DEVNULL)
        return netpbm_peer(name) if r.returncode == 0 else None
    finally:
        os.unlink(name)


def peer(path):
    embedded = bmp_embedded(path) if path.lower().endswith(".bmp") else None
    if embedded:
        try:
            return peer(embedded)
        finally:
            os.unlink(embedded)
    if path.lower().endswith((".iff", ".ilbm")):
        converted = ilbm_as_ppm(path)
        if not converted:
            return None, ["ilbmtoppm failed"]
        try:
            return peer(converted)
        finally:
            os.unlink(converted)
    # The peer refuses PostScript; its TIFF preview is what we decode anyway.
    preview = tiff_preview(path) if path.lower().endswith(".eps") else None
    if preview:
        try:
            return peer(preview)
        finally:
            os.unlink(preview)
    # A GIF frame is placed on its logical screen only when coalesced.
    coalesce = ["-coalesce"] if path.lower().endswith(".gif") else []
    # The peer leaves bottom-up TGA rows (and TIFF rows) as stored and only tags the orientation.
    orient = ["-auto-orient"] if path.lower().endswith((".tga", ".tif", ".tiff")) else coalesce
    size = subprocess.run(["convert-im6.q16", path + "[0]"] + orient + ["-format", "%w %h\n", "info:"],
                          capture_output=True)
    if size.returncode != 0:
        return None, size.stderr.decode(errors="replace").strip().splitlines()[-1:] or ["unreadable"]
    w, h = (int(v) for v in size.stdout.split()[:2])
    r = subprocess.run(["convert-im6.q16"] + PEER_DEFINES + [path + "[0]"] + orient + ["-depth", "8", "rgba:-"],
                       capture_output=True)
    if r.returncode != 0 or len(r.stdout) != w * h * 4:
        return None, ["peer failed"]
    return (w, h, r.stdout), None


def compare(a, b, tolerance, ignore_alpha=False):
    aw, ah, ap = a
    bw, bh, bp = b
    if (aw, ah) != (bw, bh):
        return "size %dx%d, peer %dx%d" % (aw, ah, bw, bh)
    worst = 0
    bad = 0
    first = None
    for i in range(0, len(ap), 4):
        if ignore_alpha:
            d = max(abs(ap[i + k] - bp[i + k]) for k in range(3))
        elif bp[i + 3] == 0 and ap[i + 3] == 0:
            continue
        else:
            d = max(abs(ap[i + k] - bp[i + k]) for k in range(4)) if bp[i + 3] else abs(ap[i + 3] - bp[i + 3])
        if d > tolerance:
            bad += 1
            if first is None:
                first = (i // 4 % aw, i // 4 // aw, tuple(ap[i:i + 4]), tuple(bp[i:i + 4]))
        worst = max(worst, d)
    if bad:
        x, y, pa, pb = first
        return "%d pixels differ (worst %d); first at %d,%d: ours %s, peer %s" % (bad, worst, x, y, pa, pb)
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", default=os.path.join(ROOT, "build", "oculane-cli"))
    ap.add_argument("paths", nargs="*",
                    default=[os.path.join(ROOT, "samples"), os.path.join(ROOT, "tests", "data", "variants")])
    args = ap.parse_args()
    files = []
    for p in args.paths:
        if os.path.isdir(p):
            files += sorted(os.path.join(p, f) for f in os.listdir(p) if os.path.isfile(os.path.join(p, f)))
        else:
            files.append(p)
    failed = 0
    for f in files:
        mine, my_err = ours(args.cli, f)
        theirs, their_err = peer(f)
        name = os.path.relpath(f, ROOT)
        # Further peers for files the first one misreads or does not read.
        others = [("pillow", pillow_peer), ("netpbm", netpbm_peer), ("tiff2rgba", tiff2rgba_peer),
                  ("tifftopnm", tiff_netpbm_peer), ("pillow", psd_pillow_peer), ("twin", twin_peer)]
        if mine is None and theirs is None:
            print("both fail  %s" % name)
            continue
        if mine is None:
            print("OURS FAIL  %s: %s" % (name, my_err))
            continue
        tolerance = 2 if os.path.splitext(f)[1].lower() in LOSSY else 0
        known = KNOWN.get(os.path.basename(f))
        if known:
            tolerance = max(tolerance, known[0])
        rgb_only = bool(known) and len(known) > 2 and known[2] == "rgb"
        problem = compare(mine, theirs, tolerance, rgb_only) if theirs else None
        label = ""
        if theirs is None or problem:
            for other, read in others:
                result = read(f)
                if result and not compare(mine, result, tolerance, rgb_only):
                    theirs, problem, label = result, None, " (%s)" % other
                    break
        if theirs is None:
            print("peer fails %s (%s)" % (name, their_err[0] if their_err else ""))
        elif problem:
            failed += 1
            print("DIFFER     %s: %s" % (name, problem))
        elif known:
            print("same (±%d) %s: %s%s" % (known[0], name, known[1], label))
        else:
            print("same       %s%s" % (name, label))
    print("%d file(s), %d differ" % (len(files), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
