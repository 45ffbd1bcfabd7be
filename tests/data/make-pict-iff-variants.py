#!/usr/bin/env python3
"""Writes the PICT and IFF variant fixtures into tests/data/variants/.

PICT: pictures made of several bands (pixel maps of 4, 8, 16 and 32 bits),
each drawn at its own destination rectangle of the picture frame.
ImageMagick reads them all back (tests/crosscheck.py); it shows 1-bit
bitmaps all black, so those are left to the unit tests.

IFF: chunky PBM images, RGB8 and RGBN run-length images, 24-plane ILBM, and
ILBMs whose colour registers change from row to row (PCHG small and big
changes, plain and Huffman-packed; SHAM and CTBL). netpbm's ilbmtoppm reads them all
back; it takes 4-bit hold-and-modify values shifted, we spread them to 0-255.

All files are built byte by byte here from the same 29 x 17 crop of
ImageMagick's built-in rose that tests/data/make-variants.py uses. A few of
the files are also fuzz seeds (fuzz/corpus/seed-variant-*).

Usage: tests/data/make-pict-iff-variants.py
"""
import os
import struct

from variant_kit import OUT, W, H, write, rgb_rows, make_seeds


def indexed(rows):
    """(palette, index rows) of rows with at most 256 colours."""
    palette = sorted({p for row in rows for p in row})
    assert len(palette) <= 256
    where = {c: i for i, c in enumerate(palette)}
    return palette, [[where[p] for p in row] for row in rows]


def packbits(data):
    """PackBits: repeats of three or more as runs, the rest as literals."""
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and run < 128 and data[i + run] == data[i]:
            run += 1
        if run >= 3:
            out += bytes([257 - run, data[i]])
            i += run
            continue
        start = i
        while i < len(data) and i - start < 128:
            if i + 2 < len(data) and data[i] == data[i + 1] == data[i + 2]:
                break
            i += 1
        out += bytes([i - start - 1]) + bytes(data[start:i])
    return bytes(out)


def packbits16(words):
    """PackBits in 16-bit units, literals only."""
    out = bytearray()
    for i in range(0, len(words), 128):
        chunk = words[i:i + 128]
        out += bytes([len(chunk) - 1]) + b"".join(struct.pack(">H", w) for w in chunk)
    return bytes(out)


# ---- PICT: several bands composed on the frame ------------------------

def rect(top, left, bottom, right):
    return struct.pack(">4h", top, left, bottom, right)


class Pict:
    def __init__(self, frame, version=2):
        self.version = version
        self.data = bytearray(512) + struct.pack(">H", 0) + rect(*frame)
        if version == 1:
            # Version 1 pictures open with a clip region (the frame).
            self.data += b"\x11\x01\x01" + struct.pack(">H", 10) + rect(*frame)
        else:
            self.data += struct.pack(">HHH", 0x0011, 0x02FF, 0x0C00)
            self.data += struct.pack(">iII", -2 << 16, 0x480000, 0x480000) + rect(*frame) + bytes(4)

    def opcode(self, op):
        if self.version == 1:
            self.data.append(op)
            return
        if len(self.data) & 1:
            self.data.append(0)
        self.data += struct.pack(">H", op)

    def rows(self, row_bytes, packed_rows):
        for p in packed_rows:
            self.data += (bytes([len(p)]) if row_bytes <= 250 else struct.pack(">H", len(p))) + p

    def pixmap_header(self, bounds, pack_type, pixel_type, pixel_size, cmp_count, cmp_size):
        self.data += rect(*bounds) + struct.pack(">HHIIIHHHHIII", 0, pack_type, 0, 0x480000, 0x480000,
                                                 pixel_type, pixel_size, cmp_count, cmp_size, 0, 0, 0)

    def placement(self, bounds, dest):
        self.data += rect(*bounds) + rect(*dest) + struct.pack(">H", 0)

    def indexed(self, bounds, dest, palette, index_rows, bits=8):
        width = bounds[3] - bounds[1]
        row_bytes = max(8, (width * bits + 7) // 8 + 1 & ~1)
        self.opcode(0x98)
        self.data += struct.pack(">H", row_bytes | 0x8000)
        self.pixmap_header(bounds, 0, 0, bits, 1, bits)
        self.data += struct.pack(">IHH", 0, 0, len(palette) - 1)
        for i, (r, g, b) in enumerate(palette):
            self.data += struct.pack(">4H", i, r * 257, g * 257, b * 257)
        self.placement(bounds, dest)
        packed = []
        for row in index_rows:
            value = 0
            for i in row:
                value = value << bits | i
            value <<= row_bytes * 8 - len(row) * bits
            packed.append(packbits(value.to_bytes(row_bytes, "big")))
        self.rows(row_bytes, packed)

    def bitmap(self, bounds, dest, bit_rows):
        """A 1-bit bitmap (BitsRect, rows stored as they are when short, else PackBitsRect)."""
        width = bounds[3] - bounds[1]
        row_bytes = (width + 15) // 16 * 2
        self.opcode(0x90 if row_bytes < 8 else 0x98)
        self.data += struct.pack(">H", row_bytes) + rect(*bounds)
        self.placement(bounds, dest)
        rows = []
        for row in bit_rows:
            value = 0
            for bit in row:
                value = value << 1 | bit
            rows.append((value << (row_bytes * 8 - len(row))).to_bytes(row_bytes, "big"))
        if row_bytes < 8:
            self.data += b"".join(rows)
        else:
            self.rows(row_bytes, [packbits(r) for r in rows])

    def direct(self, bounds, dest, rgb_rows, bits=32):
        width = bounds[3] - bounds[1]
        row_bytes = width * bits // 8
        self.opcode(0x9A)
        self.data += struct.pack(">IH", 0xFF, row_bytes | 0x8000)
        if bits == 32:
            self.pixmap_header(bounds, 4, 16, 32, 3, 8)
            self.placement(bounds, dest)
            self.rows(row_bytes, [packbits(bytes(p[0] for p in row) + bytes(p[1] for p in row) +
                                           bytes(p[2] for p in row)) for row in rgb_rows])
        else:
            self.pixmap_header(bounds, 3, 16, 16, 3, 5)
            self.placement(bounds, dest)
            self.rows(row_bytes, [packbits16([(p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3 for p in row])
                                  for row in rgb_rows])

    def end(self):
        self.opcode(0xFF)
        return bytes(self.data)


def make_pict():
    rgb = rgb_rows()
    palette, index = indexed(rgb_rows(40))
    full = (0, 0, H, W)
    # Three bands down the frame: 8-bit, 32-bit, 8-bit again.
    p = Pict(full)
    p.indexed((0, 0, 6, W), (0, 0, 6, W), palette, index[0:6])
    p.direct((6, 0, 12, W), (6, 0, 12, W), rgb[6:12])
    p.indexed((12, 0, H, W), (12, 0, H, W), palette, index[12:H])
    write("pict-bands-8bit-32bit.pct", p.end())
    # Bands side by side whose bounds all start at 0,0: only the destination places them.
    p = Pict(full)
    for left, right in ((0, 10), (10, 20), (20, W)):
        p.direct((0, 0, H, right - left), (0, left, H, right), [row[left:right] for row in rgb])
    write("pict-bands-destination.pct", p.end())
    # 16-bit bands, packed in 16-bit units.
    p = Pict(full)
    p.direct((0, 0, 9, W), (0, 0, 9, W), rgb[0:9], bits=16)
    p.direct((9, 0, H, W), (9, 0, H, W), rgb[9:H], bits=16)
    write("pict-bands-16bit.pct", p.end())
    # 4-bit bands with different colour tables.
    p = Pict(full)
    for top, bottom in ((0, 8), (8, H)):
        band = [row for row in rgb_rows(16)[top:bottom]]
        pal, idx = indexed(band)
        p.indexed((top, 0, bottom, W), (top, 0, bottom, W), pal, idx, bits=4)
    write("pict-bands-4bit-own-tables.pct", p.end())


# ---- IFF: chunky PBM, RGB8/RGBN, per-line colours (PCHG, SHAM) --------

def iff_chunk(kind, data):
    return kind + struct.pack(">I", len(data)) + data + (b"\0" if len(data) & 1 else b"")


def iff_form(kind, *chunks):
    body = kind + b"".join(chunks)
    return b"FORM" + struct.pack(">I", len(body)) + body


def bmhd(planes, compression=0, masking=0, width=W):
    return iff_chunk(b"BMHD", struct.pack(">HHhhBBBBHBBhh", width, H, 0, 0, planes, masking, compression, 0, 0,
                                          10, 11, width, H))


def cmap(palette):
    return iff_chunk(b"CMAP", b"".join(bytes(c) for c in palette))


def planar_body(index_rows, planes, compress):
    """Interleaved plane rows of the index rows, ByteRun1 (PackBits) per plane row when compress."""
    row_bytes = (W + 15) // 16 * 2
    out = bytearray()
    for row in index_rows:
        for plane in range(planes):
            value = 0
            for i in row:
                value = value << 1 | (i >> plane) & 1
            data = (value << (row_bytes * 8 - W)).to_bytes(row_bytes, "big")
            out += packbits(data) if compress else data
    return bytes(out)


def rgbn_body(rows, nibbles):
    """RGB8 (4-byte) or RGBN (2-byte) packets: colour, a genlock bit and a repeat count; a count of 0
    is followed by a byte, and a byte of 0 by a word."""
    pixels = [p for row in rows for p in row]
    out = bytearray()
    i = 0
    counts = [1, 7, 200, 300]  # short, short, one-byte and word counts in turn
    turn = 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and pixels[i + run] == pixels[i]:
            run += 1
        want = counts[turn % len(counts)]
        turn += 1
        run = min(run, want) if want < 8 else run
        limit = 7 if nibbles else 127
        r, g, b = pixels[i]
        if nibbles:
            word = (r >> 4) << 12 | (g >> 4) << 8 | (b >> 4) << 4
            head = struct.pack(">H", word | (run if run <= limit and want < 8 else 0))
        else:
            head = bytes((r, g, b, run if run <= limit and want < 8 else 0))
        if run <= limit and want < 8:
            out += head
        elif run < 256 and want < 256:
            out += head + bytes([run])
        else:
            out += head + b"\0" + struct.pack(">H", run)
        i += run
    return bytes(out)


def huffman(data):
    """(tree words, packed bits) of a Huffman code for data. The tree is read from its last word: a 1 bit
    takes the node's word (a byte value, or minus the byte distance back to the next node), a 0 bit the
    word before it (a byte value with 0x100 set, or the next node)."""
    import heapq
    freq = {}
    for b in data:
        freq[b] = freq.get(b, 0) + 1
    if len(freq) == 1:
        freq[(data[0] + 1) & 0xFF] = 0
    heap = [(n, i, v) for i, (v, n) in enumerate(sorted(freq.items()))]
    heapq.heapify(heap)
    order = len(heap)
    while len(heap) > 1:
        a = heapq.heappop(heap)
        b = heapq.heappop(heap)
        heapq.heappush(heap, (a[0] + b[0], order, (a[2], b[2])))
        order += 1
    root = heap[0][2]
    words = []
    codes = {}

    def lay(node, prefix):
        """Lays out an inner node; returns its word index."""
        left, right = node
        right_index = lay(right, prefix + "1") if isinstance(right, tuple) else None
        if isinstance(left, tuple):
            lay(left, prefix + "0")
        else:
            words.append(0x100 | left)
            codes[left] = prefix + "0"
        index = len(words)
        if right_index is None:
            words.append(right)
            codes[right] = prefix + "1"
        else:
            words.append(-2 * (index - right_index))
        return index
    lay(root, "")
    bits = "".join(codes[b] for b in data)
    bits += "0" * (-len(bits) % 8)
    packed = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    return b"".join(struct.pack(">h", w) for w in words), packed


def pchg(changes, small, compress):
    """A PCHG chunk: changes is a list, per row, of [(register, (r, g, b))]."""
    lines = len(changes)
    mask = bytearray((lines + 31) // 32 * 4)
    data = bytearray()
    changed = 0
    total = 0
    for y, row in enumerate(changes):
        if not row:
            continue
        changed += 1
        total += len(row)
        mask[y // 8] |= 0x80 >> (y % 8)
        if small:
            low = [c for c in row if c[0] < 16]
            high = [c for c in row if c[0] >= 16]
            data += bytes([len(low), len(high)])
            for reg, (r, g, b) in low + high:
                data += struct.pack(">H", (reg & 15) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4)
        else:
            data += struct.pack(">H", len(row))
            for reg, (r, g, b) in row:
                data += struct.pack(">HBBBB", reg, 0, r, b, g)  # alpha, red, blue, green
    data = bytes(mask) + bytes(data)
    regs = [c[0] for row in changes for c in row]
    head = struct.pack(">HHhHHHHHI", 1 if compress else 0, 1 if small else 2, 0, lines, changed, min(regs),
                       max(regs), max(len(r) for r in changes), total)
    if compress:
        tree, packed = huffman(data)
        head += struct.pack(">II", len(tree), len(data)) + tree
        data = packed
    return iff_chunk(b"PCHG", head + data)


def line_palettes(rows, registers, shift):
    """Per row, a register for every colour of the row (colours cut by shift bits); the first row's
    registers become the colour map, and each later row changes only the registers it needs anew.
    Returns (colour map, index rows, per-row changes)."""
    current = [None] * registers
    index_rows = []
    changes = []
    for y, row in enumerate(rows):
        row = [tuple(c >> shift << shift for c in p) for p in row]
        needed = sorted(set(row))
        assert len(needed) <= registers
        kept = {c for c in needed if c in current}
        free = [r for r in range(registers) if current[r] not in needed]
        row_changes = []
        for c in needed:
            if c not in kept:
                reg = free.pop(0)
                current[reg] = c
                row_changes.append((reg, c))
        changes.append(row_changes if y else [])
        if y == 0:
            first = [c if c is not None else (0, 0, 0) for c in current]
        where = {c: current.index(c) for c in needed}
        index_rows.append([where[p] for p in row])
    return first, index_rows, changes


def make_iff():
    rgb = rgb_rows()
    palette, index = indexed(rgb_rows(40))
    # Chunky 8-bit rows. Writers pad odd rows to an even length, the peer does not: an even width.
    chunky = [bytes(row[:W - 1]) for row in index]
    write("iff-pbm-8bit.iff", iff_form(b"PBM ", bmhd(8, width=W - 1), cmap(palette),
                                       iff_chunk(b"BODY", b"".join(chunky))))
    write("iff-pbm-8bit-byterun1.iff", iff_form(b"PBM ", bmhd(8, 1, width=W - 1), cmap(palette),
                                                iff_chunk(b"BODY", b"".join(packbits(r) for r in chunky))))
    # 24 planes: red 0-7, green 8-15, blue 16-23.
    truecolour = [[p[0] | p[1] << 8 | p[2] << 16 for p in row] for row in rgb]
    write("iff-ilbm-24bit-byterun1.iff", iff_form(b"ILBM", bmhd(24, 1),
                                                  iff_chunk(b"BODY", planar_body(truecolour, 24, True))))
    flat = rgb_rows(12)
    write("iff-rgb8.iff", iff_form(b"RGB8", bmhd(25, 4), iff_chunk(b"BODY", rgbn_body(flat, False))))
    write("iff-rgbn.iff", iff_form(b"RGBN", bmhd(13, 4), iff_chunk(b"BODY", rgbn_body(flat, True))))
    # 5 planes whose 32 registers change from row to row.
    for small, shift, name in ((True, 4, "small"), (False, 0, "big")):
        first, idx, changes = line_palettes(rgb_rows(0 if small else 96), 32, shift)
        if small:
            first = [tuple(c | c >> 4 for c in p) for p in first]
        for compress in (False, True):
            write("iff-pchg-%s%s.iff" % (name, "-huffman" if compress else ""),
                  iff_form(b"ILBM", bmhd(5, 1), cmap(first), pchg(changes, small, compress),
                           iff_chunk(b"BODY", planar_body(idx, 5, True))))
    # Sliced hold-and-modify: a palette a row, or one for two rows of an interlaced picture.
    for per, camg, name in ((1, 0x800, "iff-sham.iff"), (2, 0x804, "iff-sham-interlaced.iff")):
        chunk, idx = sham_image(rgb, per)
        write(name, iff_form(b"ILBM", bmhd(6, 1), iff_chunk(b"CAMG", struct.pack(">I", camg)), chunk,
                             iff_chunk(b"BODY", planar_body(idx, 6, True))))
    # CTBL: the rows of a SHAM chunk without its version word.
    chunk, idx = sham_image(rgb, 1)
    at = chunk.index(b"SHAM")
    write("iff-ctbl.iff", iff_form(b"ILBM", bmhd(6, 1), iff_chunk(b"CAMG", struct.pack(">I", 0x800)), chunk[:at],
                                   iff_chunk(b"CTBL", chunk[at + 10:at + 8 + 2 + 32 * H]),
                                   iff_chunk(b"BODY", planar_body(idx, 6, True))))


def sham_image(rows, rows_per_palette):
    """A hold-and-modify image of 6 planes whose 16 base colours change every rows_per_palette rows:
    (CMAP and SHAM chunks, index rows). Colours a palette lacks are reached by setting their red gun."""
    palettes = []
    index_rows = []
    for y, row in enumerate(rows):
        row4 = [tuple(c >> 4 for c in p) for p in row]
        if y % rows_per_palette == 0:
            counts = {}
            for p in row4 + [tuple(c >> 4 for c in q) for q in rows[min(y + 1, len(rows) - 1)]]:
                counts[p] = counts.get(p, 0) + 1
            palette = sorted(counts, key=lambda c: (-counts[c], c))[:16]
            palette += [(0, 0, 0)] * (16 - len(palette))
            palettes.append(palette)
        palette = palettes[-1]
        indices = []
        for p in row4:
            nearest = min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], p)))
            indices.append(nearest if palette[nearest] == p or len(indices) % 3 else 0x20 | p[0])
        index_rows.append(indices)
    sham = struct.pack(">H", 0) + b"".join(struct.pack(">H", r << 8 | g << 4 | b)
                                          for palette in palettes for r, g, b in palette)
    first = [tuple(c * 17 for c in p) for p in palettes[0]]
    return cmap(first) + iff_chunk(b"SHAM", sham), index_rows


SEED_FILES = ("pict-bands-8bit-32bit.pct", "pict-bands-4bit-own-tables.pct", "iff-pbm-8bit-byterun1.iff",
              "iff-rgbn.iff", "iff-pchg-small-huffman.iff", "iff-pchg-big.iff", "iff-sham.iff")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    make_pict()
    make_iff()
    make_seeds(SEED_FILES)
