// EMF records that create objects, blit bitmaps, write text and fill gradients.
#include "formats/MetafileEmfRecords.h"

#include "formats/MetafileDib.h"

#include <algorithm>

namespace metafile {

namespace {

constexpr size_t kMaxUserDashes = 16;

std::string WideName(const CRecordView& v, size_t offset, size_t units)
{
    std::string name;
    for (size_t i = 0; i < units; ++i) {
        const uint16_t c = v.U16(offset + 2 * i);
        if (c == 0)
            break;
        name += c < 0x80 ? char(c) : '?';
    }
    return name;
}

} // namespace

Point PointAt(const CRecordView& v, size_t offset)
{
    return {double(v.S32(offset)), double(v.S32(offset + 4))};
}

Rect RectAt(const CRecordView& v, size_t offset)
{
    return {double(v.S32(offset)), double(v.S32(offset + 4)), double(v.S32(offset + 8)), double(v.S32(offset + 12))};
}

LogPalette ReadEmfPalette(const CRecordView& v, size_t offset, size_t count)
{
    LogPalette palette;
    if (!v.HasItems(offset, count, 4))
        return palette;
    for (size_t i = 0; i < count; ++i) {
        const size_t e = offset + 4 * i;
        palette.push_back(PaletteEntry{v.U8(e + 2), v.U8(e + 1), v.U8(e), v.U8(e + 3)});
    }
    return palette;
}

// A 32-byte header (size, type, count, ...) and count rectangles; GDI
// refuses records whose data does not fit.
std::optional<Region> ReadRegion(const CRecordView& v, size_t offset, size_t bytes, bool deviceUnits)
{
    Region region;
    region.DeviceUnits = deviceUnits;
    if (!v.Has(offset, bytes) || bytes < 32)
        return std::nullopt;
    const uint32_t headerSize = v.U32(offset);
    if (headerSize < 32 || headerSize > bytes)
        return std::nullopt;
    const size_t count = std::min<size_t>(v.U32(offset + 8), (bytes - headerSize) / 16);
    for (size_t i = 0; i < count; ++i)
        region.Rects.push_back(RectAt(v, offset + headerSize + 16 * i));
    return region;
}

void EmfCreateObject(uint32_t type, const CRecordView& v, CMetafileCanvas& canvas)
{
    const uint32_t index = v.U32(8);
    switch (type) {
    case EmrCreatePen: {
        LogPen pen;
        pen.Style = v.U32(12);
        pen.Width = v.S32(16);
        pen.Color = v.U32(24);
        canvas.SetObject(index, pen);
        return;
    }
    case EmrExtCreatePen: {
        LogPen pen;
        pen.Style = v.U32(28);
        pen.Width = v.U32(32);
        pen.Color = v.U32(40);
        pen.Cosmetic = (pen.Style & 0xF0000) == 0;
        if (v.U32(36) == BsNull)
            pen.Style = PsNull;
        const uint32_t entries = v.U32(48);
        if ((pen.Style & 0xF) == PsUserStyle && entries <= kMaxUserDashes && v.HasItems(52, entries, 4))
            for (uint32_t i = 0; i < entries; ++i)
                pen.UserDashes.push_back(v.U32(52 + 4 * size_t(i)));
        canvas.SetObject(index, pen);
        return;
    }
    case EmrCreateBrushIndirect: {
        LogBrush brush;
        brush.Style = v.U32(12);
        brush.Color = v.U32(16);
        brush.Hatch = v.U32(20);
        if (brush.Style != BsSolid && brush.Style != BsNull && brush.Style != BsHatched) {
            brush.Style = BsSolid;
            brush.Color = 0x808080;
        }
        canvas.SetObject(index, brush);
        return;
    }
    case EmrCreatePalette:
        canvas.SetObject(index, std::make_shared<const LogPalette>(ReadEmfPalette(v, 16, v.U16(14))));
        return;
    case EmrExtCreateFontIndirectW: {
        LogFont font;
        font.Height = v.S32(12);
        font.Width = v.S32(16);
        font.Escapement = v.S32(20);
        font.Weight = v.S32(28);
        font.Italic = v.U8(32) != 0;
        font.Underline = v.U8(33) != 0;
        font.StrikeOut = v.U8(34) != 0;
        font.CharSet = v.U8(35);
        font.Face = WideName(v, 40, 32);
        canvas.SetObject(index, font);
        return;
    }
    case EmrCreateMonoBrush:
    case EmrCreateDibPatternBrushPt: {
        const uint32_t infoOffset = v.U32(16), infoSize = v.U32(20), bitsOffset = v.U32(24), bitsSize = v.U32(28);
        DibOptions options;
        options.Usage = v.U32(12) == 1 ? 1 : 0;
        const DibSurface dib = DecodeDib(v.Bytes(infoOffset, infoSize), infoSize, v.Bytes(bitsOffset, bitsSize),
                                         bitsSize, options, canvas.SelectedPalette());
        LogBrush brush;
        if (dib.Surface) {
            brush.Style = BsDibPatternPt;
            brush.Pattern = dib.Surface;
        } else {
            brush.Color = 0x808080;
        }
        canvas.SetObject(index, brush);
        return;
    }
    default:
        return;
    }
}

void EmfBlit(uint32_t type, const CRecordView& v, CMetafileCanvas& canvas)
{
    DibBlit blit;
    uint32_t infoOffset, infoSize, bitsOffset, bitsSize;
    const double x = v.S32(24), y = v.S32(28);
    if (type == EmrSetDiBitsToDevice || type == EmrStretchDiBits) {
        const double sx = v.S32(32), sy = v.S32(36), sw = v.S32(40), sh = v.S32(44);
        infoOffset = v.U32(48), infoSize = v.U32(52), bitsOffset = v.U32(56), bitsSize = v.U32(60);
        blit.Usage = v.U32(64) == 1 ? 1 : 0;
        blit.SourceFromBottom = true;
        blit.Source = {sx, sy, sx + sw, sy + sh};
        if (type == EmrStretchDiBits) {
            blit.Rop = v.U32(68);
            blit.Dest = {x, y, x + v.S32(72), y + v.S32(76)};
        } else {
            blit.Dest = {x, y, x + sw, y + sh};
        }
    } else {
        const double w = v.S32(32), h = v.S32(36), sx = v.S32(44), sy = v.S32(48);
        const bool stretch = type != EmrBitBlt;
        blit.Dest = {x, y, x + w, y + h};
        blit.Source = {sx, sy, sx + (stretch ? v.S32(100) : w), sy + (stretch ? v.S32(104) : h)};
        blit.Rop = v.U32(40);
        blit.Usage = v.U32(80) == 1 ? 1 : 0;
        infoOffset = v.U32(84), infoSize = v.U32(88), bitsOffset = v.U32(92), bitsSize = v.U32(96);
        if (type == EmrAlphaBlend) {
            blit.ConstantAlpha = v.U8(42);
            blit.SourceAlpha = (v.U8(43) & 1) != 0;
            blit.Rop = 0x00CC0020;
        } else if (type == EmrTransparentBlt) {
            blit.KeyColor = blit.Rop & 0xFFFFFF;
            blit.Rop = 0x00CC0020;
        }
        if (infoSize == 0 && (type == EmrBitBlt || type == EmrStretchBlt)) {
            canvas.PatBlt(blit.Dest, blit.Rop);
            return;
        }
    }
    blit.Info = v.Bytes(infoOffset, infoSize);
    blit.InfoSize = infoSize;
    blit.Bits = v.Bytes(bitsOffset, bitsSize);
    blit.BitsSize = bitsSize;
    if (blit.Info && blit.Bits)
        canvas.Blit(blit);
}

// An EMRTEXT at offset: reference, count, string offset, options, box, advances.
void EmfText(const CRecordView& v, size_t offset, bool wide, CMetafileCanvas& canvas)
{
    TextRun run;
    run.Reference = PointAt(v, offset);
    const uint32_t count = v.U32(offset + 8), stringOffset = v.U32(offset + 12);
    run.Options = v.U32(offset + 16);
    run.Box = RectAt(v, offset + 20);
    const uint32_t dxOffset = v.U32(offset + 36);
    if (!v.HasItems(stringOffset, count, wide ? 2 : 1))
        return;
    run.Text = wide ? Utf16Text(v.Bytes(stringOffset, size_t(count) * 2), count)
                    : AnsiText(v.Bytes(stringOffset, count), count);
    // With ETO_PDY each character has an x and a y advance.
    const size_t step = (run.Options & 0x2000) ? 8 : 4;
    if (dxOffset && count && v.HasItems(dxOffset, count, step)) {
        run.Dx.resize(count);
        for (uint32_t i = 0; i < count; ++i)
            run.Dx[i] = v.S32(dxOffset + step * i);
    }
    canvas.Text(run);
}

void EmfGradient(const CRecordView& v, CMetafileCanvas& canvas)
{
    const uint32_t vertexCount = v.U32(24), shapes = v.U32(28), mode = v.U32(32);
    const size_t perShape = mode == 2 ? 3 : 2;
    if (!v.HasItems(36, vertexCount, 16))
        return;
    const size_t indexOffset = 36 + size_t(16) * vertexCount;
    if (!v.HasItems(indexOffset, shapes, 4 * perShape))
        return;
    std::vector<GradientVertex> vertices(vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        const size_t e = 36 + 16 * size_t(i);
        vertices[i] = {PointAt(v, e), v.U16(e + 8) / 65280.0, v.U16(e + 10) / 65280.0, v.U16(e + 12) / 65280.0};
        vertices[i].Red = std::min(vertices[i].Red, 1.0);
        vertices[i].Green = std::min(vertices[i].Green, 1.0);
        vertices[i].Blue = std::min(vertices[i].Blue, 1.0);
    }
    std::vector<uint32_t> indices(shapes * perShape);
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = v.U32(indexOffset + 4 * i);
    canvas.GradientFill(vertices, indices, mode);
}

} // namespace metafile
