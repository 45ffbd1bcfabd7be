#!/usr/bin/env python3
"""Writes the small BMP sample images kept in samples/.

Usage: scripts/make-samples.py [--verify] [OUTPUT_DIR]

OUTPUT_DIR defaults to the repository's samples/ folder.  The output is fully
deterministic (integer arithmetic only, no randomness from the system), so
running the script again gives byte-identical files.

Every file uses the 40-byte BITMAPINFOHEADER, an exact file size field, the
pixel data straight after the palette, bottom-up rows (except the one
top-down sample) and rows padded to 4 bytes (uncompressed files).  Each
picture carries a red 6x6 marker in its top-left corner (or black, for the
black-and-white one) so a flipped or mirrored decode is easy to spot.

With --verify, every written file is decoded with ImageMagick
(convert-im6.q16 or convert) and its pixels are compared with the pixels
this script meant to write; the script exits 1 on any difference.
"""

import math
import os
import shutil
import struct
import subprocess
import sys

BI_RGB = 0
BI_RLE8 = 1
BI_RLE4 = 2

PIXELS_PER_METRE = 2835  # 72 dpi


# ---------------------------------------------------------------------------
# Small integer-only helpers
# ---------------------------------------------------------------------------

def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else v


def dist(x, y, cx, cy):
    """Integer distance from (x, y) to (cx, cy), rounded down."""
    return math.isqrt((x - cx) * (x - cx) + (y - cy) * (y - cy))


class Lcg:
    """Tiny deterministic pseudo-random generator (Numerical Recipes LCG)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self, n):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.state >> 16) % n


def in_marker(x, y):
    return x < 6 and y < 6


# ---------------------------------------------------------------------------
# BMP writing
# ---------------------------------------------------------------------------

def pack_row(indices_or_rgb, bits):
    """Packs one row of pixels (top-down order irrelevant) to bytes, padded
    to a multiple of 4 bytes."""
    out = bytearray()
    if bits == 1:
        acc = 0
        n = 0
        for v in indices_or_rgb:
            acc = (acc << 1) | (v & 1)
            n += 1
            if n == 8:
                out.append(acc)
                acc = 0
                n = 0
        if n:
            out.append(acc << (8 - n))
    elif bits == 4:
        row = list(indices_or_rgb)
        for i in range(0, len(row), 2):
            hi = row[i] & 15
            lo = row[i + 1] & 15 if i + 1 < len(row) else 0
            out.append((hi << 4) | lo)
    elif bits == 8:
        out.extend(v & 255 for v in indices_or_rgb)
    elif bits == 24:
        for r, g, b in indices_or_rgb:
            out.extend((b, g, r))
    elif bits == 32:
        for r, g, b in indices_or_rgb:
            # BI_RGB: the fourth byte is unused; 0xFF keeps the picture
            # opaque for readers that take it as alpha anyway.
            out.extend((b, g, r, 0xFF))
    else:
        raise ValueError(bits)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def encode_rle8(rows):
    """BI_RLE8 data for rows given bottom-up."""
    out = bytearray()
    last = len(rows) - 1
    for ri, row in enumerate(rows):
        i = 0
        n = len(row)
        literal = []

        def flush_literal():
            lit = literal
            while lit:
                chunk = lit[:255]
                lit = lit[255:]
                if len(chunk) >= 3:
                    out.extend((0, len(chunk)))
                    out.extend(chunk)
                    if len(chunk) & 1:
                        out.append(0)  # absolute runs end on a 16-bit boundary
                else:
                    for v in chunk:
                        out.extend((1, v))
            literal.clear()

        while i < n:
            j = i + 1
            while j < n and row[j] == row[i] and j - i < 255:
                j += 1
            run = j - i
            if run >= 3:
                flush_literal()
                out.extend((run, row[i]))
            else:
                literal.extend(row[i:j])
            i = j
        flush_literal()
        if ri == last:
            out.extend((0, 1))  # end of bitmap
        else:
            out.extend((0, 0))  # end of line
    return bytes(out)


def encode_rle4(rows):
    """BI_RLE4 data for rows given bottom-up.

    An encoded run of count N repeats the two nibbles of its byte
    alternately (first, second, first, ...), so it covers both single-colour
    runs and two-colour dither patterns."""
    out = bytearray()
    last = len(rows) - 1
    for ri, row in enumerate(rows):
        n = len(row)
        literal = []

        def flush_literal():
            lit = literal
            while lit:
                chunk = lit[:255]
                lit = lit[255:]
                if len(chunk) >= 3:
                    out.extend((0, len(chunk)))
                    data = bytearray()
                    for k in range(0, len(chunk), 2):
                        hi = chunk[k]
                        lo = chunk[k + 1] if k + 1 < len(chunk) else 0
                        data.append((hi << 4) | lo)
                    if len(data) & 1:
                        data.append(0)  # keep to a 16-bit boundary
                    out.extend(data)
                elif len(chunk) == 2:
                    out.extend((2, (chunk[0] << 4) | chunk[1]))
                else:
                    out.extend((1, chunk[0] << 4))
            literal.clear()

        i = 0
        while i < n:
            # Longest stretch from i in which every pixel equals the one two
            # places before it, i.e. the pattern a b a b ...
            j = min(i + 2, n)
            while j < n and row[j] == row[j - 2] and j - i < 255:
                j += 1
            run = j - i
            if run >= 4:
                flush_literal()
                second = row[i + 1]
                out.extend((run, (row[i] << 4) | second))
                i = j
            else:
                literal.append(row[i])
                i += 1
        flush_literal()
        if ri == last:
            out.extend((0, 1))
        else:
            out.extend((0, 0))
    return bytes(out)


def build_bmp(width, height, bits, pixels, palette=None, compression=BI_RGB,
              top_down=False, colours_used=0):
    """pixels: list of rows, top row first; palette indices for <= 8 bits,
    (r, g, b) tuples otherwise.  palette: list of (r, g, b)."""
    rows = list(pixels) if top_down else list(reversed(pixels))
    if compression == BI_RGB:
        data = b"".join(pack_row(r, bits) for r in rows)
    elif compression == BI_RLE8:
        assert bits == 8 and not top_down
        data = encode_rle8(rows)
    elif compression == BI_RLE4:
        assert bits == 4 and not top_down
        data = encode_rle4(rows)
    else:
        raise ValueError(compression)

    pal = b""
    if bits <= 8:
        entries = colours_used or (1 << bits)
        assert len(palette) == entries, (len(palette), entries)
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(pal)
    file_size = offset + len(data)
    header = struct.pack("<2sIHHI", b"BM", file_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height,
                       1, bits, compression, len(data),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, colours_used, 0)
    blob = header + info + pal + data
    assert len(blob) == file_size
    return blob


# ---------------------------------------------------------------------------
# The pictures
# ---------------------------------------------------------------------------

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
VGA_RED = 9


def pic_1bit_bw(w, h):
    """White page with a black ring, a diagonal line and a black marker."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            d = dist(x, y, w // 2 + 6, h // 2 + 2)
            ink = (14 <= d <= 18) or abs((x - 8) - (y * 3) // 2) <= 1 or in_marker(x, y)
            row.append(0 if ink else 1)
        rows.append(row)
    return [(0, 0, 0), (255, 255, 255)], rows


def pic_1bit_palette(w, h):
    """Amber checkerboard on dark teal with a solid disc, in two colours."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            v = ((x // 8) + (y // 8)) & 1
            if dist(x, y, 2 * w // 3, h // 2) <= 12:
                v = 1
            if in_marker(x, y):
                v = 1
            row.append(v)
        rows.append(row)
    return [(16, 64, 96), (240, 176, 32)], rows


def pic_4bit(w, h):
    """Sixteen colour bars on top, concentric squares below."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if in_marker(x, y):
                v = VGA_RED
            elif y < h // 2:
                v = (x * 16) // w
            else:
                v = (max(abs(x - w // 2), abs(y - (3 * h) // 4)) // 3) & 15
            row.append(v)
        rows.append(row)
    return VGA16, rows


def pic_4bit_rle(w, h):
    """Horizontal bands, a disc, a checked dither strip and a noisy strip:
    long runs, two-colour runs and absolute runs."""
    rng = Lcg(4)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if in_marker(x, y):
                v = VGA_RED
            elif dist(x, y, 40, 20) <= 10:
                v = 14
            elif 30 <= y < 36:
                v = 12 if (x + y) & 1 else 15  # dither: a-b-a-b runs
            elif 38 <= y < 42 and 8 <= x < 56:
                v = rng.next(16)  # noise: absolute runs
            elif 42 <= y < 44:
                # Literals of 5 and 6 pixels (3 bytes: padded) between runs.
                k = x % 10
                v = (2, 3, 4, 5, 6, 9, 9, 9, 9, 9)[k] if y == 42 else \
                    (7, 8, 10, 11, 13, 14, 0, 0, 0, 0)[k]
            elif y >= 44 and x % 7 < 2:
                v = 0  # short runs of two
            else:
                v = 1 + (y // 6) % 7
            row.append(v)
        rows.append(row)
    return VGA16, rows


def palette_256():
    """A blue-to-orange-to-white ramp."""
    pal = []
    for i in range(256):
        if i < 128:
            r, g, b = i, i // 2, 64 + i
        else:
            k = i - 128
            r, g, b = 128 + k, 64 + (k * 3) // 2, 192 - k
        pal.append((clamp8(r), clamp8(g), clamp8(b)))
    return pal


def pic_8bit(w, h):
    """Smooth interference pattern over a 256-colour ramp."""
    pal = palette_256()
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            a = dist(x, y, 10, 40) * 9
            b = dist(x, y, 54, 8) * 7
            t = ((a + b) // 2 + x * 2) % 510
            v = 1 + (t if t < 255 else 509 - t)  # triangle wave, 1..255
            if in_marker(x, y):
                v = 0
            row.append(v)
        rows.append(row)
    pal[0] = (255, 0, 0)  # only the marker uses index 0
    return pal, rows


def pic_8bit_rle(w, h):
    """Posterised rings (long runs) with a noisy band (absolute runs), using
    a 32-entry palette (colours-used = 32)."""
    pal = []
    for i in range(32):
        pal.append((clamp8(40 + i * 6), clamp8(200 - i * 5), clamp8(90 + (i * 37) % 160)))
    pal[31] = (255, 0, 0)
    rng = Lcg(8)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if in_marker(x, y):
                v = 31
            elif 20 <= y < 24 and 10 <= x < 50:
                v = rng.next(31)
            elif y == 30 and x % 5 == 0:
                v = 3  # isolated single pixels
            elif 40 <= y < 42 and x < 48:
                # Literals of 5 (padded) and 4 pixels between runs of 3 and 4.
                v = (20, 21, 22, 23, 24, 2, 2, 2, 25, 26, 27, 28, 4, 4, 4, 4)[x % 16]
            else:
                v = (dist(x, y, w // 2, h + 10) // 5) % 31
            row.append(v)
        rows.append(row)
    return pal, rows


def pic_rgb(w, h, hue=0):
    """Colour gradient with a soft white disc and a red marker."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if in_marker(x, y):
                row.append((255, 0, 0))
                continue
            fx = (x * 255) // (w - 1)
            fy = (y * 255) // (h - 1)
            if hue == 0:
                r, g, b = fx, fy, 255 - (fx + fy) // 2
            else:
                r, g, b = (fx + fy) // 2, 255 - fx, fy
            d = dist(x, y, (2 * w) // 3, h // 3)
            if d < 12:
                k = 12 - d  # blend towards white near the centre
                r += ((255 - r) * k) // 12
                g += ((255 - g) * k) // 12
                b += ((255 - b) * k) // 12
            row.append((clamp8(r), clamp8(g), clamp8(b)))
        rows.append(row)
    return rows


def samples():
    """(file name, bmp bytes, expected RGB rows top-first)."""
    out = []

    def paletted(name, w, h, bits, pic, compression=BI_RGB, colours_used=0):
        pal, rows = pic(w, h)
        blob = build_bmp(w, h, bits, rows, pal, compression, colours_used=colours_used)
        out.append((name, blob, [[pal[v] for v in r] for r in rows]))

    paletted("bmp-1bit-bw.bmp", 64, 48, 1, pic_1bit_bw)
    paletted("bmp-1bit-palette.bmp", 64, 48, 1, pic_1bit_palette)
    paletted("bmp-4bit.bmp", 64, 48, 4, pic_4bit)
    paletted("bmp-4bit-rle4.bmp", 64, 48, 4, pic_4bit_rle, BI_RLE4)
    paletted("bmp-8bit.bmp", 64, 48, 8, pic_8bit)
    paletted("bmp-8bit-rle8.bmp", 64, 48, 8, pic_8bit_rle, BI_RLE8, colours_used=32)

    rgb = pic_rgb(64, 48)
    out.append(("bmp-24bit.bmp", build_bmp(64, 48, 24, rgb), rgb))
    rgb2 = pic_rgb(64, 48, hue=1)
    out.append(("bmp-32bit.bmp", build_bmp(64, 48, 32, rgb2), rgb2))
    # Same picture as bmp-24bit.bmp, stored top-down (negative height).
    out.append(("bmp-24bit-topdown.bmp", build_bmp(64, 48, 24, rgb, top_down=True), rgb))
    # 63 pixels * 3 bytes = 189 bytes per row, padded to 192.
    odd = pic_rgb(63, 47)
    out.append(("bmp-24bit-odd-width.bmp", build_bmp(63, 47, 24, odd), odd))
    return out


# ---------------------------------------------------------------------------
# Verification with ImageMagick
# ---------------------------------------------------------------------------

def find_magick():
    for name in ("convert-im6.q16", "convert"):
        path = shutil.which(name)
        if path:
            return path
    return None


def verify(path, expected, magick):
    h = len(expected)
    w = len(expected[0])
    res = subprocess.run([magick, path, "-depth", "8", "rgba:-"],
                         capture_output=True, check=False)
    if res.returncode != 0:
        return "ImageMagick failed: " + res.stderr.decode(errors="replace").strip()
    want = bytearray()
    for row in expected:
        for r, g, b in row:
            want.extend((r, g, b, 255))
    got = res.stdout
    if len(got) != len(want):
        return "size %d bytes, expected %d (%dx%d)" % (len(got), len(want), w, h)
    if got != bytes(want):
        for i in range(0, len(want), 4):
            if got[i:i + 4] != want[i:i + 4]:
                p = i // 4
                return "first difference at x=%d y=%d: got %s, expected %s" % (
                    p % w, p // w, tuple(got[i:i + 4]), tuple(want[i:i + 4]))
    return None


def main(argv):
    args = [a for a in argv[1:] if a != "--verify"]
    do_verify = "--verify" in argv[1:]
    if any(a.startswith("-") for a in args) or len(args) > 1:
        sys.stderr.write(__doc__)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = args[0] if args else os.path.join(os.path.dirname(here), "samples")
    os.makedirs(out_dir, exist_ok=True)

    magick = find_magick() if do_verify else None
    if do_verify and not magick:
        sys.stderr.write("make-samples: --verify needs ImageMagick (convert-im6.q16)\n")
        return 1

    failures = 0
    for name, blob, expected in samples():
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(blob)
        line = "%-26s %6d bytes" % (name, len(blob))
        if magick:
            problem = verify(path, expected, magick)
            if problem:
                failures += 1
                line += "  MISMATCH: " + problem
            else:
                line += "  ok"
        print(line)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
