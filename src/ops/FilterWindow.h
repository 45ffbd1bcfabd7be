// The neighbourhood of a run of output pixels, copied into a small buffer with
// black wherever it reaches outside the image, so the filter loops read
// neighbours without bounds checks and vectorise. A window lives on the stack
// of the thread that fills it: nothing is allocated per row.
#pragma once

#include "image/Bmp.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

template <int Pad>
class FilterWindow {
public:
    // Output pixels per run: the window stays within the first-level cache.
    static constexpr int kRun = 256;
    static constexpr int kRows = 2 * Pad + 1;
    static constexpr int kStride = (kRun + 2 * Pad) * 4;

    // Rows y - Pad .. y + Pad, columns x0 - Pad .. x0 + count + Pad - 1.
    void Load(const CBmp& source, int y, int x0, int count)
    {
        const int width = source.Width;
        const int first = x0 - Pad, end = x0 + count + Pad;
        const int validFirst = std::max(first, 0), validEnd = std::min(end, width);
        for (int r = 0; r < kRows; ++r) {
            uint8_t* out = m_Rows[r];
            const int sy = y + r - Pad;
            if (sy < 0 || sy >= source.Height) {
                std::memset(out, 0, size_t(end - first) * 4);
                continue;
            }
            std::memset(out, 0, size_t(validFirst - first) * 4);
            std::memcpy(out + (validFirst - first) * 4, source.Row32(sy) + validFirst,
                        size_t(validEnd - validFirst) * 4);
            std::memset(out + (validEnd - first) * 4, 0, size_t(end - validEnd) * 4);
        }
    }

    // Row dy (-Pad..Pad); byte k of the pixel at column x0 + i + dx is at
    // (i + dx + Pad) * 4 + k.
    const uint8_t* Row(int dy) const { return m_Rows[dy + Pad]; }

private:
    alignas(64) uint8_t m_Rows[kRows][kStride];
};

// Puts the source's alpha bytes back into a run of output pixels whose four
// bytes were all computed.
inline void KeepAlpha(const uint32_t* source, uint32_t* out, int count)
{
    for (int i = 0; i < count; ++i)
        out[i] = (out[i] & 0x00FFFFFFu) | (source[i] & 0xFF000000u);
}
