// Colour channels narrower than a byte (5-6-5, 1-5-5-5, 4-4-4-4 …) widened to
// 8 bits by repeating their bits, so a full channel is 255, not 248.
#pragma once

#include <cstdint>

// value holds width bits (1 to 8); the result repeats them from the top down.
constexpr uint32_t ExpandBits(uint32_t value, int width)
{
    if (width <= 0)
        return 0;
    uint32_t r = (value << (8 - width)) & 0xFF;
    for (int s = width; s < 8; s *= 2)
        r |= r >> s;
    return r;
}

// One channel given by a bit mask within a pixel word: the mask's lowest
// bit, its width, and a table from the channel's (top 8) bits to 0-255.
// Channels wider than 8 bits keep their top 8 bits.
struct ChannelMask {
    uint32_t Mask = 0;
    int Down = 0;  // shift that brings the kept bits to bit 0
    int Width = 0; // kept bits, 0 to 8
    uint8_t Table[256] = {};

    ChannelMask() = default;
    explicit ChannelMask(uint32_t mask) : Mask(mask)
    {
        if (mask == 0)
            return;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        int width = 0;
        while (shift + width < 32 && ((mask >> (shift + width)) & 1))
            ++width;
        Down = width > 8 ? shift + width - 8 : shift;
        Width = width > 8 ? 8 : width;
        for (uint32_t v = 0; v < (1u << Width); ++v)
            Table[v] = static_cast<uint8_t>(ExpandBits(v, Width));
    }

    bool Present() const { return Width > 0; }
    // Bits of the mask outside the run that starts at its lowest bit are
    // ignored, so the raw value never indexes past the table.
    uint32_t Raw(uint32_t pixel) const { return ((pixel & Mask) >> Down) & ((1u << Width) - 1); }
    uint8_t Get(uint32_t pixel) const { return Table[Raw(pixel)]; }
};
