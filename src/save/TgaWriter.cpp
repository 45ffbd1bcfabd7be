#include "save/TgaWriter.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/PaletteImage.h"
#include "save/RowPack.h"
#include "save/WriterFile.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr size_t kMaxPacket = 128;
constexpr int kHeaderSize = 18;
constexpr const char* kWriteError = "Error writing image.";

template <size_t N>
bool Same(const uint8_t* a, const uint8_t* b)
{
    if constexpr (N == 4) {
        uint32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x == y;
    } else {
        return std::memcmp(a, b, N) == 0;
    }
}

template <size_t N>
size_t RunAt(const uint8_t* pixels, size_t x, size_t count)
{
    size_t run = 1;
    while (x + run < count && run < kMaxPacket && Same<N>(pixels + (x + run) * N, pixels + x * N))
        ++run;
    return run;
}

// Runs are taken greedily from the left; pixels that start a run of one are
// gathered into raw groups.
template <size_t N>
size_t EncodeRow(const uint8_t* pixels, size_t count, uint8_t* out)
{
    uint8_t* o = out;
    size_t x = 0;
    while (x < count) {
        const size_t run = RunAt<N>(pixels, x, count);
        if (run >= 2) {
            *o++ = static_cast<uint8_t>(127 + run);
            std::memcpy(o, pixels + x * N, N);
            o += N;
            x += run;
            continue;
        }
        const size_t start = x;
        size_t n = 1;
        ++x;
        while (x < count && n < kMaxPacket && RunAt<N>(pixels, x, count) == 1) {
            ++n;
            ++x;
        }
        *o++ = static_cast<uint8_t>(n - 1);
        std::memcpy(o, pixels + start * N, n * N);
        o += n * N;
    }
    return static_cast<size_t>(o - out);
}

// Blue, green, red, alpha; the fourth byte says opaque when the image has no alpha.
void PackBgra(const uint8_t* bgra, uint8_t* out, int width, bool alpha)
{
    std::memcpy(out, bgra, size_t(4) * static_cast<size_t>(width));
    if (!alpha)
        for (int x = 0; x < width; ++x)
            out[4 * x + 3] = 255;
}

} // namespace

size_t EncodeTgaRow(const uint8_t* pixels, size_t count, size_t pixelBytes, uint8_t* out)
{
    switch (pixelBytes) {
    case 1:
        return EncodeRow<1>(pixels, count, out);
    case 3:
        return EncodeRow<3>(pixels, count, out);
    case 4:
        return EncodeRow<4>(pixels, count, out);
    default:
        throw CTextException(ErrInternal, "Can't happen.");
    }
}

void WriteTGA(const std::string& path, const CBmp& bitmap, bool rle, int depth)
{
    if (depth != 8 && depth != 24 && depth != 32)
        throw CTextException(ErrInternal, "Bad Pixel Depth.");
    CheckImageSize(bitmap, kMaxSide16, kMaxSide16);
    // The palette before the file: a reduction that fails leaves nothing behind.
    std::optional<CPaletteImage> image;
    if (depth == 8)
        image.emplace(bitmap);

    const size_t pixelBytes = static_cast<size_t>(depth / 8);
    const size_t width = static_cast<size_t>(bitmap.Width);
    std::vector<uint8_t> header(kHeaderSize, 0);
    header[2] = static_cast<uint8_t>((image ? 1 : 2) + (rle ? 8 : 0));
    PutLE16(&header[12], static_cast<uint16_t>(bitmap.Width));
    PutLE16(&header[14], static_cast<uint16_t>(bitmap.Height));
    header[16] = static_cast<uint8_t>(depth);
    // Rows from the bottom; eight alpha bits declared only when they mean
    // something (an image without alpha is written opaque).
    header[17] = depth == 32 && bitmap.HasAlpha ? 8 : 0;
    if (image) {
        // The colour map: blue, green, red per entry, only the image's colours.
        header[1] = 1;
        PutLE16(&header[5], static_cast<uint16_t>(image->Count()));
        header[7] = 24;
        for (const ColorHistItem& c : image->Palette())
            header.insert(header.end(), {c.Blue, c.Green, c.Red});
    }

    std::vector<uint8_t> row(width * pixelBytes);
    std::vector<uint8_t> packed(rle ? TgaRleBound(width, pixelBytes) : 0);
    CWriterFile file(path, kWriteError);
    file.Write(header.data(), header.size());
    for (int y = bitmap.Height - 1; y >= 0; --y) {
        if (image)
            image->IndexRow(y, row.data());
        else if (depth == 32)
            PackBgra(bitmap.Lines[y], row.data(), bitmap.Width, bitmap.HasAlpha);
        else
            PackBgr(bitmap.Lines[y], row.data(), bitmap.Width);
        if (rle)
            file.Write(packed.data(), EncodeTgaRow(row.data(), width, pixelBytes, packed.data()));
        else
            file.Write(row.data(), row.size());
    }
    file.Commit();
}
