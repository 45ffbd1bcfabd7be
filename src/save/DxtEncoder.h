// The 4 × 4 block compressor of DirectDraw surfaces (DXT1, DXT3, DXT5).
#pragma once

#include "formats/DDSBlocks.h"

#include <cstddef>
#include <cstdint>

class CBmp;

// Encodes 16 pixel words 0xAARRGGBB (row by row) into DxtBlockBytes(alpha)
// bytes. Endpoints are the two pixels farthest apart in 5:6:5; each pixel
// takes the nearest colour of the block's palette. In DXT1 a pixel with alpha
// below 128 makes the block use its transparent entry.
void EncodeDxtBlock(const uint32_t pixels[16], DxtAlpha alpha, uint8_t* out);

// Bytes of a width × height surface: ⌈width / 4⌉ × ⌈height / 4⌉ blocks.
uint64_t DxtSurfaceBytes(int64_t width, int64_t height, DxtAlpha alpha);

// Encodes a whole 32-bit bitmap into out (DxtSurfaceBytes bytes), blocks a
// row of blocks at a time; blocks past the right or bottom edge repeat the
// last column or row. opaque reads every alpha as 255; flip stores the rows
// bottom up. Rows of blocks are encoded on every core.
void EncodeDxtSurface(const CBmp& bitmap, DxtAlpha alpha, bool opaque, bool flip, uint8_t* out);
