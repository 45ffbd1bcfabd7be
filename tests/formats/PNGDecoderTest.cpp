#include "formats/PNGDecoder.h"
#include "image/WinBmp.h"

#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <png.h>
#include <zlib.h>

namespace {

struct PngLayout {
    int Width = 5;
    int Height = 2;
    int ColorType = PNG_COLOR_TYPE_RGB;
    int BitDepth = 8;
    bool Interlaced = false;
    std::vector<png_color> Palette;
    std::vector<uint8_t> PaletteAlpha;       // tRNS of a palette image
    std::vector<uint16_t> TransparentColour; // tRNS of grey (1 value) or RGB (3 values)
    // Channel values of every pixel, row by row, each below 2^BitDepth.
    std::vector<uint16_t> Samples;
};

int Channels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

void AppendBytes(png_structp png, png_bytep data, size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void Flush(png_structp) {}

// Writes the samples with libpng, packed at the fixture's bit depth.
std::vector<uint8_t> WritePng(const PngLayout& s)
{
    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, AppendBytes, Flush);
    png_set_IHDR(png, info, s.Width, s.Height, s.BitDepth, s.ColorType,
                 s.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.Palette.empty())
        png_set_PLTE(png, info, s.Palette.data(), int(s.Palette.size()));
    if (!s.PaletteAlpha.empty())
        png_set_tRNS(png, info, s.PaletteAlpha.data(), int(s.PaletteAlpha.size()), nullptr);
    if (!s.TransparentColour.empty()) {
        png_color_16 colour = {};
        if (s.TransparentColour.size() == 1)
            colour.gray = s.TransparentColour[0];
        else {
            colour.red = s.TransparentColour[0];
            colour.green = s.TransparentColour[1];
            colour.blue = s.TransparentColour[2];
        }
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);

    const int channels = Channels(s.ColorType);
    const size_t rowBytes = (size_t(s.Width) * channels * s.BitDepth + 7) / 8;
    std::vector<std::vector<uint8_t>> rows(s.Height, std::vector<uint8_t>(rowBytes, 0));
    for (int y = 0; y < s.Height; ++y)
        for (int i = 0; i < s.Width * channels; ++i) {
            const uint16_t v = s.Samples[size_t(y) * s.Width * channels + i];
            if (s.BitDepth == 16) {
                rows[y][2 * i] = uint8_t(v >> 8);
                rows[y][2 * i + 1] = uint8_t(v);
            } else {
                const size_t bit = size_t(i) * s.BitDepth;
                rows[y][bit / 8] |= uint8_t(v << (8 - s.BitDepth - bit % 8));
            }
        }
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

const std::vector<png_color> kPalette = {{255, 0, 0}, {0, 128, 0}, {0, 0, 255}, {10, 20, 30}};

PngLayout Grey(int bits, std::vector<uint16_t> samples)
{
    PngLayout s;
    s.ColorType = PNG_COLOR_TYPE_GRAY;
    s.BitDepth = bits;
    s.Samples = std::move(samples);
    return s;
}

PngLayout Indexed(int bits, std::vector<uint8_t> alpha = {})
{
    PngLayout s;
    s.ColorType = PNG_COLOR_TYPE_PALETTE;
    s.BitDepth = bits;
    s.Palette = kPalette;
    s.PaletteAlpha = std::move(alpha);
    s.Samples = {0, 1, 2, 3, 0, 3, 2, 1, 0, 3};
    return s;
}

PngLayout Colour(int type, int bits, std::vector<uint16_t> samples)
{
    PngLayout s;
    s.ColorType = type;
    s.BitDepth = bits;
    s.Samples = std::move(samples);
    return s;
}

PngLayout Interlace(PngLayout s)
{
    s.Interlaced = true;
    return s;
}

TEST(PNGDecoderTest, EveryColourTypeAt32Bits)
{
    const uint32_t R = 0xFFFF0000u, G = 0xFF008000u, B = 0xFF0000FFu, D = 0xFF0A141Eu;
    const uint32_t R0 = 0x00FF0000u, G1 = 0x80008000u;
    // A 5 x 3 picture for the interlaced cases, so that every pass has pixels.
    std::vector<uint16_t> rgb15;
    std::vector<uint32_t> expected15;
    for (int i = 0; i < 15; ++i) {
        rgb15.insert(rgb15.end(), {uint16_t(i * 17), uint16_t(255 - i), uint16_t(i)});
        expected15.push_back(PackPixel(uint8_t(i * 17), uint8_t(255 - i), uint8_t(i)));
    }
    PngLayout interlacedRgb = Interlace(Colour(PNG_COLOR_TYPE_RGB, 8, rgb15));
    interlacedRgb.Height = 3;
    struct Case {
        const char* Name;
        PngLayout Layout;
        int SourceBits;
        bool Alpha;
        std::vector<uint32_t> Expected;
    };
    const Case cases[] = {
        {"grey 1 bit", Grey(1, {0, 1, 1, 0, 1, 1, 0, 0, 1, 0}), 8, false,
         {0xFF000000u, ~0u, ~0u, 0xFF000000u, ~0u, ~0u, 0xFF000000u, 0xFF000000u, ~0u, 0xFF000000u}},
        {"grey 2 bit", Grey(2, {0, 1, 2, 3, 0, 3, 2, 1, 0, 1}), 8, false,
         {0xFF000000u, 0xFF555555u, 0xFFAAAAAAu, ~0u, 0xFF000000u, ~0u, 0xFFAAAAAAu, 0xFF555555u, 0xFF000000u,
          0xFF555555u}},
        {"grey 4 bit", Grey(4, {0, 1, 15, 7, 8, 0, 1, 15, 7, 8}), 8, false,
         {0xFF000000u, 0xFF111111u, ~0u, 0xFF777777u, 0xFF888888u, 0xFF000000u, 0xFF111111u, ~0u, 0xFF777777u,
          0xFF888888u}},
        {"grey 16 bit keeps the high byte", Grey(16, {0x12FF, 0xAB00, 0, 0xFFFF, 0x0180, 0, 0, 0, 0, 0}), 8, false,
         {0xFF121212u, 0xFFABABABu, 0xFF000000u, ~0u, 0xFF010101u, 0xFF000000u, 0xFF000000u, 0xFF000000u,
          0xFF000000u, 0xFF000000u}},
        {"palette 2 bit", Indexed(2), 8, false, {R, G, B, D, R, D, B, G, R, D}},
        {"palette 8 bit, interlaced", Interlace(Indexed(8)), 8, false, {R, G, B, D, R, D, B, G, R, D}},
        // Transparency chunks become alpha: entry 0 clear, entry 1 half, the rest opaque.
        {"palette with transparency", Indexed(4, {0, 128}), 8, true, {R0, G1, B, D, R0, D, B, G1, R0, D}},
        {"palette with transparency, interlaced", Interlace(Indexed(8, {0, 128})), 8, true,
         {R0, G1, B, D, R0, D, B, G1, R0, D}},
        {"grey with a transparent value", [] {
             PngLayout s = Grey(8, {0, 50, 100, 50, 0, 0, 0, 0, 0, 50});
             s.TransparentColour = {50};
             return s;
         }(),
         8, true,
         {0xFF000000u, 0x00323232u, 0xFF646464u, 0x00323232u, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u,
          0xFF000000u, 0x00323232u}},
        {"grey 2 bit with a transparent value", [] {
             PngLayout s = Grey(2, {0, 1, 2, 3, 0, 3, 2, 1, 0, 1});
             s.TransparentColour = {1};
             return s;
         }(),
         8, true,
         {0xFF000000u, 0x00555555u, 0xFFAAAAAAu, ~0u, 0xFF000000u, ~0u, 0xFFAAAAAAu, 0x00555555u, 0xFF000000u,
          0x00555555u}},
        {"RGB 8 bit", Colour(PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                                     16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}),
         24, false,
         {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu, 0xFF0D0E0Fu, 0xFF101112u, 0xFF131415u, 0xFF161718u,
          0xFF191A1Bu, 0xFF1C1D1Eu}},
        {"RGB 16 bit with a transparent colour", [] {
             PngLayout s = Colour(PNG_COLOR_TYPE_RGB, 16, std::vector<uint16_t>(30, 0x4000));
             s.Samples[0] = 0xFF00;
             s.TransparentColour = {0x4000, 0x4000, 0x4000};
             return s;
         }(),
         24, true,
         {0xFFFF4040u, 0x00404040u, 0x00404040u, 0x00404040u, 0x00404040u, 0x00404040u, 0x00404040u, 0x00404040u,
          0x00404040u, 0x00404040u}},
        {"grey + alpha 8 bit", Colour(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {9, 0, 9, 255, 200, 100, 0, 0, 0, 0,
                                                                     0, 0, 0, 0, 0, 0, 0, 0, 255, 1}),
         8, true,
         {0x00090909u, 0xFF090909u, 0x64C8C8C8u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u,
          0x00000000u, 0x01FFFFFFu}},
        {"RGBA 16 bit", Colour(PNG_COLOR_TYPE_RGB_ALPHA, 16, [] {
             std::vector<uint16_t> v(40, 0);
             v[0] = 0x1100, v[1] = 0x2200, v[2] = 0x3300, v[3] = 0x80FF;
             return v;
         }()),
         32, true, [] {
             std::vector<uint32_t> v(10, 0);
             v[0] = 0x80112233u;
             return v;
         }()},
        {"RGB interlaced", interlacedRgb, 24, false, expected15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeBytes<CPNGDecoder>(WritePng(c.Layout), 32);
        ASSERT_EQ(r.Code, 0) << r.Text;
        EXPECT_EQ(r.Bitmap.BitsPerPixel, 32);
        EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, c.SourceBits);
        EXPECT_EQ(r.Bitmap.HasAlpha, c.Alpha);
        EXPECT_EQ(Pixels32(r.Bitmap), c.Expected);
    }
}

TEST(PNGDecoderTest, TransparencyAskedForAtEightBitsDecodesAt32)
{
    for (int depth : {0, 8}) {
        const DecodeResult r = DecodeBytes<CPNGDecoder>(WritePng(Indexed(4, {0})), depth);
        ASSERT_EQ(r.Code, 0) << r.Text;
        EXPECT_EQ(r.Bitmap.BitsPerPixel, 32);
        EXPECT_TRUE(r.Bitmap.HasAlpha);
        EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, 8);
        EXPECT_EQ(Pixels32(r.Bitmap)[0], 0x00FF0000u);
        EXPECT_EQ(Pixels32(r.Bitmap)[1], 0xFF008000u);
    }
}

TEST(PNGDecoderTest, GreyAndPaletteFilesKeepIndicesAt8Bits)
{
    struct Case {
        const char* Name;
        PngLayout Layout;
        std::vector<uint8_t> Indices;
        std::vector<uint8_t> PaletteReds; // first entries; the rest are black
    };
    const Case cases[] = {
        {"grey 1 bit: black and white", Grey(1, {0, 1, 1, 0, 1, 1, 0, 0, 1, 0}), {0, 1, 1, 0, 1, 1, 0, 0, 1, 0},
         {0, 255}},
        {"grey 2 bit", Grey(2, {0, 1, 2, 3, 0, 3, 2, 1, 0, 1}), {0, 1, 2, 3, 0, 3, 2, 1, 0, 1}, {0, 85, 170, 255}},
        {"grey 16 bit", Grey(16, {0x0100, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0x7F00}), {1, 255, 0, 0, 0, 0, 0, 0, 0, 127},
         {0, 1, 2, 3}},
        {"palette 4 bit", Indexed(4), {0, 1, 2, 3, 0, 3, 2, 1, 0, 3}, {255, 0, 0, 10, 0}},
        {"palette 1 bit interlaced", [] {
             PngLayout s = Interlace(Indexed(1));
             s.Palette.resize(2);
             s.Samples = {0, 1, 1, 0, 1, 1, 0, 0, 0, 1};
             return s;
         }(),
         {0, 1, 1, 0, 1, 1, 0, 0, 0, 1}, {255, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int depth : {0, 8}) {
            const DecodeResult r = DecodeBytes<CPNGDecoder>(WritePng(c.Layout), depth);
            ASSERT_EQ(r.Code, 0) << r.Text;
            ASSERT_EQ(r.Bitmap.BitsPerPixel, 8);
            EXPECT_FALSE(r.Bitmap.HasAlpha);
            EXPECT_EQ(Pixels8(r.Bitmap), c.Indices);
            for (size_t i = 0; i < c.PaletteReds.size(); ++i) {
                EXPECT_EQ(r.Bitmap.Palette[i].Red, c.PaletteReds[i]) << i;
                EXPECT_EQ(r.Bitmap.Palette[i].Alpha, 255) << i;
            }
        }
    }
    // True-colour files cannot be written as indices.
    const DecodeResult rgb =
        DecodeBytes<CPNGDecoder>(WritePng(Colour(PNG_COLOR_TYPE_RGB, 8, std::vector<uint16_t>(30, 7))), 8);
    ASSERT_EQ(rgb.Code, 0) << rgb.Text;
    EXPECT_EQ(rgb.Bitmap.BitsPerPixel, 32);
    EXPECT_EQ(rgb.Bitmap.Row32(1)[4], 0xFF070707u);
}

// Replaces the IHDR width and height and fixes the chunk's CRC.
std::vector<uint8_t> WithSize(std::vector<uint8_t> file, uint32_t width, uint32_t height)
{
    const size_t ihdr = 8 + 4; // signature, then the chunk length
    for (int i = 0; i < 4; ++i) {
        file[ihdr + 4 + i] = uint8_t(width >> (24 - 8 * i));
        file[ihdr + 8 + i] = uint8_t(height >> (24 - 8 * i));
    }
    const uint32_t crc = uint32_t(crc32(0, file.data() + ihdr, 4 + 13));
    for (int i = 0; i < 4; ++i)
        file[ihdr + 17 + i] = uint8_t(crc >> (24 - 8 * i));
    return file;
}

TEST(PNGDecoderTest, DamagedAndHostileFiles)
{
    const auto good = WritePng(Colour(PNG_COLOR_TYPE_RGB, 8, std::vector<uint16_t>(30, 7)));
    std::vector<uint8_t> badCrc = good;
    badCrc[20] ^= 1;
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"cut inside the image data", std::vector<uint8_t>(good.begin(), good.end() - 20), 7,
         "Unexpected end of file."},
        {"cut before the end chunk", std::vector<uint8_t>(good.begin(), good.end() - 12), 7,
         "Unexpected end of file."},
        {"empty", {}, 7, "Unexpected end of file."},
        {"not a PNG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0, 0}, 2, "Not a PNG file"},
        {"header CRC", badCrc, 2, "IHDR: CRC error"},
        {"width past the library limit", WithSize(good, 1000001, 1), 2, "Invalid IHDR data"},
        {"size past the memory cap", WithSize(good, 1000000, 1000000), 10, "Out of memory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeBytes<CPNGDecoder>(c.File, 32);
        EXPECT_EQ(r.Code, c.Code);
        EXPECT_EQ(r.Text, c.Text);
    }
}

} // namespace
