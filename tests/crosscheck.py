#!/usr/bin/env python3
"""Decodes image files with oculane-cli and with ImageMagick and compares pixels.

Usage: tests/crosscheck.py [--cli PATH] [FILE_OR_FOLDER ...]   (default: samples/)

For each file both decoders read, every pixel must match exactly (JPEG and
JPEG-bearing formats: within 2 per channel). Colour channels of pixels that the
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
    "png-palette-transparent.png": (0, "tRNS transparency of palette, grey and RGB PNGs is not applied", "rgb"),
    "psd-grey-16bit.psd": (1, "16-bit samples keep their high byte; the peer rounds"),
    "dds-dxt1.dds": (7, "5- and 6-bit block colours are shifted up, not bit-replicated"),
    "dds-dxt5-alpha.dds": (7, "5- and 6-bit block colours are shifted up, not bit-replicated"),
}


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


def peer(path):
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
    size = subprocess.run(["identify-im6.q16", "-format", "%w %h\n", path + "[0]"], capture_output=True)
    if size.returncode != 0:
        return None, size.stderr.decode(errors="replace").strip().splitlines()[-1:] or ["unreadable"]
    w, h = (int(v) for v in size.stdout.split()[:2])
    # The peer leaves bottom-up TGA rows as stored and only tags the orientation.
    orient = ["-auto-orient"] if path.lower().endswith(".tga") else []
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
    ap.add_argument("paths", nargs="*", default=[os.path.join(ROOT, "samples")])
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
        if mine is None and theirs is None:
            print("both fail  %s" % name)
        elif mine is None:
            print("OURS FAIL  %s: %s" % (name, my_err))
        elif theirs is None:
            print("peer fails %s (%s)" % (name, their_err[0] if their_err else ""))
        else:
            tolerance = 2 if os.path.splitext(f)[1].lower() in LOSSY else 0
            known = KNOWN.get(os.path.basename(f))
            if known:
                tolerance = max(tolerance, known[0])
            problem = compare(mine, theirs, tolerance, bool(known) and len(known) > 2 and known[2] == "rgb")
            if problem:
                failed += 1
                print("DIFFER     %s: %s" % (name, problem))
            elif known:
                print("same (±%d) %s: %s" % (known[0], name, known[1]))
            else:
                print("same       %s" % name)
    print("%d file(s), %d differ" % (len(files), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
