#!/usr/bin/env python3
"""Writes the DDS variant fixtures into tests/data/variants/: the extended
("DX10") header with BC1-BC5, BC7 and 8-bit RGBA/BGRA formats, the legacy
ATI1/ATI2/BC4U/BC5U/BC4S/BC5S codes, luminance and X8B8G8R8 pixels.

The picture is the same 29 x 17 crop of ImageMagick's built-in rose (with an
alpha ramp) as in make-variants.py. ImageMagick (Debian package imagemagick)
writes the DXT1/3/5 blocks, which are re-wrapped under the extended header;
BC4, BC5 and BC7 blocks come from the small encoders below, and one BC7 file
holds blocks of every mode and partition made from seeded random bits.
Files no peer reads are checked against a twin a peer reads (TWINS in
tests/crosscheck.py). A few files are also fuzz seeds.

Usage: tests/data/make-dds-variants.py
"""
import os
import random
import struct

from variant_kit import OUT, W, H, CROP, ALPHA, magick, write, rgba_rows, make_seeds


def header(width, height, pf_flags, fourcc=b"\0\0\0\0", bits=0, masks=(0, 0, 0, 0), linear=0):
    h = b"DDS " + struct.pack("<7I", 124, 0x81007, height, width, linear, 0, 0) + bytes(44)
    h += struct.pack("<2I", 32, pf_flags) + fourcc + struct.pack("<5I", bits, *masks)
    return h + struct.pack("<2I", 0x1000, 0) + bytes(12)


def dx10(width, height, dxgi, data):
    return header(width, height, 0x4, b"DX10", linear=len(data)) + struct.pack("<5I", dxgi, 3, 0, 1, 0) + data


def blocks_of(rows, encode):
    """Runs encode over every 4 x 4 block (edge pixels repeated), row of blocks by row."""
    out = b""
    for by in range(0, H, 4):
        for bx in range(0, W, 4):
            out += encode([rows[min(by + y, H - 1)][min(bx + x, W - 1)] for y in range(4) for x in range(4)])
    return out


def bc4_block(values):
    """One 8-value BC4 channel block: endpoints max and min, nearest index."""
    a0, a1 = max(values), min(values)
    if a0 == a1:
        return bytes((a0, a1)) + bytes(6)
    palette = [a0, a1] + [((8 - k) * a0 + (k - 1) * a1) // 7 for k in range(2, 8)]
    bits = 0
    for i, v in enumerate(values):
        bits |= min(range(8), key=lambda k: abs(palette[k] - v)) << (3 * i)
    return bytes((a0, a1)) + bits.to_bytes(6, "little")


def signed(block):
    """The same block with its endpoints as signed values offset by -128."""
    return bytes(((block[0] - 128) & 0xFF, (block[1] - 128) & 0xFF)) + block[2:]


def bc7_mode6(pixels):
    """A plain mode 6 block: one subset, 7-bit endpoints with p-bit 0, 4-bit indices."""
    lo = [min(p[c] for p in pixels) >> 1 for c in range(4)]
    hi = [max(p[c] for p in pixels) >> 1 for c in range(4)]
    e0, e1 = [v << 1 for v in lo], [v << 1 for v in hi]
    span = sum((e1[c] - e0[c]) ** 2 for c in range(4)) or 1
    idx = [max(0, min(15, round(15 * sum((p[c] - e0[c]) * (e1[c] - e0[c]) for c in range(4)) / span)))
           for p in pixels]
    if idx[0] >= 8:  # the anchor index has no top bit
        lo, hi = hi, lo
        idx = [15 - i for i in idx]
    value, pos = 0, 0

    def put(v, n):
        nonlocal value, pos
        value |= v << pos
        pos += n
    put(1 << 6, 7)
    for c in range(4):
        put(lo[c], 7)
        put(hi[c], 7)
    put(0, 1)
    put(0, 1)
    for i, v in enumerate(idx):
        put(v, 3 if i == 0 else 4)
    return value.to_bytes(16, "little")


def bc7_every_mode():
    """128 x 32: modes 2, 1 and 0 with each of their partitions, then random
    blocks of modes 3 to 7 and one block with no mode."""
    rng = random.Random(7)
    plan = [(2, p) for p in range(64)] + [(1, p) for p in range(64)] + [(0, p) for p in range(16)]
    plan += [(3 + i % 5, rng.randrange(64)) for i in range(111)] + [(8, 0)]
    out = b""
    for mode, partition in plan:
        bits = rng.getrandbits(128)
        if mode == 8:
            bits &= ~0xFF
        else:
            shift = mode + 1
            pbits = {0: 4, 1: 6, 2: 6, 3: 6, 7: 6}.get(mode, 0)
            bits &= ~((1 << (shift + pbits)) - 1)
            bits |= (1 << mode) | (partition << shift if pbits else 0)
        out += bits.to_bytes(16, "little")
    return out


def make_dds():
    rgba = rgba_rows()
    flat = [p for row in rgba for p in row]

    # Blocks from ImageMagick, also kept as the twins a peer reads. It writes
    # no DXT3: its DXT5 colour blocks get explicit 4-bit alphas instead.
    def explicit_alpha(pixels):
        return b"".join(struct.pack("<H", sum((pixels[4 * y + x][3] >> 4) << (4 * x) for x in range(4)))
                        for y in range(4))
    files = {}
    for kind in ("dxt1", "dxt5"):
        files[kind] = magick(*CROP, *ALPHA, "-define", "dds:compression=" + kind, "-define", "dds:mipmaps=0",
                             "dds:-")
    alphas = blocks_of(rgba, explicit_alpha)
    dxt5 = files["dxt5"][128:]
    dxt3 = b"".join(alphas[i:i + 8] + dxt5[2 * i + 8:2 * i + 16] for i in range(0, len(alphas), 8))
    files["dxt3"] = header(W, H, 0x4, b"DXT3", linear=len(dxt3)) + dxt3
    for kind, dxgi in (("dxt1", (71, 72)), ("dxt3", (74,)), ("dxt5", (76, 77, 78))):
        dds = files[kind]
        write("dds-%s.dds" % kind if kind == "dxt3" else "dds-im-%s.dds" % kind, dds)
        names = {70: "typeless", 71: "", 72: "-srgb", 73: "typeless", 74: "", 75: "-srgb", 76: "-typeless",
                 77: "", 78: "-srgb"}
        for code in dxgi:
            bc = {"dxt1": "bc1", "dxt3": "bc2", "dxt5": "bc3"}[kind]
            write("dds-dx10-%s%s.dds" % (bc, names[code]), dx10(W, H, code, dds[128:]))

    # BC4: grey; BC5: red and green.
    grey = [[(p[0] * 3 + p[1] * 6 + p[2]) // 10 for p in row] for row in rgba]
    bc4 = blocks_of(grey, bc4_block)
    red = blocks_of([[p[0] for p in row] for row in rgba], bc4_block)
    green = blocks_of([[p[1] for p in row] for row in rgba], bc4_block)
    bc5 = b"".join(red[i:i + 8] + green[i:i + 8] for i in range(0, len(red), 8))
    bc4s = b"".join(signed(bc4[i:i + 8]) for i in range(0, len(bc4), 8))
    bc5s = b"".join(signed(bc5[i:i + 8]) for i in range(0, len(bc5), 8))
    write("dds-ati1.dds", header(W, H, 0x4, b"ATI1", linear=len(bc4)) + bc4)
    write("dds-bc4u.dds", header(W, H, 0x4, b"BC4U", linear=len(bc4)) + bc4)
    write("dds-bc4s.dds", header(W, H, 0x4, b"BC4S", linear=len(bc4s)) + bc4s)
    write("dds-dx10-bc4.dds", dx10(W, H, 80, bc4))
    write("dds-dx10-bc4-snorm.dds", dx10(W, H, 81, bc4s))
    write("dds-ati2.dds", header(W, H, 0x4, b"ATI2", linear=len(bc5)) + bc5)
    write("dds-bc5u.dds", header(W, H, 0x4, b"BC5U", linear=len(bc5)) + bc5)
    write("dds-bc5s.dds", header(W, H, 0x4, b"BC5S", linear=len(bc5s)) + bc5s)
    write("dds-dx10-bc5.dds", dx10(W, H, 83, bc5))
    write("dds-dx10-bc5-typeless.dds", dx10(W, H, 82, bc5))
    write("dds-dx10-bc5-snorm.dds", dx10(W, H, 84, bc5s))

    # BC7.
    bc7 = blocks_of(rgba, bc7_mode6)
    write("dds-dx10-bc7.dds", dx10(W, H, 98, bc7))
    write("dds-dx10-bc7-srgb.dds", dx10(W, H, 99, bc7))
    write("dds-dx10-bc7-every-mode.dds", dx10(128, 32, 97, bc7_every_mode()))

    # 8-bit channels in both byte orders, with and without alpha.
    rgba8 = bytes(v for p in flat for v in p)
    bgra8 = bytes(v for p in flat for v in (p[2], p[1], p[0], p[3]))
    bgrx8 = bytes(v for p in flat for v in (p[2], p[1], p[0], 0x55))
    write("dds-dx10-rgba8.dds", dx10(W, H, 28, rgba8))
    write("dds-dx10-rgba8-srgb.dds", dx10(W, H, 29, rgba8))
    write("dds-dx10-bgra8.dds", dx10(W, H, 87, bgra8))
    write("dds-dx10-bgrx8.dds", dx10(W, H, 88, bgrx8))
    masks = (0xFF0000, 0xFF00, 0xFF, 0xFF000000)
    write("dds-a8r8g8b8.dds", header(W, H, 0x41, bits=32, masks=masks, linear=W * 4) + bgra8)
    write("dds-x8r8g8b8.dds", header(W, H, 0x40, bits=32, masks=masks[:3] + (0,), linear=W * 4) + bgrx8)
    xbgr = bytes(v for p in flat for v in (p[0], p[1], p[2], 0x55))
    write("dds-x8b8g8r8.dds", header(W, H, 0x40, bits=32, masks=(0xFF, 0xFF00, 0xFF0000, 0), linear=W * 4) + xbgr)
    write("dds-a8b8g8r8.dds", header(W, H, 0x41, bits=32, masks=(0xFF, 0xFF00, 0xFF0000, 0xFF000000),
                                     linear=W * 4) + rgba8)

    # Luminance, with and without alpha.
    lum = bytes(v for row in grey for v in row)
    write("dds-l8.dds", header(W, H, 0x20000, bits=8, masks=(0xFF, 0, 0, 0), linear=W) + lum)
    la = bytes(v for y, row in enumerate(grey) for x, g in enumerate(row) for v in (g, rgba[y][x][3]))
    write("dds-a8l8.dds", header(W, H, 0x20001, bits=16, masks=(0xFF, 0, 0, 0xFF00), linear=W * 2) + la)


SEED_FILES = ("dds-dx10-bc3.dds", "dds-bc5s.dds", "dds-dx10-bc7-every-mode.dds", "dds-dx10-bgra8.dds",
              "dds-a8l8.dds")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_dds()
    make_seeds(SEED_FILES)
