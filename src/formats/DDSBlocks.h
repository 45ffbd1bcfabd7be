// Decoding of the 4 x 4 block formats of DirectDraw surfaces (DXT1 to DXT5).
#pragma once

#include "image/Bmp.h"

#include <atomic>
#include <cstdint>

// How a block carries alpha: none beyond DXT1's transparent index, explicit
// 4-bit values (DXT2, DXT3) or interpolated 3-bit indices (DXT4, DXT5).
enum class DxtAlpha { None, Explicit, Interpolated };

// Bytes of one block: 8 for DXT1, 16 for the others.
inline int DxtBlockBytes(DxtAlpha alpha)
{
    return alpha == DxtAlpha::None ? 8 : 16;
}

// Decodes one block into 16 pixel words 0xAARRGGBB, row by row.
void DecodeDxtBlock(const uint8_t* block, DxtAlpha alpha, uint32_t out[16]);

// Decodes a width x height surface of blocks, stored a row of blocks at a
// time, into columns left … left + width - 1 of the bitmap's top rows.
// data must hold ceil(width / 4) * ceil(height / 4) blocks. Stops with
// CDecodeAbandoned between rows of blocks once abort (may be null) is set.
void DecodeDxtSurface(const uint8_t* data, DxtAlpha alpha, int width, int height, CBmp& bitmap, int left,
                      const std::atomic<bool>* abort);

// Turns premultiplied colours back into plain ones in the given columns:
// each channel becomes channel * 255 / alpha, rounded, at most 255.
void Unpremultiply(CBmp& bitmap, int left, int width);
