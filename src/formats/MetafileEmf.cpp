#include "formats/MetafileEmf.h"

#include "formats/MetafileEmfRecords.h"
#include "formats/ImageDecoder.h"

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

constexpr uint32_t kSignature = 0x464D4520; // " EMF"
constexpr size_t kHeaderSize = 88;

template <typename Visit>
void ForEachRecord(const uint8_t* data, size_t size, Visit visit)
{
    size_t offset = 0;
    while (size - offset >= 8) {
        const uint32_t type = GetLE32(data + offset);
        const uint32_t bytes = GetLE32(data + offset + 4);
        if (bytes < 8 || bytes > size - offset)
            return;
        if (!visit(type, CRecordView(data + offset, bytes)) || type == EmrEof)
            return;
        offset += bytes;
    }
}

std::vector<Point> Points(const CRecordView& v, size_t offset, size_t count, bool small)
{
    std::vector<Point> points(count);
    for (size_t i = 0; i < count; ++i)
        points[i] = small ? Point{double(v.S16(offset + 4 * i)), double(v.S16(offset + 4 * i + 2))}
                          : PointAt(v, offset + 8 * i);
    return points;
}

// Count at 24, points from 28; false when they do not fit the record.
bool PolyPoints(const CRecordView& v, bool small, std::vector<Point>& out)
{
    const uint32_t count = v.U32(24);
    if (!v.HasItems(28, count, small ? 4 : 8))
        return false;
    out = Points(v, 28, count, small);
    return true;
}

bool PolyPolyPoints(const CRecordView& v, bool small, std::vector<std::vector<Point>>& out)
{
    const uint32_t figures = v.U32(24), total = v.U32(28);
    const size_t item = small ? 4 : 8;
    if (!v.HasItems(32, figures, 4))
        return false;
    size_t offset = 32 + size_t(4) * figures;
    if (!v.HasItems(offset, total, item))
        return false;
    uint64_t used = 0;
    for (uint32_t i = 0; i < figures; ++i) {
        const uint32_t count = v.U32(32 + 4 * size_t(i));
        used += count;
        if (used > total)
            return false;
        // Figures of fewer than two points draw nothing.
        if (count >= 2)
            out.push_back(Points(v, offset, count, small));
        offset += item * count;
    }
    return true;
}

class CEmfPlayer {
public:
    explicit CEmfPlayer(CMetafileCanvas& canvas) : m_Canvas(canvas) {}
    void Record(uint32_t type, const CRecordView& v);

private:
    void Poly(uint32_t type, const CRecordView& v);
    const LogBrush* BrushAt(uint32_t index) const
    {
        const GdiObject* object = m_Canvas.Object(index);
        return object ? std::get_if<LogBrush>(object) : nullptr;
    }

    CMetafileCanvas& m_Canvas;
};

void CEmfPlayer::Record(uint32_t type, const CRecordView& v)
{
    CMetafileCanvas& c = m_Canvas;
    DcState& dc = c.Dc();
    switch (type) {
    case EmrSetWindowExtEx:
        c.SetWindowExt(PointAt(v, 8));
        break;
    case EmrSetWindowOrgEx:
        c.SetWindowOrg(PointAt(v, 8));
        break;
    case EmrSetViewportExtEx:
        c.SetViewportExt(PointAt(v, 8));
        break;
    case EmrSetViewportOrgEx:
        c.SetViewportOrg(PointAt(v, 8));
        break;
    case EmrSetBrushOrgEx:
        dc.BrushOrg = PointAt(v, 8);
        break;
    case EmrScaleViewportExtEx:
        c.ScaleViewportExt(v.S32(8), v.S32(12), v.S32(16), v.S32(20));
        break;
    case EmrScaleWindowExtEx:
        c.ScaleWindowExt(v.S32(8), v.S32(12), v.S32(16), v.S32(20));
        break;
    case EmrSetMapMode:
        c.SetMapMode(v.S32(8));
        break;
    case EmrSetBkMode:
        if (v.U32(8) == BkTransparent || v.U32(8) == BkOpaque)
            dc.BkMode = v.U32(8);
        break;
    case EmrSetPolyFillMode:
        dc.PolyFillMode = v.U32(8) == 2 ? 2 : 1;
        break;
    case EmrSetStretchBltMode:
        dc.StretchMode = v.S32(8);
        break;
    case EmrSetTextAlign:
        dc.TextAlign = v.U32(8);
        break;
    case EmrSetTextColor:
        dc.TextColor = v.U32(8);
        break;
    case EmrSetBkColor:
        dc.BkColor = v.U32(8);
        break;
    case EmrSetArcDirection:
        dc.ArcDirection = v.U32(8) == 2 ? 2 : 1;
        break;
    case EmrSetMiterLimit: {
        // Written as an integer by some and as a float by others.
        const uint32_t raw = v.U32(8);
        const double value = raw <= 1000 ? double(raw) : double(v.F32(8));
        if (std::isfinite(value) && value >= 1)
            dc.MiterLimit = value;
        break;
    }
    case EmrSetPixelV:
        c.SetPixel(PointAt(v, 8), v.U32(16));
        break;
    case EmrMoveToEx:
        c.MoveTo(PointAt(v, 8));
        break;
    case EmrLineTo:
        c.LineTo(PointAt(v, 8));
        break;
    case EmrExcludeClipRect:
        c.ExcludeClipRect(RectAt(v, 8));
        break;
    case EmrIntersectClipRect:
        c.IntersectClipRect(RectAt(v, 8));
        break;
    case EmrSaveDc:
        c.SaveDc();
        break;
    case EmrRestoreDc:
        c.RestoreDc(v.S32(8));
        break;
    case EmrSetWorldTransform:
    case EmrModifyWorldTransform: {
        const Affine m{v.F32(8), v.F32(12), v.F32(16), v.F32(20), v.F32(24), v.F32(28)};
        if (type == EmrSetWorldTransform)
            c.SetWorldTransform(m);
        else
            c.ModifyWorldTransform(m, v.U32(32));
        break;
    }
    case EmrSelectObject:
        c.SelectObject(v.U32(8));
        break;
    case EmrDeleteObject:
        c.DeleteObject(v.U32(8));
        break;
    case EmrSelectPalette:
        c.SelectPalette(v.U32(8));
        break;
    case EmrAngleArc:
        c.AngleArc(PointAt(v, 8), v.U32(16), v.F32(20), v.F32(24));
        break;
    case EmrEllipse:
        c.Ellipse(RectAt(v, 8));
        break;
    case EmrRectangle:
        c.Rectangle(RectAt(v, 8));
        break;
    case EmrRoundRect:
        c.RoundRect(RectAt(v, 8), v.S32(24), v.S32(28));
        break;
    case EmrArc:
    case EmrChord:
    case EmrPie:
    case EmrArcTo:
        c.Arc(RectAt(v, 8), PointAt(v, 24), PointAt(v, 32),
              type == EmrArc ? ArcOpen : type == EmrChord ? ArcChord : type == EmrPie ? ArcPie : ArcTo);
        break;
    case EmrBeginPath:
        c.BeginPath();
        break;
    case EmrEndPath:
        c.EndPath();
        break;
    case EmrCloseFigure:
        c.CloseFigure();
        break;
    case EmrFillPath:
        c.FillPath();
        break;
    case EmrStrokeAndFillPath:
        c.StrokeAndFillPath();
        break;
    case EmrStrokePath:
        c.StrokePath();
        break;
    case EmrSelectClipPath:
        c.SelectClipPath(v.U32(8));
        break;
    case EmrAbortPath:
        c.AbortPath();
        break;
    case EmrFillRgn:
        if (const auto region = ReadRegion(v, 32, v.U32(24), false))
            if (const LogBrush* brush = BrushAt(v.U32(28)))
                c.FillRegion(*region, *brush);
        break;
    case EmrFrameRgn:
        if (const auto region = ReadRegion(v, 40, v.U32(24), false))
            if (const LogBrush* brush = BrushAt(v.U32(28)))
                c.FrameRegion(*region, *brush, v.S32(32), v.S32(36));
        break;
    case EmrPaintRgn:
        if (const auto region = ReadRegion(v, 28, v.U32(24), false))
            c.FillRegion(*region, dc.Brush);
        break;
    case EmrExtSelectClipRgn:
        if (v.U32(8) == 0) {
            c.SelectClipRegion(nullptr, v.U32(12));
        } else if (const auto region = ReadRegion(v, 16, v.U32(8), true)) {
            c.SelectClipRegion(&*region, v.U32(12));
        }
        break;
    case EmrExtTextOutA:
    case EmrExtTextOutW:
        EmfText(v, 36, type == EmrExtTextOutW, c);
        break;
    case EmrPolyTextOutA:
    case EmrPolyTextOutW: {
        const uint32_t strings = v.U32(36);
        for (uint32_t i = 0; i < strings && v.Has(40 + 40 * size_t(i), 40); ++i)
            EmfText(v, 40 + 40 * size_t(i), type == EmrPolyTextOutW, c);
        break;
    }
    case EmrGradientFill:
        EmfGradient(v, c);
        break;
    case EmrBitBlt:
    case EmrStretchBlt:
    case EmrSetDiBitsToDevice:
    case EmrStretchDiBits:
    case EmrAlphaBlend:
    case EmrTransparentBlt:
        EmfBlit(type, v, c);
        break;
    case EmrCreatePen:
    case EmrCreateBrushIndirect:
    case EmrCreatePalette:
    case EmrExtCreateFontIndirectW:
    case EmrCreateMonoBrush:
    case EmrCreateDibPatternBrushPt:
    case EmrExtCreatePen:
        EmfCreateObject(type, v, c);
        break;
    default:
        Poly(type, v);
        break;
    }
}

void CEmfPlayer::Poly(uint32_t type, const CRecordView& v)
{
    CMetafileCanvas& c = m_Canvas;
    const bool small = type >= EmrPolyBezier16 && type <= EmrPolyDraw16;
    const uint32_t kind = small ? type - EmrPolyBezier16 + EmrPolyBezier : type;
    std::vector<Point> points;
    std::vector<std::vector<Point>> figures;
    switch (type) {
    case EmrPolyBezier:
    case EmrPolygon:
    case EmrPolyline:
    case EmrPolyBezierTo:
    case EmrPolylineTo:
    case EmrPolyBezier16:
    case EmrPolygon16:
    case EmrPolyline16:
    case EmrPolyBezierTo16:
    case EmrPolylineTo16:
        if (!PolyPoints(v, small, points))
            return;
        if (kind == EmrPolyBezier)
            c.PolyBezier(points);
        else if (kind == EmrPolygon)
            c.Polygon(points);
        else if (kind == EmrPolyline)
            c.Polyline(points);
        else if (kind == EmrPolyBezierTo)
            c.PolyBezierTo(points);
        else
            c.PolylineTo(points);
        return;
    case EmrPolyPolyline:
    case EmrPolyPolygon:
    case EmrPolyPolyline16:
    case EmrPolyPolygon16:
        if (!PolyPolyPoints(v, small, figures))
            return;
        if (kind == EmrPolyPolygon)
            c.PolyPolygon(figures);
        else
            c.PolyPolyline(figures);
        return;
    case EmrPolyDraw:
    case EmrPolyDraw16: {
        // The point types follow the points, one byte each.
        if (!PolyPoints(v, small, points))
            return;
        const size_t typesOffset = 28 + points.size() * (small ? 4 : 8);
        if (const uint8_t* types = v.Bytes(typesOffset, points.size()))
            c.PolyDraw(points, types);
        return;
    }
    default:
        return;
    }
}

} // namespace

EmfLoad LoadEmf(const uint8_t* data, size_t size, EmfFile& out)
{
    out = EmfFile{};
    if (size < 44 || GetLE32(data) != EmrHeader || GetLE32(data + 40) != kSignature)
        return EmfLoad::NotMetafile;
    const uint32_t headerBytes = GetLE32(data + 4);
    if (headerBytes < kHeaderSize || headerBytes > size)
        return EmfLoad::NoHeader;
    const CRecordView h(data, headerBytes);
    out.Data = data;
    out.Size = size;
    out.FrameLeft = h.S32(24);
    out.FrameTop = h.S32(28);
    out.FrameRight = h.S32(32);
    out.FrameBottom = h.S32(36);
    out.Handles = h.U16(56);
    out.PaletteEntries = h.U32(68);
    out.DevicePixelsX = h.S32(72);
    out.DevicePixelsY = h.S32(76);
    out.DeviceMmX = h.S32(80);
    out.DeviceMmY = h.S32(84);
    if (out.PaletteEntries >= 1 && out.PaletteEntries <= 255) {
        ForEachRecord(data, size, [&](uint32_t type, const CRecordView& v) {
            if (type == EmrEof)
                out.Palette = ReadEmfPalette(v, v.U32(12), std::min(out.PaletteEntries, v.U32(8)));
            return true;
        });
    }
    return EmfLoad::Ok;
}

void PlayEmf(const EmfFile& file, CMetafileCanvas& canvas, const std::atomic<bool>* abort)
{
    CEmfPlayer player(canvas);
    ForEachRecord(file.Data, file.Size, [&](uint32_t type, const CRecordView& v) {
        CheckAbandoned(abort);
        if (type != EmrHeader)
            player.Record(type, v);
        return true;
    });
}

} // namespace metafile
