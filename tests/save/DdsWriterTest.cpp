// Written DDS files: header fields, block bytes of the compressor, edge
// blocks, alpha and its absence, flipped rows and the mip-map chain.
#include "save/DdsWriter.h"
#include "save/DxtEncoder.h"

#include "base/LittleEndian.h"
#include "base/TextException.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// Flat 4 × 4 blocks of colours exact in 5:6:5 (the 5- and 6-bit values with
// their top bits repeated below, as the reader widens them), alpha a multiple of 17.
std::unique_ptr<CWinBmp> FlatBlocks(int width, int height, bool hasAlpha)
{
    const auto widen5 = [](int v) { return uint8_t((v << 3) | (v >> 2)); };
    const auto widen6 = [](int v) { return uint8_t((v << 2) | (v >> 4)); };
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(width, height, 32, hasAlpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int b = x / 4 + 5 * (y / 4);
            bmp->Row32(y)[x] = PackPixel(widen5((b * 40 & 0xF8) >> 3), widen6((b * 92 & 0xFC) >> 2),
                                         widen5((b * 24 & 0xF8) >> 3), uint8_t(17 * (b % 16)));
        }
    return bmp;
}

std::vector<uint8_t> Write(const CBmp& bmp, int format, bool flip = false, bool mipMaps = false)
{
    TempFolder folder;
    WriteDDS(folder.File("a.dds"), bmp, format, flip, mipMaps);
    return TempFolder::Read(folder.File("a.dds"));
}

TEST(DdsWriter, Header)
{
    struct Case {
        int Width, Height, Format;
        const char* Code;
        uint32_t LinearSize;
    };
    const Case cases[] = {{5, 3, 2, "DXT1", 16}, {5, 3, 4, "DXT3", 32}, {5, 3, 6, "DXT5", 32},
                          {8, 8, 2, "DXT1", 32}, {1, 1, 6, "DXT5", 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        const std::vector<uint8_t> f = Write(*FlatBlocks(c.Width, c.Height, true), c.Format);
        ASSERT_EQ(f.size(), 128 + c.LinearSize);
        EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "DDS ");
        EXPECT_EQ(GetLE32(&f[4]), 124u);
        EXPECT_EQ(GetLE32(&f[8]), 0x81007u);
        EXPECT_EQ(GetLE32(&f[12]), uint32_t(c.Height));
        EXPECT_EQ(GetLE32(&f[16]), uint32_t(c.Width));
        EXPECT_EQ(GetLE32(&f[20]), c.LinearSize);
        EXPECT_EQ(GetLE32(&f[28]), 1u);
        EXPECT_EQ(GetLE32(&f[76]), 32u);
        EXPECT_EQ(GetLE32(&f[80]), 4u);
        EXPECT_EQ(std::string(f.begin() + 84, f.begin() + 88), c.Code);
        EXPECT_EQ(GetLE32(&f[108]), 0x1000u);
    }
}

TEST(DdsWriter, UnknownFormatMakesNoFile)
{
    TempFolder folder;
    try {
        WriteDDS(folder.File("a.dds"), *FlatBlocks(4, 4, false), 3, false, false);
        ADD_FAILURE() << "written";
    } catch (const CTextException& e) {
        EXPECT_EQ(e.GetCode(), ErrInternal);
        EXPECT_EQ(e.GetText(), "Error writing dds header.");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

std::vector<uint8_t> Block(const uint32_t (&pixels)[16], DxtAlpha alpha)
{
    std::vector<uint8_t> out(size_t(DxtBlockBytes(alpha)));
    EncodeDxtBlock(pixels, alpha, out.data());
    return out;
}

TEST(DdsWriter, Blocks)
{
    uint32_t pixels[16];
    // Two colours: the endpoints, opaque colour 0 above colour 1.
    for (int k = 0; k < 16; ++k)
        pixels[k] = k < 8 ? 0xFF000000u : 0xFFF8FCF8u;
    EXPECT_EQ(Block(pixels, DxtAlpha::None), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0x55, 0x55, 0, 0}));
    // One pixel of alpha 100: index 3 and colour 0 ≤ colour 1.
    pixels[5] = 0x64F8FCF8u;
    const std::vector<uint8_t> dxt1 = Block(pixels, DxtAlpha::None);
    EXPECT_LE(GetLE16(&dxt1[0]), GetLE16(&dxt1[2]));
    EXPECT_EQ((GetLE32(&dxt1[4]) >> 10) & 3, 3u);
    EXPECT_EQ(dxt1, (std::vector<uint8_t>{0, 0, 0xFF, 0xFF, 0, 0x0C, 0x55, 0x55}));
    // Explicit alpha: the top four bits, the first pixel of a pair low.
    for (int k = 0; k < 16; ++k)
        pixels[k] = uint32_t(k * 17) << 24;
    const std::vector<uint8_t> dxt3 = Block(pixels, DxtAlpha::Explicit);
    EXPECT_EQ(std::vector<uint8_t>(dxt3.begin(), dxt3.begin() + 8),
              (std::vector<uint8_t>{0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}));
    // Interpolated alpha all 200: both ends 200, every index 0.
    for (uint32_t& p : pixels)
        p = 0xC8000000u;
    const std::vector<uint8_t> dxt5 = Block(pixels, DxtAlpha::Interpolated);
    EXPECT_EQ(std::vector<uint8_t>(dxt5.begin(), dxt5.begin() + 8), (std::vector<uint8_t>{200, 200, 0, 0, 0, 0, 0, 0}));
    // Alphas 0 and 255 in the corners: ends 255 and 0, indices 1 and 0.
    pixels[0] = 0;
    pixels[15] = 0xFF000000u;
    const std::vector<uint8_t> ends = Block(pixels, DxtAlpha::Interpolated);
    EXPECT_EQ(ends[0], 255);
    EXPECT_EQ(ends[1], 0);
    EXPECT_EQ(ends[2] & 7, 1);       // pixel 0
    EXPECT_EQ(ends[7] >> 5, 0);      // pixel 15
}

// Blocks past the edge repeat the last column and row.
TEST(DdsWriter, EdgeBlocksRepeatTheEdge)
{
    const auto bmp = FlatBlocks(5, 3, true);
    bmp->Row32(2)[4] = 0xFF0000F8u;
    std::vector<uint8_t> surface(size_t(DxtSurfaceBytes(5, 3, DxtAlpha::Interpolated)));
    ASSERT_EQ(surface.size(), 32u);
    EncodeDxtSurface(*bmp, DxtAlpha::Interpolated, false, false, surface.data());
    uint32_t pixels[16];
    for (int k = 0; k < 16; ++k)
        pixels[k] = bmp->Row32(std::min(k / 4, 2))[4];
    pixels[8] = pixels[12] = 0xFF0000F8u;
    for (int k : {9, 10, 11, 13, 14, 15})
        pixels[k] = 0xFF0000F8u;
    EXPECT_EQ(std::vector<uint8_t>(surface.begin() + 16, surface.end()), Block(pixels, DxtAlpha::Interpolated));
}

struct RoundTrip {
    const char* Name;
    int Format;
    bool HasAlpha, Flip;
};

// Flat blocks come back exact; without HasAlpha every pixel is opaque.
TEST(DdsWriter, FlatBlocksReopenExactly)
{
    const RoundTrip cases[] = {{"dxt1", 2, false, false}, {"dxt3", 4, true, false}, {"dxt5", 6, true, false},
                               {"dxt5 without alpha", 6, false, false}, {"dxt1 flipped", 2, false, true},
                               {"dxt3 flipped", 4, true, true}};
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto bmp = FlatBlocks(20, 12, c.HasAlpha);
        TempFolder folder;
        WriteDDS(folder.File("a.dds"), *bmp, c.Format, c.Flip, false);
        const DecodeResult back = DecodePath(folder.File("a.dds"));
        ASSERT_TRUE(back.Ok()) << back.Text;
        ASSERT_EQ(back.Bitmap.Width, 20);
        ASSERT_EQ(back.Bitmap.Height, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x) {
                uint32_t want = bmp->Row32(c.Flip ? 11 - y : y)[x];
                if (!c.HasAlpha || c.Format == 2)
                    want |= 0xFF000000u;
                ASSERT_EQ(back.Bitmap.Row32(y)[x], want) << x << "," << y;
            }
    }
}

// A photo within the error of four colours per block.
TEST(DdsWriter, SmoothImageWithinBlockError)
{
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(61, 37, 32, false);
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 61; ++x)
            bmp->Row32(y)[x] = PackPixel(uint8_t(x * 4), uint8_t(y * 6), uint8_t((x + y) * 2));
    TempFolder folder;
    WriteDDS(folder.File("a.dds"), *bmp, 2, false, false);
    const DecodeResult back = DecodePath(folder.File("a.dds"));
    ASSERT_TRUE(back.Ok()) << back.Text;
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 61; ++x)
            for (int shift = 0; shift < 24; shift += 8) {
                const int got = int(back.Bitmap.Row32(y)[x] >> shift & 0xFF);
                const int want = int(bmp->Row32(y)[x] >> shift & 0xFF);
                ASSERT_LE(std::abs(got - want), 12) << x << "," << y;
            }
}

TEST(DdsWriter, MipMapChain)
{
    const std::vector<uint8_t> f = Write(*FlatBlocks(20, 12, false), 2, false, true);
    // 20 × 12, 10 × 6, 5 × 3, 2 × 1, 1 × 1: 15, 6, 2, 1 and 1 blocks.
    EXPECT_EQ(GetLE32(&f[8]), 0xA1007u);
    EXPECT_EQ(GetLE32(&f[20]), 15u * 8);
    EXPECT_EQ(GetLE32(&f[28]), 5u);
    EXPECT_EQ(GetLE32(&f[108]), 0x401008u);
    EXPECT_EQ(f.size(), 128u + (15 + 6 + 2 + 1 + 1) * 8);
}

} // namespace
