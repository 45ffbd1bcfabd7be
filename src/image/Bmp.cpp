#include "image/Bmp.h"

#include "image/OctreeQuantizer.h"
#include "image/PackedPixels.h"

#include <cstring>

int64_t StrideFor(int64_t width, int bitsPerPixel)
{
    int64_t bytes = width * bitsPerPixel / 8;
    if (bitsPerPixel == 1 && width % 8 != 0)
        bytes += 1;
    else if (bitsPerPixel == 4 && width % 2 != 0)
        bytes += 1;
    return (bytes + 3) & ~int64_t(3);
}

void CBmp::Create(int width, int height, int bitsPerPixel, bool hasAlpha)
{
    ReleaseStorage();
    AllocateStorage(width, height, bitsPerPixel, hasAlpha);
}

void CBmp::InitFields(int width, int height, int bitsPerPixel, bool hasAlpha)
{
    Width = width;
    Height = height;
    BitsPerPixel = static_cast<uint16_t>(bitsPerPixel);
    HasAlpha = hasAlpha;
    BuildLines();
    if (bitsPerPixel < 16)
        SetGreyPalette();
}

void CBmp::SetGreyPalette()
{
    if (!Palette)
        return;
    const int n = 1 << BitsPerPixel;
    const int step = 255 / (n - 1);
    for (int i = 0; i < n; ++i) {
        const uint8_t v = static_cast<uint8_t>(step * i);
        Palette[i] = PaletteEntry{v, v, v, 255};
    }
}

void CBmp::SetPalette(const PaletteEntry* entries)
{
    if (!Palette || BitsPerPixel > 8)
        return;
    std::memcpy(Palette, entries, sizeof(PaletteEntry) * (size_t(1) << BitsPerPixel));
}

void CBmp::CopyFrom(const CBmp& source, int bitsPerPixel)
{
    const int sourceDepth = source.BitsPerPixel;
    if (bitsPerPixel == 0 || bitsPerPixel == sourceDepth) {
        if (&source == this)
            return;
        Create(source.Width, source.Height, sourceDepth, source.HasAlpha);
        const size_t stride = static_cast<size_t>(BytesPerLine());
        for (int y = 0; y < Height; ++y)
            std::memcpy(Lines[y], source.Lines[y], stride);
        if (sourceDepth <= 8)
            SetPalette(source.Palette);
        return;
    }
    if (&source == this) {
        // Converting in place needs the old pixels while the new ones are written.
        auto copy = CloneEmpty();
        copy->CopyFrom(source, 0);
        CopyFrom(*copy, bitsPerPixel);
        return;
    }
    Create(source.Width, source.Height, bitsPerPixel, source.HasAlpha && bitsPerPixel != 1);
    switch (bitsPerPixel) {
    case 32:
        ConvertTo32(source);
        break;
    case 1:
        ConvertTo1(source);
        break;
    case 8:
        if (sourceDepth == 1)
            ConvertTo8From1(source);
        else
            OctreeQuantizer(source, *this);
        break;
    default:
        break;
    }
}

void CBmp::ConvertTo32(const CBmp& source)
{
    uint32_t table[256];
    const int entries = 1 << source.BitsPerPixel;
    for (int i = 0; i < entries; ++i)
        table[i] = PackPixel(source.Palette[i]);
    for (int y = 0; y < Height; ++y) {
        IndicesToColors(source.Lines[y], source.BitsPerPixel, Width, table, Row32(y));
    }
}

void CBmp::ConvertTo1(const CBmp& source)
{
    Palette[0] = PaletteEntry{255, 255, 255, 255};
    Palette[1] = PaletteEntry{0, 0, 0, 255};
    const size_t stride = static_cast<size_t>(BytesPerLine());
    bool darkIndex[256] = {};
    if (source.BitsPerPixel == 8) {
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = source.Palette[i];
            darkIndex[i] = e.Red < 128 && e.Green < 128 && e.Blue < 128;
        }
    }
    for (int y = 0; y < Height; ++y) {
        uint8_t* dst = Lines[y];
        std::memset(dst, 0, stride);
        if (source.BitsPerPixel == 8) {
            const uint8_t* src = source.Lines[y];
            for (int x = 0; x < Width; ++x)
                if (darkIndex[src[x]])
                    dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
        } else {
            const uint32_t* src = source.Row32(y);
            for (int x = 0; x < Width; ++x) {
                const uint32_t p = src[x];
                if ((p & 0x80) == 0 && (p & 0x8000) == 0 && (p & 0x800000) == 0)
                    dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
            }
        }
    }
}

void CBmp::ConvertTo8From1(const CBmp& source)
{
    for (int i = 0; i < 2; ++i) {
        const PaletteEntry& e = source.Palette[i];
        Palette[i] = PaletteEntry{e.Blue, e.Green, e.Red, 255};
    }
    for (int y = 0; y < Height; ++y)
        UnpackIndices(source.Lines[y], 1, Width, Lines[y]);
}
