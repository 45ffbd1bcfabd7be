#include "formats/MetafileDib.h"

#include "formats/ImageDecoder.h"
#include "base/LittleEndian.h"
#include "image/WinBmp.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace metafile {

namespace {

constexpr uint32_t kBitFields = 3;
constexpr int kSurfaceLimit = 32767; // largest cairo image surface side

struct InfoLayout {
    size_t Prefix = 0;     // header plus colour masks
    uint32_t Colours = 0;  // colour-table entries
    size_t EntrySize = 4;
    size_t Unused = 0;     // optional colour table of deeper bitmaps, skipped
};

bool Layout(const uint8_t* info, size_t infoSize, uint32_t usage, InfoLayout& out)
{
    if (!info || infoSize < 40)
        return false;
    const uint32_t headerSize = GetLE32(info);
    if (headerSize < 40 || headerSize > infoSize)
        return false;
    const int depth = GetLE16(info + 14);
    const uint32_t compression = GetLE32(info + 16);
    const uint32_t used = GetLE32(info + 32);
    out.Prefix = headerSize;
    if (compression == kBitFields && headerSize == 40)
        out.Prefix += 12;
    if (depth >= 1 && depth <= 8) {
        const uint32_t most = 1u << depth;
        out.Colours = (used == 0 || used > most) ? most : used;
    } else {
        out.Unused = size_t(used) * 4;
    }
    out.EntrySize = usage == 1 ? 2 : 4;
    return out.Prefix <= infoSize && (infoSize - out.Prefix) / out.EntrySize >= out.Colours;
}

uint32_t PaletteColour(const LogPalette& palette, size_t index)
{
    if (index >= palette.size())
        return 0xFF000000u;
    const PaletteEntry& e = palette[index];
    return PackPixel(e.Red, e.Green, e.Blue);
}

SurfacePtr ToSurface(const CWinBmp& bmp, const DibOptions& options)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bmp.Width, bmp.Height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    SurfacePtr owned = MakeSurfacePtr(surface);
    cairo_surface_flush(surface);
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    uint32_t colours[256];
    if (bmp.BitsPerPixel <= 8) {
        const int n = 1 << bmp.BitsPerPixel;
        for (int i = 0; i < n; ++i)
            colours[i] = PackPixel(bmp.Palette[i].Red, bmp.Palette[i].Green, bmp.Palette[i].Blue);
    }
    const uint32_t flip = options.Invert ? 0x00FFFFFFu : 0;
    for (int y = 0; y < bmp.Height; ++y) {
        uint32_t* out = reinterpret_cast<uint32_t*>(data + size_t(stride) * y);
        const uint8_t* in = bmp.Lines[y];
        if (bmp.BitsPerPixel == 1) {
            for (int x = 0; x < bmp.Width; ++x)
                out[x] = colours[(in[x >> 3] >> (7 - (x & 7))) & 1] ^ flip;
        } else if (bmp.BitsPerPixel == 8) {
            for (int x = 0; x < bmp.Width; ++x)
                out[x] = colours[in[x]] ^ flip;
        } else if (options.KeepAlpha) {
            const uint32_t* words = bmp.Row32(y);
            for (int x = 0; x < bmp.Width; ++x) {
                // Premultiplied colour never exceeds its alpha.
                const uint32_t w = words[x], a = w >> 24;
                const uint32_t r = std::min((w >> 16) & 0xFF, a), g = std::min((w >> 8) & 0xFF, a),
                               b = std::min(w & 0xFF, a);
                out[x] = (a << 24) | (r << 16) | (g << 8) | b;
            }
        } else {
            const uint32_t* words = bmp.Row32(y);
            for (int x = 0; x < bmp.Width; ++x)
                out[x] = (words[x] | 0xFF000000u) ^ flip;
        }
    }
    if (options.KeyColor >= 0) {
        const uint32_t key = PackPixel(uint8_t(options.KeyColor), uint8_t(options.KeyColor >> 8),
                                       uint8_t(options.KeyColor >> 16));
        for (int y = 0; y < bmp.Height; ++y) {
            uint32_t* out = reinterpret_cast<uint32_t*>(data + size_t(stride) * y);
            for (int x = 0; x < bmp.Width; ++x)
                if (out[x] == key)
                    out[x] = 0;
        }
    }
    cairo_surface_mark_dirty(surface);
    return owned;
}

} // namespace

DibSurface DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                     const DibOptions& options, const LogPalette& palette)
{
    DibSurface result;
    InfoLayout layout;
    if (!Layout(info, infoSize, options.Usage, layout) || !bits)
        return result;
    const int32_t width = static_cast<int32_t>(GetLE32(info + 4));
    const int32_t height = static_cast<int32_t>(GetLE32(info + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return result;
    const int32_t rows = height < 0 ? -height : height;
    if (width > kSurfaceLimit || rows > kSurfaceLimit || uint64_t(width) * uint64_t(rows) * 4 > MaxImageBytes())
        return result;

    // One packed block with an RGB colour table, as the DIB importer wants it.
    const size_t tableBytes = size_t(4) * layout.Colours;
    std::vector<uint8_t> block;
    try {
        block.resize(layout.Prefix + tableBytes + bitsSize);
    } catch (const std::bad_alloc&) {
        return result;
    }
    std::memcpy(block.data(), info, layout.Prefix);
    const uint8_t* table = info + layout.Prefix;
    for (uint32_t i = 0; i < layout.Colours; ++i) {
        uint8_t* e = block.data() + layout.Prefix + 4 * i;
        if (options.Usage == 1) {
            const uint32_t c = PaletteColour(palette, GetLE16(table + 2 * i));
            e[0] = uint8_t(c), e[1] = uint8_t(c >> 8), e[2] = uint8_t(c >> 16), e[3] = 0;
        } else {
            std::memcpy(e, table + 4 * i, 4);
        }
    }
    if (layout.Colours)
        PutLE32(block.data() + 32, layout.Colours);
    if (bitsSize)
        std::memcpy(block.data() + layout.Prefix + tableBytes, bits, bitsSize);

    CWinBmp bmp;
    try {
        bmp.CreateFromGlobalDIB(block.data(), block.size());
    } catch (const CTextException&) {
        return result;
    } catch (const std::bad_alloc&) {
        return result;
    }
    block.clear();
    block.shrink_to_fit();
    result.Surface = ToSurface(bmp, options);
    if (result.Surface) {
        result.Width = bmp.Width;
        result.Height = bmp.Height;
        result.BottomUp = height > 0;
    }
    return result;
}

bool SplitPackedDib(const uint8_t* dib, size_t size, uint32_t usage, DibBlit& blit)
{
    InfoLayout layout;
    if (!Layout(dib, size, usage, layout))
        return false;
    size_t infoSize = layout.Prefix + layout.EntrySize * layout.Colours;
    if (layout.Unused > size - infoSize)
        return false;
    infoSize += layout.Unused;
    blit.Info = dib;
    blit.InfoSize = infoSize;
    blit.Bits = dib + infoSize;
    blit.BitsSize = size - infoSize;
    blit.Usage = usage;
    return true;
}

DibSurface DecodePackedDib(const uint8_t* dib, size_t size, const DibOptions& options, const LogPalette& palette)
{
    DibBlit parts;
    if (!SplitPackedDib(dib, size, options.Usage, parts))
        return {};
    return DecodeDib(parts.Info, parts.InfoSize, parts.Bits, parts.BitsSize, options, palette);
}

} // namespace metafile
