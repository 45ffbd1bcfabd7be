#include "cli/PamWriter.h"

#include "platform/SafeFile.h"

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
    std::vector<uint8_t> row(size_t(4) * static_cast<size_t>(bitmap.Width));
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint32_t* src = bitmap.Row32(y);
        uint8_t* dst = row.data();
        for (int x = 0; x < bitmap.Width; ++x, dst += 4) {
            const uint32_t p = src[x];
            dst[0] = static_cast<uint8_t>(p >> 16);
            dst[1] = static_cast<uint8_t>(p >> 8);
            dst[2] = static_cast<uint8_t>(p);
            dst[3] = bitmap.HasAlpha ? static_cast<uint8_t>(p >> 24) : 255;
        }
        if (!write(row.data(), row.size()))
            return false;
    }
    return true;
}
