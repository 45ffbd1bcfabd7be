// Decoding of the 4 x 4 block formats of DirectDraw surfaces (DXT1 to DXT5,
// one- and two-channel BC4 and BC5, and BC7).
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

// The block formats after DXT5. Signed channels run from -1 to 1 and are
// shown from 0 to 255, 0 at 127.5.
enum class BcFormat { Bc4, Bc4Signed, Bc5, Bc5Signed, Bc7 };

// Bytes of one block: 8 for BC4, 16 for the others.
inline int BcBlockBytes(BcFormat format)
{
    return format == BcFormat::Bc4 || format == BcFormat::Bc4Signed ? 8 : 16;
}

// Decodes the 16 values of one BC4 channel block (8 bytes) to 0-255.
void DecodeBc4Channel(const uint8_t* block, bool isSigned, uint8_t out[16]);

// As DecodeDxtSurface, for the later block formats. BC4 shows grey; BC5
// puts its two channels in red and green, blue 0; both are opaque.
void DecodeBcSurface(const uint8_t* data, BcFormat format, int width, int height, CBmp& bitmap, int left,
                     const std::atomic<bool>* abort);

// Turns premultiplied colours back into plain ones in the given columns:
// each channel becomes channel * 255 / alpha, rounded, at most 255.
void Unpremultiply(CBmp& bitmap, int left, int width);
