#include "save/BmpWriter.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "image/WinBmp.h"
#include "save/PaletteImage.h"
#include "save/RowPack.h"
#include "save/WriterFile.h"

#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr int kPaletteEntries = 256;
constexpr int kPaletteBytes = 4 * kPaletteEntries;
constexpr const char* kWriteError = "Error writing image.";

// Row padding as our BMP files have always had it.
const uint8_t kPadding[3] = {0x20, 0x00, 0x00};

// Bytes of one file row, a multiple of 4; refuses an image whose file size
// the 32-bit field cannot hold.
int64_t CheckedStride(const CBmp& bitmap, int bytesPerPixel, int64_t paletteBytes)
{
    CheckImageSize(bitmap, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    const int64_t stride = (int64_t(bytesPerPixel) * bitmap.Width + 3) & ~int64_t(3);
    if (stride * bitmap.Height > int64_t(std::numeric_limits<uint32_t>::max()) - kHeadersSize - paletteBytes)
        throw CTextException(ErrUnsupported, "Image is too large for this file format.");
    return stride;
}

// File and information headers; the palette, when there is one, sits between
// them and the rows.
void FillHeaders(uint8_t* header, const CBmp& bitmap, int depth, int64_t stride, int64_t paletteBytes)
{
    const int64_t imageBytes = stride * bitmap.Height;
    std::memset(header, 0, kHeadersSize);
    header[0] = 'B';
    header[1] = 'M';
    PutLE32(header + 2, static_cast<uint32_t>(kHeadersSize + paletteBytes + imageBytes));
    PutLE32(header + 10, static_cast<uint32_t>(kHeadersSize + paletteBytes));
    uint8_t* info = header + kFileHeaderSize;
    PutLE32(info, kInfoHeaderSize);
    PutLE32(info + 4, static_cast<uint32_t>(bitmap.Width));
    PutLE32(info + 8, static_cast<uint32_t>(bitmap.Height));
    PutLE16(info + 12, 1);
    PutLE16(info + 14, static_cast<uint16_t>(depth));
    PutLE32(info + 20, static_cast<uint32_t>(imageBytes));
    // The resolution the image came with, when it has one.
    if (const auto* win = dynamic_cast<const CWinBmp*>(&bitmap); win && win->GetBitmapInfo())
        std::memcpy(info + 24, win->GetBitmapInfo() + 24, 8);
}

void WriteBmp24(const std::string& path, const CBmp& bitmap)
{
    const int64_t stride = CheckedStride(bitmap, 3, 0);
    uint8_t header[kHeadersSize];
    FillHeaders(header, bitmap, 24, stride, 0);

    CWriterFile file(path, kWriteError);
    file.Write(header, sizeof header);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    std::memcpy(row.data() + 3 * size_t(bitmap.Width), kPadding, static_cast<size_t>(stride - 3 * int64_t(bitmap.Width)));
    for (int y = bitmap.Height - 1; y >= 0; --y) {
        PackBgr(bitmap.Lines[y], row.data(), bitmap.Width);
        file.Write(row.data(), row.size());
    }
    file.Commit();
}

// A full 256-entry colour table: the image's colours, then the rest of the
// grey ramp a fresh 8-bit bitmap starts with.
void WriteBmp8(const std::string& path, const CBmp& bitmap)
{
    const int64_t stride = CheckedStride(bitmap, 1, kPaletteBytes);
    // The palette before the file: a reduction that fails leaves nothing behind.
    const CPaletteImage image(bitmap);
    uint8_t header[kHeadersSize + kPaletteBytes];
    FillHeaders(header, bitmap, 8, stride, kPaletteBytes);
    uint8_t* palette = header + kHeadersSize;
    for (int i = 0; i < kPaletteEntries; ++i) {
        uint8_t* entry = palette + 4 * i;
        if (i < image.Count()) {
            const ColorHistItem& c = image.Palette()[size_t(i)];
            entry[0] = c.Blue;
            entry[1] = c.Green;
            entry[2] = c.Red;
            entry[3] = 0;
        } else {
            entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
            entry[3] = 255;
        }
    }

    CWriterFile file(path, kWriteError);
    file.Write(header, sizeof header);
    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    for (int y = bitmap.Height - 1; y >= 0; --y) {
        image.IndexRow(y, row.data());
        file.Write(row.data(), row.size());
    }
    file.Commit();
}

} // namespace

void WriteBMP(const std::string& path, const CBmp& bitmap, int depth)
{
    switch (depth) {
    case 24:
        WriteBmp24(path, bitmap);
        return;
    case 8:
        WriteBmp8(path, bitmap);
        return;
    default:
        throw CTextException(ErrInternal, "Internal error.");
    }
}
