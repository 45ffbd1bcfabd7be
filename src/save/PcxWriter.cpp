#include "save/PcxWriter.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/WriterFile.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kHeaderSize = 128;
constexpr size_t kMaxRun = 63;
constexpr const char* kWriteError = "Error writing data.";

void WritePcx24(const std::string& path, const CBmp& bitmap)
{
    CheckImageSize(bitmap, kMaxSide16, kMaxSide16);
    const size_t width = static_cast<size_t>(bitmap.Width);
    uint8_t header[kHeaderSize];
    FillPcxHeader(header, bitmap.Width, bitmap.Height);
    header[3] = 8;
    std::memset(header + 16, 255, 48);
    header[65] = 3;
    PutLE16(header + 66, static_cast<uint16_t>(width));

    std::vector<uint8_t> planes(3 * width);
    std::vector<uint8_t> packed(3 * 2 * width);
    CWriterFile file(path, kWriteError);
    file.Write(header, sizeof header);
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint8_t* p = bitmap.Lines[y];
        uint8_t* red = planes.data();
        uint8_t* green = red + width;
        uint8_t* blue = green + width;
        for (size_t x = 0; x < width; ++x, p += 4) {
            red[x] = p[2];
            green[x] = p[1];
            blue[x] = p[0];
        }
        size_t n = 0;
        for (int plane = 0; plane < 3; ++plane)
            n += EncodePcxPlane(planes.data() + plane * width, width, packed.data() + n);
        file.Write(packed.data(), n);
    }
    file.Commit();
}

} // namespace

void FillPcxHeader(uint8_t* header, int width, int height)
{
    std::memset(header, 0, kHeaderSize);
    header[0] = 10;
    header[1] = 5;
    header[2] = 1;
    PutLE16(header + 8, static_cast<uint16_t>(width - 1));
    PutLE16(header + 10, static_cast<uint16_t>(height - 1));
    PutLE16(header + 12, static_cast<uint16_t>(width));
    PutLE16(header + 14, static_cast<uint16_t>(height));
    PutLE16(header + 68, 1);
}

size_t EncodePcxPlane(const uint8_t* bytes, size_t size, uint8_t* out)
{
    uint8_t* o = out;
    size_t x = 0;
    while (x < size) {
        const uint8_t value = bytes[x];
        size_t run = 1;
        while (x + run < size && run < kMaxRun && bytes[x + run] == value)
            ++run;
        if (run > 1 || value >= 0xC0)
            *o++ = static_cast<uint8_t>(0xC0 | run);
        *o++ = value;
        x += run;
    }
    return static_cast<size_t>(o - out);
}

void WritePCX(const std::string& path, const CBmp& bitmap, int depth)
{
    switch (depth) {
    case 24:
        WritePcx24(path, bitmap);
        return;
    case 8:
        // The palette layouts come with the colour reduction they need.
        throw CTextException(ErrUnsupported, "Can't write 8-bit images yet.");
    default:
        throw CTextException(ErrInternal, "Internal error.");
    }
}
