// The file and information headers of a bitmap file, every variant written
// in practice (OS/2 1.x and 2.x, Windows 40 to 124 bytes) read into one record.
#pragma once

#include "formats/ByteSource.h"

#include <cstdint>

enum BmpCompression : uint32_t {
    kBmpRgb = 0,
    kBmpRle8 = 1,
    kBmpRle4 = 2,
    kBmpBitFields = 3, // OS/2 2.x: one-dimensional Huffman
    kBmpJpeg = 4,      // OS/2 2.x: RLE24
    kBmpPng = 5,
    kBmpAlphaBitFields = 6,
};

struct BmpHeader {
    uint32_t FileSize = 0;   // the file header's size field
    uint32_t DataOffset = 0; // the file header's pixel-data offset
    uint32_t HeaderSize = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = kBmpRgb;
    uint32_t SizeImage = 0;
    uint32_t ColorsUsed = 0;
    // Red, green, blue and alpha masks; only meaningful when HasMasks.
    uint32_t Masks[4] = {};
    bool HasMasks = false;
    bool Os2 = false;          // OS/2 1.x or 2.x: compression codes 3 and 4 mean other things
    int PaletteEntryBytes = 4; // 3 for OS/2 1.x
};

// Reads both headers and the masks that follow a 40-byte header, leaving the
// source where the palette would start. Raises code 1 for a file that does
// not start "BM" and code 2 for a header size no variant has.
BmpHeader ReadBmpHeader(CByteSource& source);
