// 8-bit BMP, TGA, PCX and Sun raster files: images of at most 256 colours
// reopen exactly and say 8 bits, colour-mapped; the palettes sit where
// readers look for them; larger images come back reduced.
#include "save/WriterImages.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "image/MedianCut.h"
#include "save/PaletteImage.h"
#include "save/TgaWriter.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace {

// Pixel i has colour i mod colors; alpha bytes vary although the image has none.
std::unique_ptr<CWinBmp> ColorsImage(int width, int height, int colors)
{
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int i = (y * width + x) % colors;
            bmp->Row32(y)[x] = PackPixel(uint8_t(i), uint8_t(i * 7), uint8_t(i * 13), uint8_t(x * 31 + y));
        }
    return bmp;
}

std::vector<uint32_t> OpaquePixels(const CBmp& bmp)
{
    std::vector<uint32_t> pixels = Pixels32(bmp);
    for (uint32_t& p : pixels)
        p |= 0xFF000000u;
    return pixels;
}

uint32_t BE32(const std::vector<uint8_t>& f, size_t at)
{
    return uint32_t(f[at]) << 24 | uint32_t(f[at + 1]) << 16 | uint32_t(f[at + 2]) << 8 | f[at + 3];
}

SaveOptions Eight(bool rle)
{
    SaveOptions o;
    o.Depth = 8;
    o.Rle = rle;
    return o;
}

// PCX: up to 16 colours as 1-bit planes, one per bit of the largest index.
int PcxPlanes(int colors)
{
    return colors > 16 ? 1 : PaletteBits(colors);
}

struct EightBitCase {
    const char* Name;
    ImageFormat Format;
    const char* File;
    bool Rle;
    // The header says 8 bits (PCX: its layout for the colour count), colour-mapped.
    std::function<void(const std::vector<uint8_t>&, int colors)> CheckHeader;
};

const EightBitCase kCases[] = {
    {"bmp", ImageFormat::BMP, "a.bmp", false,
     [](const std::vector<uint8_t>& f, int) {
         EXPECT_EQ(GetLE16(&f[28]), 8);
         EXPECT_EQ(GetLE32(&f[10]), 54u + 1024u);
     }},
    {"tga", ImageFormat::TGA, "a.tga", false,
     [](const std::vector<uint8_t>& f, int colors) {
         EXPECT_EQ(f[1], 1);
         EXPECT_EQ(f[2], 1);
         EXPECT_EQ(GetLE16(&f[5]), colors);
         EXPECT_EQ(f[16], 8);
     }},
    {"tga rle", ImageFormat::TGA, "b.tga", true,
     [](const std::vector<uint8_t>& f, int) {
         EXPECT_EQ(f[1], 1);
         EXPECT_EQ(f[2], 9);
         EXPECT_EQ(f[16], 8);
     }},
    {"pcx", ImageFormat::PCX, "a.pcx", false,
     [](const std::vector<uint8_t>& f, int colors) {
         EXPECT_EQ(f[3], colors > 16 ? 8 : 1);
         EXPECT_EQ(f[65], PcxPlanes(colors));
     }},
    {"ras", ImageFormat::RAS, "a.ras", false,
     [](const std::vector<uint8_t>& f, int) {
         EXPECT_EQ(BE32(f, 12), 8u);
         EXPECT_EQ(BE32(f, 20), 1u);
         EXPECT_EQ(BE32(f, 24), 1u);
     }},
    {"ras rle", ImageFormat::RAS, "b.ras", true,
     [](const std::vector<uint8_t>& f, int) {
         EXPECT_EQ(BE32(f, 12), 8u);
         EXPECT_EQ(BE32(f, 20), 2u);
     }},
};

TEST(EightBitWriters, FewColoursReopenExactly)
{
    struct Size {
        int Width, Height, Colors;
    };
    // Every PCX plane count and both sides of 16; widths that leave part of
    // a plane byte, an odd row for BMP and raster padding.
    const Size sizes[] = {{1, 1, 1}, {9, 3, 2}, {7, 2, 3}, {13, 5, 8}, {17, 4, 16}, {5, 7, 17}, {301, 9, 256}};
    TempFolder folder;
    for (const EightBitCase& c : kCases)
        for (const Size& s : sizes) {
            SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(s.Colors) + " colours");
            const auto image = ColorsImage(s.Width, s.Height, s.Colors);
            const std::string path = folder.File(c.File);
            ASSERT_NO_THROW(SaveAs(c.Format, *image, path, Eight(c.Rle)));
            const std::vector<uint8_t> file = TempFolder::Read(path);
            ASSERT_GE(file.size(), 18u);
            c.CheckHeader(file, s.Colors);
            const DecodeResult back = DecodePath(path);
            ASSERT_TRUE(back.Ok()) << back.Text;
            ASSERT_EQ(back.Bitmap.Width, s.Width);
            ASSERT_EQ(back.Bitmap.Height, s.Height);
            EXPECT_EQ(OpaquePixels(back.Bitmap), OpaquePixels(*image));
        }
}

// More than 256 colours: the file holds the median-cut reduction.
TEST(EightBitWriters, ManyColoursAreReduced)
{
    const auto image = MakeTestImage(97, 61, false);
    CWinBmp reduced;
    reduced.Create(image->Width, image->Height, 32, false);
    QuantizeImage(*image, reduced);
    TempFolder folder;
    for (const EightBitCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        ASSERT_NO_THROW(SaveAs(c.Format, *image, folder.File(c.File), Eight(c.Rle)));
        const DecodeResult back = DecodePath(folder.File(c.File));
        ASSERT_TRUE(back.Ok()) << back.Text;
        const std::vector<uint32_t> pixels = OpaquePixels(back.Bitmap);
        EXPECT_LE(std::set<uint32_t>(pixels.begin(), pixels.end()).size(), 256u);
        EXPECT_EQ(pixels, OpaquePixels(reduced));
    }
}

// Where each format keeps its palette, for a 3 × 2 image of c colours.
TEST(EightBitWriters, PaletteLayout)
{
    TempFolder folder;
    auto write = [&](ImageFormat format, const char* name, int colors) {
        const auto image = ColorsImage(3, 2, colors);
        SaveAs(format, *image, folder.File(name), Eight(false));
        return std::make_pair(CPaletteImage(*image).Palette(), TempFolder::Read(folder.File(name)));
    };

    // BMP: a full 256-entry table, the image's colours then the grey ramp;
    // rows of 4 bytes.
    {
        const auto [palette, f] = write(ImageFormat::BMP, "a.bmp", 2);
        ASSERT_EQ(f.size(), 54u + 1024u + 2u * 4u);
        EXPECT_EQ(GetLE32(&f[2]), f.size());
        for (size_t i = 0; i < 2; ++i)
            EXPECT_EQ(GetLE32(&f[54 + 4 * i]), uint32_t(palette[i].Red) << 16 | palette[i].Green << 8 | palette[i].Blue);
        for (uint32_t i = 2; i < 256; ++i)
            EXPECT_EQ(GetLE32(&f[54 + 4 * i]), 0xFF000000u | i << 16 | i << 8 | i) << i;
    }
    // TGA: a colour map of the image's colours only, blue, green, red.
    {
        const auto [palette, f] = write(ImageFormat::TGA, "a.tga", 3);
        ASSERT_EQ(f.size(), 18u + 3u * 3u + 6u);
        EXPECT_EQ(GetLE16(&f[3]), 0);
        EXPECT_EQ(f[7], 24);
        EXPECT_EQ(f[17], 0);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ((std::vector<uint8_t>(f.begin() + 18 + 3 * i, f.begin() + 21 + 3 * i)),
                      (std::vector<uint8_t>{palette[i].Blue, palette[i].Green, palette[i].Red}));
    }
    // PCX of 17 colours: 0x0C and 256 red, green, blue entries close the
    // file, zeros past the colours; the header holds the first 16.
    {
        const auto image = ColorsImage(17, 1, 17);
        SaveAs(ImageFormat::PCX, *image, folder.File("a.pcx"), Eight(false));
        const ColorHistogram palette = CPaletteImage(*image).Palette();
        const std::vector<uint8_t> f = TempFolder::Read(folder.File("a.pcx"));
        ASSERT_GT(f.size(), 128u + 769u);
        EXPECT_EQ(GetLE16(&f[66]), 17);
        const size_t end = f.size() - 769;
        EXPECT_EQ(f[end], 0x0C);
        for (size_t i = 0; i < 256; ++i) {
            const std::vector<uint8_t> want = i < 17 ? std::vector<uint8_t>{palette[i].Red, palette[i].Green, palette[i].Blue}
                                                     : std::vector<uint8_t>{0, 0, 0};
            EXPECT_EQ((std::vector<uint8_t>(f.begin() + end + 1 + 3 * i, f.begin() + end + 4 + 3 * i)), want) << i;
            if (i < 16) {
                EXPECT_EQ((std::vector<uint8_t>(f.begin() + 16 + 3 * i, f.begin() + 19 + 3 * i)), want) << i;
            }
        }
    }
    // Sun raster: a 768-byte map of reds, greens, blues, zeros past the
    // colours; rows padded to even length.
    {
        const auto [palette, f] = write(ImageFormat::RAS, "a.ras", 3);
        EXPECT_EQ(BE32(f, 28), 768u);
        EXPECT_EQ(BE32(f, 16), 2u * 4u);
        ASSERT_EQ(f.size(), 32u + 768u + 8u);
        for (size_t i = 0; i < 256; ++i) {
            EXPECT_EQ(f[32 + i], i < 3 ? palette[i].Red : 0) << i;
            EXPECT_EQ(f[32 + 256 + i], i < 3 ? palette[i].Green : 0) << i;
            EXPECT_EQ(f[32 + 512 + i], i < 3 ? palette[i].Blue : 0) << i;
        }
    }
}

// Single indices between runs of two: a packet byte for every 1.5 pixels.
TEST(EightBitWriters, TgaRowFitsItsBound)
{
    std::vector<uint8_t> row;
    for (int i = 0; i < 300; ++i)
        row.insert(row.end(), {uint8_t(3 * i), uint8_t(3 * i + 1), uint8_t(3 * i + 1)});
    std::vector<uint8_t> out(TgaRleBound(row.size(), 1));
    ASSERT_GE(out.size(), 4u * 300u);
    EXPECT_EQ(EncodeTgaRow(row.data(), row.size(), 1, out.data()), 4u * 300u);
}

// Header limits are checked before anything is reduced or a file is made.
TEST(EightBitWriters, TooLargeMakesNoFile)
{
    struct Case {
        ImageFormat Format;
        const char* File;
        int Width, Height;
    };
    const Case cases[] = {{ImageFormat::TGA, "a.tga", 65536, 1}, {ImageFormat::PCX, "a.pcx", 1, 65536}};
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        const auto image = ColorsImage(c.Width, c.Height, 2);
        try {
            SaveAs(c.Format, *image, folder.File(c.File), Eight(false));
            ADD_FAILURE() << "written";
        } catch (const CTextException& e) {
            EXPECT_EQ(e.GetCode(), ErrUnsupported);
        }
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    }
}

} // namespace
