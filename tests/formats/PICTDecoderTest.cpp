#include "formats/JPEGDecoder.h"
#include "formats/PICTDecoder.h"
#include "image/WinBmp.h"

#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using Bytes = std::vector<uint8_t>;

// Big-endian picture bytes. Version 2 opcodes are words at even offsets.
class PictWriter {
public:
    explicit PictWriter(int version) : m_Version(version) {}

    PictWriter& U8(uint8_t v)
    {
        m_Bytes.push_back(v);
        return *this;
    }
    PictWriter& BE16(uint16_t v) { return U8(uint8_t(v >> 8)).U8(uint8_t(v)); }
    PictWriter& BE32(uint32_t v) { return BE16(uint16_t(v >> 16)).BE16(uint16_t(v)); }
    PictWriter& Raw(const Bytes& b)
    {
        m_Bytes.insert(m_Bytes.end(), b.begin(), b.end());
        return *this;
    }
    PictWriter& Fill(uint8_t v, size_t n)
    {
        m_Bytes.insert(m_Bytes.end(), n, v);
        return *this;
    }
    PictWriter& Rect(int top, int left, int bottom, int right)
    {
        return BE16(uint16_t(top)).BE16(uint16_t(left)).BE16(uint16_t(bottom)).BE16(uint16_t(right));
    }
    PictWriter& Opcode(uint16_t op)
    {
        if (m_Version == 1)
            return U8(uint8_t(op));
        if (m_Bytes.size() & 1)
            U8(0);
        return BE16(op);
    }
    PictWriter& End() { return Opcode(0x00FF); }
    // Rewrites the picture frame of the file header.
    PictWriter& Frame(int top, int left, int bottom, int right)
    {
        const int values[4] = {top, left, bottom, right};
        for (int i = 0; i < 4; ++i) {
            m_Bytes[514 + 2 * i] = uint8_t(uint16_t(values[i]) >> 8);
            m_Bytes[515 + 2 * i] = uint8_t(values[i]);
        }
        return *this;
    }
    int Version() const { return m_Version; }
    size_t Size() const { return m_Bytes.size(); }
    const Bytes& Data() const { return m_Bytes; }

private:
    int m_Version;
    Bytes m_Bytes;
};

// File header, picture size, frame, version and (version 2) the header opcode.
PictWriter StartPict(int version, int height = 8, int width = 8)
{
    PictWriter w(version);
    w.Fill(0, 512).BE16(0).Rect(0, 0, height, width);
    if (version == 1)
        return w.U8(0x11).U8(0x01);
    w.BE16(0x0011).BE16(0x02FF).BE16(0x0C00).BE32(0xFFFE0000).Fill(0, 20);
    return w;
}

struct PixMap {
    int Width = 1;
    int Height = 1;
    uint16_t RowBytes = 0; // without the pixel-map flag
    int PixelSize = 8;
    int PackType = 0;
    int CmpCount = 1;
    std::vector<uint32_t> Colors; // 0xRRGGBB; entry i has value i unless Values says otherwise
    std::vector<uint16_t> Values;
    uint16_t CtFlags = 0;
    Bytes Rows; // exactly as stored
    uint16_t RegionSize = 0; // Rgn forms: region size, 10 or more
};

void PixMapHeader(PictWriter& w, const PixMap& p)
{
    w.Rect(0, 0, p.Height, p.Width).BE16(0).BE16(uint16_t(p.PackType)).BE32(0).BE32(0x00480000).BE32(0x00480000);
    w.BE16(p.PixelSize > 8 ? 16 : 0).BE16(uint16_t(p.PixelSize)).BE16(uint16_t(p.CmpCount));
    w.BE16(uint16_t(p.PixelSize > 8 ? 8 : p.PixelSize)).BE32(0).BE32(0).BE32(0);
}

void ColorTable(PictWriter& w, const PixMap& p)
{
    w.BE32(0).BE16(p.CtFlags).BE16(uint16_t(p.Colors.size() - 1));
    for (size_t i = 0; i < p.Colors.size(); ++i) {
        const uint32_t c = p.Colors[i];
        w.BE16(p.Values.empty() ? uint16_t(i) : p.Values[i]);
        w.BE16(uint16_t(((c >> 16) & 0xFF) * 257)).BE16(uint16_t(((c >> 8) & 0xFF) * 257));
        w.BE16(uint16_t((c & 0xFF) * 257));
    }
}

// A picture of one raster: the frame is the raster's rectangle.
void Tail(PictWriter& w, const PixMap& p)
{
    w.Frame(0, 0, p.Height, p.Width);
    w.Rect(0, 0, p.Height, p.Width).Rect(0, 0, p.Height, p.Width).BE16(0);
    if (p.RegionSize)
        w.BE16(p.RegionSize).Rect(0, 0, p.Height, p.Width).Fill(0x7F, p.RegionSize - 10u);
    w.Raw(p.Rows);
}

// PackBitsRect (0x98) and its relatives with a pixel map.
void AddPixMap(PictWriter& w, const PixMap& p, uint16_t opcode = 0x98)
{
    w.Opcode(opcode).BE16(uint16_t(p.RowBytes | 0x8000));
    PixMapHeader(w, p);
    ColorTable(w, p);
    Tail(w, p);
}

// DirectBitsRect (0x9A) and DirectBitsRgn (0x9B): no colour table.
void AddDirect(PictWriter& w, const PixMap& p, uint16_t opcode = 0x9A)
{
    w.Opcode(opcode).BE32(0x000000FF).BE16(uint16_t(p.RowBytes | 0x8000));
    PixMapHeader(w, p);
    Tail(w, p);
}

// BitsRect (0x90) and relatives with a one-bit bitmap.
void AddBitMap(PictWriter& w, const PixMap& p, uint16_t opcode = 0x90)
{
    w.Opcode(opcode).BE16(p.RowBytes).Rect(0, 0, p.Height, p.Width);
    Tail(w, p);
}

const std::vector<uint32_t> kColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                       0xFF00FF, 0x808080, 0x102030, 0x405060, 0x708090, 0xA0B0C0};

// Row of 0xAARRGGBB words from palette indices.
std::vector<uint32_t> Indexed(std::initializer_list<int> indices, const std::vector<uint32_t>& colors = kColors)
{
    std::vector<uint32_t> row;
    for (int i : indices)
        row.push_back(Opaque(colors[size_t(i)]));
    return row;
}

std::vector<uint32_t> Repeated(uint32_t pixel, size_t n)
{
    return std::vector<uint32_t>(n, pixel);
}

// A picture whose first raster is a 2 × 1 8-bit pixel map of colours 1 and 2.
void AddSmallRaster(PictWriter& w)
{
    PixMap p;
    p.Width = 2;
    p.RowBytes = 2;
    p.Colors = kColors;
    p.Rows = {1, 2};
    AddPixMap(w, p);
}

TEST(PICTDecoderTest, IndexedPixMaps)
{
    struct Case {
        const char* Name;
        PixMap Map;
        PixelRows Expected;
    };
    const Case cases[] = {
        {"1 bit, rows below 8 bytes are stored as they are",
         {10, 2, 2, 1, 0, 1, kColors, {}, 0, {0xA0, 0x40, 0x01, 0xC0}},
         {Indexed({1, 0, 1, 0, 0, 0, 0, 0, 0, 1}), Indexed({0, 0, 0, 0, 0, 0, 0, 1, 1, 1})}},
        {"1 bit packed", {70, 1, 10, 1, 0, 1, kColors, {}, 0, {0x02, 0xF7, 0xAA}}, {[] {
             std::vector<uint32_t> row;
             for (int x = 0; x < 70; ++x)
                 row.push_back(Opaque(kColors[(x & 1) ? 0 : 1]));
             return row;
         }()}},
        {"2 bits, most significant first", {5, 1, 2, 2, 0, 1, kColors, {}, 0, {0x1B, 0xC0}},
         {Indexed({0, 1, 2, 3, 3})}},
        {"2 bits packed, literal run", {9, 1, 8, 2, 0, 1, kColors, {}, 0, {0x04, 0x02, 0xE4, 0x1B, 0x80}},
         {Indexed({3, 2, 1, 0, 0, 1, 2, 3, 2})}},
        {"4 bits", {3, 1, 2, 4, 0, 1, kColors, {}, 0, {0xB2, 0x30}}, {Indexed({11, 2, 3})}},
        {"4 bits packed, repeat run", {16, 1, 8, 4, 0, 1, kColors, {}, 0, {0x02, 0xF9, 0x5A}},
         {Indexed({5, 10, 5, 10, 5, 10, 5, 10, 5, 10, 5, 10, 5, 10, 5, 10})}},
        {"8 bits unpacked", {3, 2, 4, 8, 0, 1, kColors, {}, 0, {1, 2, 3, 0, 4, 5, 6, 0}},
         {Indexed({1, 2, 3}), Indexed({4, 5, 6})}},
        {"8 bits packed, literal then repeat; flag 128 is skipped",
         {10, 1, 10, 8, 0, 1, kColors, {}, 0, {0x07, 0x80, 0x02, 1, 2, 3, 0xFA, 4}},
         {Indexed({1, 2, 3, 4, 4, 4, 4, 4, 4, 4})}},
        {"8 bits, rows over 250 bytes carry 16-bit lengths",
         {300, 1, 300, 8, 0, 1, kColors, {}, 0, {0x00, 0x06, 0x81, 5, 0x81, 5, 0xD5, 6}},
         {[] {
             std::vector<uint32_t> row(256, Opaque(kColors[5]));
             row.resize(300, Opaque(kColors[6]));
             return row;
         }()}},
        {"rowBytes 0 means the width", {8, 1, 0, 8, 0, 1, kColors, {}, 0, {0x02, 0xF9, 7}},
         {Repeated(Opaque(0x808080), 8)}},
        {"colour entries land at their values", {3, 1, 4, 8, 0, 1, {0xFF0000, 0x00FF00, 0x0000FF}, {2, 0, 1}, 0,
                                                 {0, 1, 2, 0}},
         {{Opaque(0x00FF00), Opaque(0x0000FF), Opaque(0xFF0000)}}},
        {"device tables place entries by position", {2, 1, 2, 8, 0, 1, {0x112233, 0x445566}, {9, 9}, 0x8000,
                                                     {1, 0}},
         {{Opaque(0x445566), Opaque(0x112233)}}},
        {"a packed row that stops short ends in index 0",
         {10, 2, 10, 8, 0, 1, kColors, {}, 0, {0x02, 0xFD, 3, 0x02, 0xF7, 2}},
         {Indexed({3, 3, 3, 3, 0, 0, 0, 0, 0, 0}), Repeated(Opaque(0x00FF00), 10)}},
        {"packed data past the row is dropped",
         {8, 2, 8, 8, 0, 1, kColors, {}, 0, {0x04, 0xF0, 3, 0xF0, 4, 0x02, 0xF9, 1}},
         {Repeated(Opaque(0x0000FF), 8), Repeated(Opaque(0xFF0000), 8)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PictWriter w = StartPict(2);
        AddPixMap(w, c.Map);
        w.End();
        const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data());
        ASSERT_EQ(d.Code, 0) << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32);
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.Map.PixelSize);
        EXPECT_FALSE(d.Bitmap.HasAlpha);
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected);
    }
}

TEST(PICTDecoderTest, IndexedPixMapsAtEightBits)
{
    const std::vector<uint32_t> colours = {0x000000, 0x112233, 0x445566, 0x778899};
    // Any target but 32 bits keeps the indices.
    for (int depth : {0, 8, 1, 16, 24}) {
        for (int bits : {1, 2, 4, 8}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << ", " << bits << " bits");
            PixMap p;
            p.Width = 4;
            p.RowBytes = 4;
            p.PixelSize = bits;
            p.Colors = colours;
            // Indices 1, 0, 1, 1 at every size.
            p.Rows = bits == 1 ? Bytes{0xB0, 0, 0, 0} : bits == 2 ? Bytes{0x45, 0, 0, 0}
                   : bits == 4 ? Bytes{0x10, 0x11, 0, 0} : Bytes{1, 0, 1, 1};
            PictWriter w = StartPict(2);
            AddPixMap(w, p);
            const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data(), depth);
            ASSERT_EQ(d.Code, 0) << d.Text;
            EXPECT_EQ(d.Bitmap.BitsPerPixel, 8);
            EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, bits);
            EXPECT_EQ(Rows8(d.Bitmap), (ByteRows{{1, 0, 1, 1}}));
            const PaletteEntry& e = d.Bitmap.Palette[1];
            EXPECT_EQ((std::vector<int>{e.Red, e.Green, e.Blue, e.Alpha}), (std::vector<int>{0x11, 0x22, 0x33, 255}));
        }
    }
}

TEST(PICTDecoderTest, DirectPixels)
{
    struct Case {
        const char* Name;
        PixMap Map;
        uint16_t Opcode;
        bool Alpha;
        PixelRows Expected;
    };
    const Case cases[] = {
        {"16 bits: x RRRRR GGGGG BBBBB, unpacked below 8 row bytes",
         {2, 2, 4, 16, 0, 3, {}, {}, 0, {0x7F, 0xFF, 0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F}}, 0x9A, false,
         {{Opaque(0xF8F8F8), Opaque(0xF80000)}, {Opaque(0x00F800), Opaque(0x0000F8)}}},
        {"16 bits packed in words",
         {6, 1, 12, 16, 3, 3, {}, {}, 0, {0x08, 0xFD, 0x7C, 0x00, 0x01, 0x00, 0x1F, 0x04, 0x21}},
         0x9A, false, {{Opaque(0xF80000), Opaque(0xF80000), Opaque(0xF80000), Opaque(0xF80000), Opaque(0x0000F8),
                        Opaque(0x080808)}}},
        {"16 bits, pack type 1 is unpacked", {4, 1, 8, 16, 1, 3, {}, {}, 0, {0, 0x1F, 0, 0x1F, 0x7C, 0, 0x7C, 0}},
         0x9A, false, {{Opaque(0xF8), Opaque(0xF8), Opaque(0xF80000), Opaque(0xF80000)}}},
        {"32 bits, red, green and blue planes",
         {2, 2, 8, 32, 4, 3, {}, {}, 0, {0x07, 0x05, 1, 2, 3, 4, 5, 6, 0x06, 0xFF, 0xFF, 0xFF, 0x10, 0xFF, 0x20}},
         0x9A, false, {{Opaque(0x010305), Opaque(0x020406)}, {Opaque(0xFF1020), Opaque(0xFF1020)}}},
        {"32 bits, alpha plane first", {2, 1, 8, 32, 4, 4, {}, {}, 0, {0x09, 0x07, 0x80, 0x40, 1, 2, 3, 4, 5, 6}},
         0x9A, true, {{0x80010305u, 0x40020406u}}},
        {"32 bits, 16-bit lengths follow the stored row bytes", {70, 1, 280, 32, 4, 3, {}, {}, 0,
                                                                  {0x00, 0x06, 0xBB, 0x10, 0xBB, 0x20, 0xBB, 0x30}},
         0x9A, false, {Repeated(Opaque(0x102030), 70)}},
        {"32 bits one pixel wide is still packed", {1, 1, 4, 32, 4, 3, {}, {}, 0, {0x04, 0x02, 9, 8, 7}}, 0x9A, false,
         {{Opaque(0x090807)}}},
        {"32 bits, pack type 1: pad byte then red, green, blue", {2, 1, 8, 32, 1, 3, {}, {}, 0,
                                                                   {0xEE, 1, 2, 3, 0xEE, 4, 5, 6}},
         0x9A, false, {{Opaque(0x010203), Opaque(0x040506)}}},
        {"32 bits, pack type 1 with alpha", {1, 1, 4, 32, 1, 4, {}, {}, 0, {0x33, 1, 2, 3}}, 0x9A, true,
         {{0x33010203u}}},
        {"32 bits, pack type 2: red, green, blue without the pad byte", {2, 1, 8, 32, 2, 3, {}, {}, 0,
                                                                          {1, 2, 3, 4, 5, 6}},
         0x9A, false, {{Opaque(0x010203), Opaque(0x040506)}}},
        {"32-bit pixel map in PackBitsRect", {2, 1, 8, 32, 4, 3, {0}, {}, 0, {0x07, 0x05, 1, 2, 3, 4, 5, 6}}, 0x98,
         false, {{Opaque(0x010305), Opaque(0x020406)}}},
        {"16-bit pixel map in PackBitsRect", {1, 1, 2, 16, 0, 3, {0}, {}, 0, {0x7F, 0xFF}}, 0x98, false,
         {{Opaque(0xF8F8F8)}}},
        {"DirectBitsRgn skips its region", {1, 1, 4, 32, 4, 3, {}, {}, 0, {0x04, 0x02, 9, 8, 7}, 18}, 0x9B, false,
         {{Opaque(0x090807)}}},
    };
    for (const Case& c : cases) {
        for (int depth : {32, 0, 8}) {
            SCOPED_TRACE(testing::Message() << c.Name << ", depth " << depth);
            PictWriter w = StartPict(2);
            if (c.Opcode == 0x98)
                AddPixMap(w, c.Map);
            else
                AddDirect(w, c.Map, c.Opcode);
            w.End();
            const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data(), depth);
            ASSERT_EQ(d.Code, 0) << d.Text;
            EXPECT_EQ(d.Bitmap.BitsPerPixel, 32);
            EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.Map.PixelSize);
            EXPECT_EQ(d.Bitmap.HasAlpha, c.Alpha);
            EXPECT_EQ(Rows32(d.Bitmap), c.Expected);
        }
    }
}

TEST(PICTDecoderTest, OneBitBitMaps)
{
    struct Case {
        const char* Name;
        int Version;
        uint16_t Opcode;
        PixMap Map;
        ByteRows Expected;
    };
    const Case cases[] = {
        {"version 1 BitsRect", 1, 0x90, {10, 2, 2, 1, 0, 1, {}, {}, 0, {0x80, 0x40, 0x7F, 0xC0}},
         {{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1}}},
        {"version 1 BitsRgn", 1, 0x91, {3, 1, 2, 1, 0, 1, {}, {}, 0, {0xA0, 0x00}, 12}, {{1, 0, 1}}},
        {"version 2 PackBitsRect", 2, 0x98, {64, 1, 8, 1, 0, 1, {}, {}, 0, {0x02, 0xF9, 0x0F}}, {[] {
             std::vector<uint8_t> row;
             for (int x = 0; x < 64; ++x)
                 row.push_back((x & 7) >= 4);
             return row;
         }()}},
        {"version 2 PackBitsRgn", 2, 0x99, {2, 1, 2, 1, 0, 1, {}, {}, 0, {0x40, 0}, 10}, {{0, 1}}},
    };
    for (const Case& c : cases) {
        for (int depth : {32, 8}) {
            SCOPED_TRACE(testing::Message() << c.Name << ", depth " << depth);
            PictWriter w = StartPict(c.Version);
            AddBitMap(w, c.Map, c.Opcode);
            w.End();
            const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data(), depth);
            ASSERT_EQ(d.Code, 0) << d.Text;
            EXPECT_EQ(d.Bitmap.BitsPerPixel, depth);
            EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, 1);
            if (depth == 8) {
                EXPECT_EQ(Rows8(d.Bitmap), c.Expected);
                EXPECT_EQ(PackPixel(d.Bitmap.Palette[0]), 0xFFFFFFFFu);
                EXPECT_EQ(PackPixel(d.Bitmap.Palette[1]), 0xFF000000u);
            } else {
                PixelRows expected;
                for (const auto& row : c.Expected) {
                    expected.emplace_back();
                    for (uint8_t bit : row)
                        expected.back().push_back(bit ? 0xFF000000u : 0xFFFFFFFFu);
                }
                EXPECT_EQ(Rows32(d.Bitmap), expected);
            }
        }
    }
}

// Each drawing opcode is followed by the 2 × 1 raster; skipping a byte too
// few or too many derails the stream (the data bytes are 0xFF: read as an
// opcode they end the picture).
TEST(PICTDecoderTest, SkipsDrawingOpcodes)
{
    struct Case {
        int Version;
        uint16_t Opcode;
        Bytes Data;
    };
    const Bytes ff8(8, 0xFF);
    const Bytes pattern8 = [] {
        // Type 1 pattern: 8-byte old pattern, an 8 × 2 8-bit pixel map, a
        // one-entry colour table, two packed rows.
        PictWriter p(2);
        p.BE16(1).Fill(0xFF, 8).BE16(0x8008);
        PixMap m;
        m.Width = 8;
        m.Height = 2;
        m.Colors = {0x123456};
        PixMapHeader(p, m);
        ColorTable(p, m);
        p.U8(2).U8(0xF9).U8(0).U8(2).U8(0xF9).U8(0);
        return p.Data();
    }();
    const Bytes pattern1 = [] {
        // Type 1 pattern with 1-byte rows: stored unpacked.
        PictWriter p(2);
        p.BE16(1).Fill(0xFF, 8).BE16(0x8001);
        PixMap m;
        m.Width = 8;
        m.Height = 8;
        m.PixelSize = 1;
        m.Colors = {0xFFFFFF, 0};
        PixMapHeader(p, m);
        ColorTable(p, m);
        p.Fill(0xFF, 8);
        return p.Data();
    }();
    auto ff = [](size_t n) { return Bytes(n, 0xFF); };
    auto join = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {2, 0x00, {}},
        {2, 0x01, join({0x00, 0x0A}, ff8)},
        {2, 0x01, join({0x00, 0x12}, ff(16))},
        {2, 0x04, ff(1)},
        {2, 0x12, join({0x00, 0x02}, ff(13))},
        {2, 0x13, pattern8},
        {2, 0x14, pattern1},
        {2, 0x17, {}},
        {2, 0x1A, ff(6)},
        {2, 0x24, {0x00, 0x03, 0xFF, 0xFF, 0xFF}},
        {2, 0x28, {0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0xFF, 0xFF, 0xFF}},
        {2, 0x29, {0xFF, 0x02, 0xFF, 0xFF}},
        {2, 0x2B, {0xFF, 0xFF, 0x02, 0xFF, 0xFF}},
        {2, 0x2C, {0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}},
        {2, 0x37, ff8},
        {2, 0x38, {}},
        {2, 0x60, ff(12)},
        {2, 0x6A, ff(4)},
        {2, 0x70, join({0x00, 0x0E}, ff(12))},
        {2, 0x81, join({0x00, 0x0C}, ff(10))},
        {2, 0x8B, {}},
        {2, 0x92, {0x00, 0x02, 0xFF, 0xFF}},
        {2, 0xA0, ff(2)},
        {2, 0xA1, {0xFF, 0xFF, 0x00, 0x03, 0xFF, 0xFF, 0xFF}},
        {2, 0xA2, {0x00, 0x03, 0xFF, 0xFF, 0xFF}},
        {2, 0xB0, {}},
        {2, 0xD0, {0x00, 0x00, 0x00, 0x02, 0xFF, 0xFF}},
        {2, 0x0C00, ff(24)},
        {2, 0x0100, ff(2)},
        {2, 0x7F00, ff(254)},
        {2, 0x8000, {}},
        {2, 0x8100, {0x00, 0x00, 0x00, 0x03, 0xFF, 0xFF, 0xFF}},
        {2, 0x8201 /* not QuickTime */, {0x00, 0x00, 0x00, 0x02, 0xFF, 0xD8}},
        {2, 0xFFFE, {0x00, 0x00, 0x00, 0x00}},
        {1, 0x04, ff(1)},
        {1, 0x28, {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xFF}},
        {1, 0x2B, {0xFF, 0xFF, 0x00}},
        {1, 0x71, join({0x00, 0x0A}, ff8)},
        {1, 0xA1, {0xFF, 0xFF, 0x00, 0x01, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.Version << ", opcode 0x" << std::hex << c.Opcode);
        PictWriter w = StartPict(c.Version);
        w.Opcode(c.Opcode).Raw(c.Data);
        AddSmallRaster(w);
        w.End();
        const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data());
        ASSERT_EQ(d.Code, 0) << d.Text;
        EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{Indexed({1, 2})}));
    }
}

// A pixel map drawn from source (in its bounds' coordinates) into
// destination, for pictures of several bands.
void AddPlaced(PictWriter& w, const PixMap& p, const std::array<int, 4>& bounds, const std::array<int, 4>& source,
               const std::array<int, 4>& destination)
{
    w.Opcode(p.PixelSize == 32 ? 0x9A : 0x98);
    if (p.PixelSize == 32)
        w.BE32(0xFF);
    w.BE16(uint16_t(p.RowBytes | 0x8000));
    PictWriter header(2);
    PixMapHeader(header, p);
    Bytes fields = header.Data();
    w.Rect(bounds[0], bounds[1], bounds[2], bounds[3]).Raw(Bytes(fields.begin() + 8, fields.end()));
    if (p.PixelSize != 32)
        ColorTable(w, p);
    w.Rect(source[0], source[1], source[2], source[3]).Rect(destination[0], destination[1], destination[2],
                                                            destination[3]);
    w.BE16(0).Raw(p.Rows);
}

// A w × h 8-bit band of one colour index, stored unpacked.
PixMap Flat8(int width, int height, int index)
{
    PixMap p;
    p.Width = width;
    p.Height = height;
    p.RowBytes = uint16_t(width < 8 ? 8 : width);
    p.Colors = kColors;
    p.Rows = Bytes(size_t(p.RowBytes) * size_t(height), uint8_t(index));
    if (p.RowBytes >= 8) {
        p.Rows.clear();
        for (int y = 0; y < height; ++y) // one repeat run per row
            p.Rows.insert(p.Rows.end(), {0x02, uint8_t(257 - p.RowBytes), uint8_t(index)});
    }
    return p;
}

// A 32-bit band whose pixel (x, y) is 0xFF(x)(y)(tag), planes packed as literals.
PixMap Coded32(int width, int height, int tag)
{
    PixMap p;
    p.Width = width;
    p.Height = height;
    p.PixelSize = 32;
    p.PackType = 4;
    p.CmpCount = 3;
    p.RowBytes = uint16_t(4 * width);
    for (int y = 0; y < height; ++y) {
        Bytes planes;
        for (int x = 0; x < width; ++x)
            planes.push_back(uint8_t(x));
        planes.insert(planes.end(), size_t(width), uint8_t(y));
        planes.insert(planes.end(), size_t(width), uint8_t(tag));
        p.Rows.push_back(uint8_t(planes.size() + 1));
        p.Rows.push_back(uint8_t(planes.size() - 1));
        p.Rows.insert(p.Rows.end(), planes.begin(), planes.end());
    }
    return p;
}

uint32_t Code(int x, int y, int tag)
{
    return PackPixel(uint8_t(x), uint8_t(y), uint8_t(tag));
}

TEST(PICTDecoderTest, BandsAreComposedOnTheFrame)
{
    const uint32_t white = 0xFFFFFFFFu;
    const uint32_t red = Opaque(kColors[1]);
    struct Case {
        const char* Name;
        std::function<void(PictWriter&)> Bands;
        std::array<int, 4> Frame;
        int Width, Height;
        std::function<uint32_t(int, int)> Expected;
    };
    const Case cases[] = {
        {"8-bit band above a 32-bit band",
         [](PictWriter& w) {
             AddPlaced(w, Flat8(6, 2, 1), {0, 0, 2, 6}, {0, 0, 2, 6}, {0, 0, 2, 6});
             AddPlaced(w, Coded32(6, 3, 9), {2, 0, 5, 6}, {2, 0, 5, 6}, {2, 0, 5, 6});
         },
         {0, 0, 5, 6}, 6, 5, [&](int x, int y) { return y < 2 ? red : Code(x, y - 2, 9); }},
        {"the destination places a band, not its bounds; the rest is white",
         [](PictWriter& w) { AddPlaced(w, Coded32(3, 2, 7), {0, 0, 2, 3}, {0, 0, 2, 3}, {1, 2, 3, 5}); },
         {0, 0, 4, 6}, 6, 4,
         [&](int x, int y) { return x >= 2 && x < 5 && y >= 1 && y < 3 ? Code(x - 2, y - 1, 7) : white; }},
        {"a frame away from the origin",
         [](PictWriter& w) {
             AddPlaced(w, Coded32(4, 1, 1), {0, 0, 1, 4}, {0, 0, 1, 4}, {100, 200, 101, 204});
             AddPlaced(w, Coded32(4, 1, 2), {0, 0, 1, 4}, {0, 0, 1, 4}, {101, 200, 102, 204});
         },
         {100, 200, 102, 204}, 4, 2, [&](int x, int y) { return Code(x, 0, y + 1); }},
        {"part of a band, scaled twice", 
         [](PictWriter& w) { AddPlaced(w, Coded32(4, 3, 5), {0, 0, 3, 4}, {1, 1, 2, 3}, {0, 0, 2, 4}); },
         {0, 0, 2, 4}, 4, 2, [&](int x, int) { return Code(1 + x / 2, 1, 5); }},
        {"bands finer than the frame keep their pixels",
         [](PictWriter& w) {
             AddPlaced(w, Coded32(4, 2, 1), {0, 0, 2, 4}, {0, 0, 2, 4}, {0, 0, 1, 2});
             AddPlaced(w, Coded32(4, 2, 2), {0, 0, 2, 4}, {0, 0, 2, 4}, {1, 0, 2, 2});
         },
         {0, 0, 2, 2}, 4, 4, [&](int x, int y) { return Code(x, y % 2, 1 + y / 2); }},
        {"a band reaching out of the frame is cut",
         [](PictWriter& w) { AddPlaced(w, Coded32(4, 2, 3), {0, 0, 2, 4}, {0, 0, 2, 4}, {-1, -2, 1, 2}); },
         {0, 0, 2, 3}, 3, 2, [&](int x, int y) { return x < 2 && y < 1 ? Code(x + 2, y + 1, 3) : white; }},
        {"a frame the bands cannot justify is cut to what they cover",
         [](PictWriter& w) { AddPlaced(w, Coded32(2, 1, 4), {0, 0, 1, 2}, {0, 0, 1, 2}, {10, 20, 11, 22}); },
         {0, 0, 30000, 30000}, 2, 1, [&](int x, int) { return Code(x, 0, 4); }},
    };
    for (const Case& c : cases) {
        for (int depth : {32, 8}) {
            SCOPED_TRACE(testing::Message() << c.Name << ", depth " << depth);
            PictWriter w = StartPict(2);
            c.Bands(w);
            w.Frame(c.Frame[0], c.Frame[1], c.Frame[2], c.Frame[3]).End();
            const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data(), depth);
            ASSERT_EQ(d.Code, 0) << d.Text;
            ASSERT_EQ(d.Bitmap.BitsPerPixel, 32);
            ASSERT_EQ(d.Bitmap.Width, c.Width);
            ASSERT_EQ(d.Bitmap.Height, c.Height);
            PixelRows expected(size_t(c.Height));
            for (int y = 0; y < c.Height; ++y)
                for (int x = 0; x < c.Width; ++x)
                    expected[size_t(y)].push_back(c.Expected(x, y));
            EXPECT_EQ(Rows32(d.Bitmap), expected);
        }
    }
}

TEST(PICTDecoderTest, OneBandFillingTheFrameKeepsItsOwnSize)
{
    // Twice the frame's resolution: the band's pixels, not the frame's units.
    PictWriter w = StartPict(2);
    AddPlaced(w, Coded32(4, 2, 6), {0, 0, 2, 4}, {0, 0, 2, 4}, {0, 0, 1, 2});
    w.Frame(0, 0, 1, 2).End();
    const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data());
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(d.Bitmap.Width, 4);
    EXPECT_EQ(d.Bitmap.Height, 2);
    EXPECT_EQ(d.Bitmap.Row32(1)[3], Code(3, 1, 6));
}

TEST(PICTDecoderTest, EndlessStackedBandsStopBeingDrawn)
{
    // Each 1 x 1 band is blown up over the whole 1000 x 1000 frame; the
    // bands after the first 32 would only paint the canvas over and over.
    PictWriter w = StartPict(2);
    for (int tag = 0; tag < 40; ++tag)
        AddPlaced(w, Coded32(1, 1, tag), {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1000, 1000});
    w.Frame(0, 0, 1000, 1000).End();
    const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data());
    ASSERT_EQ(d.Code, 0) << d.Text;
    ASSERT_EQ(d.Bitmap.Width, 1000);
    EXPECT_EQ(d.Bitmap.Row32(999)[999], Code(0, 0, 31));
}

TEST(PICTDecoderTest, DamageAfterABandLeavesTheBandsBeforeIt)
{
    PictWriter w = StartPict(2);
    AddPlaced(w, Coded32(3, 1, 1), {0, 0, 1, 3}, {0, 0, 1, 3}, {0, 0, 1, 3});
    const size_t firstEnd = w.Size();
    AddPlaced(w, Coded32(3, 1, 2), {0, 0, 1, 3}, {0, 0, 1, 3}, {1, 0, 2, 3});
    w.Frame(0, 0, 2, 3);
    const Bytes file = w.End().Data();
    for (size_t size : {firstEnd, firstEnd + 5, file.size() - 4}) {
        SCOPED_TRACE(size);
        const DecodeResult d = DecodeBytes<CPICTDecoder>(Bytes(file.begin(), file.begin() + ptrdiff_t(size)));
        ASSERT_EQ(d.Code, 0) << d.Text;
        EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Code(0, 0, 1), Code(1, 0, 1), Code(2, 0, 1)},
                                                {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}}));
    }
}

TEST(PICTDecoderTest, Errors)
{
    struct Case {
        const char* Name;
        Bytes File;
        int Code;
        const char* Text;
    };
    auto withPixMap = [](PixMap p, uint16_t opcode = 0x98) {
        PictWriter w = StartPict(2);
        if (opcode == 0x9A)
            AddDirect(w, p);
        else
            AddPixMap(w, p, opcode);
        return w.End().Data();
    };
    PixMap good;
    good.Width = 2;
    good.RowBytes = 2;
    good.Colors = kColors;
    good.Rows = {1, 2};
    auto changed = [&good](auto change) {
        PixMap p = good;
        change(p);
        return p;
    };
    auto header = [] { return PictWriter(2).Fill(0, 512).BE16(0).Rect(0, 0, 1, 1); };
    auto quickTime = [](uint32_t length, const Bytes& data) {
        return StartPict(2).Opcode(0x8200).BE32(length).Raw(data).End().Data();
    };
    const char* kVectorOnly = "PICT contained only vector data!\n";
    const char* kNoQuickTime = "PICT file contains unrecognized quicktime data.\n";
    const Case cases[] = {
        {"drawing only", StartPict(2).Opcode(0x30).Fill(0, 8).End().Data(), 6, kVectorOnly},
        {"version 1 end", StartPict(1).Opcode(0x38).End().Data(), 6, kVectorOnly},
        {"end opcode 0xFFFF", StartPict(2).Opcode(0xFFFF).Data(), 6, kVectorOnly},
        {"no version opcode", header().BE16(0).BE16(0x1202).Fill(0, 30).Data(), 1,
         "Error decoding pict: Version number missing."},
        {"version 2 without 0xFF", header().U8(0x11).U8(2).U8(0).Fill(0, 30).Data(), 1, "Illegal version number."},
        {"version 3", header().U8(0x11).U8(3).Fill(0, 30).Data(), 1, "Illegal version number."},
        {"only zero bytes after the frame", PictWriter(2).Fill(0, 600).Data(), 7, "Unexpected end of file."},
        {"picture without end", StartPict(2).Opcode(0x30).Fill(0, 8).Opcode(0x02).Fill(0, 8).Data(), 7,
         "Unexpected end of file."},
        {"unknown pattern type", StartPict(2).Opcode(0x12).BE16(3).Fill(0, 20).End().Data(), 2,
         "Unknown pattern type in pixPat."},
        {"colour value beyond the table",
         withPixMap(changed([](PixMap& p) {
             p.Values = {0, 12, 2};
             p.Colors.resize(3);
         })),
         2, "pixel value greater than colour table size."},
        {"24-bit pixel map", withPixMap(changed([](PixMap& p) { p.PixelSize = 24; })), 2,
         "Illegal bpp value in unpackbits: 24\n"},
        {"3-bit pixel map", withPixMap(changed([](PixMap& p) { p.PixelSize = 3; })), 2,
         "Illegal bpp value in unpackbits: 3\n"},
        {"32 bits in two components", withPixMap(changed([](PixMap& p) { p.PixelSize = 32; p.CmpCount = 2; }), 0x9A), 2,
         "Illegal component count: 2"},
        {"rows shorter than the width", withPixMap(changed([](PixMap& p) { p.Width = 10; p.RowBytes = 8; })), 2,
         "Row bytes too small for the image width."},
        {"empty bounds", withPixMap(changed([](PixMap& p) { p.Width = 0; })), 2, "Illegal image size."},
        {"upside-down bounds", withPixMap(changed([](PixMap& p) { p.Height = -1; })), 2, "Illegal image size."},
        {"clip region size 0", StartPict(2).Opcode(0x01).BE16(0).End().Data(), 2, "Illegal region size."},
        {"polygon size 1", StartPict(2).Opcode(0x70).BE16(1).End().Data(), 2, "Illegal polygon size."},
        {"QuickTime data without JPEG", quickTime(6, {0xFF, 0xD8, 0x00, 0xFF, 0xD8, 0x00}), 6, kNoQuickTime},
        {"JPEG start beyond the QuickTime data", quickTime(2, {0, 0, 0xFF, 0xD8, 0xFF, 0}), 6, kNoQuickTime},
        {"QuickTime length beyond the file", StartPict(2).Opcode(0x8200).BE32(0xFFFFFFF0).Raw({0xFF, 0xD8}).Data(), 6,
         kNoQuickTime},
        {"huge raster with hardly any data",
         withPixMap(changed([](PixMap& p) { p.Width = 30000; p.Height = 30000; p.RowBytes = 30000; p.Rows = {0, 0}; })),
         7, "Unexpected end of file."},
        {"raw rows missing", withPixMap(changed([](PixMap& p) { p.Height = 3; })), 7, "Unexpected end of file."},
        {"opcode length beyond the file", StartPict(2).Opcode(0xD0).BE32(0x7FFFFFFF).Fill(0, 10).Data(), 7,
         "Unexpected end of file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult d = DecodeBytes<CPICTDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code);
        EXPECT_EQ(d.Text, c.Text);
    }
}

TEST(PICTDecoderTest, ImageOverMemoryCapFailsBeforeAllocating)
{
    PixMap p;
    p.Width = 2000;
    p.Height = 2000;
    p.RowBytes = 2000;
    p.Colors = kColors;
    // Each row: 15 runs of 128 and one of 80.
    for (int y = 0; y < p.Height; ++y) {
        p.Rows.insert(p.Rows.end(), {0x00, 0x20});
        for (int run = 0; run < 15; ++run)
            p.Rows.insert(p.Rows.end(), {0x81, 1});
        p.Rows.insert(p.Rows.end(), {0xB1, 1});
    }
    PictWriter w = StartPict(2);
    AddPixMap(w, p);
    setenv("OCULANE_MAX_IMAGE_BYTES", "1000000", 1);
    const DecodeResult d = DecodeBytes<CPICTDecoder>(w.Data());
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(d.Code, 10);
    EXPECT_EQ(d.Text, "Out of memory.");
    const DecodeResult ok = DecodeBytes<CPICTDecoder>(w.Data());
    ASSERT_EQ(ok.Code, 0) << ok.Text;
    EXPECT_EQ(ok.Bitmap.Row32(1999)[1999], Opaque(kColors[1]));
}

// Cut anywhere before the last row, a picture fails with the end-of-data
// error; once the raster is complete the missing end opcode does not matter.
TEST(PICTDecoderTest, TruncatedFiles)
{
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        PictWriter w = StartPict(2);
        w.Opcode(0x01).BE16(10).Rect(0, 0, 2, 3).Opcode(0xA1).BE16(100).BE16(2).BE16(0);
        PixMap p;
        p.Width = 9;
        p.Height = 2;
        p.RowBytes = 9;
        p.Colors = kColors;
        p.Rows = {0x02, 0xF8, 3, 0x05, 0x01, 1, 2, 0xF9, 4};
        if (variant == 0) {
            AddPixMap(w, p);
        } else {
            p.PixelSize = 32;
            p.CmpCount = 3;
            p.RowBytes = 36;
            p.PackType = variant == 1 ? 4 : 1;
            p.Rows = variant == 1 ? Bytes{0x02, 0xE6, 0x20, 0x02, 0xE6, 0x40} : Bytes(72, 0x55);
            AddDirect(w, p);
        }
        const size_t rasterEnd = w.Size();
        const Bytes file = w.End().Data();
        for (size_t size = 0; size < file.size(); ++size) {
            Bytes cut(file.begin(), file.begin() + ptrdiff_t(size));
            const DecodeResult d = DecodeBytes<CPICTDecoder>(cut);
            if (size < rasterEnd) {
                ASSERT_EQ(d.Code, 7) << size;
                EXPECT_EQ(d.Text, "Unexpected end of file.");
            } else {
                EXPECT_EQ(d.Code, 0) << size;
            }
        }
    }
}

struct Pam {
    int Width = 0;
    int Height = 0;
    int Depth = 0;
    Bytes Pixels;
};

Pam ReadPam(const std::string& path)
{
    const Bytes file = ReadWholeFile(path);
    const std::string text(file.begin(), file.end());
    const size_t end = text.find("ENDHDR\n");
    Pam pam;
    std::istringstream header(text.substr(0, end));
    std::string key;
    while (header >> key) {
        if (key == "WIDTH")
            header >> pam.Width;
        else if (key == "HEIGHT")
            header >> pam.Height;
        else if (key == "DEPTH")
            header >> pam.Depth;
    }
    if (end != std::string::npos)
        pam.Pixels.assign(file.begin() + ptrdiff_t(end + 7), file.end());
    return pam;
}

TEST(PICTDecoderTest, MatchesImageMagick)
{
    struct Case {
        const char* Pict;
        const char* Reference;
        int SourceBits;
        bool Alpha;
    };
    const Case cases[] = {
        {"im-palette.pict", "im-palette.pam", 8, false},
        {"im-direct.pict", "im-direct.pam", 32, false},
        {"im-alpha.pict", "im-alpha.pam", 32, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pict);
        const Pam pam = ReadPam(TestDataPath("pict", c.Reference));
        ASSERT_EQ(pam.Pixels.size(), size_t(pam.Width) * pam.Height * pam.Depth);
        const Bytes file = ReadWholeFile(TestDataPath("pict", c.Pict));
        const DecodeResult d = DecodeBytes<CPICTDecoder>(file);
        ASSERT_EQ(d.Code, 0) << d.Text;
        ASSERT_EQ(d.Bitmap.Width, pam.Width);
        ASSERT_EQ(d.Bitmap.Height, pam.Height);
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.SourceBits);
        EXPECT_EQ(d.Bitmap.HasAlpha, c.Alpha);
        PixelRows expected(size_t(pam.Height));
        const uint8_t* p = pam.Pixels.data();
        for (auto& row : expected)
            for (int x = 0; x < pam.Width; ++x, p += pam.Depth)
                row.push_back(PackPixel(p[0], p[1], p[2], pam.Depth == 4 ? p[3] : 255));
        EXPECT_EQ(Rows32(d.Bitmap), expected);
    }
}

TEST(PICTDecoderTest, QuickTimeJpeg)
{
    for (const char* name : {"jpeg-colour.jpg", "jpeg-grey.jpg"}) {
        SCOPED_TRACE(name);
        const Bytes jpeg = ReadWholeFile(TestDataPath("pict", name));
        ASSERT_FALSE(jpeg.empty());
        CWinBmp reference;
        CJPEGDecoder jpegDecoder;
        jpegDecoder.DecodeMemory("reference.jpg", jpeg.data(), jpeg.size(), reference, 0);

        // An image description (with stray 0xFF bytes) comes before the JPEG data.
        PictWriter w = StartPict(2, 8, 16);
        w.Opcode(0x01).BE16(10).Rect(0, 0, 8, 16);
        Bytes description(70, 0);
        description[3] = 0xFF;
        description[10] = 0xFF;
        description[11] = 0xD8;
        w.Opcode(0x8200).BE32(uint32_t(description.size() + jpeg.size())).Raw(description).Raw(jpeg).End();
        for (CJPEGDecoder* given : {static_cast<CJPEGDecoder*>(nullptr), &jpegDecoder}) {
            CPICTDecoder decoder(given);
            const DecodeResult d = DecodeWith(decoder, w.Data(), 32);
            ASSERT_EQ(d.Code, 0) << d.Text;
            ASSERT_EQ(d.Bitmap.BitsPerPixel, reference.BitsPerPixel);
            ASSERT_EQ(d.Bitmap.Width, 16);
            ASSERT_EQ(d.Bitmap.Height, 8);
            for (int y = 0; y < 8; ++y)
                EXPECT_EQ(0, std::memcmp(d.Bitmap.Lines[y], reference.Lines[y], size_t(reference.BytesPerLine())));
        }
    }
}

TEST(PICTDecoderTest, TraceNamesOpcodes)
{
    TempFolder folder;
    const std::string trace = folder.File("trace.txt");
    PictWriter w = StartPict(2);
    w.Opcode(0x04).U8(0).Opcode(0x17).Opcode(0xA2).BE16(0).Opcode(0x0C00).Fill(0, 24);
    AddSmallRaster(w);
    {
        CPICTDecoder decoder;
        SetDecoderTrace(trace, 3);
        CWinBmp bitmap;
        decoder.DecodeMemory("trace.pict", w.Data().data(), w.Size(), bitmap, 32);
    }
    const Bytes text = TempFolder::Read(trace);
    const std::string lines(text.begin(), text.end());
    for (const char* line : {"Decoding mac pict.\n", "PICT version 2 found.\n", "Opcode: TxFace\n",
                             "Opcode: reserved=0x17\n", "Opcode: reserved 0xa2.\n", "Opcode: Header.\n",
                             "Opcode: PackBitsRect\n", "PixMap header info:\n", "  Bounds: (0,0) (2,1).\n",
                             "  pixelSize: 8\n", "  cmpCount: 1\n", "Palette Size:  12\n"})
        EXPECT_NE(lines.find(line), std::string::npos) << line;
}

} // namespace
