#include "formats/IFFCodec.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using IndexRows = std::vector<std::vector<uint32_t>>; // per pixel: index, or 0xRRGGBB for 24 planes

void BE16(std::vector<uint8_t>& v, uint16_t x)
{
    v.push_back(uint8_t(x >> 8));
    v.push_back(uint8_t(x));
}
void BE32(std::vector<uint8_t>& v, uint32_t x)
{
    BE16(v, uint16_t(x >> 16));
    BE16(v, uint16_t(x));
}

// A chunk with its pad byte when the size is odd; sizeField overrides the stored size.
std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& data, int64_t sizeField = -1)
{
    std::vector<uint8_t> out(id, id + 4);
    BE32(out, sizeField < 0 ? uint32_t(data.size()) : uint32_t(sizeField));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1)
        out.push_back(0);
    return out;
}

std::vector<uint8_t> Bmhd(int width, int height, int planes, int masking = 0, int compression = 0)
{
    std::vector<uint8_t> d;
    BE16(d, uint16_t(width));
    BE16(d, uint16_t(height));
    BE32(d, 0);
    d.push_back(uint8_t(planes));
    d.push_back(uint8_t(masking));
    d.push_back(uint8_t(compression));
    d.push_back(0);
    BE16(d, 0);
    d.push_back(10);
    d.push_back(11);
    BE16(d, uint16_t(width));
    BE16(d, uint16_t(height));
    return d;
}

std::vector<uint8_t> Cmap(const std::vector<uint32_t>& colours)
{
    std::vector<uint8_t> d;
    for (uint32_t c : colours) {
        d.push_back(uint8_t(c >> 16));
        d.push_back(uint8_t(c >> 8));
        d.push_back(uint8_t(c));
    }
    return d;
}

std::vector<uint8_t> Camg(uint32_t mode)
{
    std::vector<uint8_t> d;
    BE32(d, mode);
    return d;
}

// Plane rows of each pixel row; a mask plane (when asked) is all ones.
std::vector<std::vector<uint8_t>> PlaneRows(const IndexRows& rows, int width, int planes, bool mask)
{
    const size_t bytes = 2 * ((size_t(width) + 15) / 16);
    std::vector<std::vector<uint8_t>> out;
    for (const auto& row : rows) {
        for (int p = 0; p < planes; ++p) {
            std::vector<uint8_t> plane(bytes, 0);
            for (int x = 0; x < width; ++x)
                if ((row[x] >> p) & 1)
                    plane[x / 8] |= uint8_t(0x80 >> (x % 8));
            out.push_back(plane);
        }
        if (mask)
            out.push_back(std::vector<uint8_t>(bytes, 0xFF));
    }
    return out;
}

// ByteRun1: runs of three or more equal bytes repeat, the rest is literal;
// withNoOps puts a 128 before every plane row.
std::vector<uint8_t> ByteRun1(const std::vector<std::vector<uint8_t>>& planeRows, bool withNoOps = false)
{
    std::vector<uint8_t> out;
    for (const auto& row : planeRows) {
        if (withNoOps)
            out.push_back(128);
        size_t i = 0;
        while (i < row.size()) {
            size_t run = 1;
            while (i + run < row.size() && row[i + run] == row[i] && run < 128)
                ++run;
            if (run >= 3) {
                out.push_back(uint8_t(257 - run));
                out.push_back(row[i]);
                i += run;
                continue;
            }
            size_t lit = 0;
            while (i + lit < row.size() && lit < 128 &&
                   !(i + lit + 2 < row.size() && row[i + lit] == row[i + lit + 1] && row[i + lit] == row[i + lit + 2]))
                ++lit;
            out.push_back(uint8_t(lit - 1));
            out.insert(out.end(), row.begin() + i, row.begin() + i + lit);
            i += lit;
        }
    }
    return out;
}

std::vector<uint8_t> Flat(const std::vector<std::vector<uint8_t>>& planeRows)
{
    std::vector<uint8_t> out;
    for (const auto& r : planeRows)
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

std::vector<uint8_t> Form(const std::vector<std::vector<uint8_t>>& chunks, int64_t sizeField = -1)
{
    std::vector<uint8_t> body = {'I', 'L', 'B', 'M'};
    for (const auto& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    std::vector<uint8_t> out = {'F', 'O', 'R', 'M'};
    BE32(out, sizeField < 0 ? uint32_t(body.size()) : uint32_t(sizeField));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

struct IlbmLayout {
    int Width = 1;
    int Height = 1;
    int Planes = 1;
    IndexRows Pixels = {};
    std::vector<uint32_t> Colours = {}; // no CMAP when empty
    uint32_t Mode = 0;             // CAMG, none when 0
    int Masking = 0;
    int Compression = 0;
};

std::vector<uint8_t> MakeIlbm(const IlbmLayout& s)
{
    std::vector<std::vector<uint8_t>> chunks;
    chunks.push_back(Chunk("BMHD", Bmhd(s.Width, s.Height, s.Planes, s.Masking, s.Compression)));
    if (!s.Colours.empty())
        chunks.push_back(Chunk("CMAP", Cmap(s.Colours)));
    if (s.Mode)
        chunks.push_back(Chunk("CAMG", Camg(s.Mode)));
    const auto planes = PlaneRows(s.Pixels, s.Width, s.Planes, s.Masking == 1);
    chunks.push_back(Chunk("BODY", s.Compression == 1 ? ByteRun1(planes) : Flat(planes)));
    return Form(chunks);
}

PixelRows RowsOf(const CBmp& bmp)
{
    PixelRows rows;
    for (int y = 0; y < bmp.Height; ++y) {
        rows.emplace_back();
        for (int x = 0; x < bmp.Width; ++x)
            rows.back().push_back(bmp.Row32(y)[x] & 0xFFFFFF); // alpha checked separately
    }
    return rows;
}

void ExpectDecodes(const char* name, const std::vector<uint8_t>& file, const PixelRows& expected, int sourceBits)
{
    const DecodeResult d = DecodeBytes<CIFFDecoder>(file);
    ASSERT_EQ(d.Code, 0) << name << ": " << d.Text;
    EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << name;
    EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, sourceBits) << name;
    EXPECT_FALSE(d.Bitmap.HasAlpha) << name;
    EXPECT_EQ(RowsOf(d.Bitmap), expected) << name;
    for (int y = 0; y < d.Bitmap.Height; ++y)
        for (int x = 0; x < d.Bitmap.Width; ++x)
            ASSERT_EQ(d.Bitmap.Row32(y)[x] >> 24, 255u) << name;
}

// A palette of 2^planes colours and a picture using all of them.
std::vector<uint32_t> Palette(int entries)
{
    std::vector<uint32_t> p;
    for (int i = 0; i < entries; ++i)
        p.push_back(uint32_t(i * 37 % 256) << 16 | uint32_t(i * 11 % 256) << 8 | uint32_t(255 - i % 256));
    return p;
}

IndexRows Picture(int width, int height, int entries)
{
    IndexRows rows(height, std::vector<uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = uint32_t((x * 7 + y * 13 + (x / 5) * (y / 3)) % entries);
    return rows;
}

PixelRows Through(const IndexRows& rows, const std::vector<uint32_t>& colours)
{
    PixelRows out;
    for (const auto& r : rows) {
        out.emplace_back();
        for (uint32_t i : r)
            out.back().push_back(i < colours.size() ? colours[i] : 0);
    }
    return out;
}

TEST(IFFCodecTest, ColourMappedPlanesAndCompression)
{
    struct Case {
        int Planes;
        int Width;
        int Height;
        int Compression;
        int Masking;
    };
    const Case cases[] = {
        {1, 1, 2, 0, 0},  {1, 17, 3, 1, 0}, {2, 16, 2, 0, 0}, {3, 9, 4, 1, 1},  {4, 33, 5, 0, 1},
        {5, 20, 3, 1, 0}, {6, 7, 2, 0, 0},  {7, 40, 3, 1, 0}, {8, 50, 6, 0, 0}, {8, 300, 4, 1, 1},
        {9, 21, 3, 1, 0}, {10, 35, 4, 0, 1},
    };
    for (const Case& c : cases) {
        const int entries = 1 << c.Planes;
        const std::vector<uint32_t> colours = Palette(entries);
        const IndexRows pixels = Picture(c.Width, c.Height, entries);
        const std::string name = std::to_string(c.Planes) + " planes, width " + std::to_string(c.Width) +
                                 (c.Compression ? ", ByteRun1" : "") + (c.Masking ? ", mask plane" : "");
        ExpectDecodes(name.c_str(),
                      MakeIlbm({c.Width, c.Height, c.Planes, pixels, colours, 0, c.Masking, c.Compression}),
                      Through(pixels, colours), c.Planes);
    }

    // Indices past a short colour map are black; any requested depth gives 32 bits.
    const DecodeResult d = DecodeBytes<CIFFDecoder>(MakeIlbm({3, 1, 2, {{0, 1, 3}}, {0x102030, 0x405060}}), 8);
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(d.Bitmap.BitsPerPixel, 32);
    EXPECT_EQ(RowsOf(d.Bitmap), (PixelRows{{0x102030, 0x405060, 0}}));
}

TEST(IFFCodecTest, ByteRun1Details)
{
    // Row of 4 bytes for width 32, one plane: 128 no-ops, a repeat, a literal.
    const std::vector<uint32_t> bw = {0x000000, 0xFFFFFF};
    auto file = [&](const std::vector<uint8_t>& body) {
        return Form({Chunk("BMHD", Bmhd(32, 1, 1, 0, 1)), Chunk("CMAP", Cmap(bw)), Chunk("BODY", body)});
    };
    PixelRows expected(1);
    const uint8_t bytes[] = {0xF0, 0xF0, 0x0F, 0x81};
    for (uint8_t b : bytes)
        for (int bit = 7; bit >= 0; --bit)
            expected[0].push_back((b >> bit) & 1 ? 0xFFFFFF : 0);
    ExpectDecodes("no-op, repeat, literal", file({128, 0xFF, 0xF0, 128, 1, 0x0F, 0x81}), expected, 1);

    // Five planes' worth with a no-op before each row still matches.
    const IndexRows pixels = Picture(40, 3, 32);
    const auto colours = Palette(32);
    const auto planes = PlaneRows(pixels, 40, 5, false);
    ExpectDecodes("no-ops between rows",
                  Form({Chunk("BMHD", Bmhd(40, 3, 5, 0, 1)), Chunk("CMAP", Cmap(colours)),
                        Chunk("BODY", ByteRun1(planes, true))}),
                  Through(pixels, colours), 5);
}

TEST(IFFCodecTest, GreyWithoutColourMap)
{
    ExpectDecodes("1 plane", MakeIlbm({2, 1, 1, {{0, 1}}, {}}), {{0, 0xFFFFFF}}, 1);
    ExpectDecodes("4 planes", MakeIlbm({3, 1, 4, {{0, 5, 15}}, {}}), {{0, 0x555555, 0xFFFFFF}}, 4);
    ExpectDecodes("8 planes", MakeIlbm({3, 1, 8, {{0, 100, 255}}, {}}), {{0, 0x646464, 0xFFFFFF}}, 8);
    // 2^10 − 1 steps: 512 * 255 / 1023 rounds to 128.
    ExpectDecodes("10 planes", MakeIlbm({3, 1, 10, {{0, 512, 1023}}, {}}), {{0, 0x808080, 0xFFFFFF}}, 10);
}

TEST(IFFCodecTest, TrueColour)
{
    // Planes 0-7 are red, 8-15 green, 16-23 blue.
    const PixelRows rgb = {{0x102030, 0xFF0001, 0x00FF80}, {0x7F7F7F, 0, 0xFFFFFF}};
    IndexRows planes = rgb;
    for (auto& row : planes)
        for (uint32_t& v : row)
            v = (v >> 16) | (v & 0xFF00) | ((v & 0xFF) << 16);
    ExpectDecodes("24 planes", MakeIlbm({3, 2, 24, planes, {}}), rgb, 24);
    ExpectDecodes("24 planes, ByteRun1 and mask", MakeIlbm({3, 2, 24, planes, {}, 0, 1, 1}), rgb, 24);
    // A colour map and the HAM flag do not apply to true colour.
    ExpectDecodes("24 planes with CMAP and HAM flag", MakeIlbm({3, 2, 24, planes, {0xABCDEF}, 0x800}), rgb, 24);
}

TEST(IFFCodecTest, ExtraHalfBrite)
{
    const std::vector<uint32_t> colours = Palette(32);
    auto half = [](uint32_t c) { return (c >> 1) & 0x7F7F7F; };
    const IndexRows pixels = {{8, 40, 0, 32, 31, 63}};
    const PixelRows expected = {
        {colours[8], half(colours[8]), colours[0], half(colours[0]), colours[31], half(colours[31])}};
    ExpectDecodes("6 planes, 32 colours", MakeIlbm({6, 1, 6, pixels, colours, 0x80}), expected, 6);
    // Without the flag the upper half has no colours.
    ExpectDecodes("same without the flag", MakeIlbm({6, 1, 6, pixels, colours}),
                  {{colours[8], 0, colours[0], 0, colours[31], 0}}, 6);
}

uint32_t Rgb(int r, int g, int b)
{
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

TEST(IFFCodecTest, HoldAndModify)
{
    // HAM6: entries cut to 4 bits per gun and spread back over 0…255.
    std::vector<uint32_t> colours(16, 0);
    colours[1] = 0xF08010;
    colours[2] = 0xFFFFFF;
    const IndexRows ham6 = {
        {0x01, 0x15, 0x2A, 0x3F, 0x00, 0x02},
        {0x1F, 0x33, 0x01, 0x20},
    };
    const PixelRows ham6Expected = {
        {Rgb(255, 136, 17), Rgb(255, 136, 85), Rgb(170, 136, 85), Rgb(170, 255, 85), 0, 0xFFFFFF},
        // Each row starts from black.
        {Rgb(0, 0, 255), Rgb(0, 51, 255), Rgb(255, 136, 17), Rgb(0, 136, 17)},
    };
    IndexRows ham6Rows = ham6;
    ham6Rows[1].resize(6, 0);
    PixelRows ham6Full = ham6Expected;
    ham6Full[1].resize(6, 0);
    ExpectDecodes("HAM6", MakeIlbm({6, 2, 6, ham6Rows, colours, 0x800}), ham6Full, 6);
    ExpectDecodes("HAM6, ByteRun1", MakeIlbm({6, 2, 6, ham6Rows, colours, 0x800, 0, 1}), ham6Full, 6);

    // A colour map smaller than the value mask (and none at all) gives grey bases.
    ExpectDecodes("HAM6, 4 colours", MakeIlbm({3, 1, 6, {{0x03, 0x0F, 0x1A}}, {0xFF0000, 0, 0, 0}, 0x800}),
                  {{0x333333, 0xFFFFFF, Rgb(255, 255, 170)}}, 6);
    ExpectDecodes("HAM6, no colour map", MakeIlbm({2, 1, 6, {{0x05, 0x21}}, {}, 0x800}),
                  {{0x555555, Rgb(17, 85, 85)}}, 6);

    // HAM8: six value bits, entries cut to 6 bits.
    std::vector<uint32_t> colours64(64, 0);
    colours64[2] = 0xFC0000;
    colours64[3] = 0x808080;
    ExpectDecodes("HAM8", MakeIlbm({4, 1, 8, {{0x02, 0x40 | 21, 0xC0 | 63, 0x03}}, colours64, 0x800}),
                  {{Rgb(255, 0, 0), Rgb(255, 0, 85), Rgb(255, 255, 85), Rgb(130, 130, 130)}}, 8);

    // Twelve planes: ten value bits.
    std::vector<uint32_t> colours1024(1024, 0);
    colours1024[1023] = 0xFF0000;
    ExpectDecodes("HAM with 12 planes",
                  MakeIlbm({3, 1, 12, {{1023, 0x400 | 1023, 0x800 | 0}}, colours1024, 0x800}),
                  {{Rgb(255, 0, 0), Rgb(255, 0, 255), Rgb(0, 0, 255)}}, 12);
}

TEST(IFFCodecTest, ChunkWalk)
{
    const std::vector<uint32_t> colours = {0x112233, 0x445566};
    const std::vector<uint8_t> body = {0x80, 0}; // pixel 0 is index 1
    const PixelRows expected = {{0x445566}};
    auto bmhd = Chunk("BMHD", Bmhd(1, 1, 1));
    auto cmap = Chunk("CMAP", Cmap(colours));
    auto bodyChunk = Chunk("BODY", body);

    std::vector<uint8_t> trailingJunk = Form({bmhd, cmap, bodyChunk});
    trailingJunk.insert(trailingJunk.end(), {'J', 'U', 'N'});

    // A CMAP of 7 bytes: two colours and one stray byte, then the pad.
    std::vector<uint8_t> sevenBytes = Cmap(colours);
    sevenBytes.push_back(0x99);

    const struct {
        const char* Name;
        std::vector<uint8_t> File;
    } cases[] = {
        {"other chunks and an odd-sized one are passed over",
         Form({Chunk("ANNO", {'h', 'i', '!'}), bmhd, Chunk("DPPS", std::vector<uint8_t>(11, 7)), cmap, bodyChunk})},
        {"CMAP of 7 bytes", Form({bmhd, Chunk("CMAP", sevenBytes), bodyChunk})},
        {"chunks after BODY are not used", Form({bmhd, cmap, bodyChunk, Chunk("CMAP", Cmap({0, 0}))})},
        {"a size with the top bit set skips nothing",
         Form({Chunk("XXXX", {}, 0x80000000), bmhd, cmap, bodyChunk})},
        {"junk after the FORM", trailingJunk},
        {"FORM size larger than the file", Form({bmhd, cmap, bodyChunk}, 100000)},
        {"BODY size larger than the file", Form({bmhd, cmap, Chunk("BODY", body, 5000)})},
    };
    for (const auto& c : cases)
        ExpectDecodes(c.Name, c.File, expected, 1);
}

std::vector<uint8_t> FormOf(const char* kind, const std::vector<std::vector<uint8_t>>& chunks)
{
    std::vector<uint8_t> out = Form(chunks);
    std::memcpy(out.data() + 8, kind, 4);
    return out;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(uint8_t(v));
    return out;
}

TEST(IFFCodecTest, ChunkyAndPacketForms)
{
    const std::vector<uint32_t> colours = {0x000000, 0x112233, 0x445566, 0x778899, 0xAABBCC};
    const struct {
        const char* Name;
        std::vector<uint8_t> File;
        PixelRows Expected;
        int SourceBits;
    } cases[] = {
        {"PBM rows padded to an even length",
         FormOf("PBM ", {Chunk("BMHD", Bmhd(3, 2, 8)), Chunk("CMAP", Cmap(colours)),
                         Chunk("BODY", Bytes({1, 2, 3, 9, 4, 0, 1, 9}))}),
         {{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0x000000, 0x112233}}, 8},
        {"PBM rows unpadded when the body holds just the pixels",
         FormOf("PBM ", {Chunk("BMHD", Bmhd(3, 2, 8)), Chunk("CMAP", Cmap(colours)),
                         Chunk("BODY", Bytes({1, 2, 3, 4, 0, 1}))}),
         {{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0x000000, 0x112233}}, 8},
        {"PBM ByteRun1 rows",
         FormOf("PBM ", {Chunk("BMHD", Bmhd(3, 2, 8, 0, 1)), Chunk("CMAP", Cmap(colours)),
                         Chunk("BODY", Bytes({0xFD, 4, 0x03, 1, 2, 3, 0}))}),
         {{0xAABBCC, 0xAABBCC, 0xAABBCC}, {0x112233, 0x445566, 0x778899}}, 8},
        {"PBM without a colour map is grey",
         FormOf("PBM ", {Chunk("BMHD", Bmhd(2, 1, 8)), Chunk("BODY", Bytes({0x10, 0xF0}))}), {{0x101010, 0xF0F0F0}}, 8},
        {"RGB8: counts in the packet, in a byte and in a word; runs go on across rows",
         FormOf("RGB8", {Chunk("BMHD", Bmhd(3, 3, 25, 0, 4)),
                         Chunk("BODY", Bytes({0x10, 0x20, 0x30, 0x82, 0x40, 0x50, 0x60, 0x00, 4,
                                              0x70, 0x80, 0x90, 0x00, 0x00, 0x00, 0x03}))}),
         {{0x102030, 0x102030, 0x405060}, {0x405060, 0x405060, 0x405060}, {0x708090, 0x708090, 0x708090}}, 24},
        {"RGBN: 4-bit guns, 3-bit counts after the genlock bit",
         FormOf("RGBN", {Chunk("BMHD", Bmhd(2, 2, 13, 0, 4)), Chunk("BODY", Bytes({0xF8, 0x1A, 0x12, 0x30, 2}))}),
         {{0xFF8811, 0xFF8811}, {0x112233, 0x112233}}, 12},
    };
    for (const auto& c : cases)
        ExpectDecodes(c.Name, c.File, c.Expected, c.SourceBits);
}

// A PCHG chunk: compression, small (1) or big (2) changes, first line, line count, then the data.
std::vector<uint8_t> Pchg(int compression, int flags, int startLine, int lineCount, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> d;
    for (int v : {compression, flags, startLine, lineCount, 1, 0, 31, 1})
        BE16(d, uint16_t(v));
    BE32(d, 1);
    d.insert(d.end(), data.begin(), data.end());
    return Chunk("PCHG", d);
}

TEST(IFFCodecTest, ColoursChangedFromRowToRow)
{
    // Two rows of indices 0, 1 over a black and white map; changes land on the second row.
    const IndexRows pixels = {{0, 1}, {0, 1}};
    auto ilbm = [&](std::vector<std::vector<uint8_t>> extra, uint32_t mode = 0, int planes = 1) {
        std::vector<std::vector<uint8_t>> chunks = {Chunk("BMHD", Bmhd(2, 2, planes)),
                                                    Chunk("CMAP", Cmap({0x000000, 0xFFFFFF}))};
        if (mode)
            chunks.push_back(Chunk("CAMG", Camg(mode)));
        chunks.insert(chunks.end(), extra.begin(), extra.end());
        chunks.push_back(Chunk("BODY", Flat(PlaneRows(pixels, 2, planes, false))));
        return Form(chunks);
    };
    // Mask: line 0 of the lines counted from the start line changes; register 1 becomes red.
    const std::vector<uint8_t> small = Bytes({0x80, 0, 0, 0, 1, 0, 0x1F, 0x00});
    // A Huffman code for the bytes of small: 0x00 = 00, 0x80 = 01, 0x01 = 10, 0x1F = 11.
    const std::vector<uint8_t> huffman = Bytes({0, 0, 0, 10, 0, 0, 0, 8, 0x01, 0x01, 0x00, 0x1F, 0x01, 0x00,
                                                0x00, 0x80, 0xFF, 0xFA, 0x40, 0x8C});
    std::vector<uint8_t> brokenTree = huffman;
    brokenTree[17] = 0xF0; // the root points before the tree
    const uint32_t white = 0xFFFFFF;
    const struct {
        const char* Name;
        std::vector<uint8_t> File;
        PixelRows Expected;
    } cases[] = {
        {"small changes", ilbm({Pchg(0, 1, 1, 1, small)}), {{0, white}, {0, 0xFF0000}}},
        {"a change before the first row holds from it",
         ilbm({Pchg(0, 1, -1, 1, small)}), {{0, 0xFF0000}, {0, 0xFF0000}}},
        {"registers 16 and up follow the first 16", ilbm({Pchg(0, 1, 1, 1, Bytes({0x80, 0, 0, 0, 0, 1, 0x10, 0x0F}))}),
         {{0, white}, {0, white}}},
        {"big changes: alpha, red, blue, green",
         ilbm({Pchg(0, 2, 1, 1, Bytes({0x80, 0, 0, 0, 0, 1, 0, 1, 0xEE, 0x12, 0x34, 0x56}))}),
         {{0, white}, {0, 0x125634}}},
        {"Huffman-packed changes", ilbm({Pchg(1, 1, 1, 1, huffman)}), {{0, white}, {0, 0xFF0000}}},
        {"a broken Huffman tree leaves the colour map", ilbm({Pchg(1, 1, 1, 1, brokenTree)}),
         {{0, white}, {0, white}}},
        {"changes cut short leave the colour map", ilbm({Pchg(0, 1, 1, 1, Bytes({0x80, 0, 0, 0, 1, 0, 0x1F}))}),
         {{0, white}, {0, white}}},
        {"extra half-brite copies follow the change",
         [&] {
             IndexRows rows = {{0, 33}, {0, 33}};
             std::vector<std::vector<uint8_t>> chunks = {Chunk("BMHD", Bmhd(2, 2, 6)),
                                                         Chunk("CMAP", Cmap(std::vector<uint32_t>(32, 0xFFFFFF))),
                                                         Chunk("CAMG", Camg(0x80)), Pchg(0, 1, 1, 1, small),
                                                         Chunk("BODY", Flat(PlaneRows(rows, 2, 6, false)))};
             return Form(chunks);
         }(),
         {{white, 0x7F7F7F}, {white, 0x7F0000}}},
        {"SHAM: 16 registers a row",
         ilbm({Chunk("SHAM", [] {
                   std::vector<uint8_t> d(2 + 2 * 32, 0);
                   d[2 + 2] = 0x0F;       // row 0, register 1: red
                   d[2 + 32 + 3] = 0xF0;  // row 1, register 1: green
                   return d;
               }())}),
         {{0, 0xFF0000}, {0, 0x00FF00}}},
        {"CTBL: the rows of SHAM without its version word",
         ilbm({Chunk("CTBL", [] {
                   std::vector<uint8_t> d(2 * 32, 0);
                   d[2] = 0x0F;      // row 0, register 1: red
                   d[32 + 3] = 0xF0; // row 1, register 1: green
                   return d;
               }())}),
         {{0, 0xFF0000}, {0, 0x00FF00}}},
        {"SHAM with a palette for every two rows",
         [] {
             std::vector<uint8_t> sham(2 + 2 * 32, 0);
             sham[2 + 2] = 0x0F;      // rows 0 and 1, register 1: red
             sham[2 + 32 + 3] = 0xF0; // rows 2 and 3, register 1: green
             const IndexRows rows(4, {0, 1});
             return Form({Chunk("BMHD", Bmhd(2, 4, 1)), Chunk("CMAP", Cmap({0, 0xFFFFFF})), Chunk("SHAM", sham),
                          Chunk("BODY", Flat(PlaneRows(rows, 2, 1, false)))});
         }(),
         {{0, 0xFF0000}, {0, 0xFF0000}, {0, 0x00FF00}, {0, 0x00FF00}}},
    };
    for (const auto& c : cases)
        ExpectDecodes(c.Name, c.File, c.Expected, c.Name[0] == 'e' ? 6 : 1);
}

TEST(IFFCodecTest, Errors)
{
    const auto bmhd = Chunk("BMHD", Bmhd(4, 2, 2));
    const auto body = Chunk("BODY", std::vector<uint8_t>(8, 0));
    auto withHeader = [](std::vector<uint8_t> header, std::vector<uint8_t> bodyBytes,
                         std::vector<std::vector<uint8_t>> more = {}) {
        std::vector<std::vector<uint8_t>> chunks = {Chunk("BMHD", header)};
        chunks.insert(chunks.end(), more.begin(), more.end());
        chunks.push_back(Chunk("BODY", bodyBytes));
        return Form(chunks);
    };
    std::vector<uint8_t> notIlbm = Form({bmhd, body});
    notIlbm[11] = 'X';
    std::vector<uint8_t> cutHeader = Form({bmhd, body});
    cutHeader.resize(12 + 8 + 10);

    const struct {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    } cases[] = {
        {"no BMHD", Form({body}), 2, "No BMHD chunk found."},
        {"width 0", withHeader(Bmhd(0, 2, 2), std::vector<uint8_t>(8)), 2, "No BMHD chunk found."},
        {"no BODY", Form({bmhd, Chunk("CMAP", Cmap({1, 2}))}), 2, "No BODY chunk found."},
        {"BODY past the FORM size", Form({bmhd, body}, 12 + 8 + 20 - 1 + 1), 2, "No BODY chunk found."},
        {"height 0", withHeader(Bmhd(4, 0, 2), std::vector<uint8_t>(8)), 2, "Illegal image size."},
        {"compression 2", withHeader(Bmhd(4, 2, 2, 0, 2), std::vector<uint8_t>(8)), 6, "Unknown compression type."},
        {"literal overruns the row", withHeader(Bmhd(4, 1, 1, 0, 1), {2, 1, 2, 3}), 6,
         "Error doing ByteRun decompression"},
        {"repeat overruns the row", withHeader(Bmhd(4, 1, 1, 0, 1), {0xFD, 1}), 6,
         "Error doing ByteRun decompression"},
        {"11 planes", withHeader(Bmhd(4, 1, 11), std::vector<uint8_t>(22)), 6, "nPlanes is too large"},
        {"16 planes with a colour map",
         withHeader(Bmhd(4, 1, 16), std::vector<uint8_t>(32), {Chunk("CMAP", Cmap({1}))}), 6,
         "nPlanes is too large"},
        {"32 planes", withHeader(Bmhd(4, 1, 32), std::vector<uint8_t>(64)), 6, "nPlanes is too large"},
        {"HAM with 13 planes", withHeader(Bmhd(4, 1, 13), std::vector<uint8_t>(26), {Chunk("CAMG", Camg(0x800))}), 6,
         "nPlanes is too large"},
        {"plain body too short", withHeader(Bmhd(4, 2, 2), std::vector<uint8_t>(7)), 7, "Unexpected end of file."},
        {"compressed body ends", withHeader(Bmhd(16, 2, 1, 0, 1), {0x7F}), 7, "Unexpected end of file."},
        {"compressed body ends in a literal", withHeader(Bmhd(16, 1, 1, 0, 1), {1, 0xAA}), 7,
         "Unexpected end of file."},
        {"BMHD cut", cutHeader, 7, "Unexpected end of file."},
        {"not ILBM", notIlbm, 1, "IFF decoder: This isn't an ILBM file."},
        {"RGB8 without packets", FormOf("RGB8", {bmhd, body}), 6, "Unknown compression type."},
        {"RGB8 body cannot fill the image", FormOf("RGB8", {Chunk("BMHD", Bmhd(65535, 65535, 25, 0, 4)),
                                                              Chunk("BODY", {1, 2, 3, 0, 0, 0xFF, 0xFF})}),
         7, "Unexpected end of file."},
        {"RGBN packets run out", FormOf("RGBN", {Chunk("BMHD", Bmhd(4, 2, 13, 0, 4)),
                                                 Chunk("BODY", {0x12, 0x37, 0x12, 0x30, 0})}),
         7, "Unexpected end of file."},
        {"PBM of 9 planes", FormOf("PBM ", {Chunk("BMHD", Bmhd(4, 2, 9)), body}), 6, "nPlanes is too large"},
        {"PBM body too short", FormOf("PBM ", {Chunk("BMHD", Bmhd(4, 2, 8)), Chunk("BODY", {1, 2, 3})}), 7,
         "Unexpected end of file."},
        {"too short for a FORM", {'F', 'O', 'R', 'M'}, 7, "Unexpected end of file."},
    };
    for (const auto& c : cases) {
        const DecodeResult d = DecodeBytes<CIFFDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Text, c.Text) << c.Name;
    }
}

TEST(IFFCodecTest, HugeSizesFailBeforeAllocating)
{
    // 65535 x 65535 with a few body bytes: the body cannot hold the rows.
    for (int compression : {0, 1}) {
        const DecodeResult d = DecodeBytes<CIFFDecoder>(
            Form({Chunk("BMHD", Bmhd(65535, 65535, 8, 0, compression)), Chunk("BODY", {0x81, 0})}));
        EXPECT_EQ(d.Code, 7) << compression;
    }
    // A body that could hold the rows, over the memory cap.
    setenv("OCULANE_MAX_IMAGE_BYTES", "1000000", 1);
    const DecodeResult d = DecodeBytes<CIFFDecoder>(
        Form({Chunk("BMHD", Bmhd(1000, 1000, 1, 0, 1)), Chunk("BODY", std::vector<uint8_t>(4000, 0x80))}));
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(d.Code, 10);
    EXPECT_EQ(d.Text, "Out of memory.");
}

// The samples against the pixels their generator meant to write.
TEST(IFFCodecTest, Samples)
{
    for (const std::string name : {"iff-8bit-byterun1", "iff-ham6"}) {
        std::ifstream ppm(TestDataPath("iff", name + ".ppm"), std::ios::binary);
        ASSERT_TRUE(ppm) << name;
        std::string magic;
        int width = 0, height = 0, maxval = 0;
        ppm >> magic >> width >> height >> maxval;
        ppm.get();
        std::vector<uint8_t> rgb(size_t(width) * height * 3);
        ppm.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));

        CIFFDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(SourcePath("samples/" + name + ".iff"), bitmap, 32)) << name;
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
