#include "formats/PCXCodec.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

namespace {

struct PcxLayout {
    uint8_t Bits = 8;
    uint8_t Planes = 1;
    uint16_t Width = 1;
    uint16_t Height = 1;
    uint16_t BytesPerLine = 2;
    std::vector<uint8_t> Data = {}; // run-length encoded already
    std::vector<uint8_t> HeaderPalette = {}; // red, green, blue; zeros up to 16 entries
    uint8_t Version = 5;
    std::vector<uint8_t> Trailer = {}; // whatever follows the data
    uint16_t XMin = 0;
    uint16_t YMin = 0;
};

std::vector<uint8_t> MakePcx(const PcxLayout& s)
{
    ByteWriter w;
    w.U8(10).U8(s.Version).U8(1).U8(s.Bits);
    w.LE16(s.XMin).LE16(s.YMin).LE16(uint16_t(s.XMin + s.Width - 1)).LE16(uint16_t(s.YMin + s.Height - 1));
    w.LE16(72).LE16(72);
    std::vector<uint8_t> palette = s.HeaderPalette;
    palette.resize(48, 0);
    w.Append(palette).U8(0).U8(s.Planes).LE16(s.BytesPerLine).LE16(1).PadTo(128);
    w.Append(s.Data).Append(s.Trailer);
    return w.Bytes();
}

// 0x0C and 256 entries: entry i is (i, 255 - i, 7).
std::vector<uint8_t> TrailingPalette(uint8_t signature = 0x0C)
{
    ByteWriter w;
    w.U8(signature);
    for (int i = 0; i < 256; ++i)
        w.U8(uint8_t(i)).U8(uint8_t(255 - i)).U8(7);
    return w.Bytes();
}

const std::vector<uint8_t> kFourColours = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
const uint32_t kBlack = Opaque(0x000000), kRed = Opaque(0xFF0000), kGreen = Opaque(0x00FF00),
               kBlue = Opaque(0x0000FF), kWhite = Opaque(0xFFFFFF);

struct Case {
    const char* Name;
    PcxLayout Layout;
    PixelRows Expected;
    int SourceBits;
};

void Check(const std::vector<Case>& cases, int depth = 32)
{
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CPCXDecoder>(MakePcx(c.Layout), depth);
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
        EXPECT_FALSE(d.Bitmap.HasAlpha) << c.Name;
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.SourceBits) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }
}

TEST(PCXCodecTest, Layouts)
{
    std::vector<uint8_t> sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen.insert(sixteen.end(), {uint8_t(i * 16), uint8_t(i), uint8_t(255 - i)});
    auto entry = [](int i) { return Opaque(uint32_t(i * 16) << 16 | uint32_t(i) << 8 | uint32_t(255 - i)); };
    Check({
        {"8 bits, 3 planes: red, green and blue planes",
         {8, 3, 2, 2, 2, {10, 20, 30, 40, 50, 60, 1, 2, 3, 4, 5, 6}},
         {{Opaque(0x0A1E32), Opaque(0x14283C)}, {Opaque(0x010305), Opaque(0x020406)}}, 24},
        {"version 5, 8 bits, 1 plane: the palette after the data",
         {8, 1, 3, 1, 4, {0, 0x80, 0xC1, 0xFF, 9}, {}, 5, TrailingPalette()},
         {{Opaque(0x00FF07), Opaque(0x807F07), Opaque(0xFF0007)}}, 8},
        {"version 3, 8 bits, 1 plane: the header palette; indices past 15 are black",
         {8, 1, 3, 1, 4, {0, 15, 16, 0}, sixteen, 3}, {{entry(0), entry(15), kBlack}}, 8},
        {"4 bits, high nibble first", {4, 1, 3, 1, 2, {0x1F, 0x20}, sixteen}, {{entry(1), entry(15), entry(2)}}, 4},
        {"2 bits, four pixels a byte", {2, 1, 5, 1, 2, {0x1B, 0x80}, kFourColours},
         {{kBlack, kRed, kGreen, kBlue, kGreen}}, 2},
        {"1 bit, 1 plane: the header palette", {1, 1, 9, 1, 2, {0xA0, 0x80}, {10, 20, 30, 200, 100, 50}},
         {{Opaque(0xC86432), Opaque(0x0A141E), Opaque(0xC86432), Opaque(0x0A141E), Opaque(0x0A141E),
           Opaque(0x0A141E), Opaque(0x0A141E), Opaque(0x0A141E), Opaque(0xC86432)}}, 1},
        {"1 bit, 1 plane, both palette colours the same: black and white", {1, 1, 3, 1, 2, {0xA0, 0}},
         {{kWhite, kBlack, kWhite}}, 1},
        {"1 bit, 2 planes: bit p of the index from plane p", {1, 2, 4, 1, 2, {0x50, 0, 0x30, 0}, kFourColours},
         {{kBlack, kRed, kGreen, kBlue}}, 1},
        {"1 bit, no planes: every pixel is header palette entry 0", {1, 0, 2, 1, 0, {}, kFourColours},
         {{kBlack, kBlack}}, 1},
        {"1 bit, no planes, other entry 0", {1, 0, 2, 1, 0, {}, {1, 2, 3}}, {{Opaque(0x010203), Opaque(0x010203)}}, 1},
        {"1 bit, 4 planes", {1, 4, 2, 1, 2, {0x80, 0, 0x00, 0, 0x80, 0, 0x40, 0}, sixteen},
         {{entry(5), entry(8)}}, 1},
        {"the size is xmax - xmin + 1 by ymax - ymin + 1",
         {8, 3, 1, 2, 2, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0}, {}, 5, {}, 100, 7},
         {{Opaque(0x010203)}, {Opaque(0x040506)}}, 24},
    });

    // Every requested depth gives 32 bits.
    Check({{"asked for at 8", {2, 1, 1, 1, 2, {0x40, 0}, kFourColours}, {{kRed}}, 2}}, 8);
    Check({{"asked for at 0", {2, 1, 1, 1, 2, {0x40, 0}, kFourColours}, {{kRed}}, 2}}, 0);
}

TEST(PCXCodecTest, RunLength)
{
    Check({
        {"a run crosses plane and row ends", {8, 3, 2, 2, 2, {0xCC, 0x42}},
         {{Opaque(0x424242), Opaque(0x424242)}, {Opaque(0x424242), Opaque(0x424242)}}, 24},
        {"a byte from 0xC0 up is stored as a run of one", {8, 3, 1, 1, 1, {0xC1, 0xC5, 0xC1, 0xFF, 0x01}},
         {{Opaque(0xC5FF01)}}, 24},
        {"a run of 0 gives nothing", {8, 3, 1, 1, 1, {0xC0, 0x77, 0x01, 0x02, 0x03}}, {{Opaque(0x010203)}}, 24},
        {"the palette follows a run that ends the image", {8, 1, 2, 2, 2, {0xC4, 0x03}, {}, 5, TrailingPalette()},
         {{Opaque(0x03FC07), Opaque(0x03FC07)}, {Opaque(0x03FC07), Opaque(0x03FC07)}}, 8},
    });
}

TEST(PCXCodecTest, Errors)
{
    struct ErrorCase {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    const std::vector<uint8_t> good = MakePcx({8, 3, 2, 1, 2, {1, 2, 3, 4, 5, 6}});
    std::vector<uint8_t> cutPalette = TrailingPalette();
    cutPalette.pop_back();
    const ErrorCase cases[] = {
        {"1 bit, 5 planes", MakePcx({1, 5, 8, 1, 1, std::vector<uint8_t>(5)}), 6,
         "Can't handle image with more then 4 planes"},
        {"8 bits, 2 planes", MakePcx({8, 2, 1, 1, 1, {1, 2}}), 6, "Can't handle image"},
        {"24 bits", MakePcx({24, 1, 1, 1, 3, {1, 2, 3}}), 6, "Can't handle image"},
        {"4 bits, 3 planes", MakePcx({4, 3, 2, 1, 1, {1, 2, 3}}), 6, "Can't handle more then 1 bit per pixel"},
        {"2 bits, 3 planes", MakePcx({2, 3, 4, 1, 1, {1, 2, 3}}), 6, "Can't handle more then 1 bit per pixel"},
        {"a run past the image end", MakePcx({8, 1, 2, 1, 2, {0xC3, 5}, {}, 3}), 6,
         "Repeat count spans end of image."},
        {"a run past the image end, later rows", MakePcx({8, 3, 1, 2, 2, {0xC8, 5, 0xC5, 6}}), 6,
         "Repeat count spans end of image."},
        {"no 0x0C before the palette", MakePcx({8, 1, 2, 1, 2, {1, 2}, {}, 5, TrailingPalette(0x0B)}), 1,
         "Bad color map signature."},
        {"the palette cut short", MakePcx({8, 1, 2, 1, 2, {1, 2}, {}, 5, cutPalette}), 7, "Unexpected end of file."},
        {"no palette after the data", MakePcx({8, 1, 2, 1, 2, {1, 2}}), 7, "Unexpected end of file."},
        {"data cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), 7, "Unexpected end of file."},
        {"data cut inside a run", MakePcx({8, 3, 2, 1, 2, {0xC6}}), 7, "Unexpected end of file."},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 100), 7, "Unexpected end of file."},
        {"xmax below xmin", MakePcx({8, 3, 0, 1, 2, {1, 2, 3, 4, 5, 6}, {}, 5, {}, 1}), 2, "Illegal image size."},
        {"bytes per line below the width", MakePcx({8, 1, 3, 1, 2, {1, 2}}), 2,
         "Bytes per line too small for the image width."},
        {"1 bit, bytes per line below the width", MakePcx({1, 1, 17, 1, 2, {1, 2}}), 2,
         "Bytes per line too small for the image width."},
        {"65535 x 65535 from a few bytes", MakePcx({8, 3, 65535, 65535, 65535, {0xFF, 1, 0xFF, 2}}), 7,
         "Unexpected end of file."},
    };
    for (const ErrorCase& c : cases) {
        const DecodeResult d = DecodeBytes<CPCXDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name;
        EXPECT_EQ(d.Text, c.Text) << c.Name;
    }
}

// ImageMagick's files and the layouts it cannot write, 29 x 17 with padded plane rows.
TEST(PCXCodecTest, Files)
{
    struct File {
        const char* Name;
        int SourceBits;
    };
    const File files[] = {
        {"rose-24", 24},    {"rose-8-palette", 8}, {"rose-4bit", 4},
        {"rose-2bit", 2},   {"rose-1bit", 1},      {"rose-1bit-3planes", 1},
        {"rose-1bit-4planes", 1},
    };
    for (const File& f : files) {
        CPCXDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("pcx", std::string(f.Name) + ".pcx"), bitmap, 32)) << f.Name;
        EXPECT_EQ(bitmap.Width, 29) << f.Name;
        EXPECT_EQ(bitmap.Height, 17) << f.Name;
        EXPECT_EQ(bitmap.SourceBitsPerPixel, f.SourceBits) << f.Name;
        EXPECT_TRUE(RgbaBytes(bitmap) == ReadWholeFile(TestDataPath("pcx", std::string(f.Name) + ".rgba"))) << f.Name;
    }
}

} // namespace
