// The fill colour of the geometry operations, as the settings and the colour
// chooser hold it: red in the low byte, then green, then blue (0x00BBGGRR).
#pragma once

#include "image/Bmp.h"

#include <cstdint>

using ColorRef = uint32_t;

// The opaque 32-bit pixel of a colour reference.
inline uint32_t FillPixel(ColorRef color)
{
    return PackPixel(uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), 255);
}

// A colour written as people write them, 0xRRGGBB, as a colour reference.
inline ColorRef ColorRefFromRgb(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}
