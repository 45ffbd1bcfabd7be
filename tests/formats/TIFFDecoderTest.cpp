#include "formats/FormatTable.h"
#include "formats/TIFFDecoder.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

#include <tiffio.h>

namespace {

struct TiffLayout {
    uint32_t Width = 5;
    uint32_t Height = 2;
    uint16_t Bits = 8;
    uint16_t Samples = 1;
    uint16_t Photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t Compression = COMPRESSION_NONE;
    uint16_t Planar = PLANARCONFIG_CONTIG;
    uint16_t ExtraSample = 0; // EXTRASAMPLE_* of a fourth sample, when Samples is 4
    uint16_t Orientation = ORIENTATION_TOPLEFT;
    bool Tiled = false;
    std::vector<uint16_t> Red, Green, Blue; // colour map
    // Rows exactly as stored (packed, padded to whole bytes); for separate
    // planes all rows of plane 0, then plane 1, ...
    std::vector<uint8_t> Rows;
};

std::vector<uint8_t> WriteTiff(const TiffLayout& s)
{
    TempFolder folder;
    const std::string path = folder.File("t.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.Width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.Height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.Bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.Samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.Photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, s.Compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, s.Planar);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, s.Orientation);
    if (s.ExtraSample) {
        uint16_t extra = s.ExtraSample;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (!s.Red.empty())
        TIFFSetField(tif, TIFFTAG_COLORMAP, s.Red.data(), s.Green.data(), s.Blue.data());
    const size_t planes = s.Planar == PLANARCONFIG_SEPARATE ? s.Samples : 1;
    const size_t rowBytes = (size_t(s.Width) * s.Bits * (s.Samples / planes) + 7) / 8;
    if (s.Tiled) {
        // One 16 x 16 tile holds the whole (small) picture.
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
        const size_t tileRow = (16 * size_t(s.Bits) * s.Samples + 7) / 8;
        std::vector<uint8_t> tile(tileRow * 16, 0);
        for (uint32_t y = 0; y < s.Height; ++y)
            std::copy_n(s.Rows.begin() + y * rowBytes, rowBytes, tile.begin() + y * tileRow);
        TIFFWriteTile(tif, tile.data(), 0, 0, 0, 0);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
        std::vector<uint8_t> row(rowBytes);
        for (size_t p = 0; p < planes; ++p)
            for (uint32_t y = 0; y < s.Height; ++y) {
                std::copy_n(s.Rows.begin() + (p * s.Height + y) * rowBytes, rowBytes, row.begin());
                TIFFWriteScanline(tif, row.data(), y, uint16_t(p));
            }
    }
    TIFFClose(tif);
    return TempFolder::Read(path);
}

// Decodes the TIFF data that starts offset bytes into file.
DecodeResult DecodeAt(const std::vector<uint8_t>& file, size_t offset, int depth)
{
    CTIFFDecoder decoder;
    CByteSource source;
    source.Open("test.tif", file.data(), file.size());
    return DecodeResult(decoder, [&](CBmp& bitmap) {
        source.SkipBytes(offset);
        decoder.DecodeSource(source, bitmap, depth);
    });
}

TiffLayout LowColour(uint16_t bits, uint16_t photometric, std::vector<uint8_t> rows)
{
    TiffLayout s;
    s.Bits = bits;
    s.Photometric = photometric;
    s.Rows = std::move(rows);
    return s;
}

// 16 entries: red i * 0x1111 (16-bit values), green 0xFFFF - red, blue 0.
TiffLayout Palette4(std::vector<uint8_t> rows)
{
    TiffLayout s = LowColour(4, PHOTOMETRIC_PALETTE, std::move(rows));
    for (int i = 0; i < 16; ++i) {
        s.Red.push_back(uint16_t(i * 0x1111));
        s.Green.push_back(uint16_t(0xFFFF - i * 0x1111));
        s.Blue.push_back(0);
    }
    return s;
}

TEST(TIFFDecoderTest, OneSampleFilesKeepTheirIndices)
{
    struct Case {
        const char* Name;
        TiffLayout Layout;
        int Depth;
        int ExpectedBits;
        std::vector<uint8_t> Indices;
        std::vector<uint32_t> Palette; // first entries as 0xAARRGGBB
    };
    TiffLayout lzw = LowColour(4, PHOTOMETRIC_MINISBLACK, {0x01, 0x23, 0x40, 0xFE, 0xDC, 0xB0});
    lzw.Compression = COMPRESSION_LZW;
    TiffLayout map8 = LowColour(8, PHOTOMETRIC_PALETTE, {0, 1, 255, 1, 0, 255, 255, 0, 1, 1});
    map8.Red.assign(256, 0);
    map8.Green.assign(256, 0);
    map8.Blue.assign(256, 0);
    map8.Red[1] = 200, map8.Green[1] = 100, map8.Blue[255] = 255;
    const Case cases[] = {
        {"2 bits are expanded to one index per pixel",
         LowColour(2, PHOTOMETRIC_MINISBLACK, {0x1B, 0xC0, 0xE4, 0x00}), 0, 8, {0, 1, 2, 3, 3, 3, 2, 1, 0, 0},
         {0xFF000000u, 0xFF555555u, 0xFFAAAAAAu, 0xFFFFFFFFu}},
        {"3 bits", LowColour(3, PHOTOMETRIC_MINISBLACK, {0x05, 0x38, 0xFF, 0xFE}), 0, 8,
         {0, 1, 2, 3, 4, 7, 7, 7, 7, 7}, {0xFF000000u, 0xFF242424u, 0xFF484848u}},
        {"4 bit palette with a 16-bit map, odd width", Palette4({0x01, 0x23, 0x40, 0xFE, 0xDC, 0xB0}), 0, 8,
         {0, 1, 2, 3, 4, 15, 14, 13, 12, 11}, {0xFF00FF00u, 0xFF11EE00u, 0xFF22DD00u}},
        {"4 bit min-is-black, LZW", lzw, 0, 8, {0, 1, 2, 3, 4, 15, 14, 13, 12, 11},
         {0xFF000000u, 0xFF111111u, 0xFF222222u}},
        {"8 bit palette with 8-bit values in the map", map8, 0, 8, {0, 1, 255, 1, 0, 255, 255, 0, 1, 1},
         {0xFF000000u, 0xFFC86400u}},
        {"8 bit min-is-white", LowColour(8, PHOTOMETRIC_MINISWHITE, {0, 1, 2, 3, 4, 5, 6, 7, 8, 255}), 0, 8,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 255}, {0xFFFFFFFFu, 0xFFFEFEFEu}},
        {"1 bit asked for at 8 bits", LowColour(1, PHOTOMETRIC_MINISWHITE, {0xA8, 0x50}), 8, 8,
         {1, 0, 1, 0, 1, 0, 1, 0, 1, 0}, {0xFFFFFFFFu, 0xFF000000u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeBytes<CTIFFDecoder>(WriteTiff(c.Layout), c.Depth);
        ASSERT_EQ(r.Code, 0) << r.Text;
        ASSERT_EQ(r.Bitmap.BitsPerPixel, c.ExpectedBits);
        EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, c.Layout.Bits);
        EXPECT_FALSE(r.Bitmap.HasAlpha);
        EXPECT_EQ(Pixels8(r.Bitmap), c.Indices);
        for (size_t i = 0; i < c.Palette.size(); ++i)
            EXPECT_EQ(PackPixel(r.Bitmap.Palette[i]), c.Palette[i]) << i;
    }
}

TEST(TIFFDecoderTest, BilevelFilesStayPacked)
{
    // 10 pixels wide: two bytes per row.
    for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        TiffLayout layout = LowColour(1, photometric, {0xA5, 0x80, 0x3C, 0x40});
        layout.Width = 10;
        const DecodeResult r = DecodeBytes<CTIFFDecoder>(WriteTiff(layout), 0);
        ASSERT_EQ(r.Code, 0) << r.Text;
        ASSERT_EQ(r.Bitmap.BitsPerPixel, 1);
        EXPECT_EQ(r.Bitmap.Lines[0][0], 0xA5);
        EXPECT_EQ(r.Bitmap.Lines[0][1] & 0xC0, 0x80);
        EXPECT_EQ(r.Bitmap.Lines[1][0], 0x3C);
        EXPECT_EQ(r.Bitmap.Lines[1][1] & 0xC0, 0x40);
        const bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
        EXPECT_EQ(PackPixel(r.Bitmap.Palette[0]), whiteIsZero ? 0xFFFFFFFFu : 0xFF000000u);
        EXPECT_EQ(PackPixel(r.Bitmap.Palette[1]), whiteIsZero ? 0xFF000000u : 0xFFFFFFFFu);
    }
}

TEST(TIFFDecoderTest, TrueColourGoesThroughTheRgbaReader)
{
    struct Case {
        const char* Name;
        TiffLayout Layout;
        int Depth;
        bool Alpha;
        std::vector<uint32_t> Expected;
    };
    TiffLayout rgb;
    rgb.Width = 2;
    rgb.Samples = 3;
    rgb.Photometric = PHOTOMETRIC_RGB;
    rgb.Rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    TiffLayout bottomUp = rgb;
    bottomUp.Orientation = ORIENTATION_BOTLEFT;
    TiffLayout planar = rgb;
    planar.Planar = PLANARCONFIG_SEPARATE;
    planar.Rows = {1, 4, 7, 10, 2, 5, 8, 11, 3, 6, 9, 12};
    TiffLayout tiled = rgb;
    tiled.Tiled = true;
    TiffLayout alpha = rgb;
    alpha.Samples = 4;
    alpha.ExtraSample = EXTRASAMPLE_ASSOCALPHA;
    alpha.Rows = {64, 32, 16, 128, 0, 0, 0, 0, 1, 2, 3, 255, 9, 9, 9, 9};
    TiffLayout grey16 = LowColour(16, PHOTOMETRIC_MINISBLACK, {0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF});
    grey16.Width = 2;
    TiffLayout grey16Round = grey16;
    grey16Round.Rows = {0xF0, 0x2F, 0, 0, 0, 0, 0xFF, 0xFF}; // written in the machine's byte order
    TiffLayout palette = Palette4({0x01, 0x23, 0x40, 0xFE, 0xDC, 0xB0});
    const Case cases[] = {
        {"RGB", rgb, 32, false, {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}},
        {"RGB asked for at 8 bits", rgb, 8, false, {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}},
        {"RGB stored bottom-up", bottomUp, 0, false, {0xFF070809u, 0xFF0A0B0Cu, 0xFF010203u, 0xFF040506u}},
        {"RGB in separate planes", planar, 0, false, {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}},
        {"RGB in a tile", tiled, 0, false, {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu}},
        // Premultiplied colour is divided out: bitmaps hold straight alpha.
        {"RGB with associated alpha", alpha, 0, true, {0x80804020u, 0x00000000u, 0xFF010203u, 0x09FFFFFFu}},
        {"16 bit grey", grey16, 0, false, {0xFFFFFFFFu, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu}},
        // 0x2FF0 is 47.75 in 8 bits: rounded, not its high byte.
        {"16 bit grey rounds", grey16Round, 0, false, {0xFF303030u, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu}},
        {"4 bit palette asked for at 32 bits", palette, 32, false,
         {0xFF00FF00u, 0xFF11EE00u, 0xFF22DD00u, 0xFF33CC00u, 0xFF44BB00u, 0xFFFF0000u, 0xFFEE1100u, 0xFFDD2200u,
          0xFFCC3300u, 0xFFBB4400u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeBytes<CTIFFDecoder>(WriteTiff(c.Layout), c.Depth);
        ASSERT_EQ(r.Code, 0) << r.Text;
        ASSERT_EQ(r.Bitmap.BitsPerPixel, 32);
        EXPECT_EQ(r.Bitmap.HasAlpha, c.Alpha);
        EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, c.Layout.Bits * c.Layout.Samples);
        EXPECT_EQ(Pixels32(r.Bitmap), c.Expected);
    }
}

TEST(TIFFDecoderTest, EpsPreviewIsReadFromItsOffsetToTheEnd)
{
    const auto tiff = WriteTiff(Palette4({0x01, 0x23, 0x40, 0xFE, 0xDC, 0xB0}));
    auto eps = [&](uint32_t length) {
        ByteWriter w;
        w.U8s({0xC5, 0xD0, 0xD3, 0xC6}).LE32(30 + uint32_t(tiff.size())).LE32(11).LE32(0).LE32(0);
        w.LE32(30).LE32(length).LE16(0xFFFF).Append(tiff).Text("%!PS-Adobe");
        return w.Bytes();
    };
    const DecodeResult whole = DecodeAt(eps(uint32_t(tiff.size())), 30, 0);
    ASSERT_EQ(whole.Code, 0) << whole.Text;
    EXPECT_EQ(Pixels8(whole.Bitmap), (std::vector<uint8_t>{0, 1, 2, 3, 4, 15, 14, 13, 12, 11}));

    // The TIFF data runs from the preview's offset to the end of the file;
    // the length in the EPS header only serves recognition.
    const DecodeResult shortLength = DecodeAt(eps(8), 30, 0);
    ASSERT_EQ(shortLength.Code, 0) << shortLength.Text;
    EXPECT_EQ(Pixels8(shortLength.Bitmap), (std::vector<uint8_t>{0, 1, 2, 3, 4, 15, 14, 13, 12, 11}));
}

// A one-strip, 8-bit grey TIFF written by hand: the directory comes first,
// so the strip can be cut off or placed anywhere.
std::vector<uint8_t> HandTiff(uint32_t width, uint32_t height, uint32_t stripOffset, uint32_t stripBytes,
                              size_t dataBytes, uint16_t bits = 8)
{
    ByteWriter w;
    w.Text("II").LE16(42).LE32(8).LE16(9);
    auto entry = [&w](uint16_t tag, uint16_t type, uint32_t value) {
        w.LE16(tag).LE16(type).LE32(1);
        if (type == 3)
            w.LE16(uint16_t(value)).LE16(0);
        else
            w.LE32(value);
    };
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, bits);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, stripOffset);
    entry(277, 3, 1);
    entry(278, 4, height);
    entry(279, 4, stripBytes);
    w.LE32(0);
    w.Repeat(0x55, dataBytes);
    return w.Bytes();
}

TEST(TIFFDecoderTest, DamagedAndHostileFiles)
{
    constexpr uint32_t kData = 8 + 2 + 9 * 12 + 4;
    const DecodeResult sound = DecodeBytes<CTIFFDecoder>(HandTiff(4, 2, kData, 8, 8), 0);
    ASSERT_EQ(sound.Code, 0) << sound.Text;
    EXPECT_EQ(Pixels8(sound.Bitmap), std::vector<uint8_t>(8, 0x55));

    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Depth;
        int Code;
        const char* Text; // empty: any library text
    };
    const Case cases[] = {
        {"bad magic", {'I', 'I', 0x2B, 0, 0, 0, 0, 0}, 0, 1, ""},
        {"header only", {'I', 'I', 0x2A, 0}, 0, 1, ""},
        {"first directory past the end", {'I', 'I', 0x2A, 0, 0xFF, 0, 0, 0}, 0, 1, ""},
        {"strip cut off, low colour", HandTiff(4, 2, kData, 8, 3), 0, 1, ""},
        {"strip past the end, low colour", HandTiff(4, 2, 5000, 8, 8), 0, 1, ""},
        {"size past the memory cap", HandTiff(100000, 100000, kData, 8, 8), 0, 10, "Out of memory."},
        {"size past the memory cap, RGBA reader", HandTiff(100000, 100000, kData, 8, 8), 32, 10, "Out of memory."},
        {"strip cut off, 16-bit samples", HandTiff(4, 2, kData, 16, 5, 16), 32, 1, ""},
        {"strip past the end, 16-bit samples", HandTiff(4, 2, 5000, 16, 16, 16), 32, 1, ""},
        {"size past the memory cap, 16-bit samples", HandTiff(100000, 100000, kData, 8, 8, 16), 32, 10,
         "Out of memory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeBytes<CTIFFDecoder>(c.File, c.Depth);
        EXPECT_EQ(r.Code, c.Code) << r.Text;
        if (*c.Text)
            EXPECT_EQ(r.Text, c.Text);
        else
            EXPECT_FALSE(r.Text.empty());
    }

    const DecodeResult partial = DecodeBytes<CTIFFDecoder>(HandTiff(4, 2, kData, 8, 3), 32);
    EXPECT_EQ(partial.Code, 1);
    EXPECT_EQ(partial.Text, "Read error on strip 0; got 3 bytes, expected 8");
}

TEST(TIFFDecoderTest, OrientationPlacesTheStoredRows)
{
    // Stored 3 x 2: 1 2 3 / 4 5 6. Each case lists the rows as shown.
    const std::vector<std::vector<uint8_t>> shown[8] = {
        {{1, 2, 3}, {4, 5, 6}}, {{3, 2, 1}, {6, 5, 4}}, {{6, 5, 4}, {3, 2, 1}}, {{4, 5, 6}, {1, 2, 3}},
        {{1, 4}, {2, 5}, {3, 6}}, {{4, 1}, {5, 2}, {6, 3}}, {{6, 3}, {5, 2}, {4, 1}}, {{3, 6}, {2, 5}, {1, 4}},
    };
    for (uint16_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const auto& expected = shown[orientation - 1];
        TiffLayout grey = LowColour(8, PHOTOMETRIC_MINISBLACK, {1, 2, 3, 4, 5, 6});
        grey.Width = 3;
        grey.Orientation = orientation;
        TiffLayout grey16 = grey; // the same values in 16 bits (v x 257)
        grey16.Bits = 16;
        grey16.Rows.clear();
        for (uint8_t v : grey.Rows)
            grey16.Rows.insert(grey16.Rows.end(), {v, v});
        // 1 bit: set where the value is 1, 4 or 5.
        TiffLayout bilevel = LowColour(1, PHOTOMETRIC_MINISBLACK, {0x80, 0xC0});
        bilevel.Width = 3;
        bilevel.Orientation = orientation;

        const DecodeResult indices = DecodeBytes<CTIFFDecoder>(WriteTiff(grey), 0);
        const DecodeResult rgba = DecodeBytes<CTIFFDecoder>(WriteTiff(grey), 32);
        const DecodeResult wide = DecodeBytes<CTIFFDecoder>(WriteTiff(grey16), 32);
        const DecodeResult bits = DecodeBytes<CTIFFDecoder>(WriteTiff(bilevel), 0);
        ASSERT_TRUE(indices.Ok() && rgba.Ok() && wide.Ok() && bits.Ok()) << indices.Text << rgba.Text << wide.Text
                                                                          << bits.Text;
        ASSERT_EQ(bits.Bitmap.BitsPerPixel, 1);
        PixelRows greys;
        std::vector<std::vector<bool>> set;
        for (const auto& row : expected) {
            greys.emplace_back();
            set.emplace_back();
            for (uint8_t v : row) {
                greys.back().push_back(PackPixel(v, v, v));
                set.back().push_back(v == 1 || v == 4 || v == 5);
            }
        }
        EXPECT_EQ(Rows8(indices.Bitmap), expected);
        EXPECT_EQ(Rows32(rgba.Bitmap), greys);
        EXPECT_EQ(Rows32(wide.Bitmap), greys);
        std::vector<std::vector<bool>> got;
        for (int y = 0; y < bits.Bitmap.Height; ++y) {
            got.emplace_back();
            for (int x = 0; x < bits.Bitmap.Width; ++x)
                got.back().push_back((bits.Bitmap.Lines[y][x >> 3] >> (7 - (x & 7))) & 1);
        }
        EXPECT_EQ(got, set);
    }
}

TEST(TIFFDecoderTest, BigTiffIsRecognisedByContent)
{
    for (const char* magic : {"II\x2B\x00\x08\x00\x00\x00", "MM\x00\x2B\x00\x08\x00\x00"}) {
        std::vector<uint8_t> header(magic, magic + 8);
        header.resize(64, 0);
        EXPECT_EQ(DetectFormat(header.data(), header.size(), header.size()), ImageFormat::TIFF) << magic;
    }
}

} // namespace
