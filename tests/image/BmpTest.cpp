#include "image/WinBmp.h"

#include "base/TextException.h"
#include "formats/ImageDecoder.h"

#include "support/Bytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

namespace {

uint32_t Pixel(const CBmp& bmp, int x, int y)
{
    return bmp.Row32(y)[x];
}

TEST(BmpTest, StrideFollowsDepthAndWidth)
{
    struct Case {
        int Width, Depth, Stride;
    } cases[] = {{9, 1, 4}, {32, 1, 4}, {33, 1, 8}, {1, 8, 4}, {5, 8, 8}, {3, 32, 12}, {1, 32, 4}, {64, 1, 8}};
    for (const Case& c : cases) {
        CWinBmp bmp;
        bmp.Create(c.Width, 2, c.Depth, false);
        EXPECT_EQ(bmp.BytesPerLine(), c.Stride) << c.Width << "x" << c.Depth;
    }
}

// Rows longer than 2^31 bytes fit the default pixel cap, so no stride may
// pass through an int. Only arithmetic here: nothing of this size is allocated.
TEST(BmpTest, StridesPast2GiBStayPositive)
{
    struct Case {
        int64_t Width;
        int Depth;
        int64_t Stride;
    } cases[] = {
        {536870912, 32, int64_t(1) << 31},          // the first 32-bit width whose row needs 2^31 bytes
        {536870911, 32, (int64_t(1) << 31) - 4},
        {INT32_MAX, 32, int64_t(INT32_MAX) * 4},
        {INT32_MAX, 8, int64_t(1) << 31},           // 2^31 - 1 bytes padded to 4
        {INT32_MAX - 4, 8, (int64_t(1) << 31) - 4},
        {INT32_MAX, 1, int64_t(1) << 28},           // a partial last byte, then padded
        {INT32_MAX - 31, 1, (int64_t(1) << 28) - 4},
        {INT32_MAX - 32, 1, (int64_t(1) << 28) - 4},
        {INT32_MAX, 4, int64_t(1) << 30},
        {INT32_MAX, 24, 6442450944},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrideFor(c.Width, c.Depth), c.Stride) << c.Width << " at " << c.Depth;
    EXPECT_EQ(DibBlockSize(536870912, 1, 32), 40 + (int64_t(1) << 31));
    EXPECT_EQ(DibBlockSize(INT32_MAX, INT32_MAX, 8), int64_t(40 + 1024) + (int64_t(1) << 31) * INT32_MAX);
    EXPECT_EQ(DibBlockSize(INT32_MAX, INT32_MAX, 32), -1);  // past 2^63
    EXPECT_EQ(DibBlockSize(int64_t(INT32_MAX) + 1, 1, 8), -1);
}

// Exposes the size check every decoder runs before it allocates.
class SizeCheckDecoder : public CImageDecoder {
public:
    using CImageDecoder::CreateBitmap;
};

// Sets OCULANE_MAX_IMAGE_BYTES for one scope.
class PixelCap {
public:
    explicit PixelCap(const char* bytes)
    {
        if (const char* old = std::getenv("OCULANE_MAX_IMAGE_BYTES"))
            m_Old = old;
        setenv("OCULANE_MAX_IMAGE_BYTES", bytes, 1);
    }
    ~PixelCap()
    {
        if (m_Old)
            setenv("OCULANE_MAX_IMAGE_BYTES", m_Old->c_str(), 1);
        else
            unsetenv("OCULANE_MAX_IMAGE_BYTES");
    }

private:
    std::optional<std::string> m_Old;
};

TEST(BmpTest, RowsPast2GiBOverTheCapFailBeforeAllocating)
{
    const PixelCap cap("1048576");
    struct Case {
        int64_t Width, Height;
        int Depth;
    } cases[] = {{536870912, 1, 32}, {INT32_MAX, 1, 8}, {INT32_MAX, 1, 1}, {INT32_MAX, INT32_MAX, 32}};
    const SizeCheckDecoder decoder;
    for (const Case& c : cases) {
        CWinBmp bmp;
        bmp.Create(3, 2, 32, false);
        try {
            decoder.CreateBitmap(bmp, c.Width, c.Height, c.Depth, false);
            ADD_FAILURE() << c.Width << " at " << c.Depth << " was created";
        } catch (const CTextException& e) {
            EXPECT_EQ(e.GetCode(), ErrNoMemory) << c.Width << " at " << c.Depth;
        }
        // The old picture is still there: nothing was released or allocated.
        EXPECT_EQ(bmp.Width, 3);
        EXPECT_LT(bmp.MemoryUsed(), int64_t(1) << 20);
    }
}

TEST(BmpTest, LinesRunBottomUpInMemory)
{
    CWinBmp bmp;
    bmp.Create(3, 4, 32, false);
    EXPECT_EQ(bmp.Lines[3], bmp.GetBits());
    EXPECT_EQ(bmp.Lines[0], bmp.GetBits() + 3 * 12);
    for (int y = 1; y < 4; ++y)
        EXPECT_EQ(bmp.Lines[y - 1] - bmp.Lines[y], 12);
}

TEST(BmpTest, FreshBitmapsHaveGreyPalettes)
{
    CWinBmp bmp;
    EXPECT_EQ(bmp.Width, 16);
    EXPECT_EQ(bmp.BitsPerPixel, 8);
    EXPECT_EQ(bmp.MemoryUsed(), int64_t(40 + 1024 + 256 + sizeof(CWinBmp)));
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = bmp.Palette[i];
        ASSERT_TRUE(e.Red == i && e.Green == i && e.Blue == i && e.Alpha == 255) << i;
    }
    bmp.Create(8, 1, 1, false);
    EXPECT_EQ(bmp.Palette[0].Red, 0);
    EXPECT_EQ(bmp.Palette[1].Red, 255);
    bmp.Create(8, 1, 32, true);
    EXPECT_EQ(bmp.Palette, nullptr);
    EXPECT_TRUE(bmp.HasAlpha);
}

TEST(BmpTest, CopyFromSameDepthIsExact)
{
    CWinBmp src;
    src.Create(5, 3, 8, true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            src.Lines[y][x] = static_cast<uint8_t>(y * 5 + x);
    src.Palette[7] = PaletteEntry{1, 2, 3, 4};
    CWinBmp copy;
    copy.CopyFrom(src, 0);
    EXPECT_EQ(copy.Width, 5);
    EXPECT_EQ(copy.Height, 3);
    EXPECT_TRUE(copy.HasAlpha);
    EXPECT_EQ(copy.Lines[2][4], 14);
    EXPECT_EQ(copy.Palette[7].Alpha, 4);

    const uint8_t* before = src.Lines[0];
    src.CopyFrom(src, 0);
    EXPECT_EQ(src.Lines[0], before);
    EXPECT_EQ(src.Lines[1][1], 6);
}

TEST(BmpTest, DepthConversions)
{
    // 8 -> 32 takes whole palette entries, alpha included.
    CWinBmp eight;
    eight.Create(2, 1, 8, false);
    eight.Palette[3] = PaletteEntry{10, 20, 30, 40};
    eight.Lines[0][0] = 3;
    eight.Lines[0][1] = 200;
    CWinBmp wide;
    wide.CopyFrom(eight, 32);
    EXPECT_EQ(wide.BitsPerPixel, 32);
    EXPECT_EQ(Pixel(wide, 0, 0), 0x281E140Au);
    EXPECT_EQ(Pixel(wide, 1, 0), 0xFFC8C8C8u);

    // 1 -> 32 and 1 -> 8 use the source's two entries.
    CWinBmp one;
    one.Create(9, 1, 1, false);
    one.Palette[0] = PaletteEntry{0, 0, 255, 255};
    one.Palette[1] = PaletteEntry{255, 0, 0, 7};
    one.Lines[0][0] = 0x80;
    one.Lines[0][1] = 0x80;
    wide.CopyFrom(one, 32);
    EXPECT_EQ(Pixel(wide, 0, 0), 0x070000FFu);
    EXPECT_EQ(Pixel(wide, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(wide, 8, 0), 0x070000FFu);
    CWinBmp indexed;
    indexed.CopyFrom(one, 8);
    EXPECT_EQ(indexed.Lines[0][0], 1);
    EXPECT_EQ(indexed.Lines[0][8], 1);
    EXPECT_EQ(indexed.Lines[0][3], 0);
    EXPECT_EQ(indexed.Palette[1].Alpha, 255);
    EXPECT_EQ(indexed.Palette[1].Blue, 255);
    EXPECT_EQ(indexed.Palette[2].Red, 2); // grey ramp beyond the two entries

    // to 1 bit: dark when all three channels are below 128; palette white, black.
    CWinBmp rgb;
    rgb.Create(4, 1, 32, true);
    rgb.Row32(0)[0] = PackPixel(128, 128, 128);
    rgb.Row32(0)[1] = PackPixel(127, 127, 127);
    rgb.Row32(0)[2] = PackPixel(0, 0, 200);
    rgb.Row32(0)[3] = PackPixel(0, 0, 0, 0);
    CWinBmp mono;
    mono.CopyFrom(rgb, 1);
    EXPECT_FALSE(mono.HasAlpha);
    EXPECT_EQ(mono.Palette[0].Red, 255);
    EXPECT_EQ(mono.Palette[1].Red, 0);
    EXPECT_EQ(mono.Lines[0][0], 0x50); // pixels 1 and 3
    EXPECT_EQ(mono.Lines[0][1], 0);    // padding cleared
    CWinBmp monoFrom8;
    eight.Palette[200] = PaletteEntry{0, 0, 0, 255};
    monoFrom8.CopyFrom(eight, 1);
    EXPECT_EQ(monoFrom8.Lines[0][0], 0xC0);
}

TEST(BmpTest, ConvertingInPlaceKeepsThePicture)
{
    CWinBmp bmp;
    bmp.Create(3, 2, 8, false);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bmp.Lines[y][x] = static_cast<uint8_t>(100 + x + 10 * y);
    bmp.CopyFrom(bmp, 32);
    EXPECT_EQ(bmp.BitsPerPixel, 32);
    EXPECT_EQ(Pixel(bmp, 2, 1), PackPixel(112, 112, 112));
}

TEST(BmpTest, OctreeKeepsDistinctColoursAndAveragesTwins)
{
    // 200 colours that differ in bits 6..1 stay distinct.
    CWinBmp src;
    src.Create(200, 1, 32, false);
    std::set<uint32_t> colours;
    for (int x = 0; x < 200; ++x) {
        const uint8_t r = static_cast<uint8_t>((x % 8) * 16 + 2);
        const uint8_t g = static_cast<uint8_t>((x / 8 % 5) * 16 + 4);
        const uint8_t b = static_cast<uint8_t>((x / 40) * 16 + 8);
        src.Row32(0)[x] = PackPixel(r, g, b);
        colours.insert(PackPixel(r, g, b));
    }
    ASSERT_EQ(colours.size(), 200u);
    CWinBmp dst;
    dst.CopyFrom(src, 8);
    std::set<int> indices;
    for (int x = 0; x < 200; ++x) {
        const int i = dst.Lines[0][x];
        indices.insert(i);
        const PaletteEntry& e = dst.Palette[i];
        EXPECT_EQ(PackPixel(e.Red, e.Green, e.Blue), src.Row32(0)[x]) << x;
    }
    EXPECT_EQ(indices.size(), 200u);
    EXPECT_EQ(dst.Palette[200].Red, 200); // unused entries keep the grey ramp

    // Colours that differ only in bits 7 and 0 share a leaf and come out averaged.
    CWinBmp twins;
    twins.Create(2, 1, 32, false);
    twins.Row32(0)[0] = PackPixel(0x10, 0x20, 0x30);
    twins.Row32(0)[1] = PackPixel(0x91, 0xA1, 0xB1);
    dst.CopyFrom(twins, 8);
    EXPECT_EQ(dst.Lines[0][0], dst.Lines[0][1]);
    const PaletteEntry& e = dst.Palette[dst.Lines[0][0]];
    EXPECT_EQ(e.Red, (0x10 + 0x91) / 2);
    EXPECT_EQ(e.Green, (0x20 + 0xA1) / 2);
    EXPECT_EQ(e.Blue, (0x30 + 0xB1) / 2);
}

TEST(BmpTest, OctreeLimitsManyColoursTo256)
{
    CWinBmp src;
    src.Create(256, 64, 32, false);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            src.Row32(y)[x] = PackPixel(static_cast<uint8_t>(x), static_cast<uint8_t>(y * 4), static_cast<uint8_t>(x ^ y));
    CWinBmp dst;
    dst.CopyFrom(src, 8);
    // Each palette entry is the average of the pixels mapped to it.
    uint64_t sums[256][4] = {};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint32_t p = src.Row32(y)[x];
            uint64_t* s = sums[dst.Lines[y][x]];
            s[0] += (p >> 16) & 255, s[1] += (p >> 8) & 255, s[2] += p & 255, s[3] += 1;
        }
    int used = 0;
    for (int i = 0; i < 256; ++i) {
        if (!sums[i][3])
            continue;
        ++used;
        const PaletteEntry& e = dst.Palette[i];
        EXPECT_EQ(e.Red, sums[i][0] / sums[i][3]) << i;
        EXPECT_EQ(e.Green, sums[i][1] / sums[i][3]) << i;
        EXPECT_EQ(e.Blue, sums[i][2] / sums[i][3]) << i;
    }
    EXPECT_GT(used, 128);
}

TEST(BmpTest, SaveAsBmpWritesExactBytes)
{
    TempFolder dir;
    CWinBmp bmp;
    bmp.Create(3, 1, 32, false);
    bmp.Row32(0)[0] = PackPixel(1, 2, 3);
    bmp.Row32(0)[1] = PackPixel(4, 5, 6);
    bmp.Row32(0)[2] = PackPixel(7, 8, 9);
    const std::string path = dir.File("rgb.bmp");
    bmp.SaveAsBMP(path);
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    ASSERT_EQ(bytes.size(), 66u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(GetLE32ForTest(bytes, 2), 66u);
    EXPECT_EQ(GetLE32ForTest(bytes, 10), 54u);
    EXPECT_EQ(GetLE32ForTest(bytes, 14), 40u);
    EXPECT_EQ(bytes[28], 24);
    const std::vector<uint8_t> pixels(bytes.begin() + 54, bytes.end());
    EXPECT_EQ(pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 0x20, 0x00, 0x00}));

    // 8-bit: header, 256 palette entries and rows as stored.
    CWinBmp grey;
    grey.Create(2, 2, 8, false);
    grey.Lines[0][0] = 9;
    grey.Lines[1][0] = 5;
    grey.SaveAsBMP(path);
    const std::vector<uint8_t> g = TempFolder::Read(path);
    ASSERT_EQ(g.size(), 54u + 1024u + 8u);
    EXPECT_EQ(GetLE32ForTest(g, 10), 54u + 1024u);
    EXPECT_EQ(g[54 + 1024], 5); // bottom row first
    EXPECT_EQ(g[54 + 1024 + 4], 9);
}

TEST(BmpTest, FailedSaveLeavesNoFile)
{
    TempFolder dir;
    CWinBmp bmp;
    EXPECT_THROW(bmp.SaveAsBMP(dir.File("missing/x.bmp")), CTextException);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

TEST(BmpTest, ResolutionIsStoredAsPixelsPerMetre)
{
    CWinBmp bmp;
    bmp.SetResolution(96, 300);
    EXPECT_EQ(GetLE32ForTest(bmp.GetBitmapInfo(), 24), 3780u);
    EXPECT_EQ(GetLE32ForTest(bmp.GetBitmapInfo(), 28), 11811u);
}

} // namespace
