#include "formats/PICTDecoder.h"

#include "formats/JPEGDecoder.h"
#include "formats/PICTCanvas.h"
#include "formats/PICTPixmap.h"
#include "base/LittleEndian.h"
#include "image/WinBmp.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kFileHeaderSize = 512;
constexpr int kPaletteCapacity = 256;
constexpr size_t kHeaderOpcodeBytes = 24;
// A dithered pattern: the old 8-byte pattern and its colour; the last byte
// of the colour is passed over by the word alignment of the next opcode.
constexpr size_t kDitherPatternBytes = 13;
constexpr uint16_t kPixMapFlag = 0x8000;

// Data lengths of the opcodes 0x00–0xA1: a byte count, or one of these.
enum : int {
    kVariable = -1,    // a 16-bit length, then that many bytes
    kRegion = -2,      // a region: its size word counts itself
    kPolygon = -3,     // likewise
    kPixPat = -4,      // a pixel pattern
    kRaster = -5,      // BitsRect, BitsRgn, PackBitsRect, PackBitsRgn
    kDirect = -6,      // DirectBitsRect, DirectBitsRgn
    kLongComment = -7, // a kind word, a 16-bit length, that many bytes
    kLongText = -8,    // a point, a count byte, the text
    kShortText = -9,   // one offset byte, a count byte, the text
    kDHDVText = -10,   // two offset bytes, a count byte, the text
};

struct OpcodeInfo {
    const char* Name;
    int Length;
};

constexpr const char* kReserved = "reserved";

constexpr OpcodeInfo kOpcodes[] = {
    {"NOP", 0}, {"Clip", kRegion}, {"BkPat", 8}, {"TxFont", 2}, {"TxFace", 1}, {"TxMode", 2}, {"SpExtra", 4},
    {"PnSize", 4}, {"PnMode", 2}, {"PnPat", 8}, {"FillPat", 8}, {"OvSize", 4}, {"Origin", 4}, {"TxSize", 2},
    {"FgColor", 4}, {"BkColor", 4}, {"TxRatio", 8}, {"Version", 1},
    {"BkPixPat", kPixPat}, {"PnPixPat", kPixPat}, {"FillPixPat", kPixPat},
    {"PnLocHFrac", 2}, {"ChExtra", 2}, {kReserved, 0}, {kReserved, 0}, {kReserved, 0}, {"RGBFgCol", 6},
    {"RGBBkCol", 6}, {"HiliteMode", 0}, {"HiliteColor", 6}, {"DefHilite", 0}, {"OpColor", 6}, {"Line", 8},
    {"LineFrom", 4}, {"ShortLine", 6}, {"ShortLineFrom", 2},
    {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable},
    {"LongText", kLongText}, {"DHText", kShortText}, {"DVText", kShortText}, {"DHDVText", kDHDVText},
    {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable},
    {"frameRect", 8}, {"paintRect", 8}, {"eraseRect", 8}, {"invertRect", 8}, {"fillRect", 8},
    {kReserved, 8}, {kReserved, 8}, {kReserved, 8},
    {"frameSameRect", 0}, {"paintSameRect", 0}, {"eraseSameRect", 0}, {"invertSameRect", 0},
    {"fillSameRect", 0}, {kReserved, 0}, {kReserved, 0}, {kReserved, 0},
    {"frameRRect", 8}, {"paintRRect", 8}, {"eraseRRect", 8}, {"invertRRect", 8}, {"fillRRrect", 8},
    {kReserved, 8}, {kReserved, 8}, {kReserved, 8},
    {"frameSameRRect", 0}, {"paintSameRRect", 0}, {"eraseSameRRect", 0}, {"invertSameRRect", 0},
    {"fillSameRRect", 0}, {kReserved, 0}, {kReserved, 0}, {kReserved, 0},
    {"frameOval", 8}, {"paintOval", 8}, {"eraseOval", 8}, {"invertOval", 8}, {"fillOval", 8},
    {kReserved, 8}, {kReserved, 8}, {kReserved, 8},
    {"frameSameOval", 0}, {"paintSameOval", 0}, {"eraseSameOval", 0}, {"invertSameOval", 0},
    {"fillSameOval", 0}, {kReserved, 0}, {kReserved, 0}, {kReserved, 0},
    {"frameArc", 12}, {"paintArc", 12}, {"eraseArc", 12}, {"invertArc", 12}, {"fillArc", 12},
    {kReserved, 12}, {kReserved, 12}, {kReserved, 12},
    {"frameSameArc", 4}, {"paintSameArc", 4}, {"eraseSameArc", 4}, {"invertSameArc", 4},
    {"fillSameArc", 4}, {kReserved, 4}, {kReserved, 4}, {kReserved, 4},
    {"framePoly", kPolygon}, {"paintPoly", kPolygon}, {"erasePoly", kPolygon}, {"invertPoly", kPolygon},
    {"fillPoly", kPolygon}, {kReserved, kPolygon}, {kReserved, kPolygon}, {kReserved, kPolygon},
    {"frameSamePoly", 0}, {"paintSamePoly", 0}, {"eraseSamePoly", 0}, {"invertSamePoly", 0},
    {"fillSamePoly", 0}, {kReserved, 0}, {kReserved, 0}, {kReserved, 0},
    {"frameRgn", kRegion}, {"paintRgn", kRegion}, {"eraseRgn", kRegion}, {"invertRgn", kRegion},
    {"fillRgn", kRegion}, {kReserved, kRegion}, {kReserved, kRegion}, {kReserved, kRegion},
    {"frameSameRgn", 0}, {"paintSameRgn", 0}, {"eraseSameRgn", 0}, {"invertSameRgn", 0},
    {"fillSameRgn", 0}, {kReserved, 0}, {kReserved, 0}, {kReserved, 0},
    {"BitsRect", kRaster}, {"BitsRgn", kRaster},
    {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable},
    {kReserved, kVariable}, {kReserved, kVariable},
    {"PackBitsRect", kRaster}, {"PackBitsRgn", kRaster}, {"Opcode_9A", kDirect}, {"Opcode_9B", kDirect},
    {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable}, {kReserved, kVariable},
    {"ShortComment", 2}, {"LongComment", kLongComment},
};
static_assert(std::size(kOpcodes) == 0xA2);

void Trace(int level, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    DecoderTrace(level, text);
}

using Rect = PictRect;

Rect ReadRect(CByteSource& source)
{
    const uint8_t* p = source.ReadBytes(8);
    return Rect{int16_t(GetBE16(p)), int16_t(GetBE16(p + 2)), int16_t(GetBE16(p + 4)), int16_t(GetBE16(p + 6))};
}

void TraceRect(const char* label, const Rect& r)
{
    Trace(2, "%s (%d,%d) (%d,%d).\n", label, r.Left, r.Top, r.Right, r.Bottom);
}

struct PixMapHeader {
    Rect Bounds;
    uint16_t Version = 0;
    uint16_t PackType = 0;
    uint32_t PackSize = 0;
    uint16_t PixelSize = 0;
    uint16_t CmpCount = 0;
    uint16_t CmpSize = 0;
    uint32_t PlaneBytes = 0;
};

// The bounds and the fields after them; resolutions, pixel type and the
// table handle play no part in decoding.
PixMapHeader ReadPixMapHeader(CByteSource& source)
{
    PixMapHeader h;
    h.Bounds = ReadRect(source);
    const uint8_t* p = source.ReadBytes(36);
    h.Version = GetBE16(p);
    h.PackType = GetBE16(p + 2);
    h.PackSize = GetBE32(p + 4);
    h.PixelSize = GetBE16(p + 18);
    h.CmpCount = GetBE16(p + 20);
    h.CmpSize = GetBE16(p + 22);
    h.PlaneBytes = GetBE32(p + 24);
    DecoderTrace(2, "PixMap header info:\n");
    TraceRect("  Bounds:", h.Bounds);
    Trace(2, "  version: 0x%x\n", h.Version);
    Trace(2, "  packType: %d\n", h.PackType);
    Trace(2, "  packSize: %ld\n", long(h.PackSize));
    Trace(2, "  pixelSize: %d\n", h.PixelSize);
    Trace(2, "  cmpCount: %d\n", h.CmpCount);
    Trace(2, "  cmpSize: %d.\n", h.CmpSize);
    Trace(2, "  planeBytes: %ld.\n", long(h.PlaneBytes));
    return h;
}

// Entries whose index lies past the 256 an image can address are read over.
void ReadColorTable(CByteSource& source, PaletteEntry* palette)
{
    DecoderTrace(3, "Getting color table info.\n");
    source.SkipBytes(4);
    const uint16_t flags = source.ReadBE16();
    const uint32_t count = uint32_t(source.ReadBE16()) + 1;
    Trace(2, "Palette Size:  %d\n", int(count));
    DecoderTrace(3, "Reading Palette.\n");
    const uint8_t* p = source.ReadBytes(size_t(count) * 8);
    for (uint32_t i = 0; i < count; ++i, p += 8) {
        const uint32_t index = (flags & 0x8000) ? i : GetBE16(p);
        if (index >= count)
            RaiseDecoderError(ErrFormat, "pixel value greater than colour table size.");
        if (index < kPaletteCapacity)
            palette[index] = PaletteEntry{p[6], p[4], p[2], 255};
    }
}

// Regions and polygons start with a size word that counts itself.
void SkipSized(CByteSource& source, const char* error)
{
    const uint16_t size = source.ReadBE16();
    if (size < 2)
        RaiseDecoderError(ErrFormat, error);
    source.SkipBytes(size - 2u);
}

void SkipRegion(CByteSource& source)
{
    SkipSized(source, "Illegal region size.");
}

void pixPat(CByteSource& source, PaletteEntry* palette)
{
    const uint16_t type = source.ReadBE16();
    if (type == 2) {
        source.SkipBytes(kDitherPatternBytes);
        return;
    }
    if (type != 1)
        RaiseDecoderError(ErrFormat, "Unknown pattern type in pixPat.");
    source.SkipBytes(8);
    uint32_t rowBytes = source.ReadBE16();
    const PixMapHeader h = ReadPixMapHeader(source);
    ReadColorTable(source, palette);
    if (h.Bounds.Width() < 0 || h.Bounds.Height() < 0)
        RaiseDecoderError(ErrFormat, "Illegal image size.");
    if (h.PixelSize <= 8)
        rowBytes &= 0x7FFF;
    if (rowBytes == 0)
        rowBytes = static_cast<uint32_t>(h.Bounds.Width() * (h.PixelSize == 16 ? 2 : 1));
    const int64_t rows = h.Bounds.Height();
    if (rowBytes < 8) {
        source.SkipBytes(static_cast<size_t>(rowBytes * rows));
        return;
    }
    for (int64_t y = 0; y < rows; ++y)
        source.SkipBytes(rowBytes <= 250 ? source.ReadByte() : source.ReadBE16());
}

void SkipText(CByteSource& source, size_t before)
{
    source.SkipBytes(before);
    source.SkipBytes(source.ReadByte());
}

} // namespace

struct CPICTDecoder::Band {
    PictPlacement Place;
    std::unique_ptr<CWinBmp> Pixels; // null for the first band: it is decoded into the image itself
};

struct CPICTDecoder::Picture {
    CByteSource& Source;
    CBmp& Bitmap;
    PaletteEntry* Palette;
    int BitsPerPixel;
    int Version;
    Rect Frame;
    std::vector<Band> Bands;
};

struct CPICTDecoder::RasterInfo {
    PictRowLayout Layout;
    const PaletteEntry* Palette;
    PictPlacement Place;
};

CPICTDecoder::CPICTDecoder(CJPEGDecoder* jpegDecoder) : m_JpegDecoder(jpegDecoder) {}

CPICTDecoder::~CPICTDecoder() = default;

void CPICTDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                             CByteSource& source)
{
    DecoderTrace(2, "Decoding mac pict.\n");
    source.SkipBytes(kFileHeaderSize);
    Rect frame;
    const int version = ReadVersion(source, frame);
    paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
    std::fill_n(paletteOut.get(), kPaletteCapacity, PaletteEntry{0, 0, 0, 255});
    Picture pict{source, bitmap, paletteOut.get(), bitsPerPixel, version, frame, {}};
    // Every opcode takes at least one byte, so the end of the data ends the loop.
    try {
        while (!DoOpcode(pict, ReadOpcode(pict)))
            CheckAbort();
    } catch (const CTextException& e) {
        // Once a band has been drawn, a damaged or cut-off rest of the picture
        // leaves what came before it.
        if (pict.Bands.empty() || e.GetCode() == ErrAbandoned || e.GetCode() == ErrNoMemory)
            throw;
        Trace(1, "Picture ends early: %s\n", e.GetText().c_str());
    }
    if (!pict.Bands.empty())
        ComposeBands(pict);
    DecoderTrace(3, "Decoding finished.\n");
}

int CPICTDecoder::ReadVersion(CByteSource& source, PictRect& frame)
{
    source.SkipBytes(2);
    frame = ReadRect(source);
    TraceRect("  Frame:", frame);
    uint8_t b = source.ReadByte();
    while (b == 0)
        b = source.ReadByte();
    if (b != 0x11)
        RaiseDecoderError(ErrWrongSignature, "Error decoding pict: Version number missing.");
    int version = 0;
    b = source.ReadByte();
    if (b == 0x01)
        version = 1;
    else if (b == 0x02 && source.ReadByte() == 0xFF)
        version = 2;
    else
        RaiseDecoderError(ErrWrongSignature, "Illegal version number.");
    Trace(2, "PICT version %d found.\n", version);
    return version;
}

unsigned CPICTDecoder::ReadOpcode(Picture& pict)
{
    if (pict.Version == 1)
        return pict.Source.ReadByte();
    if (pict.Source.GetOffset() & 1)
        pict.Source.SkipBytes(1);
    return pict.Source.ReadBE16();
}

bool CPICTDecoder::DoOpcode(Picture& pict, unsigned opcode)
{
    CByteSource& source = pict.Source;
    if (opcode == 0x00FF || opcode == 0xFFFF) {
        DecoderTrace(3, "Opcode: End of pict.\n");
        if (!pict.Bands.empty())
            return true;
        RaiseDecoderError(ErrUnsupported, "PICT contained only vector data!\n");
    }
    if (opcode < std::size(kOpcodes))
        return DoTableOpcode(pict, opcode);
    if (opcode == 0x0C00) {
        DecoderTrace(3, "Opcode: Header.\n");
        source.SkipBytes(kHeaderOpcodeBytes);
        return false;
    }
    if (opcode == 0x8200 && pict.Bands.empty()) {
        ReadQuickTime(pict);
        return true;
    }
    Trace(3, "Opcode: reserved 0x%x.\n", opcode);
    if (opcode <= 0x00AF)
        source.SkipBytes(source.ReadBE16());
    else if (opcode <= 0x00CF)
        ;
    else if (opcode <= 0x00FE)
        source.SkipBytes(source.ReadBE32());
    else if (opcode <= 0x7FFF)
        source.SkipBytes(2 * size_t(opcode >> 8));
    else if (opcode <= 0x80FF)
        ;
    else
        source.SkipBytes(source.ReadBE32());
    return false;
}

bool CPICTDecoder::DoTableOpcode(Picture& pict, unsigned opcode)
{
    CByteSource& source = pict.Source;
    const OpcodeInfo& info = kOpcodes[opcode];
    if (info.Name == kReserved)
        Trace(3, "Opcode: reserved=0x%x\n", opcode);
    else
        Trace(3, "Opcode: %s\n", info.Name);

    switch (info.Length) {
    case kVariable:
        source.SkipBytes(source.ReadBE16());
        return false;
    case kRegion:
        if (opcode != 0x01)
            DecoderTrace(3, "Skipping polygon or region.\n");
        SkipRegion(source);
        return false;
    case kPolygon:
        DecoderTrace(3, "Skipping polygon or region.\n");
        SkipSized(source, "Illegal polygon size.");
        return false;
    case kPixPat:
        pixPat(source, pict.Palette);
        return false;
    case kRaster: {
        const unsigned rowBytes = source.ReadBE16();
        const bool region = opcode & 1;
        if (rowBytes & kPixMapFlag)
            ReadPixMap(pict, rowBytes & ~unsigned(kPixMapFlag), region);
        else
            ReadBitMap(pict, rowBytes, region);
        return false;
    }
    case kDirect:
        ReadDirectBits(pict, opcode & 1);
        return false;
    case kLongComment:
        source.SkipBytes(2);
        source.SkipBytes(source.ReadBE16());
        return false;
    case kLongText:
        SkipText(source, 4);
        return false;
    case kShortText:
        SkipText(source, 1);
        return false;
    case kDHDVText:
        SkipText(source, 2);
        return false;
    default:
        source.SkipBytes(static_cast<size_t>(info.Length));
        return false;
    }
}

namespace {

// The source and destination rectangles and the transfer mode after a
// raster's header, and the region of the Rgn forms.
PictPlacement ReadPlacement(CByteSource& source, const Rect& bounds, bool region)
{
    PictPlacement place;
    place.Bounds = bounds;
    place.Source = ReadRect(source);
    place.Destination = ReadRect(source);
    source.SkipBytes(2);
    if (region)
        SkipRegion(source);
    return place;
}

} // namespace

void CPICTDecoder::ReadBitMap(Picture& pict, unsigned rowBytes, bool region)
{
    DecoderTrace(2, "Reading version 1 bitmap.\n");
    CByteSource& source = pict.Source;
    const Rect bounds = ReadRect(source);
    TraceRect("  Bounds", bounds);

    // A bitmap's set bits are black on white.
    PaletteEntry blackOnWhite[kPaletteCapacity];
    std::fill_n(blackOnWhite, kPaletteCapacity, PaletteEntry{0, 0, 0, 255});
    blackOnWhite[0] = PaletteEntry{255, 255, 255, 255};
    RasterInfo raster;
    raster.Layout.Width = static_cast<int>(bounds.Width());
    raster.Layout.Height = static_cast<int>(bounds.Height());
    raster.Layout.RowBytes = rowBytes;
    raster.Layout.PixelSize = 1;
    raster.Palette = blackOnWhite;
    raster.Place = ReadPlacement(source, bounds, region);
    DecodeRaster(pict, raster);
}

void CPICTDecoder::ReadPixMap(Picture& pict, unsigned rowBytes, bool region)
{
    CByteSource& source = pict.Source;
    const PixMapHeader h = ReadPixMapHeader(source);
    ReadColorTable(source, pict.Palette);
    RasterInfo raster{{static_cast<int>(h.Bounds.Width()), static_cast<int>(h.Bounds.Height()), rowBytes,
                       h.PixelSize, h.PackType, h.CmpCount},
                      pict.Palette, ReadPlacement(source, h.Bounds, region)};
    DecodeRaster(pict, raster);
}

void CPICTDecoder::ReadDirectBits(Picture& pict, bool region)
{
    CByteSource& source = pict.Source;
    source.SkipBytes(4); // base address
    // The stored row length decides the size of each packed row's length field.
    const unsigned rowBytes = source.ReadBE16() & ~unsigned(kPixMapFlag);
    const PixMapHeader h = ReadPixMapHeader(source);
    RasterInfo raster{{static_cast<int>(h.Bounds.Width()), static_cast<int>(h.Bounds.Height()), rowBytes,
                       h.PixelSize, h.PackType, h.CmpCount},
                      pict.Palette, ReadPlacement(source, h.Bounds, region)};
    DecodeRaster(pict, raster);
}

void CPICTDecoder::DecodeRaster(Picture& pict, const RasterInfo& raster)
{
    const PictRowLayout& layout = raster.Layout;
    if (layout.Width <= 0 || layout.Height <= 0)
        RaiseDecoderError(ErrFormat, "Illegal image size.");
    CheckPictRows(layout, pict.Source);

    // The first band is decoded into the image: a picture of one band is
    // that band. Later ones wait in their own bitmaps to be composed.
    Band band{raster.Place, nullptr};
    CBmp* target = &pict.Bitmap;
    int bitsPerPixel = pict.BitsPerPixel;
    if (!pict.Bands.empty()) {
        band.Pixels = std::make_unique<CWinBmp>();
        target = band.Pixels.get();
        bitsPerPixel = 32;
    }
    // A 32-bit target gets colours; any other target of an indexed image gets
    // 8-bit indices. Direct-colour pixels always decode to 32 bits.
    int depth = ChooseDepth(layout.PixelSize, bitsPerPixel);
    if (depth != 32)
        depth = layout.PixelSize > 8 ? 32 : 8;
    CreateBitmap(*target, layout.Width, layout.Height, depth, depth == 32 && layout.CmpCount == 4);
    target->SourceBitsPerPixel = layout.PixelSize;
    if (depth == 8)
        target->SetPalette(raster.Palette);
    if (layout.PixelSize == 32)
        UnpackDirectRows(layout, *target, pict.Source, GetAbortFlag());
    else
        unpackbits(layout, *target, pict.Source, raster.Palette, GetAbortFlag());
    pict.Bands.push_back(std::move(band));
}

void CPICTDecoder::ComposeBands(Picture& pict)
{
    if (pict.Bands.size() == 1 && PictBandIsWholePicture(pict.Frame, pict.Bands.front().Place))
        return;
    std::vector<PictPlacement> places;
    bool alpha = false;
    int sourceBits = 0;
    for (const Band& b : pict.Bands) {
        places.push_back(b.Place);
        const CBmp& pixels = b.Pixels ? *b.Pixels : pict.Bitmap;
        alpha = alpha || pixels.HasAlpha;
        sourceBits = std::max(sourceBits, int(pixels.SourceBitsPerPixel));
    }
    const PictCanvasLayout layout = PlanPictCanvas(pict.Frame, places);
    Trace(2, "Composing %d bands on %d x %d.\n", int(pict.Bands.size()), layout.Width, layout.Height);

    pict.Bands.front().Pixels = std::make_unique<CWinBmp>();
    CWinBmp& first = *pict.Bands.front().Pixels;
    first.CopyFrom(pict.Bitmap);
    CreateBitmap(pict.Bitmap, layout.Width, layout.Height, 32, alpha);
    pict.Bitmap.SourceBitsPerPixel = sourceBits;
    // What no band covers shows the white the picture is drawn on.
    for (int y = 0; y < layout.Height; ++y)
        std::fill_n(pict.Bitmap.Row32(y), layout.Width, 0xFFFFFFFFu);
    uint64_t budget = PictDrawBudget(layout);
    for (const Band& b : pict.Bands) {
        CheckAbort();
        const uint64_t drawn = DrawPictBand(pict.Bitmap, layout, *b.Pixels, b.Place, budget);
        if (drawn == 0 && !b.Place.Destination.IsEmpty())
            DecoderTrace(2, "Band left out.\n");
        budget -= drawn;
    }
}

void CPICTDecoder::ReadQuickTime(Picture& pict)
{
    DecoderTrace(3, "Opcode: JPEG.\n");
    CByteSource& source = pict.Source;
    const uint32_t length = source.ReadBE32();
    // The JPEG data sits somewhere inside the QuickTime description.
    const uint8_t* start = source.GetPosition();
    const size_t available = source.Remaining();
    const size_t limit = std::min<size_t>(length, available);
    static const uint8_t kStartOfImage[3] = {0xFF, 0xD8, 0xFF};
    size_t found = SIZE_MAX;
    for (size_t i = 0; i < limit && available - i >= 3;) {
        const void* hit = std::memchr(start + i, 0xFF, limit - i);
        if (!hit)
            break;
        i = static_cast<size_t>(static_cast<const uint8_t*>(hit) - start);
        if (available - i >= 3 && std::memcmp(start + i, kStartOfImage, 3) == 0) {
            found = i;
            break;
        }
        ++i;
    }
    if (found == SIZE_MAX)
        RaiseDecoderError(ErrUnsupported, "PICT file contains unrecognized quicktime data.\n");
    source.SkipBytes(found);
    CJPEGDecoder* jpeg = m_JpegDecoder;
    if (!jpeg) {
        if (!m_OwnJpegDecoder)
            m_OwnJpegDecoder = std::make_unique<CJPEGDecoder>();
        jpeg = m_OwnJpegDecoder.get();
    }
    jpeg->SetAbortFlag(GetAbortFlag());
    jpeg->DecodeSource(source, pict.Bitmap, 0);
    for (const std::string& notice : jpeg->GetNotices())
        AddNotice(notice);
}
