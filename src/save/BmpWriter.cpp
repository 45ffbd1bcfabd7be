#include "save/BmpWriter.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "image/WinBmp.h"
#include "save/RowPack.h"
#include "save/WriterFile.h"

#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr const char* kWriteError = "Error writing image.";

// Row padding as our BMP files have always had it.
const uint8_t kPadding[3] = {0x20, 0x00, 0x00};

void WriteBmp24(const std::string& path, const CBmp& bitmap)
{
    CheckImageSize(bitmap, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    const int64_t stride = (int64_t(3) * bitmap.Width + 3) & ~int64_t(3);
    const int64_t imageBytes = stride * bitmap.Height;
    // The file size field is 32 bits.
    if (imageBytes > int64_t(std::numeric_limits<uint32_t>::max()) - kHeadersSize)
        throw CTextException(ErrUnsupported, "Image is too large for this file format.");

    uint8_t header[kHeadersSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutLE32(header + 2, static_cast<uint32_t>(kHeadersSize + imageBytes));
    PutLE32(header + 10, kHeadersSize);
    uint8_t* info = header + kFileHeaderSize;
    PutLE32(info, kInfoHeaderSize);
    PutLE32(info + 4, static_cast<uint32_t>(bitmap.Width));
    PutLE32(info + 8, static_cast<uint32_t>(bitmap.Height));
    PutLE16(info + 12, 1);
    PutLE16(info + 14, 24);
    PutLE32(info + 20, static_cast<uint32_t>(imageBytes));
    // The resolution the image came with, when it has one.
    if (const auto* win = dynamic_cast<const CWinBmp*>(&bitmap); win && win->GetBitmapInfo())
        std::memcpy(info + 24, win->GetBitmapInfo() + 24, 8);

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

} // namespace

void WriteBMP(const std::string& path, const CBmp& bitmap, int depth)
{
    switch (depth) {
    case 24:
        WriteBmp24(path, bitmap);
        return;
    case 8:
        // The palette layout comes with the colour reduction it needs.
        throw CTextException(ErrUnsupported, "Can't write 8-bit images yet.");
    default:
        throw CTextException(ErrInternal, "Internal error.");
    }
}
