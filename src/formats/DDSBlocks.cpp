#include "formats/DDSBlocks.h"

#include "formats/DDSBc7.h"
#include "formats/ImageDecoder.h"
#include "base/LittleEndian.h"

#include <algorithm>

namespace {

struct Rgb {
    uint32_t R, G, B;
};

Rgb Expand565(uint16_t c)
{
    // Widened by repeating the top bits, as ExpandBits does, spelled out for the hot path.
    const uint32_t r = c >> 11, g = (c >> 5) & 0x3F, b = c & 0x1F;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return b | (g << 8) | (r << 16) | (a << 24);
}

void DecodeColors(const uint8_t* block, bool threeColorMode, uint32_t out[16])
{
    const uint16_t c0 = GetLE16(block);
    const uint16_t c1 = GetLE16(block + 2);
    const Rgb a = Expand565(c0);
    const Rgb b = Expand565(c1);
    uint32_t palette[4];
    palette[0] = Pack(a.R, a.G, a.B, 255);
    palette[1] = Pack(b.R, b.G, b.B, 255);
    // Interpolated entries are truncated, as the common decoders do. The
    // fourth entry of a three-colour block keeps its colour; only its alpha is 0.
    palette[3] = Pack((a.R + 2 * b.R) / 3, (a.G + 2 * b.G) / 3, (a.B + 2 * b.B) / 3,
                      threeColorMode && c0 <= c1 ? 0 : 255);
    if (threeColorMode && c0 <= c1)
        palette[2] = Pack((a.R + b.R) / 2, (a.G + b.G) / 2, (a.B + b.B) / 2, 255);
    else
        palette[2] = Pack((2 * a.R + b.R) / 3, (2 * a.G + b.G) / 3, (2 * a.B + b.B) / 3, 255);
    const uint32_t indices = GetLE32(block + 4);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(indices >> (2 * i)) & 3];
}

void SetAlpha(uint32_t& pixel, uint32_t alpha)
{
    pixel = (pixel & 0x00FFFFFFu) | (alpha << 24);
}

void DecodeExplicitAlpha(const uint8_t* block, uint32_t out[16])
{
    for (int y = 0; y < 4; ++y) {
        const uint16_t row = GetLE16(block + 2 * y);
        for (int x = 0; x < 4; ++x)
            SetAlpha(out[4 * y + x], ((row >> (4 * x)) & 0xF) * 17);
    }
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint32_t out[16])
{
    // DXT5 alpha is an unsigned BC4 channel.
    uint8_t alpha[16];
    DecodeBc4Channel(block, false, alpha);
    for (int i = 0; i < 16; ++i)
        SetAlpha(out[i], alpha[i]);
}

// A signed value num / den (-127 to 127) shown from 0 to 255, rounded.
uint8_t ShowSigned(int num, int den)
{
    return static_cast<uint8_t>(((num + 127 * den) * 255 + 127 * den) / (254 * den));
}

// Decodes a surface of 4 x 4 blocks of blockBytes each into the bitmap at
// column left; pixels of edge blocks that fall outside the image are dropped.
template <class DecodeBlock>
void DecodeBlocks(const uint8_t* data, int blockBytes, int width, int height, CBmp& bitmap, int left,
                  const std::atomic<bool>* abort, DecodeBlock decode)
{
    uint32_t pixels[16];
    for (int by = 0; by < height; by += 4) {
        CheckAbandoned(abort);
        const int rows = std::min(4, height - by);
        for (int bx = 0; bx < width; bx += 4, data += blockBytes) {
            decode(data, pixels);
            const int columns = std::min(4, width - bx);
            for (int y = 0; y < rows; ++y)
                std::copy(pixels + 4 * y, pixels + 4 * y + columns, bitmap.Row32(by + y) + left + bx);
        }
    }
}

void DecodeBcBlock(const uint8_t* block, BcFormat format, uint32_t out[16])
{
    uint8_t first[16], second[16];
    switch (format) {
    case BcFormat::Bc4:
    case BcFormat::Bc4Signed:
        DecodeBc4Channel(block, format == BcFormat::Bc4Signed, first);
        for (int i = 0; i < 16; ++i)
            out[i] = Pack(first[i], first[i], first[i], 255);
        break;
    case BcFormat::Bc5:
    case BcFormat::Bc5Signed:
        DecodeBc4Channel(block, format == BcFormat::Bc5Signed, first);
        DecodeBc4Channel(block + 8, format == BcFormat::Bc5Signed, second);
        for (int i = 0; i < 16; ++i)
            out[i] = Pack(first[i], second[i], 0, 255);
        break;
    case BcFormat::Bc7:
        DecodeBc7Block(block, out);
        break;
    }
}

} // namespace

void DecodeBc4Channel(const uint8_t* block, bool isSigned, uint8_t out[16])
{
    uint8_t palette[8];
    if (!isSigned) {
        // Interpolated values are truncated, as for DXT5 alpha.
        const uint32_t a0 = block[0];
        const uint32_t a1 = block[1];
        palette[0] = uint8_t(a0);
        palette[1] = uint8_t(a1);
        if (a0 > a1) {
            for (uint32_t k = 2; k < 8; ++k)
                palette[k] = uint8_t(((8 - k) * a0 + (k - 1) * a1) / 7);
        } else {
            for (uint32_t k = 2; k < 6; ++k)
                palette[k] = uint8_t(((6 - k) * a0 + (k - 1) * a1) / 5);
            palette[6] = 0;
            palette[7] = 255;
        }
    } else {
        // -128 means -1 as -127 does.
        const int s0 = std::max<int>(static_cast<int8_t>(block[0]), -127);
        const int s1 = std::max<int>(static_cast<int8_t>(block[1]), -127);
        palette[0] = ShowSigned(s0, 1);
        palette[1] = ShowSigned(s1, 1);
        if (s0 > s1) {
            for (int k = 2; k < 8; ++k)
                palette[k] = ShowSigned((8 - k) * s0 + (k - 1) * s1, 7);
        } else {
            for (int k = 2; k < 6; ++k)
                palette[k] = ShowSigned((6 - k) * s0 + (k - 1) * s1, 5);
            palette[6] = 0;
            palette[7] = 255;
        }
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(bits >> (3 * i)) & 7];
}

void DecodeBcSurface(const uint8_t* data, BcFormat format, int width, int height, CBmp& bitmap, int left,
                     const std::atomic<bool>* abort)
{
    DecodeBlocks(data, BcBlockBytes(format), width, height, bitmap, left, abort,
                 [format](const uint8_t* block, uint32_t out[16]) { DecodeBcBlock(block, format, out); });
}

void DecodeDxtBlock(const uint8_t* block, DxtAlpha alpha, uint32_t out[16])
{
    switch (alpha) {
    case DxtAlpha::None:
        DecodeColors(block, true, out);
        break;
    case DxtAlpha::Explicit:
        DecodeColors(block + 8, false, out);
        DecodeExplicitAlpha(block, out);
        break;
    case DxtAlpha::Interpolated:
        DecodeColors(block + 8, false, out);
        DecodeInterpolatedAlpha(block, out);
        break;
    }
}

void DecodeDxtSurface(const uint8_t* data, DxtAlpha alpha, int width, int height, CBmp& bitmap, int left,
                      const std::atomic<bool>* abort)
{
    DecodeBlocks(data, DxtBlockBytes(alpha), width, height, bitmap, left, abort,
                 [alpha](const uint8_t* block, uint32_t out[16]) { DecodeDxtBlock(block, alpha, out); });
}

void Unpremultiply(CBmp& bitmap, int left, int width)
{
    for (int y = 0; y < bitmap.Height; ++y) {
        uint32_t* row = bitmap.Row32(y) + left;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            if (a == 0 || a == 255)
                continue;
            const auto plain = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
            row[x] = Pack(plain((p >> 16) & 0xFF), plain((p >> 8) & 0xFF), plain(p & 0xFF), a);
        }
    }
}
