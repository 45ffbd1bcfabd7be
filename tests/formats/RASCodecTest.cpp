#include "formats/RASCodec.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kUseDataSize = 0xFFFFFFFFu;

struct RasLayout {
    uint32_t Width = 1;
    uint32_t Height = 1;
    uint32_t Depth = 24;
    uint32_t Type = 1;
    std::vector<uint8_t> Data = {}; // rows padded to 16 bits, encoded for type 2
    uint32_t MapType = 0;
    std::vector<uint8_t> Map = {};
    uint32_t Length = kUseDataSize;
    uint32_t Magic = 0x59A66A95;
};

std::vector<uint8_t> MakeRas(const RasLayout& s)
{
    ByteWriter w;
    auto be32 = [&w](uint32_t v) { w.U8(uint8_t(v >> 24)).U8(uint8_t(v >> 16)).U8(uint8_t(v >> 8)).U8(uint8_t(v)); };
    be32(s.Magic);
    be32(s.Width);
    be32(s.Height);
    be32(s.Depth);
    be32(s.Length == kUseDataSize ? uint32_t(s.Data.size()) : s.Length);
    be32(s.Type);
    be32(s.MapType);
    be32(uint32_t(s.Map.size()));
    w.Append(s.Map).Append(s.Data);
    return w.Bytes();
}

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return PackPixel(r, g, b);
}

uint32_t Grey(uint8_t v)
{
    return PackPixel(v, v, v);
}

const uint32_t kBlack = Grey(0), kWhite = Grey(255);

// 256 entries: red 255 - i, green i / 2, blue i.
std::vector<uint8_t> FullMap()
{
    std::vector<uint8_t> map;
    for (int i = 0; i < 256; ++i)
        map.push_back(uint8_t(255 - i));
    for (int i = 0; i < 256; ++i)
        map.push_back(uint8_t(i / 2));
    for (int i = 0; i < 256; ++i)
        map.push_back(uint8_t(i));
    return map;
}

struct Case {
    const char* Name;
    RasLayout Layout;
    PixelRows Expected;
};

void Check(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CRASDecoder>(MakeRas(c.Layout));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
        EXPECT_FALSE(d.Bitmap.HasAlpha) << c.Name;
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, int(c.Layout.Depth)) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }
}

TEST(RASCodecTest, Depths)
{
    // Entries 0-2 of a type-1 map: red, green, blue.
    const std::vector<uint8_t> threeColours = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    const PixelRows bwb = {{kBlack, kWhite, kBlack}, {kWhite, kBlack, kWhite}};
    Check({
        {"1 bit without a map: set bits black, clear bits white", {3, 2, 1, 1, {0xA0, 0, 0x40, 0}}, bwb},
        {"1 bit with a map: bit 1 takes entry 1", {3, 1, 1, 1, {0xA0, 0}, 1, {10, 200, 20, 150, 30, 100}},
         {{Rgb(200, 150, 100), Rgb(10, 20, 30), Rgb(200, 150, 100)}}},
        {"8 bits without a map: grey", {3, 1, 8, 1, {0, 0x80, 0xFF, 0}}, {{Grey(0), Grey(128), Grey(255)}}},
        {"8 bits, type-1 map; indices past it are black", {4, 1, 8, 1, {2, 0, 1, 5}, 1, threeColours},
         {{Rgb(0, 0, 255), Rgb(255, 0, 0), Rgb(0, 255, 0), kBlack}}},
        {"8 bits, raw map: one byte for all three channels", {2, 1, 8, 1, {1, 0}, 2, {30, 60}},
         {{Grey(60), Grey(30)}}},
        {"a type-1 map's odd last byte is read over", {2, 1, 8, 1, {1, 0}, 1, {1, 2, 3, 4, 5, 6, 99}},
         {{Rgb(2, 4, 6), Rgb(1, 3, 5)}}},
        {"24 bits, blue, green, red; odd width padded", {1, 2, 24, 1, {1, 2, 3, 0, 4, 5, 6, 0}},
         {{Rgb(3, 2, 1)}, {Rgb(6, 5, 4)}}},
        {"24 bits, type 3: red, green, blue", {2, 1, 24, 3, {1, 2, 3, 4, 5, 6}}, {{Rgb(1, 2, 3), Rgb(4, 5, 6)}}},
        {"32 bits skip the leading byte", {2, 1, 32, 1, {9, 1, 2, 3, 9, 4, 5, 6}}, {{Rgb(3, 2, 1), Rgb(6, 5, 4)}}},
        {"32 bits, type 3", {1, 1, 32, 3, {9, 1, 2, 3}}, {{Rgb(1, 2, 3)}}},
        {"24 bits through a 768-byte map", {1, 1, 24, 1, {10, 20, 30, 0}, 1, FullMap()}, {{Rgb(225, 10, 10)}}},
        {"24 bits through a raw map; values past it are 0", {1, 1, 24, 1, {3, 2, 1, 0}, 2, {10, 20, 30, 40}},
         {{Rgb(20, 30, 40)}}},
        {"24 bits through a raw map, values past it", {1, 1, 24, 1, {9, 2, 1, 0}, 2, {10, 20, 30, 40}},
         {{Rgb(20, 30, 0)}}},
        {"the length field does not limit plain data", {2, 1, 24, 1, {1, 2, 3, 4, 5, 6}, 0, {}, 0},
         {{Rgb(3, 2, 1), Rgb(6, 5, 4)}}},
        {"a length past the file end does not matter for plain data", {1, 1, 8, 1, {7, 0}, 0, {}, 1000},
         {{Grey(7)}}},
    });
}

TEST(RASCodecTest, ByteEncoding)
{
    Check({
        {"0x80 0x00 is one 0x80 byte", {2, 1, 8, 2, {0x80, 0x00, 0x41}}, {{Grey(0x80), Grey(0x41)}}},
        {"0x80 0x03 0x41 is four 0x41 bytes", {4, 1, 8, 2, {0x80, 0x03, 0x41}}, {{Grey(0x41), Grey(0x41), Grey(0x41), Grey(0x41)}}},
        {"runs cross row ends, padding included", {3, 2, 8, 2, {0x80, 0x05, 0x07, 0x80, 0x01, 0x80}},
         {{Grey(7), Grey(7), Grey(7)}, {Grey(7), Grey(7), Grey(0x80)}}},
        {"a run past the image end is clipped", {2, 1, 8, 2, {0x80, 0x09, 0x09}}, {{Grey(9), Grey(9)}}},
        {"24 bits, blue, green, red", {2, 1, 24, 2, {0x80, 0x02, 0x10, 0x20, 0x30, 0x40}},
         {{Rgb(0x10, 0x10, 0x10), Rgb(0x40, 0x30, 0x20)}}},
        {"an escape that starts inside the length completes after it", {4, 1, 8, 2, {0x80, 0x03, 0x09}, 0, {}, 1},
         {{Grey(9), Grey(9), Grey(9), Grey(9)}}},
        {"1 bit", {16, 1, 1, 2, {0x80, 0x01, 0xF0}},
         {{kBlack, kBlack, kBlack, kBlack, kWhite, kWhite, kWhite, kWhite, kBlack, kBlack, kBlack, kBlack, kWhite,
           kWhite, kWhite, kWhite}}},
    });
}

TEST(RASCodecTest, Errors)
{
    struct ErrorCase {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    const char* const nonStandard = "Rasterfile has a non-standard colormap.";
    const char* const endOfFile = "Unexpected end of file.";
    const std::vector<uint8_t> good = MakeRas({2, 2, 24, 1, std::vector<uint8_t>(12, 5)});
    const std::vector<uint8_t> mapped = MakeRas({2, 1, 8, 1, {0, 1}, 1, {255, 0, 0, 255, 0, 0}});
    const ErrorCase cases[] = {
        {"wrong magic", MakeRas({1, 1, 8, 1, {1, 0}, 0, {}, kUseDataSize, 0x59A66A96}), 1, "Not a Sun rasterfile."},
        {"width 0", MakeRas({0, 1, 8, 1, {}}), 2, "Invalid width"},
        {"width with the top bit set", MakeRas({0x80000001u, 1, 8, 1, {}}), 2, "Invalid width"},
        {"height 0", MakeRas({1, 0, 8, 1, {}}), 2, "Invalid height"},
        {"negative height", MakeRas({1, 0xFFFFFFFFu, 8, 1, {}}), 2, "Invalid height"},
        {"map type 3", MakeRas({1, 1, 8, 1, {1, 0}, 3, {1, 2, 3}}), 2, "Unable to skip colormap data"},
        {"map type 0 with a length", MakeRas({1, 1, 8, 1, {1, 0}, 0, {1, 2, 3}}), 2, "Unable to skip colormap data"},
        {"1 bit, a type-1 map of 9 bytes", MakeRas({8, 1, 1, 1, {1, 0}, 1, std::vector<uint8_t>(9)}), 2, nonStandard},
        {"1 bit, a raw map of 6 bytes", MakeRas({8, 1, 1, 1, {1, 0}, 2, std::vector<uint8_t>(6)}), 2, nonStandard},
        {"24 bits, a type-1 map of 9 bytes", MakeRas({1, 1, 24, 1, {1, 2, 3, 0}, 1, std::vector<uint8_t>(9)}), 2,
         nonStandard},
        {"depth 16", MakeRas({1, 1, 16, 1, {1, 2}}), 2, "Can only handle depth 1, 8, 24, or 32."},
        {"depth 4", MakeRas({1, 1, 4, 1, {1, 2}}), 2, "Can only handle depth 1, 8, 24, or 32."},
        {"type 0", MakeRas({1, 1, 8, 0, {1, 2}}), 2, "Unable to read in the image from the rasterfile."},
        {"type 4", MakeRas({1, 1, 8, 4, {1, 2}}), 2, "Unable to read in the image from the rasterfile."},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 31), 7, endOfFile},
        {"map cut short", std::vector<uint8_t>(mapped.begin(), mapped.begin() + 37), 7, endOfFile},
        {"plain data cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), 7, endOfFile},
        {"encoded data end before the image", MakeRas({4, 1, 8, 2, {0x80, 0x01, 0x05, 0x01}}), 7, endOfFile},
        {"encoded data after the length is not used", MakeRas({4, 1, 8, 2, {1, 2, 3, 4}, 0, {}, 2}), 7, endOfFile},
        {"an escape cut short", MakeRas({4, 1, 8, 2, {1, 2, 0x80, 0x03}}), 7, endOfFile},
        {"2147483647 x 2147483647 at 32 bits from a few bytes", MakeRas({0x7FFFFFFF, 0x7FFFFFFF, 32, 1, {1, 2, 3, 4}}),
         7, endOfFile},
        {"30000 x 30000 byte-encoded from one run", MakeRas({30000, 30000, 8, 2, {0x80, 0xFF, 0x00}}), 7, endOfFile},
    };
    for (const ErrorCase& c : cases) {
        const DecodeResult d = DecodeBytes<CRASDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name;
        EXPECT_EQ(d.Text, c.Text) << c.Name;
    }
}

// ImageMagick's files and the variants it cannot write, 29 x 17 (odd width: padded rows).
TEST(RASCodecTest, Files)
{
    const char* const files[] = {
        "rose-24-rgb", "rose-8-map",   "rose-24-bgr-rle", "rose-32",
        "rose-8-map-rle", "rose-8-nomap", "rose-1-nomap", "rose-1-map",
    };
    for (const std::string name : files) {
        CRASDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("ras", name + ".ras"), bitmap, 32)) << name;
        EXPECT_EQ(bitmap.Width, 29) << name;
        EXPECT_EQ(bitmap.Height, 17) << name;
        EXPECT_TRUE(RgbaBytes(bitmap) == ReadWholeFile(TestDataPath("ras", name + ".rgba"))) << name;
    }
}

} // namespace
