// The pixel loops of the colour adjustments: every output pixel is a function
// of the same input pixel alone, so rows split freely between threads and the
// result does not depend on how many there are.
#pragma once

#include "base/ParallelRows.h"
#include "image/Bmp.h"

#include <array>
#include <cstdint>

constexpr uint32_t kAlphaMask = 0xFF000000u;

// Luma of a pixel, 0 to 255, rounded from the BT.601 weights (also the
// histogram's luma).
inline int Luma(int red, int green, int blue)
{
    return int(0.299 * red + 0.587 * green + 0.114 * blue + 0.5);
}

inline int LumaOf(uint32_t pixel)
{
    return Luma(int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF));
}

// A real channel value as a byte: 255 from 255 up, 0 from 0 down (and for
// NaN), the whole part in between.
inline uint8_t ClampTrunc(double x)
{
    if (x >= 255)
        return 255;
    if (!(x > 0))
        return 0;
    return uint8_t(x);
}

// target(x, y) = map(source(x, y)) for every pixel; source and target have the
// same size and may be the same bitmap.
template <class Map>
void MapPixels(const CBmp& source, CBmp& target, Map map)
{
    const int width = source.Width;
    ParallelRows(source.Height, int64_t(width) * 4, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            const uint32_t* in = source.Row32(int(y));
            uint32_t* out = target.Row32(int(y));
            for (int x = 0; x < width; ++x)
                out[x] = map(in[x]);
        }
    });
}

using ChannelTable = std::array<uint8_t, 256>;

// Each of blue, green and red through its own table; alpha kept.
inline void MapChannels(const CBmp& source, CBmp& target, const ChannelTable& red, const ChannelTable& green,
                        const ChannelTable& blue)
{
    MapPixels(source, target, [&](uint32_t p) {
        return (p & kAlphaMask) | uint32_t(blue[p & 0xFF]) | uint32_t(green[(p >> 8) & 0xFF]) << 8 |
               uint32_t(red[(p >> 16) & 0xFF]) << 16;
    });
}

inline void MapChannels(const CBmp& source, CBmp& target, const ChannelTable& table)
{
    MapChannels(source, target, table, table, table);
}

// The brightness rule: x from -1 to 1 moves a channel that far towards white
// (x ≥ 0) or black.
ChannelTable BrightnessTable(double x);
ChannelTable GammaTable(double g);
