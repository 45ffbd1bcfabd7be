#include "cli/PamWriter.h"

#include "base/ParallelRows.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <vector>

bool WritePam(const CBmp& bitmap, CSafeFileWriter* file, FILE* stream)
{
    char header[128];
    const int n = std::snprintf(header, sizeof header,
                                "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                                bitmap.Width, bitmap.Height);
    auto write = [&](const void* data, size_t size) {
        return file ? file->Write(data, size) : std::fwrite(data, 1, size, stream) == size;
    };
    if (!write(header, static_cast<size_t>(n)))
        return false;
    // A few megabytes of rows at a time, converted by all threads and
    // written in one go.
    const size_t rowBytes = size_t(4) * static_cast<size_t>(bitmap.Width);
    const int chunkRows = static_cast<int>(std::clamp<size_t>((size_t(4) << 20) / std::max<size_t>(rowBytes, 1), 1,
                                                              size_t(std::max(bitmap.Height, 1))));
    std::vector<uint8_t> chunk(rowBytes * size_t(chunkRows));
    const bool alpha = bitmap.HasAlpha;
    for (int y0 = 0; y0 < bitmap.Height; y0 += chunkRows) {
        const int rows = std::min(chunkRows, bitmap.Height - y0);
        ParallelRows(rows, int64_t(rowBytes), [&](int64_t first, int64_t end) {
            for (int64_t i = first; i < end; ++i) {
                const uint32_t* src = bitmap.Row32(y0 + int(i));
                uint8_t* dst = chunk.data() + size_t(i) * rowBytes;
                for (int x = 0; x < bitmap.Width; ++x, dst += 4) {
                    const uint32_t p = src[x];
                    dst[0] = static_cast<uint8_t>(p >> 16);
                    dst[1] = static_cast<uint8_t>(p >> 8);
                    dst[2] = static_cast<uint8_t>(p);
                    dst[3] = alpha ? static_cast<uint8_t>(p >> 24) : 255;
                }
            }
        });
        if (!write(chunk.data(), rowBytes * size_t(rows)))
            return false;
    }
    return true;
}
