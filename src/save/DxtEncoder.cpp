#include "save/DxtEncoder.h"

#include "base/LittleEndian.h"
#include "base/ParallelRows.h"
#include "image/Bmp.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Expanded 5:6:5 channels as the decoder reads them: the low bits cleared.
constexpr uint32_t kExpandMask = 0xF8FCF8;

inline uint16_t To565(uint32_t p)
{
    return uint16_t(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
}

inline uint32_t Expand565(uint16_t v)
{
    return (uint32_t(v & 0xF800) << 8) | (uint32_t(v & 0x07E0) << 5) | (uint32_t(v & 0x001F) << 3);
}

inline int Channel(uint32_t p, int shift)
{
    return int((p >> shift) & 0xFF);
}

inline int Distance(uint32_t a, uint32_t b)
{
    const int db = Channel(a, 0) - Channel(b, 0), dg = Channel(a, 8) - Channel(b, 8),
              dr = Channel(a, 16) - Channel(b, 16);
    return db * db + dg * dg + dr * dr;
}

// Per channel: (wa · a + wb · b + round) / divisor.
inline uint32_t Mix(uint32_t a, uint32_t b, int wa, int wb, int round, int divisor)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t((wa * Channel(a, shift) + wb * Channel(b, shift) + round) / divisor) << shift;
    return out;
}

void EncodeColors(const uint32_t pixels[16], bool dxt1, uint8_t* out)
{
    uint32_t colors[16];
    for (int k = 0; k < 16; ++k)
        colors[k] = pixels[k] & kExpandMask;
    int first = 0, second = 1, best = -1;
    for (int i = 0; i < 15; ++i)
        for (int j = i + 1; j < 16; ++j) {
            const int d = Distance(colors[i], colors[j]);
            if (d > best) {
                best = d;
                first = i;
                second = j;
            }
        }
    uint16_t c0 = To565(pixels[first]), c1 = To565(pixels[second]);
    bool transparent = false;
    if (dxt1)
        for (int k = 0; k < 16; ++k)
            transparent |= (pixels[k] >> 24) < 128;
    // Opaque blocks keep colour 0 ≥ colour 1 in every format, not only DXT1:
    // some readers take a DXT3 or DXT5 block the other way round as having
    // three colours.
    if (transparent ? c0 > c1 : c0 < c1)
        std::swap(c0, c1);
    uint32_t palette[4];
    palette[0] = Expand565(c0);
    palette[1] = Expand565(c1);
    const int entries = transparent ? 3 : 4;
    if (transparent) {
        palette[2] = Mix(palette[0], palette[1], 1, 1, 0, 2);
    } else {
        palette[2] = Mix(palette[0], palette[1], 2, 1, 1, 3);
        palette[3] = Mix(palette[0], palette[1], 1, 2, 1, 3);
    }
    uint32_t indices = 0;
    for (int k = 0; k < 16; ++k) {
        int index = 3;
        if (!transparent || (pixels[k] >> 24) >= 128) {
            int nearest = Distance(colors[k], palette[0]);
            index = 0;
            for (int e = 1; e < entries; ++e) {
                const int d = Distance(colors[k], palette[e]);
                if (d < nearest) {
                    nearest = d;
                    index = e;
                }
            }
        }
        indices |= uint32_t(index) << (2 * k);
    }
    PutLE16(out, c0);
    PutLE16(out + 2, c1);
    PutLE32(out + 4, indices);
}

void EncodeExplicitAlpha(const uint32_t pixels[16], uint8_t* out)
{
    for (int k = 0; k < 16; k += 2)
        out[k / 2] = uint8_t((pixels[k] >> 28) | ((pixels[k + 1] >> 24) & 0xF0));
}

void EncodeInterpolatedAlpha(const uint32_t pixels[16], uint8_t* out)
{
    int alpha[16];
    int a0 = 0, a1 = 255;
    for (int k = 0; k < 16; ++k) {
        alpha[k] = int(pixels[k] >> 24);
        a0 = std::max(a0, alpha[k]);
        a1 = std::min(a1, alpha[k]);
    }
    int palette[8] = {a0, a1};
    if (a0 > a1) {
        for (int k = 2; k < 8; ++k)
            palette[k] = ((8 - k) * a0 + (k - 1) * a1 + 3) / 7;
    } else {
        for (int k = 2; k < 6; ++k)
            palette[k] = ((6 - k) * a0 + (k - 1) * a1 + 2) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t bits = 0;
    for (int k = 0; k < 16; ++k) {
        int index = 0, nearest = std::abs(alpha[k] - palette[0]);
        for (int e = 1; e < 8; ++e) {
            const int d = std::abs(alpha[k] - palette[e]);
            if (d < nearest) {
                nearest = d;
                index = e;
            }
        }
        bits |= uint64_t(index) << (3 * k);
    }
    out[0] = uint8_t(a0);
    out[1] = uint8_t(a1);
    for (int i = 0; i < 6; ++i)
        out[2 + i] = uint8_t(bits >> (8 * i));
}

} // namespace

void EncodeDxtBlock(const uint32_t pixels[16], DxtAlpha alpha, uint8_t* out)
{
    switch (alpha) {
    case DxtAlpha::None:
        EncodeColors(pixels, true, out);
        return;
    case DxtAlpha::Explicit:
        EncodeExplicitAlpha(pixels, out);
        break;
    case DxtAlpha::Interpolated:
        EncodeInterpolatedAlpha(pixels, out);
        break;
    }
    EncodeColors(pixels, false, out + 8);
}

uint64_t DxtSurfaceBytes(int64_t width, int64_t height, DxtAlpha alpha)
{
    return uint64_t((width + 3) / 4) * uint64_t((height + 3) / 4) * uint64_t(DxtBlockBytes(alpha));
}

void EncodeDxtSurface(const CBmp& bitmap, DxtAlpha alpha, bool opaque, bool flip, uint8_t* out)
{
    const int width = bitmap.Width, height = bitmap.Height;
    const int64_t blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    const size_t blockBytes = size_t(DxtBlockBytes(alpha));
    const uint32_t fill = opaque ? 0xFF000000u : 0;
    ParallelRows(blocksHigh, int64_t(width) * 4 * 8, [&](int64_t first, int64_t end) {
        for (int64_t by = first; by < end; ++by) {
            const uint32_t* rows[4];
            for (int i = 0; i < 4; ++i) {
                const int y = std::min(int(by) * 4 + i, height - 1);
                rows[i] = bitmap.Row32(flip ? height - 1 - y : y);
            }
            uint8_t* o = out + size_t(by) * size_t(blocksWide) * blockBytes;
            for (int64_t bx = 0; bx < blocksWide; ++bx, o += blockBytes) {
                int xs[4];
                for (int i = 0; i < 4; ++i)
                    xs[i] = std::min(int(bx) * 4 + i, width - 1);
                uint32_t pixels[16];
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i)
                        pixels[4 * j + i] = rows[j][xs[i]] | fill;
                EncodeDxtBlock(pixels, alpha, o);
            }
        }
    });
}
