#include "formats/JPEGDecoder.h"
#include "image/WinBmp.h"

#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

enum class Kind { Rgb, Grey, CmykPlain, CmykAdobe, YcckAdobe };

struct JpegLayout {
    int Width = 16;
    int Height = 8;
    Kind Type = Kind::Rgb;
    bool Progressive = false;
    int RestartRows = 0;
    // Per pixel: 3 bytes RGB, 1 grey or 4 CMYK, exactly as handed to the writer.
    std::vector<uint8_t> Samples;
};

// Writes a JPEG with libjpeg at full quality without chroma subsampling, so
// flat 8x8 blocks come back within a step or two of what was written.
std::vector<uint8_t> WriteJpeg(const JpegLayout& layout)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = layout.Width;
    info.image_height = layout.Height;
    const bool four = layout.Type != Kind::Rgb && layout.Type != Kind::Grey;
    info.input_components = layout.Type == Kind::Grey ? 1 : four ? 4 : 3;
    info.in_color_space = layout.Type == Kind::Grey ? JCS_GRAYSCALE : four ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (layout.Type == Kind::YcckAdobe)
        jpeg_set_colorspace(&info, JCS_YCCK);
    info.write_Adobe_marker = layout.Type == Kind::CmykAdobe || layout.Type == Kind::YcckAdobe;
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c)
        info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    if (layout.Progressive)
        jpeg_simple_progression(&info);
    info.restart_in_rows = layout.RestartRows;
    jpeg_start_compress(&info, TRUE);
    const size_t stride = size_t(layout.Width) * size_t(info.input_components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(layout.Samples.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

// Left half one value, right half another, 8x8 blocks throughout.
JpegLayout TwoHalves(Kind type, std::vector<uint8_t> left, std::vector<uint8_t> right)
{
    JpegLayout layout;
    layout.Type = type;
    for (int y = 0; y < layout.Height; ++y)
        for (int x = 0; x < layout.Width; ++x) {
            const auto& v = x < layout.Width / 2 ? left : right;
            layout.Samples.insert(layout.Samples.end(), v.begin(), v.end());
        }
    return layout;
}

::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 3)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(JPEGDecoderTest, ColourModelsBecomeOpaqueRgb)
{
    // Expected left and right halves as 0xAARRGGBB.
    struct Case {
        const char* Name;
        JpegLayout Layout;
        int SourceBits;
        uint32_t Left;
        uint32_t Right;
    };
    const Case cases[] = {
        {"RGB", TwoHalves(Kind::Rgb, {200, 30, 40}, {10, 90, 250}), 24, 0xFFC81E28u, 0xFF0A5AFAu},
        {"CMYK without Adobe marker: plain ink values",
         TwoHalves(Kind::CmykPlain, {255, 0, 0, 0}, {0, 0, 0, 128}), 24, 0xFF00FFFFu, 0xFF7F7F7Fu},
        {"CMYK with Adobe marker: inverted ink values",
         TwoHalves(Kind::CmykAdobe, {0, 255, 255, 255}, {255, 0, 255, 255}), 24, 0xFF00FFFFu, 0xFFFF00FFu},
        {"YCCK with Adobe marker", TwoHalves(Kind::YcckAdobe, {255, 255, 0, 255}, {255, 255, 255, 55}), 24,
         0xFFFFFF00u, 0xFF373737u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int depth : {32, 0, 8}) {
            const DecodeResult r = DecodeBytes<CJPEGDecoder>(WriteJpeg(c.Layout), depth);
            ASSERT_EQ(r.Code, 0) << r.Text;
            EXPECT_EQ(r.Bitmap.BitsPerPixel, 32);
            EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, c.SourceBits);
            EXPECT_FALSE(r.Bitmap.HasAlpha);
            ASSERT_EQ(r.Bitmap.Width, 16);
            ASSERT_EQ(r.Bitmap.Height, 8);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_TRUE(Near(r.Bitmap.Row32(y)[x], x < 8 ? c.Left : c.Right)) << x << "," << y;
        }
    }
}

TEST(JPEGDecoderTest, GreyscaleKeepsIndicesAt8AndIsOpaqueGreyAt32)
{
    JpegLayout layout;
    layout.Type = Kind::Grey;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            layout.Samples.push_back(y < 4 ? 20 : 230);
    const auto file = WriteJpeg(layout);
    for (int depth : {0, 8}) {
        const DecodeResult r = DecodeBytes<CJPEGDecoder>(file, depth);
        ASSERT_EQ(r.Code, 0) << r.Text;
        ASSERT_EQ(r.Bitmap.BitsPerPixel, 8);
        EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, 8);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(r.Bitmap.Palette[i].Red, i);
        EXPECT_NEAR(r.Bitmap.Lines[0][0], 20, 2);
        EXPECT_NEAR(r.Bitmap.Lines[7][15], 230, 2);
    }
    for (int depth : {32, 16, 1}) {
        const DecodeResult r = DecodeBytes<CJPEGDecoder>(file, depth);
        ASSERT_EQ(r.Code, 0) << r.Text;
        ASSERT_EQ(r.Bitmap.BitsPerPixel, 32);
        EXPECT_TRUE(Near(r.Bitmap.Row32(0)[3], 0xFF141414u, 2));
        EXPECT_TRUE(Near(r.Bitmap.Row32(7)[15], 0xFFE6E6E6u, 2));
    }
}

// A picture with a different colour in every 8x8 block, so that rows and
// columns out of place show up.
JpegLayout Blocks(int width, int height)
{
    JpegLayout layout;
    layout.Width = width;
    layout.Height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            layout.Samples.insert(layout.Samples.end(),
                                {uint8_t(x / 8 * 30), uint8_t(y / 8 * 30), uint8_t(255 - (x / 8 + y / 8) * 10)});
    return layout;
}

uint32_t BlockColour(int x, int y)
{
    return PackPixel(uint8_t(x / 8 * 30), uint8_t(y / 8 * 30), uint8_t(255 - (x / 8 + y / 8) * 10));
}

TEST(JPEGDecoderTest, ProgressiveAndRestartFilesDecodeInPlace)
{
    for (bool progressive : {false, true}) {
        JpegLayout layout = Blocks(40, 24);
        layout.Progressive = progressive;
        layout.RestartRows = 1;
        const DecodeResult r = DecodeBytes<CJPEGDecoder>(WriteJpeg(layout));
        ASSERT_EQ(r.Code, 0) << r.Text;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_TRUE(Near(r.Bitmap.Row32(y)[x], BlockColour(x, y), 4)) << x << "," << y;
    }
}

TEST(JPEGDecoderTest, TruncatedFileDecodesWhatIsThere)
{
    const auto file = WriteJpeg(Blocks(64, 64));
    // Cut in the middle of the scan data, which follows the start-of-scan marker.
    size_t scan = 0;
    while (scan + 1 < file.size() && !(file[scan] == 0xFF && file[scan + 1] == 0xDA))
        ++scan;
    ASSERT_LT(scan + 1, file.size());
    const std::vector<uint8_t> half(file.begin(), file.begin() + (scan + file.size()) / 2);
    // The library's warnings become the decode's notice, not lines on standard error.
    testing::internal::CaptureStderr();
    const DecodeResult r = DecodeBytes<CJPEGDecoder>(half);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(r.Notices.size(), 1u);
    EXPECT_EQ(r.Notices[0].rfind("Premature end of JPEG file", 0), 0u) << r.Notices[0];
    ASSERT_EQ(r.Code, 0) << r.Text;
    ASSERT_EQ(r.Bitmap.Width, 64);
    ASSERT_EQ(r.Bitmap.Height, 64);
    for (int x = 0; x < 64; ++x)
        EXPECT_TRUE(Near(r.Bitmap.Row32(0)[x], BlockColour(x, 0), 4)) << x;
}

TEST(JPEGDecoderTest, LibraryErrorsAreCode6WithTheLibraryText)
{
    const auto good = WriteJpeg(Blocks(16, 16));
    std::vector<uint8_t> huge = good;
    // Baseline start-of-frame: FF C0, length, precision, height, width.
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFF;
            huge[i + 6] = huge[i + 8] = 0xDC; // 65500 x 65500
            break;
        }
    std::vector<uint8_t> longSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0x7F, 0xFF, 'E', 'x', 'i', 'f'};
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"not a JPEG", {0x89, 'P', 'N', 'G', 0, 0, 0, 0}, 6, "Not a JPEG file: starts with 0x89 0x50\n"},
        {"start of image only", {0xFF, 0xD8}, 6, "JPEG datastream contains no image\n"},
        {"empty", {}, 6, "Not a JPEG file: starts with 0xff 0xd9\n"},
        {"segment longer than the file", longSegment, 6, "JPEG datastream contains no image\n"},
        {"size past the memory cap", huge, 10, "Out of memory."},
    };
    CJPEGDecoder decoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeWith(decoder, c.File, 32);
        EXPECT_EQ(r.Code, c.Code);
        EXPECT_EQ(r.Text, c.Text);
        // The same decoder object goes on with the next file.
        const DecodeResult next = DecodeWith(decoder, good, 32);
        ASSERT_EQ(next.Code, 0) << next.Text;
        EXPECT_TRUE(Near(next.Bitmap.Row32(15)[15], BlockColour(15, 15), 4));
    }
}

TEST(JPEGDecoderTest, ProgressiveCoefficientsStayWithinTheMemoryCap)
{
    // 500 x 500 pixels take about 1 MB; the progressive coefficients 1.5 MB.
    JpegLayout layout = Blocks(500, 500);
    layout.Progressive = true;
    const auto progressive = WriteJpeg(layout);
    layout.Progressive = false;
    const auto baseline = WriteJpeg(layout);
    setenv("OCULANE_MAX_IMAGE_BYTES", "1100000", 1);
    const DecodeResult cut = DecodeBytes<CJPEGDecoder>(progressive);
    const DecodeResult sequential = DecodeBytes<CJPEGDecoder>(baseline);
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(cut.Code, 6);
    EXPECT_EQ(cut.Text, "Backing store not supported\n");
    EXPECT_EQ(sequential.Code, 0) << sequential.Text;
}

TEST(JPEGDecoderTest, EmbeddedDataIsReadFromTheSourcePosition)
{
    const auto jpeg = WriteJpeg(Blocks(16, 16));
    std::vector<uint8_t> block(100, 0xAB);
    block.insert(block.end(), jpeg.begin(), jpeg.end());
    block.insert(block.end(), {1, 2, 3});
    CByteSource source;
    source.Open("picture.pct", block.data(), block.size());
    source.SkipBytes(100);
    CWinBmp bitmap;
    CJPEGDecoder decoder;
    decoder.DecodeSource(source, bitmap, 32);
    EXPECT_EQ(bitmap.Width, 16);
    EXPECT_TRUE(Near(bitmap.Row32(9)[9], BlockColour(9, 9), 4));
    EXPECT_EQ(source.GetOffset(), 100 + jpeg.size());
}

} // namespace

// A thumbnail asks for no more than its box: the decode is reduced by a power
// of two that still covers the fitted size, and the file's size is reported.
TEST(JPEGDecoderTest, ReducedSizeIsAskedForAndCovered)
{
    const std::vector<uint8_t> file = WriteJpeg(Blocks(64, 32));
    struct Case {
        int BoxWidth, BoxHeight;
        int Width, Height;
    } cases[] = {
        {0, 0, 64, 32},      // no request: full size
        {8, 100, 8, 4},      // 1/8 covers 8 x 4
        {17, 100, 32, 16},   // 1/4 would give 16, less than 17
        {33, 100, 64, 32},
        {500, 500, 64, 32},  // a box that enlarges: full size
    };
    for (const Case& c : cases) {
        CJPEGDecoder decoder;
        decoder.SetReducedSize(c.BoxWidth, c.BoxHeight);
        CWinBmp bitmap;
        decoder.DecodeMemory("a.jpg", file.data(), file.size(), bitmap, 32);
        EXPECT_EQ(bitmap.Width, c.Width) << c.BoxWidth << "x" << c.BoxHeight;
        EXPECT_EQ(bitmap.Height, c.Height) << c.BoxWidth << "x" << c.BoxHeight;
        EXPECT_EQ(decoder.GetFileWidth(), 64);
        EXPECT_EQ(decoder.GetFileHeight(), 32);
        // Each block keeps its colour.
        EXPECT_TRUE(Near(bitmap.Row32(bitmap.Height - 1)[bitmap.Width - 1], BlockColour(63, 31), 6));
    }
}
