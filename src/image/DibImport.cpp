// Packed DIBs from outside the program (clipboard, scanner). Every field is
// checked against the block before it is used.
#include "image/WinBmp.h"

#include "base/TextException.h"
#include "base/LittleEndian.h"
#include "image/PackedPixels.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

[[noreturn]] void Damaged(const char* what)
{
    throw CTextException(ErrFormat, std::string("Device independent bitmap: ") + what);
}

int DpiFromPpm(int32_t ppm)
{
    if (ppm <= 0)
        return 96;
    return static_cast<int>(std::floor(ppm * 0.0254 + 0.5));
}

// Shift and width of a channel mask, for BI_BITFIELDS pixels.
struct Channel {
    uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;
    uint8_t Get(uint32_t pixel) const
    {
        if (Bits == 0)
            return 0;
        const uint32_t v = (pixel & Mask) >> Shift;
        if (Bits >= 8)
            return static_cast<uint8_t>(v >> (Bits - 8));
        return static_cast<uint8_t>((v * 255 + ((1u << Bits) - 1) / 2) / ((1u << Bits) - 1));
    }
};

Channel MakeChannel(uint32_t mask)
{
    Channel c;
    c.Mask = mask;
    if (!mask)
        return c;
    while (!((mask >> c.Shift) & 1))
        ++c.Shift;
    while (c.Shift + c.Bits < 32 && ((mask >> (c.Shift + c.Bits)) & 1))
        ++c.Bits;
    return c;
}

} // namespace

void CWinBmp::CreateFromGlobalDIB(const uint8_t* dib, size_t size)
{
    if (!dib || size < 40)
        Damaged("header too short.");
    const uint32_t headerSize = GetLE32(dib);
    if (headerSize < 40 || headerSize > size)
        Damaged("bad header size.");
    const int32_t width = static_cast<int32_t>(GetLE32(dib + 4));
    const int32_t rawHeight = static_cast<int32_t>(GetLE32(dib + 8));
    const int depth = GetLE16(dib + 14);
    const uint32_t compression = GetLE32(dib + 16);
    const int32_t ppmX = static_cast<int32_t>(GetLE32(dib + 24));
    const int32_t ppmY = static_cast<int32_t>(GetLE32(dib + 28));
    uint32_t colorsUsed = GetLE32(dib + 32);

    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
        Damaged("bad image size.");
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        Damaged("unsupported bit depth.");
    if (compression != kRgb && !(compression == kBitFields && (depth == 16 || depth == 32)))
        throw CTextException(ErrUnsupported, "Device independent bitmap: compressed data is not supported.");

    size_t offset = headerSize;
    Channel red, green, blue;
    if (depth == 16 || depth == 32) {
        uint32_t masks[3];
        if (compression == kBitFields) {
            if (headerSize == 40) {
                if (size - offset < 12)
                    Damaged("colour masks missing.");
                offset += 12;
            }
            for (int i = 0; i < 3; ++i)
                masks[i] = GetLE32(dib + 40 + 4 * i);
        } else if (depth == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
        }
        red = MakeChannel(masks[0]);
        green = MakeChannel(masks[1]);
        blue = MakeChannel(masks[2]);
    }

    PaletteEntry palette[256];
    if (depth <= 8) {
        const uint32_t maxEntries = 1u << depth;
        if (colorsUsed == 0 || colorsUsed > maxEntries)
            colorsUsed = maxEntries;
        if ((size - offset) / 4 < colorsUsed)
            Damaged("colour table cut short.");
        for (uint32_t i = 0; i < maxEntries; ++i) {
            if (i < colorsUsed) {
                const uint8_t* e = dib + offset + 4 * i;
                palette[i] = PaletteEntry{e[0], e[1], e[2], 255};
            } else {
                palette[i] = PaletteEntry{0, 0, 0, 255};
            }
        }
        offset += size_t(4) * colorsUsed;
    }

    const int64_t srcStride = StrideFor(width, depth);
    if (srcStride <= 0 || int64_t(size - offset) / srcStride < height)
        Damaged("pixel data cut short.");
    const uint8_t* pixels = dib + offset;

    const int target = depth == 1 ? 1 : depth <= 8 ? 8 : 32;
    Create(width, height, target, false);
    SourceBitsPerPixel = depth;
    if (target <= 8)
        SetPalette(palette);
    SetResolution(DpiFromPpm(ppmX), DpiFromPpm(ppmY));

    for (int32_t y = 0; y < height; ++y) {
        // Row y of the image counted from the top.
        const uint8_t* src = pixels + srcStride * (topDown ? y : height - 1 - y);
        uint8_t* dst = Lines[y];
        switch (depth) {
        case 1:
        case 8:
            std::memcpy(dst, src, static_cast<size_t>(srcStride));
            break;
        case 4:
            UnpackIndices(src, 4, width, dst);
            break;
        case 16: {
            uint32_t* out = Row32(y);
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t p = GetLE16(src + 2 * x);
                out[x] = PackPixel(red.Get(p), green.Get(p), blue.Get(p));
            }
            break;
        }
        case 24: {
            uint32_t* out = Row32(y);
            for (int32_t x = 0; x < width; ++x, src += 3)
                out[x] = PackPixel(src[2], src[1], src[0]);
            break;
        }
        case 32: {
            uint32_t* out = Row32(y);
            if (compression == kRgb) {
                std::memcpy(out, src, size_t(4) * width);
            } else {
                for (int32_t x = 0; x < width; ++x) {
                    const uint32_t p = GetLE32(src + 4 * x);
                    out[x] = PackPixel(red.Get(p), green.Get(p), blue.Get(p));
                }
            }
            break;
        }
        }
    }
}
