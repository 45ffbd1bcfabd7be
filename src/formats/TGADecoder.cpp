#include "formats/TGADecoder.h"

#include "formats/ChannelMask.h"
#include "base/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kPaletteCapacity = 256;
constexpr uint8_t kTopRowFirst = 0x20;
constexpr uint8_t kRightToLeft = 0x10;
// Low four descriptor bits: how many bits of each pixel are attribute (alpha) bits.
constexpr uint8_t kAttributeBits = 0x0F;
constexpr int kMaxPacketPixels = 128;

enum ImageType : uint8_t {
    kMapped = 1,
    kTrueColour = 2,
    kGrey = 3,
    kMappedRle = 9,
    kTrueColourRle = 10,
    kGreyRle = 11,
};

struct TgaHeader {
    uint8_t IdLength;
    uint8_t ColorMapType;
    uint8_t ImageType;
    uint16_t FirstEntry;
    uint16_t MapLength;
    uint8_t MapEntrySize;
    uint16_t XOrigin;
    uint16_t YOrigin;
    uint16_t Width;
    uint16_t Height;
    uint8_t PixelDepth;
    uint8_t Descriptor;
};

TgaHeader ReadHeader(CByteSource& source)
{
    TgaHeader h;
    h.IdLength = source.ReadByte();
    h.ColorMapType = source.ReadByte();
    h.ImageType = source.ReadByte();
    h.FirstEntry = source.ReadLE16();
    h.MapLength = source.ReadLE16();
    h.MapEntrySize = source.ReadByte();
    h.XOrigin = source.ReadLE16();
    h.YOrigin = source.ReadLE16();
    h.Width = source.ReadLE16();
    h.Height = source.ReadLE16();
    h.PixelDepth = source.ReadByte();
    h.Descriptor = source.ReadByte();
    return h;
}

bool IsKnownType(uint8_t type)
{
    return type == kMapped || type == kTrueColour || type == kGrey || type == kMappedRle ||
           type == kTrueColourRle || type == kGreyRle;
}

bool IsValueDepth(int depth)
{
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

int BytesPerValue(int depth)
{
    return (depth + 7) / 8;
}

// Raises the source's end-of-data failure when fewer than n bytes are left.
void RequireBytes(CByteSource& source, uint64_t n)
{
    if (n > source.Remaining())
        source.ReadBytes(source.Remaining() + 1);
}

// Five-bit channels widened by repeating their top bits: 31 becomes 255.
uint32_t From555(uint16_t w, uint8_t alpha)
{
    return PackPixel(static_cast<uint8_t>(ExpandBits((w >> 10) & 0x1F, 5)),
                     static_cast<uint8_t>(ExpandBits((w >> 5) & 0x1F, 5)), static_cast<uint8_t>(ExpandBits(w & 0x1F, 5)),
                     alpha);
}

// Colour-map entries are opaque: the image's alpha flag follows the pixel
// depth, and mapped pixels are 8 bits. An 8-bit entry is taken as a grey level.
PaletteEntry MapEntry(const uint8_t* p, int entryDepth)
{
    switch (entryDepth) {
    case 8:
        return PaletteEntry{p[0], p[0], p[0], 255};
    case 15:
    case 16: {
        const uint32_t c = From555(GetLE16(p), 255);
        return PaletteEntry{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 255};
    }
    default:
        return PaletteEntry{p[0], p[1], p[2], 255};
    }
}

// Turns stored values into row pixels: palette indices at an 8-bit target,
// else 32-bit words.
class PixelWriter {
public:
    PixelWriter(int depth, bool attributeAlpha, bool grey, const PaletteEntry* table, bool indices) :
        m_Depth(depth), m_AttributeAlpha(attributeAlpha), m_Grey(grey), m_Indices(indices)
    {
        for (int i = 0; i < kPaletteCapacity; ++i)
            m_Colors[i] = PackPixel(table[i]);
    }

    int ValueBytes() const { return BytesPerValue(m_Depth); }

    void Put(uint8_t* row, int x, const uint8_t* values, int n) const
    {
        if (m_Indices) {
            std::memcpy(row + x, values, static_cast<size_t>(n));
            return;
        }
        uint32_t* dst = reinterpret_cast<uint32_t*>(row) + x;
        switch (m_Depth) {
        case 8:
            for (int i = 0; i < n; ++i)
                dst[i] = m_Colors[values[i]];
            break;
        case 15:
            for (int i = 0; i < n; ++i)
                dst[i] = From555(GetLE16(values + 2 * i), 255);
            break;
        case 16:
            if (m_Grey) {
                // Grey level, then its alpha (ignored when the descriptor gives no attribute bits).
                for (int i = 0; i < n; ++i, values += 2)
                    dst[i] = PackPixel(values[0], values[0], values[0], m_AttributeAlpha ? values[1] : 255);
            } else if (m_AttributeAlpha) {
                for (int i = 0; i < n; ++i) {
                    const uint16_t w = GetLE16(values + 2 * i);
                    dst[i] = From555(w, (w & 0x8000) ? 255 : 0);
                }
            } else {
                for (int i = 0; i < n; ++i)
                    dst[i] = From555(GetLE16(values + 2 * i), 255);
            }
            break;
        case 24:
            for (int i = 0; i < n; ++i, values += 3)
                dst[i] = 0xFF000000u | uint32_t(values[0]) | (uint32_t(values[1]) << 8) | (uint32_t(values[2]) << 16);
            break;
        default: // 32: blue, green, red, alpha is the bitmap's own byte order
            std::memcpy(dst, values, size_t(4) * static_cast<size_t>(n));
            break;
        }
    }

    void Fill(uint8_t* row, int x, const uint8_t* value, int n) const
    {
        if (m_Indices) {
            std::memset(row + x, value[0], static_cast<size_t>(n));
            return;
        }
        uint32_t pixel;
        Put(reinterpret_cast<uint8_t*>(&pixel), 0, value, 1);
        uint32_t* dst = reinterpret_cast<uint32_t*>(row) + x;
        std::fill(dst, dst + n, pixel);
    }

private:
    int m_Depth;
    bool m_AttributeAlpha;
    bool m_Grey;
    bool m_Indices;
    uint32_t m_Colors[kPaletteCapacity];
};

// A packet may run past the end of a row; its remaining pixels continue on
// the next row, so the packet in progress is carried from row to row.
struct RlePacket {
    int Left = 0;
    bool Run = false;
    const uint8_t* Value = nullptr;
};

void DecodeRleRow(CByteSource& source, const PixelWriter& out, uint8_t* row, int width, RlePacket& packet)
{
    const size_t valueBytes = static_cast<size_t>(out.ValueBytes());
    // Kept in locals: the pixel stores could otherwise alias the packet's fields.
    int left = packet.Left;
    bool run = packet.Run;
    const uint8_t* value = packet.Value;
    for (int x = 0; x < width;) {
        if (left == 0) {
            const uint8_t h = source.ReadByte();
            left = (h & 0x7F) + 1;
            run = (h & 0x80) != 0;
            if (run)
                value = source.ReadBytes(valueBytes);
        }
        const int n = std::min(left, width - x);
        if (run)
            out.Fill(row, x, value, n);
        else
            out.Put(row, x, source.ReadBytes(valueBytes * static_cast<size_t>(n)), n);
        x += n;
        left -= n;
    }
    packet = RlePacket{left, run, value};
}

// Alpha that is 0 in every pixel was written without thought for it (many
// writers leave the fourth byte clear): the image is shown opaque rather
// than not at all.
void SettleClearAlpha(CBmp& bitmap)
{
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            if (row[x] >> 24)
                return;
    }
    for (int y = 0; y < bitmap.Height; ++y) {
        uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            row[x] |= 0xFF000000u;
    }
}

void MirrorRow(uint8_t* row, int width, bool indices)
{
    if (indices)
        std::reverse(row, row + width);
    else
        std::reverse(reinterpret_cast<uint32_t*>(row), reinterpret_cast<uint32_t*>(row) + width);
}

} // namespace

void CTGADecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    DecoderTrace(2, "Decoding TGA.\n");
    const TgaHeader header = ReadHeader(source);
    source.SkipBytes(header.IdLength);

    // The header is checked in full before any memory is taken for the image.
    if (!IsKnownType(header.ImageType))
        RaiseDecoderError(ErrFormat, "Unknown TGA image type.");
    const int depth = header.PixelDepth;
    if (!IsValueDepth(depth))
        RaiseDecoderError(ErrFormat, "Illegal TGA pixel depth.");
    const bool rle = header.ImageType >= kMappedRle;
    const bool grey = header.ImageType == kGrey || header.ImageType == kGreyRle;

    try {
        paletteOut.reset(new PaletteEntry[kPaletteCapacity]);
    } catch (const std::bad_alloc&) {
        RaiseDecoderError(ErrNoMemory, "Out of memory for palette.");
    }
    PaletteEntry* table = paletteOut.get();
    // Without a map, 8-bit values can only mean grey levels; indices the map
    // leaves out are black.
    for (int i = 0; i < kPaletteCapacity; ++i) {
        const uint8_t v = header.ColorMapType != 0 ? 0 : static_cast<uint8_t>(i);
        table[i] = PaletteEntry{v, v, v, 255};
    }
    if (header.ColorMapType != 0 && header.MapLength > 0) {
        if (!IsValueDepth(header.MapEntrySize))
            RaiseDecoderError(ErrFormat, "Illegal colour map entry size.");
        const size_t entryBytes = static_cast<size_t>(BytesPerValue(header.MapEntrySize));
        const uint8_t* p = source.ReadBytes(entryBytes * header.MapLength);
        // Entries from 256 on cannot be addressed by an 8-bit pixel.
        const int first = header.FirstEntry;
        const int last = std::min(first + int(header.MapLength), kPaletteCapacity);
        for (int i = first; i < last; ++i, p += entryBytes)
            table[i] = MapEntry(p, header.MapEntrySize);
    }
    if (grey) {
        for (int i = 0; i < kPaletteCapacity; ++i)
            table[i] = PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 255};
    }

    // Indices are kept only for 8-bit files; everything else decodes at 32.
    int target = ChooseDepth(depth, bitsPerPixel);
    if (target != 8 || depth != 8)
        target = 32;

    // A file too short for its rows fails before the bitmap is allocated. RLE
    // data takes at least one packet of a header and one value per 128 pixels.
    const uint64_t width = header.Width;
    const uint64_t height = header.Height;
    const uint64_t valueBytes = static_cast<uint64_t>(BytesPerValue(depth));
    if (rle)
        RequireBytes(source, (height * width + kMaxPacketPixels - 1) / kMaxPacketPixels * (1 + valueBytes));
    else
        RequireBytes(source, height * width * valueBytes);

    CreateBitmap(bitmap, header.Width, header.Height, target, depth == 16 || depth == 32);
    bitmap.SourceBitsPerPixel = depth;
    if (target == 8)
        bitmap.SetPalette(table);

    const PixelWriter out(depth, (header.Descriptor & kAttributeBits) != 0, grey, table, target == 8);
    const bool topDown = (header.Descriptor & kTopRowFirst) != 0;
    const bool rightToLeft = (header.Descriptor & kRightToLeft) != 0;
    RlePacket packet;
    const int w = bitmap.Width;
    const int h = bitmap.Height;
    const size_t rowBytes = static_cast<size_t>(valueBytes) * static_cast<size_t>(w);
    for (int r = 0; r < h; ++r) {
        CheckAbort();
        uint8_t* row = bitmap.Lines[topDown ? r : h - 1 - r];
        if (rle)
            DecodeRleRow(source, out, row, w, packet);
        else
            out.Put(row, 0, source.ReadBytes(rowBytes), w);
        if (rightToLeft)
            MirrorRow(row, w, target == 8);
    }
    if (target == 32 && (depth == 16 || depth == 32))
        SettleClearAlpha(bitmap);
}
