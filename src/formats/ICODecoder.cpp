#include "formats/ICODecoder.h"

#include "formats/BMPHeader.h"
#include "formats/ChannelMask.h"
#include "image/PackedPixels.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kDirectoryHeaderSize = 6;
constexpr size_t kDirectoryEntrySize = 16;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMaskHeaderSize = 52;  // the colour masks are part of the header from here on
constexpr uint32_t kAlphaHeaderSize = 56; // and the alpha mask
constexpr int kPaletteCapacity = 256;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Bytes per stored row: rows are padded to whole 32-bit words.
uint64_t RowBytes(uint64_t width, int bits)
{
    return (width * uint64_t(bits) + 31) / 32 * 4;
}

// 16- and 32-bit pixels as bit fields; without masks of their own they are
// 5:5:5 and blue, green, red with the fourth byte as alpha.
struct DirectLayout {
    ChannelMask Red, Green, Blue, Alpha;
    bool Plain = false; // 32-bit blue, green, red, alpha: the bitmap's own byte order
};

DirectLayout LayoutFor(int bits, const uint32_t* masks)
{
    if (masks)
        return {ChannelMask(masks[0]), ChannelMask(masks[1]), ChannelMask(masks[2]), ChannelMask(masks[3])};
    if (bits == 16)
        return {ChannelMask(0x7C00), ChannelMask(0x03E0), ChannelMask(0x001F), ChannelMask()};
    return {ChannelMask(0x00FF0000), ChannelMask(0x0000FF00), ChannelMask(0x000000FF), ChannelMask(0xFF000000), true};
}

// File row r of the colour bitmap into bitmap row y as pixels.
void DecodeRow(const uint8_t* src, uint32_t* dst, int width, int bits, const uint32_t* colors, const DirectLayout& l)
{
    if (IndicesToColors(src, bits, width, colors, dst))
        return;
    switch (bits) {
    case 24:
        for (int x = 0; x < width; ++x, src += 3)
            dst[x] = PackPixel(src[2], src[1], src[0], 255);
        break;
    case 32:
        if (l.Plain) {
            std::memcpy(dst, src, size_t(width) * 4);
            break;
        }
        [[fallthrough]];
    default:
        for (int x = 0; x < width; ++x, src += bits / 8) {
            const uint32_t w = bits == 16 ? GetLE16(src) : GetLE32(src);
            dst[x] = PackPixel(l.Red.Get(w), l.Green.Get(w), l.Blue.Get(w), l.Alpha.Present() ? l.Alpha.Get(w) : 255);
        }
        break;
    }
}

} // namespace

void CICODecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    const uint8_t* header = source.ReadBytes(kDirectoryHeaderSize);
    const uint16_t count = GetLE16(header + 4);
    if (count == 0)
        RaiseDecoderError(ErrFormat, "Icon decoder: The icon file holds no image.");
    const uint8_t* entry = source.ReadBytes(kDirectoryEntrySize);
    source.SkipBytes(size_t(count - 1) * kDirectoryEntrySize);

    // The image may be anywhere in the file; its entry says where.
    const uint32_t imageOffset = GetLE32(entry + 12);
    if (imageOffset > source.GetSize())
        RaiseDecoderError(ErrInternal, "Unexpected end of file.");
    CByteSource image;
    image.Open(source.GetName(), source.GetStart() + imageOffset, source.GetSize() - imageOffset);

    if (image.Remaining() >= sizeof(kPngSignature) &&
        std::memcmp(image.GetPosition(), kPngSignature, sizeof(kPngSignature)) == 0) {
        DecoderTrace(2, "Decoding PNG icon image.\n");
        m_PngDecoder.SetAbortFlag(GetAbortFlag());
        m_PngDecoder.DecodeSource(image, bitmap, 32);
        return;
    }

    const uint8_t* info = image.ReadBytes(kInfoHeaderSize);
    const uint32_t infoSize = GetLE32(info);
    if (infoSize < kInfoHeaderSize)
        RaiseDecoderError(ErrFormat, "Icon decoder: BITMAPINFOHEADER has wrong size.");
    // Longer headers (up to the 124-byte one) carry the bit-field masks.
    image.SkipBytes(infoSize - kInfoHeaderSize);
    const auto width = static_cast<int32_t>(GetLE32(info + 4));
    const auto doubleHeight = static_cast<int32_t>(GetLE32(info + 8));
    const int bits = GetLE16(info + 14);
    const uint32_t compression = GetLE32(info + 16);
    const uint32_t colorsUsed = GetLE32(info + 32);
    if (width <= 0 || doubleHeight < 2)
        RaiseDecoderError(ErrFormat, "Icon decoder: Illegal image size.");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        RaiseDecoderError(ErrFormat, "Icon decoder: Illegal bpp value.");
    uint32_t masks[4] = {};
    const bool bitFields = (bits == 16 || bits == 32) &&
                           (compression == kBmpBitFields || compression == kBmpAlphaBitFields);
    if (bitFields) {
        if (infoSize >= kMaskHeaderSize) {
            for (int i = 0; i < 3; ++i)
                masks[i] = GetLE32(info + kInfoHeaderSize + 4 * i);
            if (infoSize >= kAlphaHeaderSize)
                masks[3] = GetLE32(info + kInfoHeaderSize + 12);
        } else {
            const int n = compression == kBmpAlphaBitFields ? 4 : 3;
            const uint8_t* m = image.ReadBytes(size_t(n) * 4);
            for (int i = 0; i < n; ++i)
                masks[i] = GetLE32(m + 4 * i);
        }
    }
    const DirectLayout layout = LayoutFor(bits, bitFields ? masks : nullptr);
    const int height = doubleHeight / 2;

    paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
    uint32_t colors[kPaletteCapacity];
    std::fill(colors, colors + kPaletteCapacity, PackPixel(0, 0, 0, 255));
    // Direct-colour images may still list colours (an optimal palette); they are read over.
    const uint64_t entries = colorsUsed ? colorsUsed : (bits <= 8 ? uint64_t(1) << bits : 0);
    if (entries > image.Remaining() / 4)
        image.ReadBytes(image.Remaining() + 1); // raises: the palette leaves the file
    const uint8_t* p = image.ReadBytes(static_cast<size_t>(entries) * 4);
    for (uint64_t i = 0; i < std::min<uint64_t>(entries, kPaletteCapacity); ++i) {
        paletteOut[i] = PaletteEntry{p[4 * i], p[4 * i + 1], p[4 * i + 2], 255};
        colors[i] = PackPixel(paletteOut[i]);
    }

    // The colour rows must all be there before memory is taken for them; a
    // missing mask leaves the image opaque.
    const uint64_t stride = RowBytes(uint64_t(width), bits);
    const uint64_t maskStride = RowBytes(uint64_t(width), 1);
    if (stride * uint64_t(height) > image.Remaining())
        image.ReadBytes(image.Remaining() + 1);
    const uint8_t* pixels = image.ReadBytes(static_cast<size_t>(stride * uint64_t(height)));
    const bool hasMask = maskStride * uint64_t(height) <= image.Remaining();
    const uint8_t* mask = hasMask ? image.ReadBytes(static_cast<size_t>(maskStride * uint64_t(height))) : nullptr;

    DecoderTrace(2, "Decoding icon image.\n");
    CreateBitmap(bitmap, width, height, 32, true);
    bitmap.SourceBitsPerPixel = bits;
    for (int r = 0; r < height; ++r) {
        CheckAbort();
        DecodeRow(pixels + size_t(r) * stride, bitmap.Row32(height - 1 - r), width, bits, colors, layout);
    }

    // An image whose alpha channel is all zero was made for the mask.
    bool ownAlpha = false;
    if ((bits == 16 || bits == 32) && layout.Alpha.Present()) {
        for (int y = 0; y < height && !ownAlpha; ++y) {
            const uint32_t* row = bitmap.Row32(y);
            for (int x = 0; x < width; ++x)
                ownAlpha |= (row[x] >> 24) != 0;
        }
        if (!ownAlpha)
            for (int y = 0; y < height; ++y) {
                uint32_t* row = bitmap.Row32(y);
                for (int x = 0; x < width; ++x)
                    row[x] |= 0xFF000000u;
            }
    }
    if (mask && !ownAlpha) {
        // Mask bit 1 marks a transparent pixel.
        for (int r = 0; r < height; ++r) {
            const uint8_t* m = mask + size_t(r) * maskStride;
            uint32_t* row = bitmap.Row32(height - 1 - r);
            for (int x = 0; x < width; ++x)
                if ((m[x >> 3] >> (7 - (x & 7))) & 1)
                    row[x] &= 0x00FFFFFFu;
        }
    }
    bitmap.HasAlpha = ownAlpha || mask;
    DecoderTrace(3, "Decoding finished.\n");
}
