// BMP files built byte by byte for the decoder tests.
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
