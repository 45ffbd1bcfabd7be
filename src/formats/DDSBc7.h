// Decoding of BC7 blocks: 16 bytes per 4 x 4 pixels in one of eight modes
// with one to three colour subsets.
#pragma once

#include <cstdint>

// Decodes one block into 16 pixel words 0xAARRGGBB, row by row. A block
// with no mode (a first byte of 0) decodes to opaque black, as other readers show it.
void DecodeBc7Block(const uint8_t* block, uint32_t out[16]);
