// The bytes of written GIF files: screen and table sizes, code size,
// sub-blocks, the LZW codes and the interlaced row order.
#include "save/GifLzw.h"
#include "save/GifWriter.h"

#include "base/LittleEndian.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// An image whose row y has colour colors[y % colors.size()].
std::unique_ptr<CWinBmp> Striped(int width, int height, const std::vector<uint32_t>& colors)
{
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        std::fill(bmp->Row32(y), bmp->Row32(y) + width, colors[size_t(y) % colors.size()]);
    return bmp;
}

std::vector<uint32_t> Greys(int count)
{
    std::vector<uint32_t> greys;
    for (int i = 0; i < count; ++i)
        greys.push_back(PackPixel(uint8_t(i), uint8_t(i), uint8_t(i)));
    return greys;
}

std::vector<uint8_t> Write(const CBmp& bmp, bool interlaced)
{
    TempFolder folder;
    WriteGIF(folder.File("a.gif"), bmp, interlaced);
    return TempFolder::Read(folder.File("a.gif"));
}

TEST(GifWriter, ScreenTableAndCodeSize)
{
    struct Case {
        int Colors;
        uint8_t Packed;
        uint8_t CodeSize;
    };
    const Case cases[] = {{1, 0x80, 2}, {2, 0x80, 2}, {3, 0x91, 2}, {5, 0xA2, 3}, {17, 0xC4, 5}, {256, 0xF7, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Colors);
        const auto bmp = Striped(3, c.Colors, Greys(c.Colors));
        const std::vector<uint8_t> file = Write(*bmp, false);
        ASSERT_GT(file.size(), 13u);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF87a");
        EXPECT_EQ(GetLE16(&file[6]), 3);
        EXPECT_EQ(GetLE16(&file[8]), c.Colors);
        EXPECT_EQ(file[10], c.Packed);
        const size_t table = 3u << ((c.Packed & 7) + 1);
        const size_t descriptor = 13 + table;
        ASSERT_GT(file.size(), descriptor + 11);
        EXPECT_EQ(file[descriptor], ',');
        EXPECT_EQ(file[descriptor + 9], 0);
        EXPECT_EQ(file[descriptor + 10], c.CodeSize);
        EXPECT_EQ(file[file.size() - 2], 0);
        EXPECT_EQ(file.back(), ';');
    }
}

TEST(GifWriter, LzwCodes)
{
    // Clear (4), 0, the new string "0 0" (6), 0, then 1 once the codes are
    // 4 bits wide, and the end code (5): 3 + 3 + 3 + 3 + 4 + 4 bits.
    CGifLzwEncoder lzw(2);
    const uint8_t pixels[] = {0, 0, 0, 0, 1};
    lzw.Add(pixels, 2);
    lzw.Add(pixels + 2, 3);  // strings continue across calls
    lzw.Finish();
    EXPECT_EQ(lzw.Output, (std::vector<uint8_t>{3, 0x84, 0x11, 0x05}));
}

// Noise of 256 colours fills the 4096 codes again and again: every
// sub-block but the last is 254 bytes and the pixels come back.
TEST(GifWriter, FullTablesAndSubBlocks)
{
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(256, 200, 32, false);
    uint32_t seed = 7;
    for (int y = 0; y < bmp->Height; ++y)
        for (int x = 0; x < bmp->Width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint8_t v = uint8_t(seed >> 16);
            bmp->Row32(y)[x] = PackPixel(v, v, v);
        }
    TempFolder folder;
    WriteGIF(folder.File("a.gif"), *bmp, false);
    const std::vector<uint8_t> file = TempFolder::Read(folder.File("a.gif"));
    size_t p = 13 + 768 + 11;
    size_t blocks = 0;
    while (p < file.size() && file[p] != 0) {
        if (file[p + 1 + file[p]] != 0) {
            ASSERT_EQ(file[p], 254) << "block " << blocks;
        }
        p += 1 + file[p];
        ++blocks;
    }
    EXPECT_GT(blocks, 200u);
    EXPECT_EQ(p + 2, file.size());
    const DecodeResult back = DecodePath(folder.File("a.gif"));
    ASSERT_TRUE(back.Ok()) << back.Text;
    EXPECT_EQ(Pixels32(back.Bitmap), Pixels32(*bmp));
}

// An interlaced file holds the rows in the order 0, 8, …; 4, 12, …; 2, 6,
// …; 1, 3, …: the same data as a plain file of the rows in that order.
TEST(GifWriter, InterlacedRowOrder)
{
    const std::vector<uint32_t> greys = Greys(11);
    for (int height : {3, 11}) {
        SCOPED_TRACE(height);
        const std::vector<int> order = height == 3 ? std::vector<int>{0, 2, 1}
                                                   : std::vector<int>{0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9};
        std::vector<uint32_t> reordered;
        for (int y : order)
            reordered.push_back(greys[size_t(y)]);
        const std::vector<uint8_t> interlaced = Write(*Striped(5, height, greys), true);
        const std::vector<uint8_t> plain = Write(*Striped(5, height, reordered), false);
        ASSERT_EQ(interlaced.size(), plain.size());
        const size_t flag = 13 + (3u << ((plain[10] & 7) + 1)) + 9;
        EXPECT_EQ(interlaced[flag], 0x40);
        EXPECT_EQ(plain[flag], 0);
        EXPECT_TRUE(std::equal(interlaced.begin() + flag + 1, interlaced.end(), plain.begin() + flag + 1));
    }
}

} // namespace
