#include "save/Jlib.h"


#include <cstddef>
#include <vector>

namespace {

// Row pointers into a packed buffer; empty when the sizes make no image.
std::vector<const uint8_t*> PackedRows(const uint8_t* pixels, int width, int height, int bytesPerPixel)
{
    std::vector<const uint8_t*> rows;
    if (!pixels || width <= 0 || height <= 0)
        return rows;
    const size_t stride = size_t(width) * size_t(bytesPerPixel);
    rows.resize(static_cast<size_t>(height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels + y * stride;
    return rows;
}

} // namespace

int SaveJPG(const char* path, const uint8_t* pixels, int width, int height, int quality, int smoothing,
            int optimizeHuffman, int progressive, int /*mode*/)
{
    try {
        const std::vector<const uint8_t*> rows = PackedRows(pixels, width, height, 3);
        if (!path || rows.empty())
            return 0;
        JpegSettings settings;
        settings.Quality = quality;
        settings.Smoothing = smoothing;
        settings.OptimizeHuffman = optimizeHuffman != 0;
        settings.Progressive = progressive != 0;
        return EncodeJPG(path, JlibRows{rows.data(), width, height, JlibLayout::Rgb}, settings) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int SaveTIF(const char* path, const uint8_t* pixels, const ColorHistItem* /*palette*/, int width, int height,
            int bitsPerPixel, int /*colourCount*/, int compression, int /*param*/)
{
    try {
        if (bitsPerPixel != 24 && bitsPerPixel != 32)
            return 1;
        const std::vector<const uint8_t*> rows = PackedRows(pixels, width, height, bitsPerPixel / 8);
        if (!path || rows.empty())
            return 1;
        const JlibLayout layout = bitsPerPixel == 32 ? JlibLayout::Rgba : JlibLayout::Rgb;
        return EncodeTIF(path, JlibRows{rows.data(), width, height, layout}, compression) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}
