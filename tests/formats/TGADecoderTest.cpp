#include "formats/TGADecoder.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

namespace {

struct TgaLayout {
    uint8_t Type = 2;
    uint16_t Width = 1;
    uint16_t Height = 1;
    uint8_t Depth = 24;
    uint8_t Descriptor = 0;
    std::vector<uint8_t> Pixels = {};
    uint8_t MapType = 0;
    uint16_t FirstEntry = 0;
    uint16_t MapLength = 0;
    uint8_t EntrySize = 0;
    std::vector<uint8_t> Map = {};
    uint8_t IdLength = 0;
};

std::vector<uint8_t> MakeTga(const TgaLayout& s)
{
    ByteWriter w;
    w.U8(s.IdLength).U8(s.MapType).U8(s.Type).LE16(s.FirstEntry).LE16(s.MapLength).U8(s.EntrySize);
    w.LE16(0).LE16(0).LE16(s.Width).LE16(s.Height).U8(s.Depth).U8(s.Descriptor);
    w.Repeat('i', s.IdLength).Append(s.Map).Append(s.Pixels);
    return w.Bytes();
}

// A 24-bit map of four colours: red, green, blue, white (stored blue, green, red).
const std::vector<uint8_t> kMap24 = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};

TgaLayout Mapped(uint8_t type, uint16_t width, uint16_t height, std::vector<uint8_t> pixels)
{
    TgaLayout s;
    s.Type = type;
    s.Width = width;
    s.Height = height;
    s.Depth = 8;
    s.Pixels = std::move(pixels);
    s.MapType = 1;
    s.MapLength = 4;
    s.EntrySize = 24;
    s.Map = kMap24;
    return s;
}

struct Case {
    const char* Name;
    TgaLayout Layout;
    PixelRows Expected;
    bool HasAlpha = false;
};

void Check(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CTGADecoder>(MakeTga(c.Layout));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.Layout.Depth) << c.Name;
        EXPECT_EQ(d.Bitmap.HasAlpha, c.HasAlpha) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }
}

TEST(TGADecoderTest, UncompressedDepths)
{
    TgaLayout bottomUp{2, 2, 2, 24, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
    TgaLayout topDown = bottomUp;
    topDown.Descriptor = 0x20;
    TgaLayout withId = bottomUp;
    withId.IdLength = 5;
    TgaLayout grey{3, 3, 1, 8, 0, {0, 0x80, 0xFF}};
    TgaLayout mapped15 = Mapped(1, 3, 1, {0, 2, 3});
    mapped15.FirstEntry = 2;
    mapped15.MapLength = 2;
    mapped15.EntrySize = 15;
    mapped15.Map = {0xFF, 0x7F, 0x1F, 0x00}; // entry 2 white, entry 3 blue; 0 is left out
    TgaLayout rightToLeft = bottomUp;
    rightToLeft.Descriptor = 0x10;
    TgaLayout topRight = bottomUp;
    topRight.Descriptor = 0x30;
    TgaLayout mapped16 = Mapped(1, 2, 1, {0, 1});
    mapped16.MapLength = 2;
    mapped16.EntrySize = 16;
    mapped16.Map = {0x00, 0x7C, 0xE0, 0x03}; // red, green; the attribute bit is clear
    TgaLayout mappedRtl = Mapped(1, 2, 1, {0, 1});
    mappedRtl.Descriptor = 0x10;
    Check({
        {"24 bit: the first stored row is the bottom row", bottomUp,
         {{Opaque(0x090807), Opaque(0x0C0B0A)}, {Opaque(0x030201), Opaque(0x060504)}}},
        {"descriptor bit 5: the first stored row is the top row", topDown,
         {{Opaque(0x030201), Opaque(0x060504)}, {Opaque(0x090807), Opaque(0x0C0B0A)}}},
        {"the ID field is skipped", withId,
         {{Opaque(0x090807), Opaque(0x0C0B0A)}, {Opaque(0x030201), Opaque(0x060504)}}},
        {"15 bit: five bits a channel, widened by repeating bits", {2, 3, 1, 15, 0, {0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x03}},
         {{Opaque(0xFFFFFF), Opaque(0x0000FF), Opaque(0x00FF00)}}},
        {"16 bit without attribute bits is opaque", {2, 2, 1, 16, 0, {0x00, 0x7C, 0x00, 0xFC}},
         {{Opaque(0xFF0000), Opaque(0xFF0000)}}, true},
        {"16 bit with an attribute bit takes alpha from bit 15", {2, 2, 1, 16, 1, {0x00, 0x7C, 0x00, 0xFC}},
         {{0x00FF0000u, Opaque(0xFF0000)}}, true},
        {"32 bit keeps blue, green, red, alpha", {2, 2, 1, 32, 8, {1, 2, 3, 0x40, 4, 5, 6, 0xFF}},
         {{0x40030201u, 0xFF060504u}}, true},
        {"32 bit whose alpha is 0 everywhere is opaque", {2, 2, 1, 32, 0, {1, 2, 3, 0, 4, 5, 6, 0}},
         {{Opaque(0x030201), Opaque(0x060504)}}, true},
        {"16 bit whose attribute bit is clear everywhere is opaque", {2, 2, 1, 16, 1, {0x00, 0x7C, 0x1F, 0x00}},
         {{Opaque(0xFF0000), Opaque(0x0000FF)}}, true},
        {"greyscale", grey, {{Opaque(0x000000), Opaque(0x808080), Opaque(0xFFFFFF)}}},
        {"colour-mapped, 24-bit map", Mapped(1, 4, 1, {3, 2, 1, 0}),
         {{Opaque(0xFFFFFF), Opaque(0x0000FF), Opaque(0x00FF00), Opaque(0xFF0000)}}},
        {"colour-mapped, 15-bit map from entry 2; entries left out are black", mapped15,
         {{Opaque(0x000000), Opaque(0xFFFFFF), Opaque(0x0000FF)}}},
        {"8-bit true colour without a map is grey", {2, 2, 1, 8, 0, {0x10, 0xF0}},
         {{Opaque(0x101010), Opaque(0xF0F0F0)}}},
        {"descriptor bit 4: the first stored pixel is the rightmost", rightToLeft,
         {{Opaque(0x0C0B0A), Opaque(0x090807)}, {Opaque(0x060504), Opaque(0x030201)}}},
        {"descriptor bits 4 and 5: top right first", topRight,
         {{Opaque(0x060504), Opaque(0x030201)}, {Opaque(0x0C0B0A), Opaque(0x090807)}}},
        {"16-bit grey takes its second byte as alpha", {3, 2, 1, 16, 8, {0x40, 0x80, 0xFF, 0x00}},
         {{0x80404040u, 0x00FFFFFFu}}, true},
        {"16-bit grey without attribute bits is opaque", {3, 2, 1, 16, 0, {0x40, 0x80, 0xFF, 0x00}},
         {{Opaque(0x404040), Opaque(0xFFFFFF)}}, true},
        {"colour-mapped, 16-bit map entries are opaque", mapped16,
         {{Opaque(0xFF0000), Opaque(0x00FF00)}}},
        {"8-bit mapped, right to left", mappedRtl, {{Opaque(0x00FF00), Opaque(0xFF0000)}}},
    });
}

TEST(TGADecoderTest, RunLengthEncoded)
{
    TgaLayout mapped = Mapped(9, 5, 2, {0x82, 1, 0x01, 3, 0, 0x84, 2});
    TgaLayout clippedRun{10, 3, 2, 24, 0x20, {0x84, 1, 2, 3, 0x82, 4, 5, 6}};
    TgaLayout clippedRaw{10, 2, 2, 24, 0x20, {0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0x81, 9, 9, 9}};
    TgaLayout grey{11, 4, 1, 8, 0, {0x81, 0x20, 0x01, 0x40, 0x60}};
    Check({
        {"colour-mapped runs and raw packets give opaque map colours", mapped,
         {{Opaque(0x0000FF), Opaque(0x0000FF), Opaque(0x0000FF), Opaque(0x0000FF), Opaque(0x0000FF)},
          {Opaque(0x00FF00), Opaque(0x00FF00), Opaque(0x00FF00), Opaque(0xFFFFFF), Opaque(0xFF0000)}}},
        {"a run past the row end continues on the next row", clippedRun,
         {{Opaque(0x030201), Opaque(0x030201), Opaque(0x030201)},
          {Opaque(0x030201), Opaque(0x030201), Opaque(0x060504)}}},
        {"a raw packet past the row end continues on the next row", clippedRaw,
         {{Opaque(0x010101), Opaque(0x020202)}, {Opaque(0x030303), Opaque(0x090909)}}},
        {"one packet may cover several rows", {10, 1, 3, 24, 0x20, {0x82, 7, 7, 7}},
         {{Opaque(0x070707)}, {Opaque(0x070707)}, {Opaque(0x070707)}}},
        {"right to left, continued raw packet", {10, 2, 2, 24, 0x30, {0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0x00, 4, 4, 4}},
         {{Opaque(0x020202), Opaque(0x010101)}, {Opaque(0x040404), Opaque(0x030303)}}},
        {"16-bit grey with alpha", {11, 3, 1, 16, 8, {0x81, 0x40, 0x80, 0x00, 0xFF, 0x10}},
         {{0x80404040u, 0x80404040u, 0x10FFFFFFu}}, true},
        {"greyscale", grey, {{Opaque(0x202020), Opaque(0x202020), Opaque(0x404040), Opaque(0x606060)}}},
        {"32 bit", {10, 3, 1, 32, 8, {0x81, 1, 2, 3, 4, 0x00, 5, 6, 7, 8}},
         {{0x04030201u, 0x04030201u, 0x08070605u}}, true},
        {"16 bit", {10, 2, 1, 16, 1, {0x81, 0x1F, 0x80}}, {{Opaque(0x0000FF), Opaque(0x0000FF)}}, true},
    });
}

TEST(TGADecoderTest, EightBitTargets)
{
    const DecodeResult grey = DecodeBytes<CTGADecoder>(MakeTga({3, 3, 1, 8, 0, {5, 0x80, 0xFF}}), 0);
    ASSERT_EQ(grey.Code, 0) << grey.Text;
    EXPECT_EQ(grey.Bitmap.BitsPerPixel, 8);
    EXPECT_EQ(Rows8(grey.Bitmap), (ByteRows{{5, 0x80, 0xFF}}));
    for (int i : {0, 5, 0x80, 0xFF}) {
        const PaletteEntry& e = grey.Bitmap.Palette[i];
        EXPECT_TRUE(e.Red == i && e.Green == i && e.Blue == i && e.Alpha == 255) << i;
    }

    const DecodeResult mapped = DecodeBytes<CTGADecoder>(MakeTga(Mapped(9, 3, 1, {0x81, 3, 0x00, 1})), 8);
    ASSERT_EQ(mapped.Code, 0) << mapped.Text;
    EXPECT_EQ(mapped.Bitmap.BitsPerPixel, 8);
    EXPECT_EQ(Rows8(mapped.Bitmap), (ByteRows{{3, 3, 1}}));
    EXPECT_EQ(PackPixel(mapped.Bitmap.Palette[1]), Opaque(0x00FF00));
    EXPECT_EQ(PackPixel(mapped.Bitmap.Palette[3]), Opaque(0xFFFFFF));

    TgaLayout rightToLeft = Mapped(9, 3, 1, {0x81, 3, 0x00, 1});
    rightToLeft.Descriptor = 0x10;
    const DecodeResult mirrored = DecodeBytes<CTGADecoder>(MakeTga(rightToLeft), 8);
    ASSERT_EQ(mirrored.Code, 0) << mirrored.Text;
    EXPECT_EQ(Rows8(mirrored.Bitmap), (ByteRows{{1, 3, 3}}));

    // Only 8-bit files keep indices; other requests decode at 32 bits.
    struct Request {
        const char* Name;
        TgaLayout Layout;
        int Depth;
    };
    const Request requests[] = {
        {"24 bit asked for at 0", {2, 1, 1, 24, 0, {1, 2, 3}}, 0},
        {"24 bit asked for at 8", {2, 1, 1, 24, 0, {1, 2, 3}}, 8},
        {"colour-mapped asked for at 1", Mapped(1, 1, 1, {2}), 1},
    };
    for (const Request& r : requests) {
        const DecodeResult d = DecodeBytes<CTGADecoder>(MakeTga(r.Layout), r.Depth);
        ASSERT_EQ(d.Code, 0) << r.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << r.Name;
    }
}

TEST(TGADecoderTest, ColourMapIndicesPast255AreReadOver)
{
    // Entries 254 to 257: the last two cannot be addressed, but the pixels
    // still start after all four.
    TgaLayout s = Mapped(1, 2, 1, {254, 255});
    s.FirstEntry = 254;
    const DecodeResult d = DecodeBytes<CTGADecoder>(MakeTga(s));
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Opaque(0xFF0000), Opaque(0x00FF00)}}));
}

TEST(TGADecoderTest, Errors)
{
    struct ErrorCase {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    const std::vector<uint8_t> good = MakeTga({2, 2, 2, 24, 0, std::vector<uint8_t>(12, 7)});
    TgaLayout badEntrySize = Mapped(1, 1, 1, {0});
    badEntrySize.EntrySize = 0;
    TgaLayout cutMap = Mapped(1, 1, 1, {});
    cutMap.Map.resize(6);
    const ErrorCase cases[] = {
        {"image type 0", MakeTga({0, 1, 1, 24, 0, {1, 2, 3}}), 2, "Unknown TGA image type."},
        {"image type 12", MakeTga({12, 1, 1, 24, 0, {1, 2, 3}}), 2, "Unknown TGA image type."},
        {"pixel depth 12", MakeTga({2, 1, 1, 12, 0, {1, 2}}), 2, "Illegal TGA pixel depth."},
        {"colour-map entry size 0", MakeTga(badEntrySize), 2, "Illegal colour map entry size."},
        {"zero width", MakeTga({2, 0, 1, 24, 0, {}}), 2, "Illegal image size."},
        {"zero height", MakeTga({2, 1, 0, 24, 0, {}}), 2, "Illegal image size."},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 17), 7, "Unexpected end of file."},
        {"pixels cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), 7, "Unexpected end of file."},
        {"ID field past the end", MakeTga({2, 1, 1, 24, 0, {}, 0, 0, 0, 0, {}, 40}), 7, "Unexpected end of file."},
        {"colour map cut short", MakeTga(cutMap), 7, "Unexpected end of file."},
        {"RLE data cut short", MakeTga({10, 4, 1, 24, 0, {0x81, 1, 2, 3, 0x01, 4}}), 7,
         "Unexpected end of file."},
        {"RLE packet header missing", MakeTga({10, 4, 2, 24, 0, {0x83, 1, 2, 3, 0x00, 1, 2, 3}}), 7,
         "Unexpected end of file."},
        {"65535 x 65535 from a few bytes", MakeTga({2, 65535, 65535, 32, 0, {1, 2, 3, 4}}), 7,
         "Unexpected end of file."},
        {"65535 x 65535 run-length encoded from a few bytes", MakeTga({10, 65535, 65535, 24, 0, {0xFF, 1, 2, 3}}),
         7, "Unexpected end of file."},
    };
    for (const ErrorCase& c : cases) {
        const DecodeResult d = DecodeBytes<CTGADecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name;
        EXPECT_EQ(d.Text, c.Text) << c.Name;
    }
}

// Files written by ImageMagick decode to ImageMagick's pixels.
TEST(TGADecoderTest, ImageMagickFiles)
{
    struct File {
        const char* Name;
        int SourceBits;
        bool HasAlpha;
    };
    const File files[] = {
        {"rose-24-bottomup", 24, false},    {"rose-24-rle-topdown", 24, false},
        {"rose-8-colormap-rle", 8, false},  {"rose-8-colormap-topdown", 8, false},
        {"rose-grey", 8, false},            {"rose-grey-rle", 8, false},
        {"rose-32-alpha", 32, true},        {"rose-32-alpha-rle", 32, true},
    };
    for (const File& f : files) {
        CTGADecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("tga", std::string(f.Name) + ".tga"), bitmap, 32)) << f.Name;
        EXPECT_EQ(bitmap.Width, 29) << f.Name;
        EXPECT_EQ(bitmap.Height, 17) << f.Name;
        EXPECT_EQ(bitmap.SourceBitsPerPixel, f.SourceBits) << f.Name;
        EXPECT_EQ(bitmap.HasAlpha, f.HasAlpha) << f.Name;
        EXPECT_TRUE(RgbaBytes(bitmap) == ReadWholeFile(TestDataPath("tga", std::string(f.Name) + ".rgba")))
            << f.Name;
    }
}

} // namespace
