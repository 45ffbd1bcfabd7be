#include "formats/DDSCodec.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr uint32_t kPitch = 0x8;
constexpr uint32_t kLinearSize = 0x80000;
constexpr uint32_t kAlphaPixels = 0x1;
constexpr uint32_t kFourCC = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kComplex = 0x8;
constexpr uint32_t kCubeMap = 0x200;
constexpr uint32_t kAllFaces = 0xFC00;
constexpr uint32_t kVolume = 0x200000;

struct DdsLayout {
    uint32_t Width = 1;
    uint32_t Height = 1;
    uint32_t FormatFlags = kRgb;
    const char* FourCC = "\0\0\0\0";
    uint32_t BitCount = 32;
    uint32_t Masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0}; // red, green, blue, alpha
    std::vector<uint8_t> Data;
    uint32_t Flags = 0x1007 | kLinearSize;
    uint32_t PitchOrLinearSize = 0; // 0: the size of Data
    uint32_t Depth = 0;
    uint32_t MipMaps = 0;
    uint32_t Caps = 0x1000;
    uint32_t Caps2 = 0;
    const char* Magic = "DDS ";
};

std::vector<uint8_t> MakeDds(const DdsLayout& s)
{
    ByteWriter w;
    w.Text(std::string(s.Magic, 4)).LE32(124).LE32(s.Flags).LE32(s.Height).LE32(s.Width);
    w.LE32(s.PitchOrLinearSize ? s.PitchOrLinearSize : uint32_t(s.Data.size())).LE32(s.Depth).LE32(s.MipMaps);
    w.Repeat(0, 44).LE32(32).LE32(s.FormatFlags).Text(std::string(s.FourCC, 4)).LE32(s.BitCount);
    for (uint32_t m : s.Masks)
        w.LE32(m);
    w.LE32(s.Caps).LE32(s.Caps2).Repeat(0, 12);
    w.Append(s.Data);
    return w.Bytes();
}

DdsLayout Masked(uint32_t width, uint32_t height, uint32_t bits, std::initializer_list<uint32_t> masks, bool alpha,
               std::vector<uint8_t> data)
{
    DdsLayout s;
    s.Width = width;
    s.Height = height;
    s.BitCount = bits;
    s.FormatFlags = kRgb | (alpha ? kAlphaPixels : 0);
    std::copy(masks.begin(), masks.end(), s.Masks);
    s.Data = std::move(data);
    s.Flags = 0x1007 | kPitch;
    s.PitchOrLinearSize = width * bits / 8;
    return s;
}

DdsLayout Blocks(const char* fourCC, uint32_t width, uint32_t height, std::vector<uint8_t> data)
{
    DdsLayout s;
    s.Width = width;
    s.Height = height;
    s.FormatFlags = kFourCC;
    s.FourCC = fourCC;
    s.BitCount = 0;
    for (uint32_t& m : s.Masks)
        m = 0;
    s.Data = std::move(data);
    return s;
}

// Blocks or pixels under the extended header: format, resource dimension, flags.
DdsLayout Dx10(uint32_t format, uint32_t width, uint32_t height, std::vector<uint8_t> data, uint32_t dimension = 3,
               uint32_t misc = 0)
{
    ByteWriter w;
    w.LE32(format).LE32(dimension).LE32(misc).LE32(1).LE32(0).Append(data);
    DdsLayout s = Blocks("DX10", width, height, w.Bytes());
    s.PitchOrLinearSize = uint32_t(data.size());
    return s;
}

uint16_t To565(uint8_t r, uint8_t g, uint8_t b)
{
    return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// A colour block: two 5:6:5 endpoints and 16 two-bit indices, pixel 0 first.
std::vector<uint8_t> ColorBlock(uint16_t c0, uint16_t c1, std::initializer_list<int> indices)
{
    uint32_t word = 0;
    int i = 0;
    for (int index : indices)
        word |= uint32_t(index) << (2 * i++);
    ByteWriter w;
    w.LE16(c0).LE16(c1).LE32(word);
    return w.Bytes();
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<uint8_t> Times(const std::vector<uint8_t>& part, int n)
{
    std::vector<uint8_t> all;
    for (int i = 0; i < n; ++i)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(DDSCodecTest, UncompressedMasks)
{
    struct Case {
        const char* Name;
        DdsLayout Layout;
        PixelRows Expected;
        bool HasAlpha;
        int SourceBits;
    };
    const Case cases[] = {
        {"5:6:5 without alpha: channels widened by repeating their bits",
         Masked(2, 1, 16, {0xF800, 0x07E0, 0x001F, 0}, false, {0xFF, 0xFF, 0x21, 0x08}),
         {{Argb(255, 255, 255, 255), Argb(255, 8, 4, 8)}}, false, 24},
        {"1:5:5:5: one alpha bit is 0 or 255",
         Masked(2, 1, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, true, {0x1F, 0x80, 0x00, 0x7C}),
         {{Argb(255, 0, 0, 255), Argb(0, 255, 0, 0)}}, true, 32},
        {"4:4:4:4: every four-bit channel becomes n * 17",
         Masked(2, 1, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, true, {0x21, 0x53, 0x00, 0xF0}),
         {{Argb(0x55, 0x33, 0x22, 0x11), Argb(0xFF, 0, 0, 0)}}, true, 32},
        {"2-bit alpha repeats its bits",
         Masked(1, 1, 8, {0x30, 0x0C, 0x03, 0xC0}, true, {0x80}), {{Argb(0xAA, 0, 0, 0)}}, true, 32},
        {"24-bit BGR", Masked(2, 1, 24, {0xFF0000, 0xFF00, 0xFF, 0}, false, {1, 2, 3, 4, 5, 6}),
         {{Argb(255, 3, 2, 1), Argb(255, 6, 5, 4)}}, false, 24},
        {"24-bit RGB order", Masked(1, 1, 24, {0xFF, 0xFF00, 0xFF0000, 0}, false, {1, 2, 3}),
         {{Argb(255, 1, 2, 3)}}, false, 24},
        {"32-bit BGRA", Masked(1, 2, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, true, {1, 2, 3, 4, 5, 6, 7, 8}),
         {{Argb(4, 3, 2, 1)}, {Argb(8, 7, 6, 5)}}, true, 32},
        {"32-bit BGRX ignores the fourth byte",
         Masked(1, 1, 32, {0xFF0000, 0xFF00, 0xFF, 0}, false, {1, 2, 3, 4}), {{Argb(255, 3, 2, 1)}}, false, 24},
        {"32-bit RGBA order", Masked(1, 1, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, true, {1, 2, 3, 4}),
         {{Argb(4, 1, 2, 3)}}, true, 32},
        {"3:3:2 in one byte", Masked(2, 1, 8, {0xE0, 0x1C, 0x03, 0}, false, {0xE0, 0x1F}),
         {{Argb(255, 0xFF, 0, 0), Argb(255, 0, 0xFF, 0xFF)}}, false, 24},
        {"10-bit channels keep their top 8 bits",
         Masked(1, 1, 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, true, {0xFF, 0x03, 0x00, 0x7F}),
         {{Argb(0x55, 0xFC, 0x00, 0xFF)}}, true, 32},
        {"alpha flag without alpha bits is opaque",
         Masked(1, 1, 32, {0xFF0000, 0xFF00, 0xFF, 0}, true, {1, 2, 3, 0}), {{Argb(255, 3, 2, 1)}}, true, 32},
    };
    for (const Case& c : cases) {
        for (int depth : {32, 0, 8}) {
            const DecodeResult d = DecodeBytes<CDDSDecoder>(MakeDds(c.Layout), depth);
            ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
            EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
            EXPECT_EQ(d.Bitmap.HasAlpha, c.HasAlpha) << c.Name;
            EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.SourceBits) << c.Name;
            EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
        }
    }
}

TEST(DDSCodecTest, SurfaceSizeComesFromTheLayout)
{
    // Header sizes that disagree with the pixel layout change nothing.
    const std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (auto [flags, stored] : {std::pair{kLinearSize, 0u}, {kLinearSize, 3u}, {kLinearSize, 1000u},
                                 {kPitch, 1u}, {0u, 0u}, {kPitch | kLinearSize, 7u}}) {
        DdsLayout layout = Masked(2, 2, 32, {0xFF0000, 0xFF00, 0xFF, 0}, false, pixels);
        layout.Flags = 0x1007 | flags;
        layout.PitchOrLinearSize = stored;
        const DecodeResult d = DecodeBytes<CDDSDecoder>(MakeDds(layout));
        ASSERT_EQ(d.Code, 0) << flags << "/" << stored << ": " << d.Text;
        EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Argb(255, 3, 2, 1), Argb(255, 7, 6, 5)},
                                               {Argb(255, 11, 10, 9), Argb(255, 15, 14, 13)}}));
    }
    // DXT1 with the pitch flag only.
    DdsLayout dxt = Blocks("DXT1", 1, 1, ColorBlock(To565(255, 0, 0), 0, {0}));
    dxt.Flags = 0x1007 | kPitch;
    const DecodeResult d = DecodeBytes<CDDSDecoder>(MakeDds(dxt));
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Argb(255, 255, 0, 0)}}));
}

TEST(DDSCodecTest, Dxt1)
{
    const uint16_t white = 0xFFFF, black = 0;
    // Four colours: c0 > c1, thirds truncated.
    const DecodeResult four =
        DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT1", 4, 1, ColorBlock(white, black, {0, 1, 2, 3}))));
    ASSERT_EQ(four.Code, 0) << four.Text;
    EXPECT_TRUE(four.Bitmap.HasAlpha);
    EXPECT_EQ(four.Bitmap.SourceBitsPerPixel, 32);
    EXPECT_EQ(Rows32(four.Bitmap),
              (PixelRows{
                  {Argb(255, 255, 255, 255), Argb(255, 0, 0, 0), Argb(255, 170, 170, 170), Argb(255, 85, 85, 85)}}));

    // Three colours: c0 <= c1, the average truncated, index 3 transparent with the one-third colour.
    const uint16_t c0 = To565(16, 0, 0), c1 = To565(40, 4, 0);
    const DecodeResult three =
        DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT1", 4, 1, ColorBlock(c0, c1, {0, 1, 2, 3}))));
    ASSERT_EQ(three.Code, 0) << three.Text;
    EXPECT_EQ(Rows32(three.Bitmap),
              (PixelRows{{Argb(255, 16, 0, 0), Argb(255, 41, 4, 0), Argb(255, 28, 2, 0), Argb(0, 32, 2, 0)}}));

    // Equal endpoints are a three-colour block too.
    const DecodeResult equal = DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT1", 1, 1, ColorBlock(white, white, {3}))));
    EXPECT_EQ(Rows32(equal.Bitmap), (PixelRows{{Argb(0, 255, 255, 255)}}));

    // 5 x 5: four blocks, row of blocks by row of blocks; pixels past the edge are dropped.
    std::vector<uint8_t> data;
    const uint16_t colours[4] = {To565(255, 0, 0), To565(0, 255, 0), To565(0, 0, 255), white};
    for (uint16_t c : colours) {
        const std::vector<uint8_t> block = ColorBlock(c, black, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
        data.insert(data.end(), block.begin(), block.end());
    }
    const DecodeResult five = DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT1", 5, 5, data)));
    ASSERT_EQ(five.Code, 0) << five.Text;
    const uint32_t r = Argb(255, 255, 0, 0), g = Argb(255, 0, 255, 0), b = Argb(255, 0, 0, 255),
                   w = Argb(255, 255, 255, 255), k = Argb(255, 0, 0, 0);
    EXPECT_EQ(Rows32(five.Bitmap), (PixelRows{{r, r, r, r, g}, {r, r, r, r, g}, {r, r, r, r, g}, {r, r, r, k, g},
                                              {b, b, b, b, w}}));
}

std::vector<uint8_t> ExplicitAlpha(std::initializer_list<uint16_t> rows)
{
    ByteWriter w;
    for (uint16_t r : rows)
        w.LE16(r);
    return w.Bytes();
}

TEST(DDSCodecTest, AlphaBlocks)
{
    // Colour blocks of DXT2-5 always have four colours, even when c0 <= c1.
    // Greys 64 and 160 widen to (66, 65, 66) and (165, 162, 165); the palette
    // is those, then thirds between them. The first row uses indices 3, 2, 1,
    // 0, the second only 0.
    const std::vector<uint8_t> grey = ColorBlock(To565(64, 64, 64), To565(160, 160, 160), {3, 2, 1, 0});

    const DecodeResult dxt3 =
        DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT3", 4, 2, Concat({ExplicitAlpha({0xF210, 0x0F00, 0, 0}), grey}))));
    ASSERT_EQ(dxt3.Code, 0) << dxt3.Text;
    EXPECT_TRUE(dxt3.Bitmap.HasAlpha);
    const auto c0 = [](uint8_t a) { return Argb(a, 66, 65, 66); };
    EXPECT_EQ(Rows32(dxt3.Bitmap),
              (PixelRows{{Argb(0, 132, 129, 132), Argb(17, 99, 97, 99), Argb(34, 165, 162, 165), c0(255)},
                         {c0(0), c0(0), c0(255), c0(0)}}));

    // DXT5 with a0 > a1: six interpolated values.
    ByteWriter seven;
    seven.U8(210).U8(0);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(i) << (3 * i);
    for (int i = 0; i < 6; ++i)
        seven.U8(uint8_t(bits >> (8 * i)));
    const DecodeResult dxt5 = DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT5", 4, 2, Concat({seven.Bytes(), grey}))));
    ASSERT_EQ(dxt5.Code, 0) << dxt5.Text;
    std::vector<uint32_t> alphas;
    for (const auto& row : Rows32(dxt5.Bitmap))
        for (uint32_t p : row)
            alphas.push_back(p >> 24);
    EXPECT_EQ(alphas, (std::vector<uint32_t>{210, 0, 180, 150, 120, 90, 60, 30}));

    // a0 <= a1: four interpolated values, then 0 and 255.
    ByteWriter five;
    five.U8(50).U8(100);
    for (int i = 0; i < 6; ++i)
        five.U8(uint8_t(bits >> (8 * i)));
    const DecodeResult dxt5b = DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT5", 4, 2, Concat({five.Bytes(), grey}))));
    ASSERT_EQ(dxt5b.Code, 0) << dxt5b.Text;
    alphas.clear();
    for (const auto& row : Rows32(dxt5b.Bitmap))
        for (uint32_t p : row)
            alphas.push_back(p >> 24);
    EXPECT_EQ(alphas, (std::vector<uint32_t>{50, 100, 60, 70, 80, 90, 0, 255}));
}

TEST(DDSCodecTest, PremultipliedFormatsAreUnpremultiplied)
{
    // Colour (64, 128, 200) widens to (66, 130, 206); under alpha 128 it is
    // (131, 255, 255) after rounding and clamping.
    const std::vector<uint8_t> colour = ColorBlock(To565(64, 128, 200), To565(64, 128, 200), {0, 0, 0, 0});
    ByteWriter interpolated;
    interpolated.U8(128).U8(128).Repeat(0, 6);
    ByteWriter zero;
    zero.U8(0).U8(0).Repeat(0, 6);
    struct Case {
        const char* Name;
        DdsLayout Layout;
        uint32_t Expected;
    };
    const Case cases[] = {
        {"DXT4", Blocks("DXT4", 1, 1, Concat({interpolated.Bytes(), colour})), Argb(128, 131, 255, 255)},
        {"DXT2, alpha 17 * 7", Blocks("DXT2", 1, 1, Concat({ExplicitAlpha({7, 0, 0, 0}), colour})),
         Argb(119, 141, 255, 255)},
        {"DXT2, alpha 255 leaves colours", Blocks("DXT2", 1, 1, Concat({ExplicitAlpha({15, 0, 0, 0}), colour})),
         Argb(255, 66, 130, 206)},
        {"DXT4, alpha 0 leaves colours", Blocks("DXT4", 1, 1, Concat({zero.Bytes(), colour})),
         Argb(0, 66, 130, 206)},
        {"DXT5 is not premultiplied", Blocks("DXT5", 1, 1, Concat({interpolated.Bytes(), colour})),
         Argb(128, 66, 130, 206)},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CDDSDecoder>(MakeDds(c.Layout));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{c.Expected}})) << c.Name;
    }
}

// A cube map of 4 x 4 DXT1 faces, each one colour, with two mip levels
// (a 2 x 2 and a 1 x 1 block) after each face.
DdsLayout CubeMap(uint32_t faces, uint32_t size = 4)
{
    std::vector<uint8_t> data;
    const uint16_t colours[6] = {To565(255, 0, 0), To565(0, 255, 0), To565(0, 0, 255),
                                 To565(255, 255, 0), To565(0, 255, 255), To565(255, 0, 255)};
    const auto blocks = [](uint32_t s) { return int(((s + 3) / 4) * ((s + 3) / 4)); };
    uint32_t levels = 0;
    for (uint32_t s = size; s >= 1; s /= 2)
        ++levels;
    for (int f = 0; f < 6; ++f) {
        if (!(faces & (0x400u << f)))
            continue;
        data = Concat({data, Times(ColorBlock(colours[f], 0, {}), blocks(size))});
        for (uint32_t s = size / 2; s >= 1; s /= 2)
            data = Concat({data, Times(ColorBlock(0xFFFF, 0xFFFF, {}), blocks(s))});
    }
    DdsLayout s = Blocks("DXT1", size, size, data);
    s.MipMaps = levels;
    s.Caps = 0x1000 | kComplex | 0x400000;
    s.Caps2 = kCubeMap | faces;
    return s;
}

TEST(DDSCodecTest, CubeMapsSideBySide)
{
    const uint32_t r = Argb(255, 255, 0, 0), g = Argb(255, 0, 255, 0), b = Argb(255, 0, 0, 255),
                   y = Argb(255, 255, 255, 0), c = Argb(255, 0, 255, 255), m = Argb(255, 255, 0, 255);
    const DecodeResult all = DecodeBytes<CDDSDecoder>(MakeDds(CubeMap(kAllFaces)));
    ASSERT_EQ(all.Code, 0) << all.Text;
    ASSERT_EQ(all.Bitmap.Width, 24);
    ASSERT_EQ(all.Bitmap.Height, 4);
    EXPECT_TRUE(all.Bitmap.HasAlpha);
    const uint32_t faceColours[6] = {r, g, b, y, c, m};
    for (int row = 0; row < 4; ++row)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(all.Bitmap.Row32(row)[x], faceColours[x / 4]) << x << "," << row;

    // Faces left out of the file stay empty.
    const DecodeResult some = DecodeBytes<CDDSDecoder>(MakeDds(CubeMap(0x400 | 0x1000 | 0x8000)));
    ASSERT_EQ(some.Code, 0) << some.Text;
    const uint32_t expected[6] = {r, 0, b, 0, 0, m};
    for (int x = 0; x < 24; ++x)
        EXPECT_EQ(some.Bitmap.Row32(3)[x], expected[x / 4]) << x;

    // 64 x 64 faces make a 384 x 64 picture.
    const DecodeResult large = DecodeBytes<CDDSDecoder>(MakeDds(CubeMap(kAllFaces, 64)));
    ASSERT_EQ(large.Code, 0) << large.Text;
    EXPECT_EQ(large.Bitmap.Width, 384);
    EXPECT_EQ(large.Bitmap.Height, 64);
    EXPECT_EQ(large.Bitmap.Row32(63)[383], m);
    EXPECT_EQ(large.Bitmap.Row32(0)[320], m);
    EXPECT_EQ(large.Bitmap.Row32(0)[319], c);

    // The last face's mip levels need not be there.
    DdsLayout noTail = CubeMap(kAllFaces);
    noTail.Data.resize(noTail.Data.size() - 2 * 8);
    const DecodeResult cut = DecodeBytes<CDDSDecoder>(MakeDds(noTail));
    EXPECT_EQ(cut.Code, 0) << cut.Text;

    // A huge mip-map count is cut at the 1 x 1 level.
    DdsLayout manyLevels = CubeMap(kAllFaces);
    manyLevels.MipMaps = 0xFFFFFFFFu;
    const DecodeResult many = DecodeBytes<CDDSDecoder>(MakeDds(manyLevels));
    EXPECT_EQ(many.Code, 0) << many.Text;
    EXPECT_EQ(Rows32(many.Bitmap), Rows32(all.Bitmap));

    // Without the complex bit the cube map bits are not looked at.
    DdsLayout simple = CubeMap(kAllFaces);
    simple.Caps = 0x1000;
    const DecodeResult first = DecodeBytes<CDDSDecoder>(MakeDds(simple));
    ASSERT_EQ(first.Code, 0) << first.Text;
    EXPECT_EQ(Rows32(first.Bitmap), PixelRows(4, std::vector<uint32_t>(4, r)));
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t n)
{
    bytes.resize(bytes.size() - n);
    return bytes;
}

TEST(DDSCodecTest, Errors)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    DdsLayout notDds = Blocks("DXT1", 1, 1, std::vector<uint8_t>(8));
    notDds.Magic = "DDX ";
    DdsLayout volume = Blocks("DXT1", 4, 4, std::vector<uint8_t>(8));
    volume.Depth = 4;
    volume.Caps = 0x1000 | kComplex;
    volume.Caps2 = kVolume;
    DdsLayout noFaces = CubeMap(kAllFaces);
    noFaces.Caps2 = kCubeMap;
    DdsLayout hugeCube = CubeMap(kAllFaces);
    hugeCube.Width = 0x7FFFFFF0u;
    const std::vector<uint8_t> good = MakeDds(Masked(2, 2, 32, {0xFF0000, 0xFF00, 0xFF, 0}, false,
                                                     std::vector<uint8_t>(16, 9)));

    const Case cases[] = {
        {"wrong magic", MakeDds(notDds), 6, "DDS decoder: This isn't a DDS file."},
        {"extended header cut short", MakeDds(Blocks("DX10", 1, 1, std::vector<uint8_t>(8))), 7,
         "Unexpected end of file."},
        {"unknown extended format", MakeDds(Dx10(2, 1, 1, std::vector<uint8_t>(16))), 2, "Invalid file header."},
        {"BC6H", MakeDds(Dx10(95, 4, 4, std::vector<uint8_t>(16))), 6, "DDS decoder: BC6H not supported."},
        {"extended volume", MakeDds(Dx10(71, 4, 4, std::vector<uint8_t>(8), 4)), 6,
         "DDS decoder: Volume textures not supported."},
        {"BC7 huge sizes, tiny file", MakeDds(Dx10(98, 0xFFFFFFFFu, 0xFFFFFFFFu, std::vector<uint8_t>(16))), 7,
         "Unexpected end of file."},
        {"BC4 blocks cut short", Cut(MakeDds(Blocks("ATI1", 8, 4, std::vector<uint8_t>(16))), 1), 7,
         "Unexpected end of file."},
        {"DXT6", MakeDds(Blocks("DXT6", 1, 1, std::vector<uint8_t>(8))), 2, "Invalid file header."},
        {"12 bits per pixel", MakeDds(Masked(2, 1, 12, {0xF00, 0xF0, 0xF, 0}, false, {0, 0, 0})), 2,
         "Invalid file header."},
        {"0 bits per pixel", MakeDds(Masked(2, 1, 0, {0xF00, 0xF0, 0xF, 0}, false, {})), 2, "Invalid file header."},
        {"volume texture", MakeDds(volume), 6, "DDS decoder: Volume textures not supported."},
        {"cube map without faces", MakeDds(noFaces), 6, "DDS decoder: CubeMaps not supported."},
        {"cube map cut short", Cut(MakeDds(CubeMap(kAllFaces)), 3 * 8 + 1), 6, "DDS decoder: CubeMaps not supported."},
        {"cube map faces past the end of the file", MakeDds(hugeCube), 6, "DDS decoder: CubeMaps not supported."},
        {"pixels cut short", Cut(good, 1), 7, "Unexpected end of file."},
        {"blocks cut short", Cut(MakeDds(Blocks("DXT5", 5, 4, std::vector<uint8_t>(32))), 1), 7,
         "Unexpected end of file."},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 127), 7, "Unexpected end of file."},
        {"zero width", MakeDds(Blocks("DXT1", 0, 4, {})), 2, "Illegal image size."},
        {"huge sizes, tiny file", MakeDds(Blocks("DXT5", 0xFFFFFFFFu, 0xFFFFFFFFu, std::vector<uint8_t>(16))), 7,
         "Unexpected end of file."},
        {"huge masked sizes", MakeDds(Masked(0xFFFFFFFFu, 0xFFFFFFFFu, 32, {0xFF0000, 0xFF00, 0xFF, 0}, false, {})), 7,
         "Unexpected end of file."},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CDDSDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Text, c.Text) << c.Name;
    }
}

TEST(DDSCodecTest, SurfacesOverTheMemoryCapFailWithCode10)
{
    setenv("OCULANE_MAX_IMAGE_BYTES", "4000", 1);
    const DecodeResult plain =
        DecodeBytes<CDDSDecoder>(MakeDds(Blocks("DXT1", 64, 64, std::vector<uint8_t>(16 * 16 * 8))));
    const DecodeResult cube = DecodeBytes<CDDSDecoder>(MakeDds(CubeMap(kAllFaces, 16)));
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(plain.Code, 10);
    EXPECT_EQ(plain.Text, "Out of memory.");
    EXPECT_EQ(cube.Code, 10);
    EXPECT_EQ(cube.Text, "Out of memory.");
}

TEST(DDSCodecTest, TraceNamesTheFormat)
{
    TempFolder folder;
    CDDSDecoder decoder;
    CWinBmp bitmap;
    SetDecoderTrace(folder.File("trace.txt"), 2);
    const std::vector<uint8_t> file = MakeDds(Blocks("DXT1", 1, 1, std::vector<uint8_t>(8)));
    decoder.DecodeMemory("test.dds", file.data(), file.size(), bitmap, 32);
    const std::vector<uint8_t> trace = TempFolder::Read(folder.File("trace.txt"));
    SetDecoderTrace("", 0);
    EXPECT_NE(std::string(trace.begin(), trace.end()).find("Decoding DDS.\n"), std::string::npos);
}

// Files written by ImageMagick. Uncompressed ones decode to their source
// exactly; block formats differ from ImageMagick's decode only by the way
// 5:6:5 colours are widened (we shift, it repeats the top bits).
TEST(DDSCodecTest, ImageMagickFiles)
{
    struct Case {
        const char* File;
        const char* Expected;
        int Width, Height;
        bool HasAlpha;
        int Tolerance;
    };
    const Case cases[] = {
        {"rgb-none.dds", "rgb.rgba", 23, 17, false, 0},   {"rgba-none.dds", "rgba.rgba", 23, 17, true, 0},
        {"dxt1.dds", "dxt1.rgba", 23, 17, true, 8},        {"dxt3.dds", "dxt3.rgba", 23, 17, true, 8},
        {"dxt5.dds", "dxt5.rgba", 23, 17, true, 8},        {"dxt5-mipmaps.dds", "dxt5-mipmaps.rgba", 32, 16, true, 8},
    };
    for (const Case& c : cases) {
        CDDSDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("dds", c.File), bitmap, 32)) << c.File;
        const std::vector<uint8_t> expected = ReadWholeFile(TestDataPath("dds", c.Expected));
        ASSERT_EQ(bitmap.Width, c.Width) << c.File;
        ASSERT_EQ(bitmap.Height, c.Height) << c.File;
        ASSERT_EQ(expected.size(), size_t(c.Width * c.Height * 4)) << c.Expected;
        EXPECT_EQ(bitmap.HasAlpha, c.HasAlpha) << c.File;
        int worst = 0;
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) {
                const uint32_t p = bitmap.Row32(y)[x];
                const uint8_t got[4] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)};
                for (int k = 0; k < 4; ++k)
                    worst = std::max(worst, std::abs(int(got[k]) - int(expected[size_t(y * c.Width + x) * 4 + k])));
            }
        EXPECT_LE(worst, c.Tolerance) << c.File;
    }
}

} // namespace

TEST(DDSCodecTest, SignedChannelsRunFromMinusOneToOne)
{
    // One BC4 block: endpoints -128 (read as -127) and 127, so eight steps
    // from -1 to 1, pixel i taking index i % 8.
    ByteWriter w;
    w.U8(0x7F).U8(0x80);
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= uint64_t(i % 8) << (3 * i);
    for (int i = 0; i < 6; ++i)
        w.U8(uint8_t(bits >> (8 * i)));
    const uint8_t expected[8] = {255, 0, 219, 182, 146, 109, 73, 36};
    for (const char* code : {"BC4S", "DX10"}) {
        const DdsLayout layout = std::string(code) == "DX10" ? Dx10(81, 4, 4, w.Bytes()) : Blocks(code, 4, 4, w.Bytes());
        const DecodeResult d = DecodeBytes<CDDSDecoder>(MakeDds(layout));
        ASSERT_EQ(d.Code, 0) << code << ": " << d.Text;
        EXPECT_FALSE(d.Bitmap.HasAlpha) << code;
        for (int i = 0; i < 16; ++i) {
            const uint8_t v = expected[i % 8];
            EXPECT_EQ(d.Bitmap.Row32(i / 4)[i % 4], Argb(255, v, v, v)) << code << " pixel " << i;
        }
    }
}

TEST(DDSCodecTest, ExtendedCubeFlagMakesSixFaces)
{
    // Six BC7 faces of 4 x 4, each one mode 6 block of a single colour.
    std::vector<uint8_t> faces;
    for (int f = 0; f < 6; ++f) {
        std::vector<uint8_t> block(16, 0);
        block[0] = 0x40; // mode 6; all endpoints and indices 0 but red of endpoint 0
        block[1] = uint8_t(f * 20);
        faces.insert(faces.end(), block.begin(), block.end());
    }
    const DecodeResult d = DecodeBytes<CDDSDecoder>(MakeDds(Dx10(98, 4, 4, faces, 3, 0x4)));
    ASSERT_EQ(d.Code, 0) << d.Text;
    ASSERT_EQ(d.Bitmap.Width, 24);
    EXPECT_TRUE(d.Bitmap.HasAlpha);
    for (int f = 0; f < 6; ++f) {
        // Endpoint 0's red is bits 7 to 13, then a p-bit of 0.
        const uint32_t red = ((uint32_t(f * 20) << 1) & 0x7F) << 1;
        EXPECT_EQ(d.Bitmap.Row32(2)[4 * f + 1], Argb(0, red, 0, 0)) << "face " << f;
    }
}
