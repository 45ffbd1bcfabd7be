#include "save/GifWriter.h"

#include "base/LittleEndian.h"
#include "image/Bmp.h"
#include "save/GifLzw.h"
#include "save/PaletteImage.h"
#include "save/WriterFile.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* kWriteError = "Error writing image.";

// The four passes of an interlaced image: first row and step.
constexpr int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

} // namespace

void WriteGIF(const std::string& path, const CBmp& bitmap, bool interlaced)
{
    CheckImageSize(bitmap, kMaxSide16, kMaxSide16);
    // The palette before the file: a reduction that fails leaves nothing behind.
    const CPaletteImage image(bitmap);
    const int bits = PaletteBits(image.Count());
    const int codeSize = std::max(bits, 2);
    const int width = bitmap.Width, height = bitmap.Height;

    std::vector<uint8_t> head = {'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0,
                                 uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1)), 0, 0};
    PutLE16(&head[6], uint16_t(width));
    PutLE16(&head[8], uint16_t(height));
    // Entries past the image's colours are black; no pixel uses them.
    std::vector<uint8_t> table(3u << bits, 0);
    for (size_t i = 0; i < image.Palette().size(); ++i) {
        const ColorHistItem& c = image.Palette()[i];
        table[3 * i] = c.Red;
        table[3 * i + 1] = c.Green;
        table[3 * i + 2] = c.Blue;
    }
    head.insert(head.end(), table.begin(), table.end());
    uint8_t descriptor[11] = {',', 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(interlaced ? 0x40 : 0), uint8_t(codeSize)};
    PutLE16(descriptor + 5, uint16_t(width));
    PutLE16(descriptor + 7, uint16_t(height));
    head.insert(head.end(), descriptor, descriptor + sizeof descriptor);

    CWriterFile file(path, kWriteError);
    file.Write(head.data(), head.size());
    CGifLzwEncoder lzw(codeSize);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    auto addRow = [&](int y) {
        image.IndexRow(y, row.data());
        lzw.Add(row.data(), row.size());
        if (lzw.Output.size() >= 1 << 16) {
            file.Write(lzw.Output.data(), lzw.Output.size());
            lzw.Output.clear();
        }
    };
    if (interlaced) {
        for (const auto& pass : kPasses)
            for (int y = pass[0]; y < height; y += pass[1])
                addRow(y);
    } else {
        for (int y = 0; y < height; ++y)
            addRow(y);
    }
    lzw.Finish();
    lzw.Output.push_back(0);
    lzw.Output.push_back(';');
    file.Write(lzw.Output.data(), lzw.Output.size());
    file.Commit();
}
