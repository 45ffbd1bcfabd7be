#include "formats/BmpFixture.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const std::vector<uint32_t> kFourColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

TEST(BMPDecoderTest, UncompressedDepths)
{
    struct Case {
        const char* Name;
        BmpLayout Layout;
        PixelRows Expected;
    };
    const Case cases[] = {
        {"1 bit uses its palette",
         {9, 2, 1, 0, 0, 40, {0xFFFFFF, 0x102030}, {0x80, 0x80, 0, 0, 0x7F, 0x00, 0, 0}},
         {{Opaque(0xFFFFFF), Opaque(0x102030), Opaque(0x102030), Opaque(0x102030), Opaque(0x102030),
           Opaque(0x102030), Opaque(0x102030), Opaque(0x102030), Opaque(0xFFFFFF)},
          {Opaque(0x102030), Opaque(0xFFFFFF), Opaque(0xFFFFFF), Opaque(0xFFFFFF), Opaque(0xFFFFFF),
           Opaque(0xFFFFFF), Opaque(0xFFFFFF), Opaque(0xFFFFFF), Opaque(0x102030)}}},
        {"4 bit, high nibble first",
         {3, 1, 4, 0, 4, 40, kFourColours, {0x12, 0x30, 0, 0}},
         {{Opaque(0xFF0000), Opaque(0x00FF00), Opaque(0x0000FF)}}},
        {"8 bit",
         {2, 2, 8, 0, 4, 40, kFourColours, {1, 2, 0, 0, 3, 0, 0, 0}},
         {{Opaque(0x0000FF), Opaque(0x000000)}, {Opaque(0xFF0000), Opaque(0x00FF00)}}},
        {"24 bit, width 1 pads to 4",
         {1, 2, 24, 0, 0, 40, {}, {0x01, 0x02, 0x03, 0xEE, 0x04, 0x05, 0x06, 0xEE}},
         {{Opaque(0x060504)}, {Opaque(0x030201)}}},
        {"32 bit copies all four bytes; first stored row is the bottom",
         {2, 2, 32, 0, 0, 40, {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
         {{0x0C0B0A09u, 0x100F0E0Du}, {0x04030201u, 0x08070605u}}},
        {"negative height stores rows top-down",
         {1, -2, 24, 0, 0, 40, {}, {0x01, 0x02, 0x03, 0, 0x04, 0x05, 0x06, 0}},
         {{Opaque(0x030201)}, {Opaque(0x060504)}}},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes(MakeBmp(c.Layout));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.Layout.Bits) << c.Name;
        EXPECT_FALSE(d.Bitmap.HasAlpha) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }
}

TEST(BMPDecoderTest, PaletteFilesAtEightBits)
{
    const DecodeResult d = DecodeBytes(MakeBmp({9, 1, 1, 0, 0, 40, {0xFFFFFF, 0x000000}, {0x80, 0x80, 0, 0}}), 0);
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(d.Bitmap.BitsPerPixel, 8);
    EXPECT_EQ(Rows8(d.Bitmap), (ByteRows{{1, 0, 0, 0, 0, 0, 0, 0, 1}}));
    EXPECT_EQ(d.Bitmap.Palette[0].Red, 255); // index 0 stays white
    EXPECT_EQ(d.Bitmap.Palette[1].Red, 0);

    const DecodeResult four = DecodeBytes(MakeBmp({3, 1, 4, 0, 4, 40, kFourColours, {0x12, 0x30, 0, 0}}), 8);
    ASSERT_EQ(four.Code, 0) << four.Text;
    EXPECT_EQ(Rows8(four.Bitmap), (ByteRows{{1, 2, 3}}));
    EXPECT_EQ(four.Bitmap.Palette[3].Blue, 255);
    EXPECT_EQ(four.Bitmap.Palette[3].Alpha, 255);

    // True colour asked for at 8 bits still decodes, at 32.
    const DecodeResult rgb = DecodeBytes(MakeBmp({1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}}), 8);
    ASSERT_EQ(rgb.Code, 0);
    EXPECT_EQ(rgb.Bitmap.BitsPerPixel, 32);
}

struct RleCase {
    const char* Name;
    int Width, Height;
    std::vector<uint8_t> Data;
    std::vector<std::vector<uint8_t>> Expected;
};

void CheckRle(uint16_t bits, uint32_t compression, const std::vector<RleCase>& cases)
{
    for (const RleCase& c : cases) {
        const DecodeResult d =
            DecodeBytes(MakeBmp({c.Width, c.Height, bits, compression, 4, 40, kFourColours, c.Data}), 0);
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(Rows8(d.Bitmap), c.Expected) << c.Name;
    }
}

TEST(BMPDecoderTest, Rle8)
{
    CheckRle(8, 1, {
        {"runs and end of row", 4, 2, {2, 1, 2, 2, 0, 0, 4, 3, 0, 0, 0, 1}, {{3, 3, 3, 3}, {1, 1, 2, 2}}},
        {"absolute run with pad", 4, 1, {0, 3, 1, 2, 3, 0xAA, 1, 3, 0, 1}, {{1, 2, 3, 3}}},
        {"absolute run without pad", 4, 1, {0, 4, 3, 2, 1, 0, 0, 1}, {{3, 2, 1, 0}}},
        {"end of bitmap after two rows leaves the rest at 0", 2, 3, {2, 1, 0, 0, 2, 2, 0, 0, 0, 1},
         {{0, 0}, {2, 2}, {1, 1}}},
        {"runs past the row end are clipped", 3, 2, {9, 1, 0, 0, 0, 5, 2, 2, 2, 2, 2, 0, 0, 0},
         {{2, 2, 2}, {1, 1, 1}}},
        {"a stream past the last row stops", 2, 1, {2, 1, 0, 0, 2, 3, 0, 0, 2, 3}, {{1, 1}}},
        {"a short row is filled with 0", 3, 1, {1, 2, 0, 1}, {{2, 0, 0}}},
    });
    const DecodeResult wide = DecodeBytes(MakeBmp({2, 1, 8, 1, 4, 40, kFourColours, {1, 3, 1, 1, 0, 1}}), 32);
    ASSERT_EQ(wide.Code, 0);
    EXPECT_EQ(Rows32(wide.Bitmap), (PixelRows{{Opaque(0x0000FF), Opaque(0xFF0000)}}));
}

TEST(BMPDecoderTest, Rle4)
{
    CheckRle(4, 2, {
        {"run alternates nibbles", 5, 1, {5, 0x12, 0, 1}, {{1, 2, 1, 2, 1}}},
        {"absolute run of 3 uses 2 bytes, no pad", 4, 1, {0, 3, 0x12, 0x30, 1, 0x33, 0, 1}, {{1, 2, 3, 3}}},
        {"absolute run of 5 uses 3 bytes and a pad", 6, 1, {0, 5, 0x12, 0x31, 0x20, 0xEE, 1, 0x11, 0, 1},
         {{1, 2, 3, 1, 2, 1}}},
        {"end of row moves up", 2, 2, {2, 0x11, 0, 0, 2, 0x22, 0, 1}, {{2, 2}, {1, 1}}},
        {"runs past the row end are clipped", 3, 1, {8, 0x12, 0, 1}, {{1, 2, 1}}},
    });
}

TEST(BMPDecoderTest, RleDeltaSkipsToIndexZero)
{
    CheckRle(8, 1, {
        {"delta right and up", 4, 3, {1, 1, 0, 2, 2, 1, 1, 2, 0, 0, 2, 3, 0, 1}, {{3, 3, 0, 0}, {0, 0, 0, 2}, {1, 0, 0, 0}}},
        {"delta along the row", 4, 1, {0, 2, 2, 0, 2, 1, 0, 1}, {{0, 0, 1, 1}}},
        {"delta past the last row ends the bitmap", 2, 2, {1, 1, 0, 2, 0, 5, 1, 3}, {{0, 0}, {1, 0}}},
        {"delta past the row end stops at it", 2, 1, {0, 2, 9, 0, 0, 1}, {{0, 0}}},
    });
    CheckRle(4, 2, {
        {"RLE4 delta", 4, 2, {1, 0x10, 0, 2, 1, 1, 2, 0x22, 0, 1}, {{0, 0, 2, 2}, {1, 0, 0, 0}}},
    });
}

// Header variants, palettes and bit fields, each against known pixels.
TEST(BMPDecoderTest, Variants)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        PixelRows Expected;
        int SourceBits;
        bool Alpha;
    };
    const uint32_t red = Opaque(0xFF0000), green = Opaque(0x00FF00), blue = Opaque(0x0000FF), white = Opaque(0xFFFFFF);
    const std::vector<uint8_t> pal4 = PaletteBytes(kFourColours);
    const auto joined = [](std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const auto masks = [](std::vector<uint32_t> m) {
        ByteWriter w;
        for (uint32_t v : m)
            w.LE32(v);
        return w.Bytes();
    };
    const Case cases[] = {
        {"OS/2 1.x: 12-byte header, 3-byte palette entries",
         MakeBmpVariant({Os21Header(3, 1, 8), PaletteBytes(kFourColours, 3), {1, 2, 3, 0}}), {{red, green, blue}}, 8,
         false},
        {"palette entries beyond the data offset are not read",
         MakeBmpVariant({SizedHeader(40, 2, 1, 4), PaletteBytes({0x0000FF, 0x00FF00}), {0x12, 0, 0, 0}}),
         {{green, Opaque(0x000000)}}, 4, false},
        {"OS/2 1.x, 1 bit", MakeBmpVariant({Os21Header(2, 1, 1), PaletteBytes({0x0000FF, 0xFFFFFF}, 3), {0x40, 0, 0, 0}}),
         {{blue, white}}, 1, false},
        {"OS/2 2.x, 16-byte header", MakeBmpVariant({SizedHeader(16, 1, 1, 24), {}, {0xFF, 0, 0, 0}}), {{blue}}, 24,
         false},
        {"OS/2 2.x, 64-byte header", MakeBmpVariant({SizedHeader(64, 2, 1, 4), pal4, {0x13, 0, 0, 0}}), {{red, blue}}, 4,
         false},
        {"52 bytes, 5-6-5 bit fields",
         MakeBmpVariant({SizedHeader(52, 3, 1, 16, 3, 0, {0xF800, 0x07E0, 0x001F}), {}, {0x00, 0xF8, 0xE0, 0x07, 0x21, 0x08, 0, 0}}),
         {{red, green, Opaque(0x080408)}}, 16, false},
        {"56 bytes, 1-5-5-5 with alpha",
         MakeBmpVariant({SizedHeader(56, 2, 1, 16, 3, 0, {0x7C00, 0x03E0, 0x001F, 0x8000}), {}, {0x1F, 0x80, 0x1F, 0x00}}),
         {{blue, 0x000000FFu}}, 16, true},
        {"40 bytes, 16 bits: 5-5-5", MakeBmp({2, 1, 16, 0, 0, 40, {}, {0xFF, 0x7F, 0x00, 0x7C}}), {{white, red}}, 16, false},
        {"40 bytes, bit fields after the header",
         MakeBmpVariant({SizedHeader(40, 1, 1, 32, 3), masks({0xFF, 0xFF00, 0xFF0000}), {0x11, 0x22, 0x33, 0x44}}),
         {{Opaque(0x112233)}}, 32, false},
        {"40 bytes, alpha bit fields, 4-4-4-4",
         MakeBmpVariant({SizedHeader(40, 1, 1, 16, 6), masks({0x0F00, 0x00F0, 0x000F, 0xF000}), {0x21, 0x83, 0, 0}}),
         {{0x88332211u}}, 16, true},
        {"40 bytes, 16-bit bit fields all zero: 5-5-5", MakeBmpVariant({SizedHeader(40, 1, 1, 16, 3), masks({0, 0, 0}), {0x1F, 0, 0, 0}}),
         {{blue}}, 16, false},
        {"108 bytes, 32 bits: varying fourth bytes are alpha",
         MakeBmpVariant({SizedHeader(108, 2, 1, 32), {}, {1, 2, 3, 0, 4, 5, 6, 0x80}}), {{0x00030201u, 0x80060504u}}, 32,
         true},
        {"124 bytes, 32 bits: a constant fourth byte is opaque",
         MakeBmpVariant({SizedHeader(124, 2, 1, 32), {}, {1, 2, 3, 0, 4, 5, 6, 0}}), {{Opaque(0x030201), Opaque(0x060504)}},
         32, false},
        {"an alpha mask with alpha 0 everywhere is opaque",
         MakeBmpVariant({SizedHeader(56, 2, 1, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), {}, {1, 2, 3, 0, 4, 5, 6, 0}}),
         {{Opaque(0x030201), Opaque(0x060504)}}, 32, false},
        {"124 bytes, 32-bit bit fields with alpha",
         MakeBmpVariant({SizedHeader(124, 1, 1, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), {}, {1, 2, 3, 0x40}}),
         {{0x40030201u}}, 32, true},
        {"pixels at the data offset, after a gap",
         MakeBmpVariant({SizedHeader(40, 2, 1, 8), joined(pal4, {0xEE, 0xEE, 0xEE, 0xEE}), {3, 1, 0, 0}, 14 + 40 + 16 + 4}),
         {{blue, red}}, 8, false},
        {"data offset inside the headers is ignored",
         MakeBmpVariant({SizedHeader(40, 1, 1, 24), {}, {0xFF, 0, 0, 0}, 20}), {{blue}}, 24, false},
        {"palette smaller than the depth needs", MakeBmpVariant({SizedHeader(40, 2, 1, 8, 0, 2), PaletteBytes({0x0000FF, 0xFF0000}), {1, 0, 0, 0}}),
         {{red, blue}}, 8, false},
        {"true colour with a palette before the pixels",
         MakeBmpVariant({SizedHeader(40, 1, 1, 24, 0, 2), PaletteBytes({0, 0}), {0, 0xFF, 0, 0}}), {{green}}, 24, false},
        {"OS/2 RLE24: runs, an absolute run with its pad, a delta, black where never reached",
         MakeBmpVariant({SizedHeader(64, 4, 2, 24, 4), {},
                         {0, 3, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xEE, 1, 0xFF, 0, 0, 0, 0, 0, 2, 1, 0, 1,
                          0, 0xFF, 0, 0, 1}}),
         {{Opaque(0), green, Opaque(0), Opaque(0)}, {green, red, white, blue}}, 24, false},
        {"embedded PNG",
         MakeBmpVariant({SizedHeader(40, 2, 1, 0, 5), {},
                         {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
                          0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xF4,
                          0x22, 0x7F, 0x8A, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8,
                          0xCF, 0xC0, 0xD0, 0xC0, 0xC0, 0xF0, 0xDF, 0x01, 0x00, 0x0C, 0xBF, 0x02, 0xBF, 0xC6, 0x7A,
                          0x10, 0x15, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82}}),
         {{0x80FF0000u, 0x400000FFu}}, 32, true},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes(c.File);
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.SourceBits) << c.Name;
        EXPECT_EQ(d.Bitmap.HasAlpha, c.Alpha) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }
}

// Fixtures no peer reads decode to the pixels of one a peer does read.
TEST(BMPDecoderTest, VariantFilesMatchTheirPlainTwins)
{
    const std::pair<const char*, const char*> twins[] = {
        {"bmp-os2-16byte-24bit.bmp", "bmp-im-bmp2-os2.bmp"},
        {"bmp-os2-64byte-rle24.bmp", "bmp-im-bmp2-os2.bmp"},
        {"bmp-palette-300.bmp", "bmp-palette-short.bmp"},
    };
    for (const auto& [file, twin] : twins) {
        const DecodeResult a = DecodePath(TestDataPath("variants", file));
        const DecodeResult b = DecodePath(TestDataPath("variants", twin));
        ASSERT_EQ(a.Code, 0) << file << ": " << a.Text;
        ASSERT_EQ(b.Code, 0) << twin << ": " << b.Text;
        EXPECT_EQ(Rows32(a.Bitmap), Rows32(b.Bitmap)) << file;
    }
    // The RLE8 stream that ends two rows early leaves them at palette entry 0.
    const DecodeResult early = DecodePath(TestDataPath("variants", "bmp-rle8-early-end.bmp"));
    const DecodeResult full = DecodePath(TestDataPath("variants", "bmp-palette-short.bmp"));
    ASSERT_EQ(early.Code, 0) << early.Text;
    PixelRows expected = Rows32(full.Bitmap);
    expected[0].assign(expected[0].size(), Opaque(0x000028));
    expected[1].assign(expected[1].size(), Opaque(0x000028));
    EXPECT_EQ(Rows32(early.Bitmap), expected);
}

TEST(BMPDecoderTest, EmbeddedJpegDecodesAsTheJpeg)
{
    const std::vector<uint8_t> jpeg = ReadWholeFile(TestDataPath("pict", "jpeg-colour.jpg"));
    ASSERT_FALSE(jpeg.empty());
    const DecodeResult inBmp = DecodeBytes(MakeBmpVariant({SizedHeader(124, 1, 1, 0, 4), {}, jpeg}));
    const DecodeResult plain = DecodeBytes(jpeg, 32, "test.jpg");
    ASSERT_EQ(inBmp.Code, 0) << inBmp.Text;
    ASSERT_EQ(plain.Code, 0) << plain.Text;
    EXPECT_EQ(Rows32(inBmp.Bitmap), Rows32(plain.Bitmap));
}

TEST(BMPDecoderTest, Errors)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    BmpLayout header41;
    header41.HeaderSize = 41;
    header41.Pixels = {1, 2, 3, 0};
    BmpLayout sixteen{1, 1, 16, 0, 0, 40, {}, {1, 2, 3, 4}};
    BmpLayout twoBits{1, 1, 2, 0, 0, 40, kFourColours, {1, 2, 3, 4}};
    BmpLayout delta8{2, 2, 8, 1, 4, 40, kFourColours, {0, 2, 1}};
    BmpLayout sizeOver3{1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}, 3};
    BmpLayout cutPixels{4, 4, 24, 0, 0, 40, {}, std::vector<uint8_t>(40, 7)};
    BmpLayout cutPalette{1, 1, 8, 0, 0, 40, {0, 1, 2}, {}};
    BmpLayout cutRle{4, 4, 8, 1, 4, 40, kFourColours, {4, 1, 0, 0, 0, 5, 1}};
    BmpLayout zeroWidth{0, 1, 24, 0, 0, 40, {}, {}};
    BmpLayout negativeWidth{-5, 1, 24, 0, 0, 40, {}, std::vector<uint8_t>(20)};
    const std::vector<uint8_t> notBmpPrefix = MakeBmp(sixteen);
    std::vector<uint8_t> notBmp = MakeBmp(sixteen);
    notBmp[1] = 'X';
    const Case cases[] = {
        {"header size other than 40", MakeBmp(header41), 2, "Bitmap decoder: BITMAPINFOHEADER has wrong size."},
        {"2 bits", MakeBmp(twoBits), 2, "Decoding bmp: Illegal bpp value."},
        {"OS/2 Huffman", MakeBmpVariant({SizedHeader(64, 8, 1, 1, 3), PaletteBytes({0, 0xFFFFFF}), {0, 0, 0, 0}}), 6,
         "Bitmap decoder: Huffman-compressed bitmaps are not supported."},
        {"OS/2 RLE24 cut short", MakeBmpVariant({SizedHeader(64, 2, 1, 24, 4), {}, {2, 1, 2}}), 7, nullptr},
        {"header size 20 and odd", MakeBmpVariant({SizedHeader(21, 1, 1, 24), {}, {1, 2, 3, 0}}), 2,
         "Bitmap decoder: BITMAPINFOHEADER has wrong size."},
        {"header size 100", MakeBmpVariant({SizedHeader(100, 1, 1, 24), {}, {1, 2, 3, 0}}), 2,
         "Bitmap decoder: BITMAPINFOHEADER has wrong size."},
        {"RLE8 delta cut short", MakeBmp(delta8), 7, nullptr},
        {"embedded PNG that is not one", MakeBmpVariant({SizedHeader(40, 1, 1, 0, 5), {}, std::vector<uint8_t>(64, 1)}), 2, nullptr},
        {"size field 3 bytes over the file", MakeBmp(sizeOver3), 7, nullptr},
        {"pixel rows cut short", MakeBmp(cutPixels), 7, nullptr},
        {"palette cut short", MakeBmp(cutPalette), 7, nullptr},
        {"RLE stream cut short", MakeBmp(cutRle), 7, nullptr},
        {"header cut short", std::vector<uint8_t>(notBmpPrefix.begin(), notBmpPrefix.begin() + 30), 7, nullptr},
        {"zero width", MakeBmp(zeroWidth), 2, nullptr},
        {"negative width", MakeBmp(negativeWidth), 2, nullptr},
        {"starts BM but is no bitmap", std::vector<uint8_t>{'B', 'M', 0, 0}, 7, nullptr},
        {"not BM at all", notBmp, 8, "Unknown file type."},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name << ": " << d.Text;
        if (c.Text) {
            EXPECT_EQ(d.Text, c.Text) << c.Name;
        }
    }
}

TEST(BMPDecoderTest, SizeFieldMayOverstateByTwo)
{
    for (int extra : {-10, 0, 1, 2}) {
        const DecodeResult d = DecodeBytes(MakeBmp({1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}, extra}));
        EXPECT_EQ(d.Code, 0) << extra << ": " << d.Text;
    }
}

TEST(BMPDecoderTest, LargeColourCountKeepsPixelsInPlace)
{
    // 300 entries: the first 256 are used, the pixel data follows all 300.
    BmpLayout layout{2, 1, 8, 0, 300, 40, {}, {1, 255, 0, 0}};
    for (uint32_t i = 0; i < 300; ++i)
        layout.Palette.push_back(i < 256 ? i * 0x010101 : 0xABCDEF);
    const DecodeResult d = DecodeBytes(MakeBmp(layout));
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Opaque(0x010101), Opaque(0xFFFFFF)}}));
}

TEST(BMPDecoderTest, HugeSizesFailBeforeAllocating)
{
    // Claims 30000 x 30000 at 32 bits (3.6 GB) with a 1 KB RLE file.
    BmpLayout rle{30000, 30000, 8, 1, 4, 40, kFourColours, std::vector<uint8_t>(1024, 0)};
    setenv("OCULANE_MAX_IMAGE_BYTES", "100000000", 1);
    const DecodeResult d = DecodeBytes(MakeBmp(rle));
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(d.Code, 10);
    EXPECT_EQ(d.Text, "Out of memory.");

    // Over the 4 GiB default: no allocation is attempted.
    BmpLayout huge{INT32_MAX, INT32_MAX, 8, 1, 4, 40, kFourColours, {0, 1}};
    const DecodeResult h = DecodeBytes(MakeBmp(huge));
    EXPECT_EQ(h.Code, 10);

    // Uncompressed rows that the file cannot hold fail as a short file, before allocating.
    BmpLayout flat{100000, 100000, 24, 0, 0, 40, {}, std::vector<uint8_t>(64)};
    const DecodeResult f = DecodeBytes(MakeBmp(flat));
    EXPECT_EQ(f.Code, 7);
}

} // namespace
