#!/usr/bin/env python3
"""Writes the header-variant fixtures into tests/data/variants/: BMP headers
of every size, bit fields, RLE deltas, data offsets and stored JPEG/PNG; PNG
transparency chunks; GIF logical screens, offsets, transparency and
animations; PNM comments and 16-bit samples; 15/16-bit TGA, TGA packets
across rows from every corner, 16-bit grey and 15/16-bit maps; 5:6:5 DDS;
icons with 124-byte headers, bit fields or PNG images, and a cursor.

ImageMagick (Debian package imagemagick) writes what it can (OS/2 1.x
headers, 5:6:5 and 1:5:5:5 / 4:4:4:4 bit fields with alpha, 124-byte headers
with alpha, GIFs); the rest is built byte by byte here (OS/2 RLE24 included) from the same 29 x 17
crop of ImageMagick's built-in rose. tests/crosscheck.py compares our decode
of each file with ImageMagick's (see KNOWN there for understood differences).
A few of the files are also fuzz seeds (fuzz/corpus/seed-variant-*).

Usage: tests/data/make-variants.py
"""
import os
import struct
import zlib

from variant_kit import OUT, W, H, CROP, ALPHA, magick, write, rgb_rows, rgba_rows, make_seeds


def pad4(b):
    return b + bytes(-len(b) % 4)


# ---- BMP ---------------------------------------------------------------

def bmp(header, after, pixels, offset=None):
    start = 14 + len(header) + len(after)
    return (b"BM" + struct.pack("<IHHI", start + len(pixels), 0, 0, offset if offset else start) + header +
            after + pixels)


def info(size, width, height, bits, compression=0, colours=0, masks=()):
    h = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, 0, 2835, 2835, colours, 0)
    for m in masks:
        h += struct.pack("<I", m)
    return (h + bytes(max(0, size - len(h))))[:size]


def palette(colours, entry=4):
    return b"".join(bytes((b, g, r)) + (b"\0" if entry == 4 else b"") for r, g, b in colours)


def rows24(rows):
    return b"".join(pad4(b"".join(bytes((b, g, r)) for r, g, b in row)) for row in reversed(rows))


def rows16(rows, pack):
    return b"".join(pad4(b"".join(struct.pack("<H", pack(p)) for p in row)) for row in reversed(rows))


def rows32(rows, pack):
    return b"".join(b"".join(struct.pack("<I", pack(p)) for p in row) for row in reversed(rows))


# Sixteen colours and an index picture of diagonal bands, for the palette files.
PAL16 = [((i * 53) % 256, (i * 97) % 256, (i * 31 + 40) % 256) for i in range(16)]


def index_rows():
    return [[((x + 2 * y) // 3) % 16 for x in range(W)] for y in range(H)]


def rows8(rows):
    return b"".join(pad4(bytes(row)) for row in reversed(rows))


def rows4(rows):
    out = b""
    for row in reversed(rows):
        r = row + [0] * (len(row) % 2)
        out += pad4(bytes((r[i] << 4) | r[i + 1] for i in range(0, len(r), 2)))
    return out


def rle8(rows, delta, early_end):
    """Runs of each row bottom-up; with delta, a delta escape jumps 4 right
    and 2 up in the middle; with early_end the stream ends two rows short of
    the top."""
    out = b""
    hole_y, hole_x = (5, 10) if delta else (-1, -1)
    y = 0
    while y < (H - 2 if early_end else H):
        row = list(reversed(rows))[y]
        x = 0
        while x < W:
            if y == hole_y and x == hole_x:
                out += bytes((0, 2, 4, 2))  # 4 right, 2 up
                y += 2
                row = list(reversed(rows))[y]
                x += 4
                continue
            n = 1
            while x + n < W and row[x + n] == row[x] and n < 255 and not (y == hole_y and x + n == hole_x):
                n += 1
            out += bytes((n, row[x]))
            x += n
        out += b"\0\0"
        y += 1
    return out + b"\0\1"


def rle4_with_deltas(rows):
    out = b""
    bottom_up = list(reversed(rows))
    for y in range(H):
        row = bottom_up[y]
        if y == 3:
            out += bytes((0, 2, 0, 1))  # skip the whole fourth row
            continue
        for x in range(0, W, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < W else 0
            out += bytes((min(2, W - x), (hi << 4) | lo))
        out += b"\0\0"
    return out + b"\0\1"


def rle24(rows):
    """OS/2 RLE24: a run where neighbours repeat, absolute runs elsewhere."""
    out = b""
    for row in reversed(rows):
        x = 0
        while x < W:
            n = 1
            while x + n < W and row[x + n] == row[x] and n < 255:
                n += 1
            if n > 1 or W - x < 3:
                r, g, b = row[x]
                out += bytes((n, b, g, r))
            else:
                n = min(3, W - x)
                lit = b"".join(bytes((p[2], p[1], p[0])) for p in row[x:x + n])
                out += bytes((0, n)) + lit + bytes(len(lit) % 2)
            x += n
        out += b"\0\0"
    return out + b"\0\1"


def make_bmp():
    rgb = rgb_rows()
    idx = index_rows()
    write("bmp-os2-16byte-24bit.bmp", bmp(info(16, W, H, 24), b"", rows24(rgb)))
    write("bmp-os2-64byte-4bit.bmp", bmp(info(64, W, H, 4), palette(PAL16), rows4(idx)))
    write("bmp-os2-64byte-rle24.bmp", bmp(info(64, W, H, 24, 4), b"", rle24(rgb)))
    write("bmp-os2-12byte-8bit.bmp", bmp(struct.pack("<IHHHH", 12, W, H, 1, 8), palette(PAL16, 3), rows8(idx)))
    write("bmp-v2-52byte-565.bmp",
          bmp(info(52, W, H, 16, 3, 0, (0xF800, 0x07E0, 0x001F)), b"",
              rows16(rgb, lambda p: ((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3))))
    rgba = rgba_rows()
    write("bmp-v3-56byte-1555-alpha.bmp",
          bmp(info(56, W, H, 16, 3, 0, (0x7C00, 0x03E0, 0x001F, 0x8000)), b"",
              rows16(rgba, lambda p: ((p[3] >= 128) << 15) | ((p[0] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[2] >> 3))))
    write("bmp-40byte-16bit-555.bmp",
          bmp(info(40, W, H, 16), b"", rows16(rgb, lambda p: ((p[0] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[2] >> 3))))
    write("bmp-40byte-bitfields-rgba.bmp",
          bmp(info(40, W, H, 32, 3), struct.pack("<3I", 0xFF, 0xFF00, 0xFF0000),
              rows32(rgb, lambda p: p[0] | (p[1] << 8) | (p[2] << 16) | (0x5A << 24))))
    write("bmp-v4-108byte-32bit-alpha.bmp",
          bmp(info(108, W, H, 32, 0, 0, (0xFF0000, 0xFF00, 0xFF, 0xFF000000)), b"",
              rows32(rgba, lambda p: p[2] | (p[1] << 8) | (p[0] << 16) | (p[3] << 24))))
    write("bmp-rle8-delta.bmp", bmp(info(40, W, H, 8, 1, 16), palette(PAL16), rle8(idx, True, False)))
    write("bmp-rle8-early-end.bmp", bmp(info(40, W, H, 8, 1, 16), palette(PAL16), rle8(idx, False, True)))
    write("bmp-rle4-delta.bmp", bmp(info(40, W, H, 4, 2), palette(PAL16), rle4_with_deltas(idx)))
    # Palette, then 20 bytes of something else, then the pixels at the offset.
    gap = palette(PAL16) + b"\xEE" * 20
    write("bmp-data-offset-gap.bmp", bmp(info(40, W, H, 8, 0, 16), gap, rows8(idx)))
    # An 8-bit file whose palette has the 16 entries it uses (colours used 0).
    write("bmp-palette-short.bmp", bmp(info(40, W, H, 8), palette(PAL16), rows8(idx)))
    write("bmp-palette-300.bmp", bmp(info(40, W, H, 8, 0, 300), palette(PAL16 + [(7, 7, 7)] * 284), rows8(idx)))
    png = magick(*CROP, "-strip", "-depth", "8", "png24:-")
    write("bmp-embedded-png.bmp", bmp(info(40, W, H, 0, 5), b"", png))
    jpeg = magick(*CROP, "-quality", "90", "jpg:-")
    write("bmp-embedded-jpeg.bmp", bmp(info(124, W, H, 0, 4), b"", jpeg))
    # ImageMagick's own: OS/2 1.x 24-bit, 5:6:5, and 124-byte headers with alpha bit fields.
    magick(*CROP, "BMP2:" + os.path.join(OUT, "bmp-im-bmp2-os2.bmp"))
    magick(*CROP, "-define", "bmp:subtype=RGB565", os.path.join(OUT, "bmp-im-565.bmp"))
    magick(*CROP, *ALPHA, "-define", "bmp:subtype=ARGB1555", os.path.join(OUT, "bmp-im-1555-alpha.bmp"))
    magick(*CROP, *ALPHA, "-define", "bmp:subtype=ARGB4444", os.path.join(OUT, "bmp-im-4444-alpha.bmp"))
    magick(*CROP, *ALPHA, os.path.join(OUT, "bmp-im-v5-32bit-alpha.bmp"))


# ---- PNG ---------------------------------------------------------------

def png(width, height, bit_depth, colour_type, raw_rows, extra=b""):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0)
    data = b"".join(b"\0" + r for r in raw_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", zlib.compress(data, 9)) +
            chunk(b"IEND", b""))


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def make_png():
    idx = index_rows()
    plte = png_chunk(b"PLTE", b"".join(bytes(c) for c in PAL16))
    trns = png_chunk(b"tRNS", bytes(i * 17 for i in range(16)))
    write("png-palette-trns.png", png(W, H, 8, 3, [bytes(r) for r in idx], plte + trns))
    grey = [bytes((x * 9 + y * 5) % 256 for x in range(W)) for y in range(H)]
    write("png-grey-trns.png", png(W, H, 8, 0, grey, png_chunk(b"tRNS", struct.pack(">H", grey[3][3]))))
    grey16 = [b"".join(struct.pack(">H", ((x * 9 + y * 5) % 256) * 257) for x in range(W)) for y in range(H)]
    write("png-grey16-trns.png", png(W, H, 16, 0, grey16, png_chunk(b"tRNS", struct.pack(">H", 40 * 257))))
    rgb = rgb_rows()
    raw = [b"".join(bytes(p) for p in row) for row in rgb]
    key = rgb[8][14]
    write("png-rgb-trns.png", png(W, H, 8, 2, raw, png_chunk(b"tRNS", struct.pack(">3H", *key))))


# ---- GIF ---------------------------------------------------------------

def make_gif():
    out = lambda name: os.path.join(OUT, name)
    magick(*CROP, "+dither", "-colors", "32", "-page", "41x30+7+5", out("gif-offset-on-screen.gif"))
    clear = ["-alpha", "set", "-region", "10x6+3+3", "-alpha", "transparent", "+region", "+dither", "-colors", "32"]
    magick(*CROP, *clear, out("gif-transparent.gif"))
    magick(*CROP, *clear, "-page", "35x20+3+2", out("gif-transparent-offset.gif"))
    magick("-delay", "10", "(", *CROP, "+dither", "-colors", "16", ")", "(", *CROP, "-negate", "+dither",
           "-colors", "16", ")", out("gif-animated.gif"))


# ---- PNM ---------------------------------------------------------------

def make_pnm():
    rgb = rgb_rows()
    body = b"".join(bytes(p) for row in rgb for p in row)
    write("pnm-raw-comments.ppm", b"P6\n# made by hand\n%d # width\n%d\n#maxval next\n255\n" % (W, H) + body)
    plain = "P3 # plain, with comments between samples\n%d %d 255\n" % (W, H)
    for y, row in enumerate(rgb):
        plain += " ".join("%d %d %d" % p for p in row) + ("\n# row %d\n" % y)
    write("pnm-plain-comments.ppm", plain.encode())
    wide = b"".join(struct.pack(">3H", *(min(65535, v * 257 + (x * 37 + y * 11) % 257) for v in p))
                    for y, row in enumerate(rgb) for x, p in enumerate(row))
    write("pnm-raw-16bit.ppm", b"P6 %d %d 65535\n" % (W, H) + wide)
    grey = b"".join(struct.pack(">H", (x * 2000 + y * 1500) % 4096) for y in range(H) for x in range(W))
    write("pnm-raw-maxval4095.pgm", b"P5\n%d %d\n4095\n" % (W, H) + grey)


# ---- TGA and DDS: 5- and 6-bit channels ---------------------------------

def make_tga_dds():
    rgba = rgba_rows()

    def tga(depth, descriptor, pack):
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, W, H, depth, descriptor)
        return header + b"".join(struct.pack("<H", pack(p)) for row in rgba for p in row)
    write("tga-15bit.tga", tga(15, 0x20, lambda p: ((p[0] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[2] >> 3)))
    write("tga-16bit-alpha.tga", tga(16, 0x21, lambda p: ((p[3] >= 128) << 15) | ((p[0] >> 3) << 10) |
                                     ((p[1] >> 3) << 5) | (p[2] >> 3)))

    # Run-length packets that run across rows, from each of the four corners.
    def rle(values, size):
        out, i = b"", 0
        while i < len(values):
            n = 1
            while i + n < len(values) and n < 128 and values[i + n] == values[i]:
                n += 1
            if n > 1:
                out += bytes([0x80 | (n - 1)]) + values[i]
            else:
                n = 1
                while i + n < len(values) and n < 128 and values[i + n] != values[i + n - 1]:
                    n += 1
                out += bytes([n - 1]) + b"".join(values[i:i + n])
            i += n
        return out

    def stored(rows, descriptor):
        rows = rows if descriptor & 0x20 else rows[::-1]
        return [row[::-1] if descriptor & 0x10 else row for row in rows]

    # Quantised colours make runs, some crossing the row ends.
    for descriptor, name in ((0x00, "bottomleft"), (0x10, "bottomright"), (0x20, "topleft"), (0x30, "topright")):
        values = [bytes((p[2] & 0xC0, p[1] & 0xC0, p[0] & 0xC0)) for row in stored(rgba, descriptor) for p in row]
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, W, H, 24, descriptor)
        write("tga-rle-across-rows-%s.tga" % name, header + rle(values, 3))
    grey = [bytes(((p[0] * 3 + p[1] * 6 + p[2]) // 10, p[3])) for row in stored(rgba, 0x20) for p in row]
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 3, 0, 0, 0, 0, 0, W, H, 16, 0x28)
    write("tga-grey16-alpha.tga", header + b"".join(grey))
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 11, 0, 0, 0, 0, 0, W, H, 16, 0x28)
    write("tga-grey16-alpha-rle.tga", header + rle(grey, 2))
    # An 8-bit image over a 16-bit colour map of 216 levels (6 x 6 x 6).
    cmap = b"".join(struct.pack("<H", (((r * 31) // 5) << 10) | (((g * 31) // 5) << 5) | ((b * 31) // 5))
                    for r in range(6) for g in range(6) for b in range(6))
    idx = bytes((p[0] * 6 // 256) * 36 + (p[1] * 6 // 256) * 6 + p[2] * 6 // 256 for row in rgba for p in row)
    for bits, suffix in ((15, "15"), (16, "16")):
        header = struct.pack("<BBBHHBHHHHBB", 0, 1, 1, 0, 216, bits, 0, 0, W, H, 8, 0x20)
        write("tga-map%s.tga" % suffix, header + cmap + idx)

    def dds(bits, masks, flags, pack):
        pitch = W * bits // 8
        h = b"DDS " + struct.pack("<7I", 124, 0x100F, H, W, pitch, 0, 0) + bytes(44)
        h += struct.pack("<2I", 32, flags) + bytes(4) + struct.pack("<5I", bits, *masks)
        h += struct.pack("<2I", 0x1000, 0) + bytes(12)
        return h + b"".join(struct.pack("<H", pack(p)) for row in rgba for p in row)
    write("dds-565.dds", dds(16, (0xF800, 0x07E0, 0x001F, 0), 0x40,
                             lambda p: ((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3)))
    write("dds-4444.dds", dds(16, (0x0F00, 0x00F0, 0x000F, 0xF000), 0x41,
                              lambda p: ((p[3] >> 4) << 12) | ((p[0] >> 4) << 8) | ((p[1] >> 4) << 4) | (p[2] >> 4)))


# ---- Icons and cursors: 124-byte headers, bit fields, PNG images ---------

def make_ico():
    rgba = rgba_rows()

    def and_mask():
        rows = []
        for row in rgba[::-1]:
            bits = 0
            for p in row:
                bits = bits << 1 | (p[3] < 128)
            bits <<= -W % 8
            rows.append(pad4(bits.to_bytes((W + 7) // 8, "big")))
        return b"".join(rows)

    def dib(bits, compression, masks, pack, header_size=124):
        header = struct.pack("<IiiHHIIiiII", header_size, W, 2 * H, 1, bits, compression, 0, 0, 0, 0, 0)
        if header_size > 40:
            header += struct.pack("<4I", *masks)
            header += bytes(header_size - len(header))
        rows = b"".join(pad4(b"".join(pack(p) for p in row)) for row in rgba[::-1])
        return header + rows + and_mask()

    def icon(image, kind=1, hotspot=(0, 0), depth=32):
        planes, bits = hotspot if kind == 2 else (1, depth)
        return (struct.pack("<HHH", 0, kind, 1) +
                struct.pack("<BBBBHHII", W, H, 0, 0, planes, bits, len(image), 22) + image)

    bgra = lambda p: bytes((p[2], p[1], p[0], p[3]))
    write("ico-v5-32bit-alpha.ico", icon(dib(32, 3, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), bgra)))
    write("ico-v5-565-mask.ico", icon(dib(16, 3, (0xF800, 0x07E0, 0x001F, 0), lambda p: struct.pack(
        "<H", ((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3))), depth=16))
    write("cur-32bit-alpha.cur", icon(dib(32, 0, (0, 0, 0, 0), bgra, 40), 2, (14, 8)))
    write("ico-png.ico", icon(png(W, H, 8, 6, [b"".join(bytes(p) for p in row) for row in rgba])))


SEED_FILES = ("bmp-os2-12byte-8bit.bmp", "bmp-os2-64byte-rle24.bmp", "bmp-v3-56byte-1555-alpha.bmp", "bmp-rle8-delta.bmp", "bmp-rle8-early-end.bmp",
              "bmp-embedded-png.bmp", "gif-transparent-offset.gif", "pnm-plain-comments.ppm",
              "pnm-raw-maxval4095.pgm", "png-palette-trns.png", "tga-rle-across-rows-topright.tga",
              "tga-grey16-alpha-rle.tga", "ico-v5-565-mask.ico", "cur-32bit-alpha.cur")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_bmp()
    make_png()
    make_gif()
    make_pnm()
    make_tga_dds()
    make_ico()
    make_seeds(SEED_FILES)
