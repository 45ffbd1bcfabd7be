#include "save/DdsWriter.h"

#include "base/LittleEndian.h"
#include "base/ParallelRows.h"
#include "base/TextException.h"
#include "image/WinBmp.h"
#include "save/DxtEncoder.h"
#include "save/WriterFile.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

constexpr const char* kWriteError = "Error writing dds image.";
constexpr int kHeaderSize = 128;
// Caps, height, width, pixel format and linear size given.
constexpr uint32_t kFlags = 0x81007;
constexpr uint32_t kFlagMipMapCount = 0x20000;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kCapsComplexMipMap = 0x400008;
constexpr uint32_t kPixelFormatFourCC = 4;

// The next level of the chain: each pixel the mean of (up to) four, rounded.
void HalveInto(const CBmp& from, CBmp& to)
{
    const int width = std::max(from.Width / 2, 1), height = std::max(from.Height / 2, 1);
    to.Create(width, height, 32, from.HasAlpha);
    ParallelRows(height, int64_t(width) * 8, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            const uint32_t* a = from.Row32(std::min(int(2 * y), from.Height - 1));
            const uint32_t* b = from.Row32(std::min(int(2 * y + 1), from.Height - 1));
            uint32_t* out = to.Row32(int(y));
            for (int x = 0; x < width; ++x) {
                const int x0 = std::min(2 * x, from.Width - 1), x1 = std::min(2 * x + 1, from.Width - 1);
                uint32_t p = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    const uint32_t sum = ((a[x0] >> shift) & 0xFF) + ((a[x1] >> shift) & 0xFF) +
                                         ((b[x0] >> shift) & 0xFF) + ((b[x1] >> shift) & 0xFF);
                    p |= ((sum + 2) / 4) << shift;
                }
                out[x] = p;
            }
        }
    });
}

DxtAlpha AlphaOf(int format)
{
    switch (format) {
    case 2:
        return DxtAlpha::None;
    case 4:
        return DxtAlpha::Explicit;
    case 6:
        return DxtAlpha::Interpolated;
    default:
        throw CTextException(ErrInternal, "Error writing dds header.");
    }
}

} // namespace

void WriteDDS(const std::string& path, const CBmp& bitmap, int format, bool flip, bool mipMaps)
{
    const DxtAlpha alpha = AlphaOf(format);
    CheckImageSize(bitmap, INT32_MAX, INT32_MAX);
    const uint64_t linearSize = DxtSurfaceBytes(bitmap.Width, bitmap.Height, alpha);
    if (linearSize > UINT32_MAX)
        throw CTextException(ErrUnsupported, "Image is too large for this file format.");
    int levels = 1;
    if (mipMaps)
        for (int side = std::max(bitmap.Width, bitmap.Height); side > 1; side /= 2)
            ++levels;

    uint8_t header[kHeaderSize] = {'D', 'D', 'S', ' '};
    PutLE32(header + 4, 124);
    PutLE32(header + 8, kFlags | (mipMaps ? kFlagMipMapCount : 0));
    PutLE32(header + 12, uint32_t(bitmap.Height));
    PutLE32(header + 16, uint32_t(bitmap.Width));
    PutLE32(header + 20, uint32_t(linearSize));
    PutLE32(header + 24, 1);
    PutLE32(header + 28, uint32_t(levels));
    PutLE32(header + 76, 32);
    PutLE32(header + 80, kPixelFormatFourCC);
    const uint8_t code[4] = {'D', 'X', 'T', uint8_t('0' + format - 1)};
    std::copy(code, code + 4, header + 84);
    PutLE32(header + 108, kCapsTexture | (mipMaps ? kCapsComplexMipMap : 0));

    std::vector<uint8_t> blocks;
    try {
        blocks.resize(size_t(linearSize));
    } catch (const std::bad_alloc&) {
        throw CTextException(ErrNoMemory, "Out of memory.");
    }
    // A bitmap without alpha may still carry any bytes there.
    const bool opaque = !bitmap.HasAlpha;
    EncodeDxtSurface(bitmap, alpha, opaque, flip, blocks.data());

    CWriterFile file(path, kWriteError);
    file.Write(header, sizeof header);
    file.Write(blocks.data(), blocks.size());
    CWinBmp level[2];
    const CBmp* previous = &bitmap;
    for (int l = 1; l < levels; ++l) {
        CWinBmp& next = level[l & 1];
        try {
            HalveInto(*previous, next);
        } catch (const std::bad_alloc&) {
            throw CTextException(ErrNoMemory, "Out of memory.");
        }
        blocks.resize(size_t(DxtSurfaceBytes(next.Width, next.Height, alpha)));
        EncodeDxtSurface(next, alpha, opaque, flip, blocks.data());
        file.Write(blocks.data(), blocks.size());
        previous = &next;
    }
    file.Commit();
}
