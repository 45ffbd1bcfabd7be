#include "base/TextException.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Dib(int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t colorsUsed,
                         int32_t ppm, const std::vector<uint8_t>& rest)
{
    ByteWriter b;
    b.LE32(40).LE32(uint32_t(w)).LE32(uint32_t(h)).LE16(1).LE16(bits).LE32(compression).LE32(0);
    b.LE32(uint32_t(ppm)).LE32(uint32_t(ppm)).LE32(colorsUsed).LE32(0).Append(rest);
    return b.Bytes();
}

TEST(DibImportTest, EightBitTakesFullPaletteAndPixels)
{
    ByteWriter rest;
    for (int i = 0; i < 256; ++i)
        rest.U8s({uint8_t(i), 0, uint8_t(255 - i), 0});
    rest.U8s({7, 9, 0, 0, 1, 2, 0, 0}); // bottom row, then top row
    const std::vector<uint8_t> dib = Dib(2, 2, 8, 0, 0, 0, rest.Bytes());
    CWinBmp bmp;
    bmp.CreateFromGlobalDIB(dib.data(), dib.size());
    EXPECT_EQ(bmp.BitsPerPixel, 8);
    EXPECT_EQ(bmp.SourceBitsPerPixel, 8);
    EXPECT_EQ(bmp.Lines[0][0], 1);
    EXPECT_EQ(bmp.Lines[1][1], 9);
    EXPECT_EQ(bmp.Palette[9].Blue, 9);
    EXPECT_EQ(bmp.Palette[9].Red, 246);
    // No resolution in the source means 96 dpi.
    EXPECT_EQ(GetLE32ForTest(bmp.GetBitmapInfo(), 24), 3780u);
}

TEST(DibImportTest, TrueColourBecomes32Bits)
{
    const std::vector<uint8_t> dib24 = Dib(1, 1, 24, 0, 0, 11811, {1, 2, 3, 0});
    CWinBmp bmp;
    bmp.CreateFromGlobalDIB(dib24.data(), dib24.size());
    EXPECT_EQ(bmp.BitsPerPixel, 32);
    EXPECT_EQ(bmp.SourceBitsPerPixel, 24);
    EXPECT_EQ(bmp.Row32(0)[0], 0xFF030201u);
    EXPECT_EQ(GetLE32ForTest(bmp.GetBitmapInfo(), 24), 11811u);

    const std::vector<uint8_t> dib16 = Dib(2, 1, 16, 0, 0, 0, {0x00, 0x7C, 0x1F, 0x00});
    bmp.CreateFromGlobalDIB(dib16.data(), dib16.size());
    EXPECT_EQ(bmp.Row32(0)[0], 0xFFFF0000u);
    EXPECT_EQ(bmp.Row32(0)[1], 0xFF0000FFu);

    const std::vector<uint8_t> top = Dib(1, -2, 32, 0, 0, 0, {1, 1, 1, 0, 2, 2, 2, 0});
    bmp.CreateFromGlobalDIB(top.data(), top.size());
    EXPECT_EQ(bmp.Row32(0)[0] & 0xFFFFFF, 0x010101u);
}

TEST(DibImportTest, DamagedBlocksAreRefused)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } cases[] = {
        {"short header", std::vector<uint8_t>(20, 0)},
        {"pixels cut short", Dib(100, 100, 24, 0, 0, 0, std::vector<uint8_t>(100, 0))},
        {"palette cut short", Dib(1, 1, 8, 0, 0, 0, std::vector<uint8_t>(16, 0))},
        {"run-length data", Dib(1, 1, 8, 1, 0, 0, std::vector<uint8_t>(2000, 0))},
        {"zero width", Dib(0, 1, 24, 0, 0, 0, std::vector<uint8_t>(8, 0))},
        {"odd depth", Dib(1, 1, 7, 0, 0, 0, std::vector<uint8_t>(800, 0))},
    };
    for (const Case& c : cases) {
        CWinBmp bmp;
        EXPECT_THROW(bmp.CreateFromGlobalDIB(c.Bytes.data(), c.Bytes.size()), CTextException) << c.Name;
    }
}

} // namespace
