// Rows of a 32-bit bitmap repacked into the byte orders files use.
#pragma once

#include <cstdint>

// Blue, green, red, alpha words to red, green, blue bytes.
inline void PackRgb(const uint8_t* bgra, uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, bgra += 4, out += 3) {
        out[0] = bgra[2];
        out[1] = bgra[1];
        out[2] = bgra[0];
    }
}

// Blue, green, red, alpha words to blue, green, red bytes.
inline void PackBgr(const uint8_t* bgra, uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, bgra += 4, out += 3) {
        out[0] = bgra[0];
        out[1] = bgra[1];
        out[2] = bgra[2];
    }
}
