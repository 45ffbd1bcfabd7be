// BMP files built byte by byte for the decoder tests: the plain 40-byte
// layout, and every header variant through MakeBmpVariant.
#pragma once

#include "support/Bytes.h"

#include <vector>

struct BmpLayout {
    int32_t Width = 1;
    int32_t Height = 1;
    uint16_t Bits = 24;
    uint32_t Compression = 0;
    uint32_t ColorsUsed = 0;
    uint32_t HeaderSize = 40;
    std::vector<uint32_t> Palette; // 0x00RRGGBB, written as blue, green, red, 0
    std::vector<uint8_t> Pixels;   // exactly as stored in the file
    int SizeFieldExtra = 0;        // added to the true file size in the size field
};

inline std::vector<uint8_t> MakeBmp(const BmpLayout& s)
{
    ByteWriter w;
    const uint32_t paletteBytes = static_cast<uint32_t>(s.Palette.size() * 4);
    const uint32_t fileSize = 14 + 40 + paletteBytes + static_cast<uint32_t>(s.Pixels.size());
    w.Text("BM").LE32(fileSize + s.SizeFieldExtra).LE32(0).LE32(14 + 40 + paletteBytes);
    w.LE32(s.HeaderSize).LE32(static_cast<uint32_t>(s.Width)).LE32(static_cast<uint32_t>(s.Height));
    w.LE16(1).LE16(s.Bits).LE32(s.Compression).LE32(0).LE32(2835).LE32(2835).LE32(s.ColorsUsed).LE32(0);
    for (uint32_t c : s.Palette)
        w.U8(uint8_t(c)).U8(uint8_t(c >> 8)).U8(uint8_t(c >> 16)).U8(0);
    w.Append(s.Pixels);
    return w.Bytes();
}

// Any header variant. Header is the information header (size field first);
// After holds whatever follows it up to the pixels (masks, palette, a gap).
struct BmpVariant {
    std::vector<uint8_t> Header;
    std::vector<uint8_t> After;
    std::vector<uint8_t> Pixels;
    uint32_t DataOffset = 0; // 0: the pixels follow After
};

inline std::vector<uint8_t> MakeBmpVariant(const BmpVariant& s)
{
    ByteWriter w;
    const uint32_t start = static_cast<uint32_t>(14 + s.Header.size() + s.After.size());
    w.Text("BM").LE32(start + static_cast<uint32_t>(s.Pixels.size())).LE32(0);
    w.LE32(s.DataOffset ? s.DataOffset : start).Append(s.Header).Append(s.After).Append(s.Pixels);
    return w.Bytes();
}

// The 12-byte OS/2 1.x header.
inline std::vector<uint8_t> Os21Header(uint16_t width, uint16_t height, uint16_t bits)
{
    ByteWriter w;
    w.LE32(12).LE16(width).LE16(height).LE16(1).LE16(bits);
    return w.Bytes();
}

// A header of size bytes (16 to 124) in the Windows layout, cut off at size;
// masks (red, green, blue, alpha) go at offset 40 when the size reaches them.
inline std::vector<uint8_t> SizedHeader(uint32_t size, int32_t width, int32_t height, uint16_t bits,
                                        uint32_t compression = 0, uint32_t coloursUsed = 0,
                                        std::vector<uint32_t> masks = {})
{
    ByteWriter w;
    w.LE32(size).LE32(static_cast<uint32_t>(width)).LE32(static_cast<uint32_t>(height)).LE16(1).LE16(bits);
    w.LE32(compression).LE32(0).LE32(2835).LE32(2835).LE32(coloursUsed).LE32(0);
    for (uint32_t m : masks)
        w.LE32(m);
    w.PadTo(size);
    std::vector<uint8_t> bytes = w.Bytes();
    bytes.resize(size);
    return bytes;
}

// Palette entries 0x00RRGGBB as blue, green, red and, with four bytes, a zero.
inline std::vector<uint8_t> PaletteBytes(const std::vector<uint32_t>& colours, int entryBytes = 4)
{
    ByteWriter w;
    for (uint32_t c : colours) {
        w.U8(uint8_t(c)).U8(uint8_t(c >> 8)).U8(uint8_t(c >> 16));
        if (entryBytes == 4)
            w.U8(0);
    }
    return w.Bytes();
}
