#include "formats/GIFCodec.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

using Indices = std::vector<uint8_t>;

// Codes packed least significant bit first, as GIF stores them.
class CodeWriter {
public:
    void Put(int code, int width)
    {
        m_Acc |= uint64_t(code) << m_Bits;
        m_Bits += width;
        while (m_Bits >= 8) {
            m_Bytes.push_back(uint8_t(m_Acc));
            m_Acc >>= 8;
            m_Bits -= 8;
        }
    }
    std::vector<uint8_t> Finish()
    {
        if (m_Bits > 0)
            m_Bytes.push_back(uint8_t(m_Acc));
        m_Bits = 0;
        m_Acc = 0;
        return m_Bytes;
    }

private:
    std::vector<uint8_t> m_Bytes;
    uint64_t m_Acc = 0;
    int m_Bits = 0;
};

struct LzwOptions {
    bool EndCode = true;
    bool ClearWhenFull = true; // false: keep coding with the full table
};

// A straightforward GIF LZW coder (the dictionary in a map).
std::vector<uint8_t> Lzw(const Indices& pixels, int minCodeSize, LzwOptions options = {})
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    int next = clear + 2;
    bool cleared = false;
    std::map<std::pair<int, int>, int> table;
    CodeWriter out;
    auto emit = [&](int code) {
        out.Put(code, width);
        if (cleared) {
            width = minCodeSize + 1;
            cleared = false;
        } else if (width < 12 && next > (1 << width) - 1) {
            ++width;
        }
    };
    emit(clear);
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int k = pixels[i];
        auto found = table.find({prefix, k});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        emit(prefix);
        if (next < 4096) {
            table[{prefix, k}] = next++;
        } else if (options.ClearWhenFull) {
            table.clear();
            next = clear + 2;
            cleared = true;
            emit(clear);
        }
        prefix = k;
    }
    emit(prefix);
    if (options.EndCode)
        emit(end);
    return out.Finish();
}

// Raw codes of one width each.
std::vector<uint8_t> Codes(std::initializer_list<std::pair<int, int>> codes)
{
    CodeWriter out;
    for (auto [code, width] : codes)
        out.Put(code, width);
    return out.Finish();
}

std::vector<uint8_t> SubBlocks(const std::vector<uint8_t>& data, size_t blockSize = 255, bool terminate = true)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < data.size(); i += blockSize) {
        const size_t n = std::min(blockSize, data.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + i, data.begin() + i + n);
    }
    if (terminate)
        out.push_back(0);
    return out;
}

// 0xRRGGBB colours.
void Table(ByteWriter& w, const std::vector<uint32_t>& colours, int entries)
{
    for (int i = 0; i < entries; ++i) {
        const uint32_t c = i < int(colours.size()) ? colours[i] : 0;
        w.U8(uint8_t(c >> 16)).U8(uint8_t(c >> 8)).U8(uint8_t(c));
    }
}

int SizeField(size_t colours)
{
    int bits = 1;
    while ((size_t(1) << bits) < colours)
        ++bits;
    return bits - 1;
}

ByteWriter Header(int width, int height, const std::vector<uint32_t>& global, const char* version = "GIF89a",
                  uint8_t background = 0)
{
    ByteWriter w;
    w.Text(version).LE16(uint16_t(width)).LE16(uint16_t(height));
    if (global.empty()) {
        w.U8(0).U8(background).U8(0);
    } else {
        const int field = SizeField(global.size());
        w.U8(uint8_t(0x80 | (field << 4) | field)).U8(background).U8(0);
        Table(w, global, 1 << (field + 1));
    }
    return w;
}

struct ImageLayout {
    ImageLayout(int width, int height, std::vector<uint8_t> data, int minCodeSize = 2, bool interlaced = false,
              std::vector<uint32_t> local = {}, size_t blockSize = 255, bool terminate = true) :
        Width(width), Height(height), Data(std::move(data)), MinCodeSize(minCodeSize), Interlaced(interlaced),
        Local(std::move(local)), BlockSize(blockSize), Terminate(terminate)
    {
    }
    int Width;
    int Height;
    std::vector<uint8_t> Data; // the LZW bytes, cut into sub-blocks here
    int MinCodeSize;
    bool Interlaced;
    std::vector<uint32_t> Local;
    size_t BlockSize;
    bool Terminate;
};

void Image(ByteWriter& w, const ImageLayout& s, int left = 0, int top = 0)
{
    w.Text(",").LE16(uint16_t(left)).LE16(uint16_t(top)).LE16(uint16_t(s.Width)).LE16(uint16_t(s.Height));
    uint8_t packed = s.Interlaced ? 0x40 : 0;
    if (!s.Local.empty()) {
        const int field = SizeField(s.Local.size());
        w.U8(uint8_t(packed | 0x80 | field));
        Table(w, s.Local, 1 << (field + 1));
    } else {
        w.U8(packed);
    }
    w.U8(uint8_t(s.MinCodeSize)).Append(SubBlocks(s.Data, s.BlockSize, s.Terminate));
}

std::vector<uint8_t> SimpleGif(int width, int height, const Indices& pixels, const std::vector<uint32_t>& global,
                               bool interlaced = false, int minCodeSize = 2)
{
    ByteWriter w = Header(width, height, global);
    Image(w, {width, height, Lzw(pixels, minCodeSize), minCodeSize, interlaced});
    w.Text(";");
    return w.Bytes();
}

// Expected 32-bit rows of indices through 0xRRGGBB colours.
PixelRows Expect(const std::vector<Indices>& rows, const std::vector<uint32_t>& colours)
{
    PixelRows out;
    for (const Indices& r : rows) {
        out.emplace_back();
        for (uint8_t i : r)
            out.back().push_back(Opaque(i < colours.size() ? colours[i] : 0));
    }
    return out;
}

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

TEST(GIFCodecTest, PlainAndInterlacedRowOrder)
{
    struct Case {
        const char* Name;
        int Height;
        bool Interlaced;
        std::vector<int> StoredRows; // image row of each stored row, in file order
    };
    const Case cases[] = {
        {"plain", 4, false, {0, 1, 2, 3}},
        {"interlaced, height 10", 10, true, {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}},
        {"interlaced, height 3 skips the second pass", 3, true, {0, 2, 1}},
        {"interlaced, height 1", 1, true, {0}},
    };
    for (const Case& c : cases) {
        // Stored row k is filled with index k % 4, pixel 0 with (k + 1) % 4.
        Indices stored;
        std::vector<Indices> expected(c.Height);
        for (size_t k = 0; k < c.StoredRows.size(); ++k) {
            const Indices row = {uint8_t((k + 1) % 4), uint8_t(k % 4), uint8_t(k % 4)};
            stored.insert(stored.end(), row.begin(), row.end());
            expected[c.StoredRows[k]] = row;
        }
        const DecodeResult d = DecodeBytes<CGIFDecoder>(SimpleGif(3, c.Height, stored, kFour, c.Interlaced));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
        EXPECT_FALSE(d.Bitmap.HasAlpha) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), Expect(expected, kFour)) << c.Name;
        EXPECT_TRUE(d.Notices.empty()) << c.Name;
    }
}

TEST(GIFCodecTest, Depths)
{
    const std::vector<uint8_t> file = SimpleGif(2, 1, {3, 1}, kFour);
    for (int depth : {0, 8}) {
        const DecodeResult d = DecodeBytes<CGIFDecoder>(file, depth);
        ASSERT_EQ(d.Code, 0) << depth << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 8);
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, 2);
        EXPECT_EQ(Rows8(d.Bitmap), (std::vector<Indices>{{3, 1}}));
        EXPECT_EQ(d.Bitmap.Palette[3].Blue, 255);
        EXPECT_EQ(d.Bitmap.Palette[1].Red, 255);
        EXPECT_EQ(d.Bitmap.Palette[1].Alpha, 255);
        EXPECT_EQ(d.Bitmap.Palette[4].Red, 0); // past the table
    }
    for (int depth : {32, 16, 1}) {
        const DecodeResult d = DecodeBytes<CGIFDecoder>(file, depth);
        ASSERT_EQ(d.Code, 0) << depth << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << depth;
        EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Opaque(0x0000FF), Opaque(0xFF0000)}})) << depth;
    }
}

TEST(GIFCodecTest, ColourTablesAndImages)
{
    const std::vector<uint32_t> local = {0x111111, 0x222222};
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        PixelRows Expected;
    };

    ByteWriter localOnly = Header(2, 1, kFour);
    Image(localOnly, {2, 1, Lzw({1, 0}, 2), 2, false, local});
    localOnly.Text(";");

    // The first image is the picture, on the 3 x 2 screen; the rest of the
    // screen is the background colour (index 3 of the global table).
    ByteWriter two = Header(3, 2, kFour, "GIF89a", 3);
    Image(two, {2, 1, Lzw({1, 0}, 2), 2, false, local});
    Image(two, {1, 2, Lzw({2, 3}, 2)});
    two.Text(";");

    // Extensions before the image: a graphic control block with transparency
    // (index 1), a comment and an application block; stray bytes too.
    ByteWriter extensions = Header(2, 1, kFour);
    extensions.U8s({0x21, 0xF9, 4, 0x01, 0, 0, 1, 0});
    extensions.U8s({0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0});
    extensions.U8s({0x21, 0xFF, 11}).Text("NETSCAPE2.0").U8s({3, 1, 0, 0, 0});
    extensions.U8s({0x00, 0x7F});
    Image(extensions, {2, 1, Lzw({1, 2}, 2)});
    extensions.Text(";");

    ByteWriter noTable = Header(3, 1, {});
    Image(noTable, {3, 1, Lzw({0, 1, 0}, 2)});
    noTable.Text(";");

    // Code size 1: two-bit codes, growing to three after the first table entry.
    ByteWriter codeSizeOne = Header(2, 1, kFour);
    Image(codeSizeOne, {2, 1, Codes({{2, 2}, {1, 2}, {0, 2}, {3, 3}}), 1});
    codeSizeOne.Text(";");

    ByteWriter version87 = Header(1, 1, kFour, "GIF87a");
    Image(version87, {1, 1, Lzw({2}, 2)});
    version87.Text(";");

    const Case cases[] = {
        {"local table", localOnly.Bytes(), {{Opaque(0x222222), Opaque(0x111111)}}},
        {"two images", two.Bytes(),
         {{Opaque(0x222222), Opaque(0x111111), Opaque(0x0000FF)}, {Opaque(0x0000FF), Opaque(0x0000FF), Opaque(0x0000FF)}}},
        {"extensions", extensions.Bytes(), {{0x00FF0000u, Opaque(0x00FF00)}}},
        {"no colour table: grey", noTable.Bytes(), {{Opaque(0), Opaque(0xFFFFFF), Opaque(0)}}},
        {"GIF87a", version87.Bytes(), {{Opaque(0x00FF00)}}},
        {"code size 1", codeSizeOne.Bytes(), {{Opaque(0xFF0000), Opaque(0)}}},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CGIFDecoder>(c.File);
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }

    // At 8 bits the palette is the table of the image.
    const DecodeResult d = DecodeBytes<CGIFDecoder>(localOnly.Bytes(), 8);
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(d.Bitmap.Palette[1].Green, 0x22);
    EXPECT_EQ(d.Bitmap.Palette[2].Green, 0);
}

// Pictures that fill the code table, grow the code to 12 bits and clear it
// (or keep coding with the full table), in sub-blocks of every size.
TEST(GIFCodecTest, LzwRoundTrips)
{
    struct Case {
        const char* Name;
        int Width, Height, MinCodeSize;
        LzwOptions Options;
        size_t BlockSize;
    };
    const Case cases[] = {
        {"8-bit noise, clears", 120, 90, 8, {}, 255},
        {"8-bit noise, full table kept", 120, 90, 8, {true, false}, 255},
        {"1-byte sub-blocks", 40, 30, 8, {}, 1},
        {"7-byte sub-blocks", 40, 30, 4, {}, 7},
        {"2-colour, code size 2", 64, 64, 2, {}, 255},
        {"no end code", 33, 7, 3, {false, true}, 255},
    };
    for (const Case& c : cases) {
        const int colours = c.MinCodeSize == 2 && c.Width == 64 ? 2 : 1 << c.MinCodeSize;
        Indices pixels(size_t(c.Width) * c.Height);
        uint32_t state = 12345;
        for (size_t i = 0; i < pixels.size(); ++i) {
            state = state * 1664525u + 1013904223u;
            // Runs and noise, so both long strings and table growth occur.
            pixels[i] = (i / 7) % 3 == 0 ? uint8_t(i / 50 % colours) : uint8_t((state >> 16) % colours);
        }
        std::vector<uint32_t> palette;
        for (int i = 0; i < 256; ++i)
            palette.push_back(uint32_t(i) * 0x010101u ^ 0x00A000u);
        ByteWriter w = Header(c.Width, c.Height, palette);
        Image(w, {c.Width, c.Height, Lzw(pixels, c.MinCodeSize, c.Options), c.MinCodeSize, false, {}, c.BlockSize});
        w.Text(";");
        const DecodeResult d = DecodeBytes<CGIFDecoder>(w.Bytes(), 8);
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        std::vector<Indices> expected;
        for (int y = 0; y < c.Height; ++y)
            expected.emplace_back(pixels.begin() + y * c.Width, pixels.begin() + (y + 1) * c.Width);
        EXPECT_EQ(Rows8(d.Bitmap), expected) << c.Name;
        EXPECT_TRUE(d.Notices.empty()) << c.Name;
    }
}

TEST(GIFCodecTest, DamagedData)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
        std::vector<std::string> Notices;
        PixelRows Expected; // checked when the decode succeeds
    };
    const auto ranOff = std::vector<std::string>{"ran off the end of my bits"};
    const auto circular = std::vector<std::string>{"circular table entry BIG ERROR"};

    // Two pixels and seven zero bits of padding (two more pixels 0), then the
    // data ends without an end code: the rest is index 0.
    ByteWriter shortData = Header(3, 2, kFour);
    Image(shortData, {3, 2, Lzw({3, 2}, 2, {false, true})});
    shortData.Text(";");

    // clear, 0, then 7 twice makes entry 7 its own prefix; reading 7 again loops.
    ByteWriter loop = Header(3, 3, kFour);
    Image(loop, {3, 3, Codes({{4, 3}, {1, 3}, {7, 3}, {7, 3}, {7, 4}, {1, 4}})});
    loop.Text(";");

    ByteWriter surplus = Header(2, 1, kFour);
    Image(surplus, {2, 1, Lzw({1, 2, 3}, 2)});
    surplus.Text(";");

    // After the clear code a table code (6) where a pixel must be.
    ByteWriter badFirst = Header(2, 1, kFour);
    Image(badFirst, {2, 1, Codes({{4, 3}, {6, 3}, {1, 3}, {5, 3}})});
    badFirst.Text(";");

    // The end code right away.
    ByteWriter endFirst = Header(2, 1, kFour);
    Image(endFirst, {2, 1, Codes({{4, 3}, {5, 3}})});
    endFirst.Text(";");

    ByteWriter noTrailer = Header(1, 1, kFour);
    Image(noTrailer, {1, 1, Lzw({1}, 2)});

    ByteWriter cutBlock = Header(8, 8, kFour);
    Image(cutBlock, {8, 8, Lzw(Indices(64, 1), 2), 2, false, {}, 255, false});

    ByteWriter cutTable = Header(1, 1, kFour);
    const std::vector<uint8_t> cutTableBytes(cutTable.Bytes().begin(), cutTable.Bytes().end() - 2);

    ByteWriter noImage = Header(1, 1, kFour);
    noImage.U8s({0x21, 0xFE, 1, 'x', 0}).Text(";");

    std::vector<uint8_t> badSignature = SimpleGif(1, 1, {1}, kFour);
    badSignature[4] = '8';

    auto codeSize = [](int size) {
        ByteWriter w = Header(1, 1, kFour);
        Image(w, {1, 1, Codes({{1, 4}}), size});
        w.Text(";");
        return w.Bytes();
    };

    ByteWriter zeroWidth = Header(1, 1, kFour);
    Image(zeroWidth, {0, 1, Lzw({1}, 2)});
    zeroWidth.Text(";");

    // The first of two images, the picture, is sized 0.
    ByteWriter zeroFirst = Header(1, 1, kFour);
    Image(zeroFirst, {0, 1, Lzw({1}, 2)});
    Image(zeroFirst, {1, 1, Lzw({1}, 2)});
    zeroFirst.Text(";");

    const Case cases[] = {
        {"data ends early", shortData.Bytes(), 0, nullptr, ranOff,
         {{Opaque(0x0000FF), Opaque(0x00FF00), Opaque(0)}, {Opaque(0), Opaque(0), Opaque(0)}}},
        {"circular entry ends the image", loop.Bytes(), 0, nullptr, circular,
         {{Opaque(0xFF0000), Opaque(0xFF0000), Opaque(0xFF0000)},
          {Opaque(0), Opaque(0), Opaque(0xFF0000)},
          {Opaque(0), Opaque(0), Opaque(0)}}},
        {"surplus pixels", surplus.Bytes(), 2, "Unknown format.", {}, {}},
        {"table code after clear", badFirst.Bytes(), 0, nullptr, {}, {{Opaque(0), Opaque(0)}}},
        {"end code first", endFirst.Bytes(), 0, nullptr, {}, {{Opaque(0), Opaque(0)}}},
        {"nothing after the image", noTrailer.Bytes(), 0, nullptr, {}, {{Opaque(0xFF0000)}}},
        {"sub-blocks cut", cutBlock.Bytes(), 7, "Unexpected end of file.", {}, {}},
        {"colour table cut", cutTableBytes, 7, "Unexpected end of file.", {}, {}},
        {"header cut", {'G', 'I', 'F', '8', '9', 'a', 1, 0}, 7, "Unexpected end of file.", {}, {}},
        {"no image", noImage.Bytes(), 2, "GIF file holds no image.", {}, {}},
        {"wrong signature", badSignature, 1, "GIF decoder: This isn't a GIF file.", {}, {}},
        {"code size 0", codeSize(0), 2, "Illegal LZW code size.", {}, {}},
        {"code size 9", codeSize(9), 2, "Illegal LZW code size.", {}, {}},
        {"code size 12", codeSize(12), 2, "Illegal LZW code size.", {}, {}},
        {"zero width", zeroWidth.Bytes(), 2, "Illegal image size.", {}, {}},
        {"zero width, earlier image", zeroFirst.Bytes(), 2, "Illegal image size.", {}, {}},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CGIFDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name << ": " << d.Text;
        if (c.Text) {
            EXPECT_EQ(d.Text, c.Text) << c.Name;
        }
        EXPECT_EQ(d.Notices, c.Notices) << c.Name;
        if (c.Code == 0) {
            EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
        }
    }
}

TEST(GIFCodecTest, DamagedFirstImageIsThePicture)
{
    // The circular first image stops early; what it decoded is the picture.
    ByteWriter w = Header(3, 3, kFour);
    std::vector<uint8_t> loop = Codes({{4, 3}, {1, 3}, {7, 3}, {7, 3}, {7, 4}, {1, 4}});
    loop.insert(loop.end(), 300, 0x55);
    Image(w, {3, 3, loop});
    Image(w, {1, 1, Lzw({3}, 2)});
    w.Text(";");
    const DecodeResult d = DecodeBytes<CGIFDecoder>(w.Bytes());
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(d.Notices, std::vector<std::string>{"circular table entry BIG ERROR"});
    EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Opaque(0xFF0000), Opaque(0xFF0000), Opaque(0xFF0000)},
                                           {Opaque(0), Opaque(0), Opaque(0xFF0000)},
                                           {Opaque(0), Opaque(0), Opaque(0)}}));
}

// The first image on its logical screen: placed at its offset, the rest the
// background colour or, with a transparent index, transparent.
TEST(GIFCodecTest, LogicalScreen)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Depth;
        int ExpectedDepth;
        bool Alpha;
        PixelRows Expected;
    };
    const uint32_t clear = 0x00000000u, k = Opaque(0), r = Opaque(0xFF0000), g = Opaque(0x00FF00);

    ByteWriter offset = Header(4, 3, kFour, "GIF89a", 2);
    Image(offset, {2, 1, Lzw({1, 3}, 2)}, 1, 1);
    offset.Text(";");

    ByteWriter transparent = Header(3, 2, kFour, "GIF89a", 2);
    transparent.U8s({0x21, 0xF9, 4, 0x01, 0, 0, 0, 0});
    Image(transparent, {2, 1, Lzw({1, 0}, 2)}, 1, 0);
    transparent.Text(";");

    // An image reaching past the screen widens the picture.
    ByteWriter past = Header(1, 1, kFour);
    Image(past, {2, 1, Lzw({1, 1}, 2)}, 1, 0);
    past.Text(";");

    // A later graphic control block belongs to a later frame.
    ByteWriter later = Header(1, 1, kFour);
    Image(later, {1, 1, Lzw({1}, 2)});
    later.U8s({0x21, 0xF9, 4, 0x01, 0, 0, 1, 0});
    Image(later, {1, 1, Lzw({1}, 2)});
    later.Text(";");

    const uint32_t b = Opaque(0x0000FF);
    const Case cases[] = {
        {"offset on the screen", offset.Bytes(), 32, 32, false, {{g, g, g, g}, {g, r, b, g}, {g, g, g, g}}},
        {"offset, at 8 bits", offset.Bytes(), 8, 8, false, {{g, g, g, g}, {g, r, b, g}, {g, g, g, g}}},
        {"transparent index and uncovered screen", transparent.Bytes(), 32, 32, true,
         {{clear, r, clear}, {clear, clear, clear}}},
        {"transparency asked for at 8 bits", transparent.Bytes(), 8, 32, true,
         {{clear, r, clear}, {clear, clear, clear}}},
        {"image past the screen", past.Bytes(), 32, 32, false, {{k, r, r}}},
        {"control block of the second frame", later.Bytes(), 32, 32, false, {{r}}},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CGIFDecoder>(c.File, c.Depth);
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, c.ExpectedDepth) << c.Name;
        EXPECT_EQ(d.Bitmap.HasAlpha, c.Alpha) << c.Name;
        if (c.ExpectedDepth == 32) {
            EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
        } else {
            PixelRows rows;
            for (int y = 0; y < d.Bitmap.Height; ++y) {
                rows.emplace_back();
                for (int x = 0; x < d.Bitmap.Width; ++x)
                    rows.back().push_back(PackPixel(d.Bitmap.Palette[d.Bitmap.Lines[y][x]]));
            }
            EXPECT_EQ(rows, c.Expected) << c.Name;
        }
    }
}

TEST(GIFCodecTest, HugeSizesFailBeforeAllocating)
{
    ByteWriter w = Header(1, 1, kFour);
    Image(w, {65535, 65535, Lzw({1}, 2)});
    w.Text(";");
    setenv("OCULANE_MAX_IMAGE_BYTES", "100000000", 1);
    const DecodeResult d = DecodeBytes<CGIFDecoder>(w.Bytes());
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(d.Code, 10);
    EXPECT_EQ(d.Text, "Out of memory.");

    // Many large frames after the first take no memory.
    ByteWriter many = Header(1, 1, kFour);
    Image(many, {1, 1, Lzw({1}, 2)});
    for (int i = 0; i < 2000; ++i)
        Image(many, {4000, 4000, Codes({{4, 3}, {5, 3}})});
    many.Text(";");
    const DecodeResult m = DecodeBytes<CGIFDecoder>(many.Bytes());
    ASSERT_EQ(m.Code, 0) << m.Text;
    EXPECT_EQ(m.Bitmap.Width, 1);
}

// Files written by ImageMagick, against ImageMagick's own reading of them.
TEST(GIFCodecTest, MatchesImageMagickFixtures)
{
    for (const std::string name : {"gradient-256", "gradient-256-interlaced", "shapes-16", "bilevel", "odd-size-5"}) {
        std::ifstream ppm(TestDataPath("gif", name + ".ppm"), std::ios::binary);
        ASSERT_TRUE(ppm) << name;
        std::string magic;
        int width = 0, height = 0, maxval = 0;
        ppm >> magic >> width >> height >> maxval;
        ppm.get();
        std::vector<uint8_t> rgb(size_t(width) * height * 3);
        ppm.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
        ASSERT_EQ(magic, "P6") << name;

        CGIFDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("gif", name + ".gif"), bitmap, 32)) << name;
        ASSERT_EQ(bitmap.Width, width) << name;
        ASSERT_EQ(bitmap.Height, height) << name;
        int differ = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
                differ += bitmap.Row32(y)[x] != PackPixel(p[0], p[1], p[2]);
            }
        EXPECT_EQ(differ, 0) << name;
    }
}

} // namespace
