#!/usr/bin/env python3
"""Writes the small WMF and EMF sample pictures kept in samples/.

Usage: scripts/make-samples-metafile.py [OUTPUT_DIR [SEED_DIR]]

OUTPUT_DIR defaults to the repository's samples/ folder, SEED_DIR to
fuzz/corpus/.  Only the standard library is used and the output is
deterministic.

  wmf-placeable-house.wmf  placeable WMF (1440 units per inch, 4 x 3 inches):
                           shapes, pens, a hatched brush, clipping, save and
                           restore, text and an embedded 24-bit DIB.
  emf-chart.emf            EMF with an anisotropic mapping: a pie chart,
                           paths with Beziers, a rotated world transform,
                           text, a gradient fill and an 8-bit DIB.

The fuzz seeds are these two and two more pictures that use the rarer
records (regions, pattern brushes, extended pens, alpha blending, arcs),
each behind the prefix byte that gives the fuzz target's file name its
extension: 0x01 for .wmf, 0x02 for .emf.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Shared helpers


def rgb(r, g, b):
    return r | (g << 8) | (b << 16)


def dib(width, height, pixel, bits=24):
    """A packed bottom-up DIB; pixel(x, y) gives (r, g, b), y = 0 at the top.
    With bits=8 pixel gives a palette index and palette() the colours."""
    if bits == 24:
        stride = (width * 3 + 3) & ~3
        rows = []
        for y in range(height - 1, -1, -1):
            row = bytearray()
            for x in range(width):
                r, g, b = pixel(x, y)
                row += bytes((b, g, r))
            row += bytes(stride - len(row))
            rows.append(bytes(row))
        header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, stride * height, 2835, 2835, 0, 0)
        return header + b''.join(rows)
    raise ValueError(bits)


def dib8(width, height, index, colours):
    stride = (width + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytes(index(x, y) for x in range(width))
        rows.append(row + bytes(stride - width))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, stride * height, 2835, 2835,
                         len(colours), 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in colours)
    return header + table, b''.join(rows)


# ---------------------------------------------------------------------------
# WMF


class Wmf:
    def __init__(self):
        self.records = []
        self.objects = 0
        self.free = []

    def rec(self, function, *words, raw=b''):
        params = b''.join(struct.pack('<h' if w < 0 else '<H', w) for w in words) + raw
        if len(params) % 2:
            params += b'\0'
        self.records.append(struct.pack('<IH', 3 + len(params) // 2, function) + params)

    def new_object(self):
        if self.free:
            self.free.sort()
            return self.free.pop(0)
        self.objects += 1
        return self.objects - 1

    def color(self, c):
        return (c & 0xFFFF, c >> 16)

    def brush(self, c, style=0, hatch=0):
        self.rec(0x02FC, style, *self.color(c), hatch)
        return self.new_object()

    def pen(self, c, style=0, width=1):
        self.rec(0x02FA, style, width, 0, *self.color(c))
        return self.new_object()

    def font(self, height, weight=400, face=b'Arial', italic=0, escapement=0):
        raw = struct.pack('<hhhhhBBBBBBBB', height, 0, escapement, escapement, weight, italic, 0, 0, 0, 0, 0, 0, 0)
        raw += face + b'\0'
        self.rec(0x02FB, raw=raw)
        return self.new_object()

    def select(self, i):
        self.rec(0x012D, i)

    def delete(self, i):
        self.rec(0x01F0, i)
        self.free.append(i)

    def rectangle(self, l, t, r, b):
        self.rec(0x041B, b, r, t, l)

    def ellipse(self, l, t, r, b):
        self.rec(0x0418, b, r, t, l)

    def roundrect(self, l, t, r, b, w, h):
        self.rec(0x061C, h, w, b, r, t, l)

    def pie(self, l, t, r, b, xs, ys, xe, ye):
        self.rec(0x081A, ye, xe, ys, xs, b, r, t, l)

    def polygon(self, pts):
        self.rec(0x0324, len(pts), *[v for p in pts for v in p])

    def polyline(self, pts):
        self.rec(0x0325, len(pts), *[v for p in pts for v in p])

    def textout(self, x, y, text):
        s = text.encode('cp1252')
        self.rec(0x0521, len(s), raw=s + (b'\0' if len(s) % 2 else b'') + struct.pack('<hh', y, x))

    def bytes_plain(self):
        body = b''.join(self.records) + struct.pack('<IH', 3, 0)
        largest = max([3] + [len(r) // 2 for r in self.records])
        return struct.pack('<HHHIHIH', 1, 9, 0x0300, 9 + len(body) // 2, self.objects, largest, 0) + body

    def bytes(self, left, top, right, bottom, inch):
        words = [0xCDD7, 0x9AC6, 0, left & 0xFFFF, top & 0xFFFF, right & 0xFFFF, bottom & 0xFFFF, inch, 0, 0]
        checksum = 0
        for w in words:
            checksum ^= w
        placeable = struct.pack('<10HH', *words, checksum)
        body = b''.join(self.records) + struct.pack('<IH', 3, 0)
        largest = max([3] + [len(r) // 2 for r in self.records])
        header = struct.pack('<HHHIHIH', 1, 9, 0x0300, 9 + len(body) // 2, self.objects, largest, 0)
        return placeable + header + body


def make_wmf():
    w = Wmf()
    W, H = 5760, 4320  # 4 x 3 inches in twips
    w.rec(0x0103, 8)                 # MM_ANISOTROPIC
    w.rec(0x020B, 0, 0)              # window origin
    w.rec(0x020C, H, W)              # window extent
    w.rec(0x0102, 1)                 # transparent background

    nopen = w.pen(0, style=5)
    w.select(nopen)
    # Sky in bands, lighter towards the horizon.
    for i in range(8):
        b = w.brush(rgb(90 + i * 15, 150 + i * 10, 235))
        w.select(b)
        w.rectangle(0, i * 360, W, (i + 1) * 360 + 10)
        w.delete(b)
    grass = w.brush(rgb(70, 160, 60))
    w.select(grass)
    w.rectangle(0, 2880, W, H)
    hatch = w.brush(rgb(40, 120, 40), style=2, hatch=5)
    w.select(hatch)
    w.rectangle(0, 3600, W, H)

    # Sun, clipped by a saved intersect rectangle so it sits behind the hill line.
    sun = w.brush(rgb(255, 210, 40))
    w.select(sun)
    w.rec(0x001E)                    # SaveDC
    w.rec(0x0416, 2880, W, 0, 0)     # IntersectClipRect (bottom, right, top, left)
    w.ellipse(4200, 2300, 5400, 3500)
    w.rec(0x0127, -1)                # RestoreDC

    # House: walls, roof, door, window.
    outline = w.pen(rgb(60, 30, 20), width=30)
    w.select(outline)
    wall = w.brush(rgb(230, 220, 190))
    w.select(wall)
    w.rectangle(1200, 2200, 3000, 3600)
    roof = w.brush(rgb(170, 50, 40))
    w.select(roof)
    w.polygon([(1000, 2250), (2100, 1300), (3200, 2250)])
    door = w.brush(rgb(110, 70, 40))
    w.select(door)
    w.roundrect(1500, 2800, 1950, 3600, 200, 200)

    # A window pane: an embedded 24-bit DIB, stretched.
    pane = dib(8, 8, lambda x, y: (120 + 10 * x, 180 + 8 * y, 255) if (x % 4 and y % 4) else (255, 255, 255))
    params = struct.pack('<IHhhhhhhhh', 0x00CC0020, 0, 8, 8, 0, 0, 500, 700, 2500, 2200)
    w.rec(0x0F43, raw=params + pane)

    # A little pie chart on the grass.
    w.select(outline)
    for (colour, start, end) in ((rgb(220, 60, 60), (5200, 3200), (4300, 3200)),
                                 (rgb(60, 90, 220), (4300, 3200), (4750, 3650)),
                                 (rgb(240, 200, 40), (4750, 3650), (5200, 3200))):
        b = w.brush(colour)
        w.select(b)
        w.pie(4300, 2750, 5200, 3650, start[0], start[1], end[0], end[1])
        w.delete(b)

    # Dashed path and a caption.
    dash = w.pen(rgb(255, 255, 255), style=1, width=0)
    w.select(dash)
    w.polyline([(300, 4100), (1000, 3800), (1700, 4100), (2400, 3800)])
    f = w.font(-360, weight=700, face=b'Arial')
    w.select(f)
    w.rec(0x0209, *w.color(rgb(20, 40, 90)))   # text colour
    w.textout(300, 150, 'Oculane WMF')
    return w.bytes(0, 0, W, H, 1440)


# ---------------------------------------------------------------------------
# EMF


class Emf:
    def __init__(self):
        self.records = []
        self.handles = 1

    def rec(self, kind, *dwords, raw=b''):
        params = b''.join(struct.pack('<i' if v < 0 else '<I', v) for v in dwords) + raw
        params += bytes(-len(params) % 4)
        self.records.append(struct.pack('<II', kind, 8 + len(params)) + params)

    def handle(self):
        self.handles += 1
        return self.handles - 1

    def brush(self, c):
        h = self.handle()
        self.rec(39, h, 0, c, 0)
        return h

    def pen(self, c, width, style=0):
        h = self.handle()
        self.rec(38, h, style, width, 0, c)
        return h

    def select(self, h):
        self.rec(37, h)

    def points16(self, kind, pts):
        raw = struct.pack('<iiiiI', 0, 0, 0, 0, len(pts)) + b''.join(struct.pack('<hh', x, y) for x, y in pts)
        self.rec(kind, raw=raw)

    def text(self, x, y, s, font):
        self.select(font)
        encoded = s.encode('utf-16-le')
        n = len(s)
        off_string = 76  # record header, bounds, mode, scales and the EMRTEXT
        raw = struct.pack('<iiiiIff', 0, 0, 0, 0, 1, 1.0, 1.0)
        raw += struct.pack('<iiIIIiiiiI', x, y, n, off_string, 0, 0, 0, 0, 0, 0)
        raw += encoded + bytes(-len(encoded) % 4)
        self.rec(84, raw=raw)

    def font(self, height, weight=400, face='DejaVu Sans', escapement=0):
        h = self.handle()
        name = face.encode('utf-16-le')[:62]
        raw = struct.pack('<Iiiiii8B', h, height, 0, escapement, escapement, weight, 0, 0, 0, 0, 0, 0, 0, 0)
        raw += name + bytes(64 - len(name))
        self.rec(82, raw=raw)
        return h

    def bytes(self, frame, device=(1024, 768), mm=(320, 240)):
        eof = struct.pack('<IIIII', 14, 20, 0, 16, 20)
        body = b''.join(self.records) + eof
        total = 88 + len(body)
        header = struct.pack('<II4i4iIIIIHHIII2i2i', 1, 88, 0, 0, 0, 0, *frame, 0x464D4520, 0x10000, total,
                             len(self.records) + 2, self.handles, 0, 0, 0, 0, *device, *mm)
        return header + body


def make_emf():
    e = Emf()
    # 80 x 60 mm frame; logical units 0..800 x 0..600 mapped onto it.
    e.rec(17, 8)                       # SETMAPMODE anisotropic
    e.rec(9, 800, 600)                 # window extent
    e.rec(11, 256, 192)                # viewport extent: 80 mm = 256 px on the reference device
    e.rec(18, 1)                       # transparent background

    # Background gradient (GRADIENTFILL, vertical rectangle).
    verts = struct.pack('<ii4H', 0, 0, 0xE000, 0xEC00, 0xFF00, 0) + struct.pack('<ii4H', 800, 600, 0x8000, 0xA000, 0xD000, 0)
    e.rec(118, raw=struct.pack('<iiiiIII', 0, 0, 800, 600, 2, 1, 1) + verts + struct.pack('<II', 0, 1))

    black = e.pen(rgb(30, 30, 30), 3)
    e.select(black)
    colours = [rgb(230, 70, 60), rgb(70, 120, 220), rgb(250, 190, 50), rgb(90, 180, 90)]
    # Pie: centre (220, 300), radius 170; slices by end points on the circle.
    angles = [0, 110, 200, 290, 360]
    for i in range(4):
        b = e.brush(colours[i])
        e.select(b)
        a0, a1 = math.radians(angles[i]), math.radians(angles[i + 1])
        start = (220 + round(170 * math.cos(a0)), 300 - round(170 * math.sin(a0)))
        end = (220 + round(170 * math.cos(a1)), 300 - round(170 * math.sin(a1)))
        e.rec(47, 50, 130, 390, 470, *start, *end)

    # A closed Bezier blob through a path, filled and stroked.
    blob = e.brush(rgb(160, 90, 200))
    e.select(blob)
    e.rec(59)                                         # BEGINPATH
    e.rec(27, 480, 420)                               # MOVETO
    e.points16(88, [(520, 330), (700, 330), (740, 420), (780, 510), (600, 560), (480, 420)])
    e.rec(61)                                         # CLOSEFIGURE
    e.rec(60)                                         # ENDPATH
    e.rec(63, 0, 0, 0, 0)                             # STROKEANDFILLPATH

    # An 8-bit DIB (STRETCHDIBITS) with a checker pattern.
    info, rows = dib8(8, 8, lambda x, y: (x + y) % 2 + 2 * (y // 4), [(255, 255, 255), (40, 40, 40),
                                                                     (250, 200, 60), (60, 60, 160)])
    off_bmi = 80
    off_bits = off_bmi + len(info)
    raw = struct.pack('<iiii', 0, 0, 0, 0)
    raw += struct.pack('<iiiiiiIIIIIIii', 620, 120, 0, 0, 8, 8, off_bmi, len(info), off_bits, len(rows), 0,
                       0x00CC0020, 120, 120)
    e.rec(81, raw=raw + info + rows)

    # Title, and a label rotated by a world transform.
    title = e.font(-48, 700)
    e.rec(24, rgb(20, 30, 70))                        # text colour
    e.text(40, 20, 'Oculane EMF', title)
    e.rec(33)                                         # SAVEDC
    angle = math.radians(-30)
    xform = struct.pack("<6f", math.cos(angle), math.sin(angle), -math.sin(angle), math.cos(angle), 420, 290)
    e.rec(35, raw=xform)                              # SETWORLDTRANSFORM
    small = e.font(-28, 400)
    e.rec(24, rgb(120, 20, 20))
    e.text(0, 0, 'rotated', small)
    e.rec(34, -1)                                     # RESTOREDC
    # Frame: 80 x 60 mm in 0.01 mm.
    return e.bytes((0, 0, 7999, 5999))


def make_wmf_records():
    """No placeable header: the window extent gives the size."""
    w = Wmf()
    w.rec(0x020B, 0, 0)
    w.rec(0x020C, 120, 160)
    # A region of two rectangles (one scan each) as the clip.
    scans = struct.pack('<HhhhhH', 2, 10, 50, 10, 150, 2) + struct.pack('<HhhhhH', 2, 60, 110, 40, 120, 2)
    region = struct.pack('<HhIhhhhhhh', 0, 6, 0, 22 + len(scans), 2, 2, 10, 10, 150, 110) + scans
    w.rec(0x06FF, raw=region)
    rgn = w.new_object()
    w.rec(0x012C, rgn)
    pattern = dib(4, 4, lambda x, y: (200, 40, 40) if (x + y) % 4 < 2 else (250, 230, 200))
    w.rec(0x0142, 5, 0, raw=pattern)
    brush = w.new_object()
    w.select(brush)
    w.rec(0x061D, 0x0021, 0x00F0, 120, 160, 0, 0)     # PatBlt PATCOPY over everything
    w.rec(0x012C, rgn)
    pen = w.pen(rgb(0, 0, 128), width=3)
    w.select(pen)
    w.rec(0x0830, 30, 20, 30, 140, 45, 140, 15, 20)     # Chord: upper half of (20,15)-(140,45)
    w.rec(0x0817, 85, 45, 85, 115, 105, 115, 65, 45)    # Arc: upper half of (45,65)-(115,105)
    text = b'Dx'
    f = w.font(-20, face=b'Courier New')
    w.select(f)
    w.rec(0x0A32, 80, 50, len(text), 0, raw=text + struct.pack('<hh', 14, 14))
    w.rec(0x0940, 0x0020, 0x00CC, 0, 0, 4, 4, 90, 100, raw=pattern)  # DIB BitBlt
    return w


def make_emf_records():
    e = Emf()
    # Dashed geometric pen with flat caps.
    pen = e.handle()
    e.rec(95, pen, 0, 0, 0, 0, 0x00010000 | 0x200 | 1, 6, 0, rgb(20, 120, 20), 0, 0)
    e.select(pen)
    info, rows = dib8(4, 4, lambda x, y: (x ^ y) & 1, [(30, 30, 200), (230, 230, 90)])
    brush = e.handle()
    e.rec(94, brush, 0, 32, len(info), 32 + len(info), len(rows), raw=info + rows)
    e.select(brush)
    # Two triangles as one poly-polygon.
    pts = [(10, 10), (90, 10), (50, 70), (60, 60), (120, 60), (90, 110)]
    e.rec(91, 0, 0, 0, 0, 2, 6, 3, 3, raw=b''.join(struct.pack('<hh', x, y) for x, y in pts))
    # Clip to a region, then an alpha-blended bitmap.
    e.rec(75, 48, 5, raw=struct.pack('<IIII4i4i', 32, 1, 1, 16, 0, 0, 0, 0, 20, 20, 110, 100))
    src = dib(2, 2, lambda x, y: ((255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255))[y * 2 + x])
    off = 8 + 100  # record header and the fixed fields
    blend = struct.pack('<4i4iBBBBii6fIIIIIIii', 0, 0, 0, 0, 30, 30, 60, 60, 0, 0, 128, 0, 0, 0,
                        1, 0, 0, 1, 0, 0, 0, 0, off, 40, off + 40, len(src) - 40, 2, 2)
    e.rec(114, raw=blend + src)
    e.rec(75, 0, 5)
    # Arcs and lines drawn with the current position.
    e.rec(27, 10, 120)
    e.rec(41, 40, 120, 25, *struct.unpack('<II', struct.pack('<ff', 180.0, -270.0)))  # AngleArc
    e.rec(55, 80, 100, 120, 140, 120, 120, 80, 120)                                      # ArcTo
    e.rec(54, 130, 130)
    types = bytes((6, 2, 4, 4, 4 | 1))
    e.rec(56, 0, 0, 0, 0, 5, 100, 10, 140, 40, 110, 60, 140, 80, 100, 100, raw=types)  # PolyDraw
    return e


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'samples')
    seeds = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, 'fuzz', 'corpus')
    os.makedirs(out, exist_ok=True)
    os.makedirs(seeds, exist_ok=True)
    wmf, emf = make_wmf(), make_emf()
    for name, data in (('wmf-placeable-house.wmf', wmf), ('emf-chart.emf', emf)):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        print(name, len(data), 'bytes')
    wmf_records = make_wmf_records()
    for name, prefix, data in (('seed-wmf-shapes', 1, wmf),
                               ('seed-wmf-regions-no-placeable', 1, wmf_records.bytes_plain()),
                               ('seed-emf-chart', 2, emf),
                               ('seed-emf-pens-blend-arcs', 2, make_emf_records().bytes((0, 0, 3999, 3999)))):
        with open(os.path.join(seeds, name), 'wb') as f:
            f.write(bytes((prefix,)) + data)
        print(name, len(data) + 1, 'bytes')


if __name__ == '__main__':
    main()
