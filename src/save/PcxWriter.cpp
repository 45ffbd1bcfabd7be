#include "save/PcxWriter.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/PaletteImage.h"
#include "save/WriterFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kHeaderSize = 128;
constexpr size_t kMaxRun = 63;
// Colours the header's palette holds, and the byte before the full palette.
constexpr int kHeaderColors = 16;
constexpr uint8_t kPaletteMarker = 0x0C;
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

// Up to 16 colours: one bit per plane, index bit p in plane p, pixels past
// the width index 0; more: one index byte per pixel and the whole palette
// after the data.
void WritePcx8(const std::string& path, const CBmp& bitmap)
{
    CheckImageSize(bitmap, kMaxSide16, kMaxSide16);
    // The palette before the file: a reduction that fails leaves nothing behind.
    const CPaletteImage image(bitmap);
    const ColorHistogram& palette = image.Palette();
    const bool bytes = image.Count() > kHeaderColors;
    const int planes = bytes ? 1 : PaletteBits(image.Count());
    const size_t width = static_cast<size_t>(bitmap.Width);
    const size_t lineBytes = bytes ? width : (width + 7) / 8;

    uint8_t header[kHeaderSize];
    FillPcxHeader(header, bitmap.Width, bitmap.Height);
    header[3] = bytes ? 8 : 1;
    for (size_t i = 0; i < palette.size() && i < size_t(kHeaderColors); ++i) {
        header[16 + 3 * i] = palette[i].Red;
        header[17 + 3 * i] = palette[i].Green;
        header[18 + 3 * i] = palette[i].Blue;
    }
    header[65] = static_cast<uint8_t>(planes);
    PutLE16(header + 66, static_cast<uint16_t>(lineBytes));

    std::vector<uint8_t> indices(width);
    std::vector<uint8_t> planeBytes(size_t(planes) * lineBytes);
    std::vector<uint8_t> packed(2 * planeBytes.size());
    CWriterFile file(path, kWriteError);
    file.Write(header, sizeof header);
    for (int y = 0; y < bitmap.Height; ++y) {
        image.IndexRow(y, bytes ? planeBytes.data() : indices.data());
        if (!bytes) {
            std::fill(planeBytes.begin(), planeBytes.end(), 0);
            for (size_t x = 0; x < width; ++x)
                for (int p = 0; p < planes; ++p)
                    if (indices[x] >> p & 1)
                        planeBytes[size_t(p) * lineBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
        size_t n = 0;
        for (int p = 0; p < planes; ++p)
            n += EncodePcxPlane(planeBytes.data() + size_t(p) * lineBytes, lineBytes, packed.data() + n);
        file.Write(packed.data(), n);
    }
    if (bytes) {
        std::vector<uint8_t> trailer(1 + 3 * 256, 0);
        trailer[0] = kPaletteMarker;
        for (size_t i = 0; i < palette.size(); ++i) {
            trailer[1 + 3 * i] = palette[i].Red;
            trailer[2 + 3 * i] = palette[i].Green;
            trailer[3 + 3 * i] = palette[i].Blue;
        }
        file.Write(trailer.data(), trailer.size());
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
        WritePcx8(path, bitmap);
        return;
    default:
        throw CTextException(ErrInternal, "Internal error.");
    }
}
