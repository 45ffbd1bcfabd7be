#include "formats/MetafileWmf.h"

#include "formats/MetafileDib.h"
#include "formats/MetafileRecord.h"
#include "formats/ImageDecoder.h"

#include <algorithm>

namespace metafile {

namespace {

constexpr size_t kPlaceableSize = 22;
constexpr size_t kHeaderSize = 18;
constexpr size_t kRecordHeader = 6;

enum WmfFunction : uint16_t {
    MetaEof = 0x0000,
    MetaSaveDc = 0x001E,
    MetaCreatePalette = 0x00F7,
    MetaSetBkMode = 0x0102,
    MetaSetMapMode = 0x0103,
    MetaSetPolyFillMode = 0x0106,
    MetaSetStretchBltMode = 0x0107,
    MetaRestoreDc = 0x0127,
    MetaPaintRegion = 0x012B,
    MetaSelectClipRegion = 0x012C,
    MetaSelectObject = 0x012D,
    MetaSetTextAlign = 0x012E,
    MetaDibCreatePatternBrush = 0x0142,
    MetaDeleteObject = 0x01F0,
    MetaCreatePatternBrush = 0x01F9,
    MetaSetBkColor = 0x0201,
    MetaSetTextColor = 0x0209,
    MetaSetWindowOrg = 0x020B,
    MetaSetWindowExt = 0x020C,
    MetaSetViewportOrg = 0x020D,
    MetaSetViewportExt = 0x020E,
    MetaOffsetWindowOrg = 0x020F,
    MetaOffsetViewportOrg = 0x0211,
    MetaLineTo = 0x0213,
    MetaMoveTo = 0x0214,
    MetaFillRegion = 0x0228,
    MetaSelectPalette = 0x0234,
    MetaCreatePenIndirect = 0x02FA,
    MetaCreateFontIndirect = 0x02FB,
    MetaCreateBrushIndirect = 0x02FC,
    MetaPolygon = 0x0324,
    MetaPolyline = 0x0325,
    MetaScaleWindowExt = 0x0410,
    MetaScaleViewportExt = 0x0412,
    MetaExcludeClipRect = 0x0415,
    MetaIntersectClipRect = 0x0416,
    MetaEllipse = 0x0418,
    MetaRectangle = 0x041B,
    MetaSetPixel = 0x041F,
    MetaFrameRegion = 0x0429,
    MetaTextOut = 0x0521,
    MetaPolyPolygon = 0x0538,
    MetaRoundRect = 0x061C,
    MetaPatBlt = 0x061D,
    MetaCreateRegion = 0x06FF,
    MetaArc = 0x0817,
    MetaPie = 0x081A,
    MetaChord = 0x0830,
    MetaBitBlt = 0x0922,
    MetaDibBitBlt = 0x0940,
    MetaExtTextOut = 0x0A32,
    MetaStretchBlt = 0x0B23,
    MetaDibStretchBlt = 0x0B41,
    MetaSetDibToDev = 0x0D33,
    MetaStretchDib = 0x0F43,
};

// Calls visit(function, parameters, size in words) for each record until it
// returns false, the end record, or a record whose size does not fit.
template <typename Visit>
void ForEachRecord(const uint8_t* data, size_t size, Visit visit)
{
    size_t offset = 0;
    while (size - offset >= kRecordHeader) {
        const uint64_t words = GetLE32(data + offset);
        const uint16_t function = GetLE16(data + offset + 4);
        if (words < 3 || words > (size - offset) / 2)
            return;
        const size_t bytes = static_cast<size_t>(words) * 2;
        if (!visit(function, CRecordView(data + offset + kRecordHeader, bytes - kRecordHeader), words) ||
            function == MetaEof)
            return;
        offset += bytes;
    }
}

Point At(const CRecordView& v, size_t yOffset)
{
    return {double(v.S16(yOffset + 2)), double(v.S16(yOffset))};
}

// Rectangles stored bottom, right, top, left.
Rect ReversedRect(const CRecordView& v, size_t offset)
{
    return {double(v.S16(offset + 6)), double(v.S16(offset + 4)), double(v.S16(offset + 2)), double(v.S16(offset))};
}

std::vector<Point> Points(const CRecordView& v, size_t offset, size_t count)
{
    std::vector<Point> points(count);
    for (size_t i = 0; i < count; ++i)
        points[i] = {double(v.S16(offset + 4 * i)), double(v.S16(offset + 4 * i + 2))};
    return points;
}

LogPalette ReadPalette(const CRecordView& v)
{
    LogPalette palette;
    const size_t count = v.U16(2);
    if (!v.HasItems(4, count, 4))
        return palette;
    // On file each entry is red, green, blue, flags.
    for (size_t i = 0; i < count; ++i)
        palette.push_back(PaletteEntry{v.U8(4 + 4 * i + 2), v.U8(4 + 4 * i + 1), v.U8(4 + 4 * i), v.U8(4 + 4 * i + 3)});
    return palette;
}

Region ReadRegion(const CRecordView& v)
{
    Region region;
    const int scans = v.S16(10);
    size_t offset = 22;
    for (int s = 0; s < scans && v.Has(offset, 6); ++s) {
        const size_t count = v.U16(offset);
        const double top = v.S16(offset + 2), bottom = v.S16(offset + 4);
        if (!v.HasItems(offset + 6, count, 2) || !v.Has(offset + 6 + 2 * count, 2))
            break;
        for (size_t i = 0; i + 1 < count; i += 2)
            region.Rects.push_back({double(v.S16(offset + 6 + 2 * i)), top, double(v.S16(offset + 8 + 2 * i)), bottom});
        offset += 8 + 2 * count;
    }
    if (region.Rects.empty() && scans == 0) {
        const Rect box{double(v.S16(14)), double(v.S16(16)), double(v.S16(18)), double(v.S16(20))};
        if (box.Right > box.Left && box.Bottom > box.Top)
            region.Rects.push_back(box);
    }
    return region;
}

LogBrush GreyBrush()
{
    LogBrush brush;
    brush.Color = 0x808080;
    return brush;
}

class CWmfPlayer {
public:
    explicit CWmfPlayer(CMetafileCanvas& canvas) : m_Canvas(canvas) {}
    void Record(uint16_t function, const CRecordView& v, uint64_t words);

private:
    void CreateObject(uint16_t function, const CRecordView& v);
    void Blit(uint16_t function, const CRecordView& v, uint64_t words);
    void TextOut(const CRecordView& v, bool extended);
    const Region* RegionAt(uint16_t index) const
    {
        const GdiObject* object = m_Canvas.Object(index);
        return object ? std::get_if<Region>(object) : nullptr;
    }

    CMetafileCanvas& m_Canvas;
};

void CWmfPlayer::Record(uint16_t function, const CRecordView& v, uint64_t words)
{
    CMetafileCanvas& c = m_Canvas;
    DcState& dc = c.Dc();
    switch (function) {
    case MetaSaveDc:
        c.SaveDc();
        break;
    case MetaRestoreDc:
        c.RestoreDc(v.S16(0));
        break;
    case MetaSetBkMode:
        if (v.U16(0) == BkTransparent || v.U16(0) == BkOpaque)
            dc.BkMode = v.U16(0);
        break;
    case MetaSetMapMode:
        c.SetMapMode(v.U16(0));
        break;
    case MetaSetPolyFillMode:
        dc.PolyFillMode = v.U16(0) == 2 ? 2 : 1;
        break;
    case MetaSetStretchBltMode:
        dc.StretchMode = v.U16(0);
        break;
    case MetaSetTextAlign:
        dc.TextAlign = v.U16(0);
        break;
    case MetaSetBkColor:
        dc.BkColor = v.U32(0);
        break;
    case MetaSetTextColor:
        dc.TextColor = v.U32(0);
        break;
    case MetaSetWindowOrg:
        c.SetWindowOrg(At(v, 0));
        break;
    case MetaSetWindowExt:
        c.SetWindowExt(At(v, 0));
        break;
    case MetaSetViewportOrg:
        c.SetViewportOrg(At(v, 0));
        break;
    case MetaSetViewportExt:
        c.SetViewportExt(At(v, 0));
        break;
    case MetaOffsetWindowOrg:
        c.SetWindowOrg({dc.WindowOrg.X + v.S16(2), dc.WindowOrg.Y + v.S16(0)});
        break;
    case MetaOffsetViewportOrg:
        c.SetViewportOrg({dc.ViewportOrg.X + v.S16(2), dc.ViewportOrg.Y + v.S16(0)});
        break;
    case MetaScaleWindowExt:
        c.ScaleWindowExt(v.S16(6), v.S16(4), v.S16(2), v.S16(0));
        break;
    case MetaScaleViewportExt:
        c.ScaleViewportExt(v.S16(6), v.S16(4), v.S16(2), v.S16(0));
        break;
    case MetaMoveTo:
        c.MoveTo(At(v, 0));
        break;
    case MetaLineTo:
        c.LineTo(At(v, 0));
        break;
    case MetaExcludeClipRect:
        c.ExcludeClipRect(ReversedRect(v, 0));
        break;
    case MetaIntersectClipRect:
        c.IntersectClipRect(ReversedRect(v, 0));
        break;
    case MetaRectangle:
        c.Rectangle(ReversedRect(v, 0));
        break;
    case MetaEllipse:
        c.Ellipse(ReversedRect(v, 0));
        break;
    case MetaRoundRect:
        c.RoundRect(ReversedRect(v, 4), v.S16(2), v.S16(0));
        break;
    case MetaArc:
    case MetaPie:
    case MetaChord:
        c.Arc(ReversedRect(v, 8), At(v, 4), At(v, 0),
              function == MetaArc ? ArcOpen : function == MetaPie ? ArcPie : ArcChord);
        break;
    case MetaSetPixel:
        c.SetPixel(At(v, 4), v.U32(0));
        break;
    case MetaPolygon:
    case MetaPolyline: {
        const size_t count = v.U16(0);
        if (!v.HasItems(2, count, 4))
            break;
        if (function == MetaPolygon)
            c.Polygon(Points(v, 2, count));
        else
            c.Polyline(Points(v, 2, count));
        break;
    }
    case MetaPolyPolygon: {
        const size_t polygons = v.U16(0);
        if (!v.HasItems(2, polygons, 2))
            break;
        uint64_t total = 0;
        for (size_t i = 0; i < polygons; ++i)
            total += v.U16(2 + 2 * i);
        size_t offset = 2 + 2 * polygons;
        if (!v.HasItems(offset, total, 4))
            break;
        std::vector<std::vector<Point>> all;
        for (size_t i = 0; i < polygons; ++i) {
            const size_t count = v.U16(2 + 2 * i);
            all.push_back(Points(v, offset, count));
            offset += 4 * count;
        }
        c.PolyPolygon(all);
        break;
    }
    case MetaTextOut:
        TextOut(v, false);
        break;
    case MetaExtTextOut:
        TextOut(v, true);
        break;
    case MetaSelectObject:
        c.SelectObject(v.U16(0));
        break;
    case MetaSelectPalette:
        c.SelectPalette(v.U16(0));
        break;
    case MetaDeleteObject:
        c.DeleteObject(v.U16(0));
        break;
    case MetaSelectClipRegion:
        if (const Region* region = RegionAt(v.U16(0)))
            c.SelectClipRegion(region, RgnCopy);
        break;
    case MetaFillRegion:
    case MetaFrameRegion:
        if (const Region* region = RegionAt(v.U16(0))) {
            const GdiObject* object = c.Object(v.U16(2));
            if (const LogBrush* brush = object ? std::get_if<LogBrush>(object) : nullptr) {
                if (function == MetaFillRegion)
                    c.FillRegion(*region, *brush);
                else
                    c.FrameRegion(*region, *brush, v.S16(6), v.S16(4));
            }
        }
        break;
    case MetaPaintRegion:
        if (const Region* region = RegionAt(v.U16(0)))
            c.FillRegion(*region, dc.Brush);
        break;
    case MetaPatBlt:
        c.PatBlt({double(v.S16(10)), double(v.S16(8)), double(v.S16(10)) + v.S16(6), double(v.S16(8)) + v.S16(4)},
                 v.U32(0));
        break;
    case MetaBitBlt:
    case MetaStretchBlt:
    case MetaDibBitBlt:
    case MetaDibStretchBlt:
    case MetaStretchDib:
    case MetaSetDibToDev:
        Blit(function, v, words);
        break;
    case MetaCreatePenIndirect:
    case MetaCreateBrushIndirect:
    case MetaCreateFontIndirect:
    case MetaCreatePalette:
    case MetaCreatePatternBrush:
    case MetaDibCreatePatternBrush:
    case MetaCreateRegion:
        CreateObject(function, v);
        break;
    default:
        break;
    }
}

void CWmfPlayer::CreateObject(uint16_t function, const CRecordView& v)
{
    switch (function) {
    case MetaCreatePenIndirect: {
        LogPen pen;
        pen.Style = v.U16(0);
        pen.Width = v.S16(2);
        pen.Color = v.U32(6);
        m_Canvas.AddObject(pen);
        return;
    }
    case MetaCreateBrushIndirect: {
        LogBrush brush;
        brush.Style = v.U16(0);
        brush.Color = v.U32(2);
        brush.Hatch = v.U16(6);
        if (brush.Style != BsSolid && brush.Style != BsNull && brush.Style != BsHatched)
            brush = GreyBrush();
        m_Canvas.AddObject(brush);
        return;
    }
    case MetaCreateFontIndirect: {
        LogFont font;
        font.Height = v.S16(0);
        font.Width = v.S16(2);
        font.Escapement = v.S16(4);
        font.Weight = v.S16(8);
        font.Italic = v.U8(10) != 0;
        font.Underline = v.U8(11) != 0;
        font.StrikeOut = v.U8(12) != 0;
        font.CharSet = v.U8(13);
        const size_t faceBytes = v.Size() > 18 ? std::min<size_t>(v.Size() - 18, 32) : 0;
        font.Face = AnsiName(v.Bytes(18, faceBytes), faceBytes);
        m_Canvas.AddObject(font);
        return;
    }
    case MetaCreatePalette:
        m_Canvas.AddObject(std::make_shared<const LogPalette>(ReadPalette(v)));
        return;
    case MetaDibCreatePatternBrush: {
        LogBrush brush;
        DibOptions options;
        options.Usage = v.U16(2) == 1 ? 1 : 0;
        const size_t size = v.Size() > 4 ? v.Size() - 4 : 0;
        const DibSurface dib = DecodePackedDib(v.Bytes(4, size), size, options, m_Canvas.SelectedPalette());
        if (dib.Surface) {
            brush.Style = BsDibPattern;
            brush.Pattern = dib.Surface;
        } else {
            brush = GreyBrush();
        }
        m_Canvas.AddObject(brush);
        return;
    }
    case MetaCreatePatternBrush:
        m_Canvas.AddObject(GreyBrush());
        return;
    case MetaCreateRegion:
        m_Canvas.AddObject(ReadRegion(v));
        return;
    default:
        return;
    }
}

void CWmfPlayer::Blit(uint16_t function, const CRecordView& v, uint64_t words)
{
    // The blit records without a bitmap are one word longer than the
    // parameters the function number announces, and paint with the brush.
    const bool noBitmap = words == uint64_t(function >> 8) + 3u;
    DibBlit blit;
    blit.Rop = v.U32(0);
    size_t dib = 0;
    switch (function) {
    case MetaBitBlt:
    case MetaDibBitBlt: {
        const size_t d = noBitmap ? 2 : 0;
        const double w = v.S16(d + 10), h = v.S16(d + 8);
        blit.Source = {double(v.S16(6)), double(v.S16(4)), v.S16(6) + w, v.S16(4) + h};
        blit.Dest = {double(v.S16(d + 14)), double(v.S16(d + 12)), v.S16(d + 14) + w, v.S16(d + 12) + h};
        dib = 16;
        break;
    }
    case MetaStretchBlt:
    case MetaDibStretchBlt: {
        const size_t d = noBitmap ? 2 : 0;
        blit.Source = {double(v.S16(10)), double(v.S16(8)), double(v.S16(10)) + v.S16(6), double(v.S16(8)) + v.S16(4)};
        blit.Dest = {double(v.S16(d + 18)), double(v.S16(d + 16)), double(v.S16(d + 18)) + v.S16(d + 14),
                     double(v.S16(d + 16)) + v.S16(d + 12)};
        dib = 20;
        break;
    }
    case MetaStretchDib:
        blit.Usage = v.U16(4);
        blit.Source = {double(v.S16(12)), double(v.S16(10)), double(v.S16(12)) + v.S16(8), double(v.S16(10)) + v.S16(6)};
        blit.Dest = {double(v.S16(20)), double(v.S16(18)), double(v.S16(20)) + v.S16(16), double(v.S16(18)) + v.S16(14)};
        blit.SourceFromBottom = true;
        dib = 22;
        break;
    case MetaSetDibToDev: {
        blit.Rop = 0x00CC0020;
        blit.Usage = v.U16(0);
        const double w = v.S16(12), h = v.S16(10);
        blit.Source = {double(v.S16(8)), double(v.S16(6)), v.S16(8) + w, v.S16(6) + h};
        blit.Dest = {double(v.S16(16)), double(v.S16(14)), v.S16(16) + w, v.S16(14) + h};
        blit.SourceFromBottom = true;
        dib = 18;
        break;
    }
    default:
        return;
    }
    if (noBitmap && function != MetaStretchDib && function != MetaSetDibToDev) {
        m_Canvas.PatBlt(blit.Dest, blit.Rop);
        return;
    }
    // Blits of device-dependent bitmaps are not drawn.
    if (function == MetaBitBlt || function == MetaStretchBlt || !v.Has(dib, 1))
        return;
    if (SplitPackedDib(v.Bytes(dib, v.Size() - dib), v.Size() - dib, blit.Usage == 1 ? 1 : 0, blit))
        m_Canvas.Blit(blit);
}

void CWmfPlayer::TextOut(const CRecordView& v, bool extended)
{
    TextRun run;
    if (!extended) {
        const size_t length = v.U16(0);
        const size_t padded = (length + 1) & ~size_t(1);
        if (!v.Has(2, padded + 4))
            return;
        run.Text = AnsiText(v.Bytes(2, length), length);
        run.Reference = At(v, 2 + padded);
        m_Canvas.Text(run);
        return;
    }
    run.Reference = At(v, 0);
    const size_t length = v.U16(4);
    run.Options = v.U16(6);
    size_t offset = 8;
    if (run.Options & 6) {
        run.Box = {double(v.S16(8)), double(v.S16(10)), double(v.S16(12)), double(v.S16(14))};
        offset = 16;
    }
    if (!v.Has(offset, length))
        return;
    run.Text = AnsiText(v.Bytes(offset, length), length);
    offset += (length + 1) & ~size_t(1);
    if (length && v.HasItems(offset, length, 2)) {
        run.Dx.resize(length);
        for (size_t i = 0; i < length; ++i)
            run.Dx[i] = v.S16(offset + 2 * i);
    }
    m_Canvas.Text(run);
}

} // namespace

bool LoadWmf(const uint8_t* data, size_t size, WmfFile& out)
{
    out = WmfFile{};
    size_t offset = 0;
    if (size >= 4 && GetLE32(data) == kPlaceableKey) {
        if (size < kPlaceableSize)
            return false;
        out.Placeable = true;
        out.Box = {double(int16_t(GetLE16(data + 6))), double(int16_t(GetLE16(data + 8))),
                   double(int16_t(GetLE16(data + 10))), double(int16_t(GetLE16(data + 12)))};
        out.UnitsPerInch = GetLE16(data + 14);
        offset = kPlaceableSize;
    }
    if (size - offset < kHeaderSize)
        return false;
    const uint8_t* header = data + offset;
    const uint16_t type = GetLE16(header);
    const uint16_t headerWords = GetLE16(header + 2);
    if ((type != 1 && type != 2) || headerWords != kHeaderSize / 2)
        return false;
    out.Objects = GetLE16(header + 10);
    out.Records = header + kHeaderSize;
    out.RecordsSize = size - offset - kHeaderSize;

    bool hasOrg = false, hasPalette = false;
    ForEachRecord(out.Records, out.RecordsSize, [&](uint16_t function, const CRecordView& v, uint64_t) {
        if (function == MetaSetWindowOrg && !hasOrg) {
            out.WindowOrg = At(v, 0);
            hasOrg = true;
        } else if (function == MetaSetWindowExt && !out.HasWindowExt) {
            out.WindowExt = At(v, 0);
            out.HasWindowExt = out.WindowExt.X != 0 && out.WindowExt.Y != 0;
        } else if (function == MetaCreatePalette && !hasPalette) {
            out.Palette = ReadPalette(v);
            hasPalette = true;
        }
        return true;
    });
    return true;
}

void PlayWmf(const WmfFile& file, CMetafileCanvas& canvas, const std::atomic<bool>* abort)
{
    CWmfPlayer player(canvas);
    ForEachRecord(file.Records, file.RecordsSize, [&](uint16_t function, const CRecordView& v, uint64_t words) {
        CheckAbandoned(abort);
        player.Record(function, v, words);
        return true;
    });
}

} // namespace metafile
