// The pixel rows of PICT bitmaps and pixel maps: PackBits unpacking and the
// expansion of 1-, 2-, 4-, 8-, 16- and 32-bit rows into a CBmp.
#pragma once

#include "formats/ByteSource.h"
#include "image/Bmp.h"

#include <atomic>
#include <cstdint>

// How the rows of one bitmap or pixel map are stored.
struct PictRowLayout {
    int Width = 0;
    int Height = 0;
    uint32_t RowBytes = 0; // pixel-map flag removed; 0 takes the default for the pixel size
    int PixelSize = 0;     // 1, 2, 4 or 8 (indices), 16 or 32 (direct colour)
    int PackType = 0;
    int CmpCount = 1;
};

// Checks that the rows can be read with this layout before a bitmap is made
// for them: code 2 for pixel sizes, component counts and row lengths that
// cannot work, code 7 when the data left cannot hold the rows.
void CheckPictRows(const PictRowLayout& layout, const CByteSource& source);

// Decodes the rows of an indexed or 16-bit image into bitmap, created
// Width × Height at 8 bits (indices) or 32 bits (palette colours). palette
// holds 256 entries. Both row decoders stop with CDecodeAbandoned between
// rows once abort (may be null) is set.
void unpackbits(const PictRowLayout& layout, CBmp& bitmap, CByteSource& source, const PaletteEntry* palette,
                const std::atomic<bool>* abort);

// Decodes the rows of a 32-bit direct-colour pixel map into a 32-bit bitmap.
void UnpackDirectRows(const PictRowLayout& layout, CBmp& bitmap, CByteSource& source,
                      const std::atomic<bool>* abort);

// One row of 1-, 2-, 4- or 8-bit indices or 16-bit colours as 32-bit pixels.
void expandBuf(const uint8_t* src, int width, int bits, uint32_t* dst, const uint32_t* colors);
// One row of 1-, 2-, 4- or 8-bit indices as one index byte per pixel.
void expandBuf8(const uint8_t* src, int width, int bits, uint8_t* dst);
