// Every writer's file reopens through our own decoders with the same pixels,
// and the byte layouts that other programs rely on.
#include "save/BmpWriter.h"
#include "save/PcxWriter.h"
#include "save/PnmWriter.h"
#include "save/RasWriter.h"
#include "save/TgaWriter.h"
#include "save/WriterImages.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// AlphaKept: alpha exact, colours exact where opaque (our TIFF reader goes
// through libtiff's RGBA reader, which premultiplies).
enum class Expect { Exact, AlphaKept, Opaque, Grey, Lossy };

uint32_t Expected(uint32_t p, Expect expect)
{
    if (expect == Expect::Grey) {
        const uint8_t r = p >> 16, g = p >> 8, b = p;
        const auto grey = static_cast<uint8_t>(std::floor(0.299L * r + 0.587L * g + 0.114L * b + 0.5L));
        return PackPixel(grey, grey, grey);
    }
    return expect == Expect::Exact || expect == Expect::AlphaKept ? p : (p | 0xFF000000u);
}

struct RoundTrip {
    const char* Name;
    ImageFormat Format;
    const char* Extension;
    SaveOptions Options;
    bool HasAlpha;
    Expect Result;
};

SaveOptions With(void (*set)(SaveOptions&))
{
    SaveOptions o;
    set(o);
    return o;
}

TEST(Writers, ReopenWithTheSamePixels)
{
    const RoundTrip cases[] = {
        {"png", ImageFormat::PNG, "png", {}, false, Expect::Opaque},
        {"png interlaced", ImageFormat::PNG, "png", With([](SaveOptions& o) { o.Interlaced = true; }), false,
         Expect::Opaque},
        {"png alpha interlaced", ImageFormat::PNG, "png", With([](SaveOptions& o) { o.Interlaced = true; }), true,
         Expect::Exact},
        {"bmp 24", ImageFormat::BMP, "bmp", {}, true, Expect::Opaque},
        {"tga 24", ImageFormat::TGA, "tga", {}, true, Expect::Opaque},
        {"tga 24 rle", ImageFormat::TGA, "tga", With([](SaveOptions& o) { o.Rle = true; }), false, Expect::Opaque},
        {"tga 32 rle alpha", ImageFormat::TGA, "tga", With([](SaveOptions& o) { o.Rle = true, o.Depth = 32; }), true,
         Expect::Exact},
        {"tga 32 without alpha", ImageFormat::TGA, "tga", With([](SaveOptions& o) { o.Depth = 32; }), false,
         Expect::Opaque},
        {"tiff", ImageFormat::TIFF, "tif", {}, false, Expect::Opaque},
        {"tiff packbits", ImageFormat::TIFF, "tif", With([](SaveOptions& o) { o.TiffCompression = 1; }), false,
         Expect::Opaque},
        {"tiff lzw alpha", ImageFormat::TIFF, "tif", With([](SaveOptions& o) { o.TiffCompression = 2; }), true,
         Expect::AlphaKept},
        {"ppm", ImageFormat::PNM, "ppm", {}, true, Expect::Opaque},
        {"pgm", ImageFormat::PNM, "pgm", {}, false, Expect::Grey},
        {"ras 24", ImageFormat::RAS, "ras", {}, false, Expect::Opaque},
        {"ras 24 rle", ImageFormat::RAS, "ras", With([](SaveOptions& o) { o.Rle = true; }), false, Expect::Opaque},
        {"pcx 24", ImageFormat::PCX, "pcx", {}, false, Expect::Opaque},
        {"jpeg", ImageFormat::JPEG, "jpg", With([](SaveOptions& o) { o.JpegQuality = 95; }), false, Expect::Lossy},
        {"jpeg progressive optimized smoothed", ImageFormat::JPEG, "jpg", With([](SaveOptions& o) {
             o.JpegQuality = 95, o.JpegProgressive = true, o.JpegOptimizeHuffman = true, o.JpegSmoothing = 10;
         }),
         false, Expect::Lossy},
    };
    TempFolder folder;
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.Name);
        // Odd sizes: row padding of BMP and RAS, partial runs everywhere.
        const auto image = MakeTestImage(131, 37, c.HasAlpha, c.Result != Expect::Lossy);
        const std::string path = folder.File(std::string("out.") + c.Extension);
        ASSERT_NO_THROW(SaveAs(c.Format, *image, path, c.Options));
        const DecodeResult back = DecodePath(path);
        ASSERT_TRUE(back.Ok()) << back.Text;
        ASSERT_EQ(back.Bitmap.Width, image->Width);
        ASSERT_EQ(back.Bitmap.Height, image->Height);
        // Opaque results are checked pixel by pixel (alpha 255); a 32-bit TGA reads as alpha whatever it holds.
        if (c.Result == Expect::Exact || c.Result == Expect::AlphaKept) {
            EXPECT_TRUE(back.Bitmap.HasAlpha);
        }
        const std::vector<uint32_t> got = Pixels32(back.Bitmap);
        const std::vector<uint32_t> want = Pixels32(*image);
        if (c.Result != Expect::Lossy) {
            for (size_t i = 0; i < want.size(); ++i) {
                if (c.Result == Expect::AlphaKept && want[i] >> 24 != 255) {
                    ASSERT_EQ(got[i] >> 24, want[i] >> 24) << "pixel " << i;
                } else {
                    ASSERT_EQ(got[i], Expected(want[i], c.Result)) << "pixel " << i;
                }
            }
            continue;
        }
        double error = 0;
        for (size_t i = 0; i < want.size(); ++i)
            for (int shift = 0; shift < 24; shift += 8)
                error += std::abs(int((got[i] >> shift) & 0xFF) - int((want[i] >> shift) & 0xFF));
        EXPECT_LT(error / (3.0 * want.size()), 2.0);
    }
}

TEST(Writers, JpegMarksQualityAndProgressive)
{
    TempFolder folder;
    const auto image = MakeTestImage(64, 64, false);
    SaveOptions low, high, progressive;
    low.JpegQuality = 10;
    high.JpegQuality = 90;
    progressive.JpegProgressive = true;
    SaveAs(ImageFormat::JPEG, *image, folder.File("low.jpg"), low);
    SaveAs(ImageFormat::JPEG, *image, folder.File("high.jpg"), high);
    SaveAs(ImageFormat::JPEG, *image, folder.File("progressive.jpg"), progressive);
    EXPECT_LT(ReadWholeFile(folder.File("low.jpg")).size(), ReadWholeFile(folder.File("high.jpg")).size());
    const std::vector<uint8_t> p = ReadWholeFile(folder.File("progressive.jpg"));
    const std::vector<uint8_t> sof2 = {0xFF, 0xC2};
    EXPECT_NE(std::search(p.begin(), p.end(), sof2.begin(), sof2.end()), p.end());
}

TEST(Writers, TgaPackets)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Row;
        std::vector<uint8_t> Packets;
    };
    std::vector<uint8_t> allDifferent(130);
    for (size_t i = 0; i < allDifferent.size(); ++i)
        allDifferent[i] = static_cast<uint8_t>(i);
    std::vector<uint8_t> differentPackets = {0x7F};
    differentPackets.insert(differentPackets.end(), allDifferent.begin(), allDifferent.begin() + 128);
    differentPackets.insert(differentPackets.end(), {0x01, 128, 129});
    const Case cases[] = {
        {"300 equal", std::vector<uint8_t>(300, 7), {0xFF, 7, 0xFF, 7, 0xAB, 7}},
        {"A A B", {1, 1, 2}, {0x81, 1, 0x00, 2}},
        {"all different", allDifferent, differentPackets},
        {"raw then run", {1, 2, 3, 3}, {0x01, 1, 2, 0x81, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> out(TgaRleBound(c.Row.size(), 1));
        out.resize(EncodeTgaRow(c.Row.data(), c.Row.size(), 1, out.data()));
        EXPECT_EQ(out, c.Packets);
    }
    // Pixels of three bytes compare as a whole.
    const uint8_t bgr[] = {1, 2, 3, 1, 2, 3, 1, 2, 4};
    std::vector<uint8_t> out(TgaRleBound(3, 3));
    out.resize(EncodeTgaRow(bgr, 3, 3, out.data()));
    EXPECT_EQ(out, (std::vector<uint8_t>{0x81, 1, 2, 3, 0x00, 1, 2, 4}));
}

TEST(Writers, PcxAndRasRuns)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        std::vector<uint8_t> Pcx;
        std::vector<uint8_t> Ras;
    };
    std::vector<uint8_t> run300(300, 0x41);
    const Case cases[] = {
        {"64 equal", std::vector<uint8_t>(64, 0x41), {0xFF, 0x41, 0x41}, {0x80, 63, 0x41}},
        {"300 equal", run300, {0xFF, 0x41, 0xFF, 0x41, 0xFF, 0x41, 0xFF, 0x41, 0xC0 | 48, 0x41},
         {0x80, 0xFF, 0x41, 0x80, 0x2B, 0x41}},
        {"literal C5", {0xC5}, {0xC1, 0xC5}, {0xC5}},
        {"escape byte", {0x80}, {0x80}, {0x80, 0x00}},
        {"two equal", {0x10, 0x10}, {0xC2, 0x10}, {0x10, 0x10}},
        {"two escapes", {0x80, 0x80}, {0xC2, 0x80}, {0x80, 0x01, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> pcx(2 * c.Bytes.size());
        pcx.resize(EncodePcxPlane(c.Bytes.data(), c.Bytes.size(), pcx.data()));
        EXPECT_EQ(pcx, c.Pcx);
        CRasEncoder ras;
        // Fed in two pieces: runs continue across them.
        const size_t half = c.Bytes.size() / 2;
        ras.Feed(c.Bytes.data(), half);
        ras.Feed(c.Bytes.data() + half, c.Bytes.size() - half);
        ras.Finish();
        EXPECT_EQ(ras.Output, c.Ras);
    }
}

// Small files whose every byte is known.
TEST(Writers, FileBytes)
{
    TempFolder folder;
    CWinBmp bmp;
    bmp.Create(3, 1, 32, false);
    bmp.Row32(0)[0] = PackPixel(255, 0, 0);
    bmp.Row32(0)[1] = PackPixel(0, 0, 255);
    bmp.Row32(0)[2] = PackPixel(255, 255, 255);

    WriteBMP(folder.File("a.bmp"), bmp, 24);
    const std::vector<uint8_t> b = ReadWholeFile(folder.File("a.bmp"));
    ASSERT_EQ(b.size(), 54u + 12u);
    EXPECT_EQ(GetLE32ForTest(b, 2), 66u);
    EXPECT_EQ(GetLE32ForTest(b, 10), 54u);
    EXPECT_EQ(b[28], 24);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()),
              (std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 255, 255, 255, 0x20, 0x00, 0x00}));

    WritePGM(folder.File("a.pgm"), bmp);
    const std::string pgm = "P5\n3 1\n255\n\x4C\x1D\xFF";
    EXPECT_EQ(ReadWholeFile(folder.File("a.pgm")), std::vector<uint8_t>(pgm.begin(), pgm.end()));
    WritePPM(folder.File("a.ppm"), bmp);
    const std::string header = "P6\n3 1\n255\n";
    std::vector<uint8_t> ppm(header.begin(), header.end());
    ppm.insert(ppm.end(), {0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadWholeFile(folder.File("a.ppm")), ppm);

    // PCX: three planes per row, red first, each encoded on its own.
    WritePCX(folder.File("a.pcx"), bmp, 24);
    const std::vector<uint8_t> pcx = ReadWholeFile(folder.File("a.pcx"));
    ASSERT_EQ(pcx.size(), 128u + 12u);
    EXPECT_EQ(std::vector<uint8_t>(pcx.begin(), pcx.begin() + 4), (std::vector<uint8_t>{10, 5, 1, 8}));
    EXPECT_EQ(pcx[65], 3);
    EXPECT_EQ(pcx[66], 3);
    EXPECT_EQ(pcx[16], 255);
    EXPECT_EQ(std::vector<uint8_t>(pcx.begin() + 128, pcx.end()),
              (std::vector<uint8_t>{0xC1, 0xFF, 0, 0xC1, 0xFF, 0xC2, 0, 0xC1, 0xFF, 0, 0xC2, 0xFF}));

    // RAS: rows padded to an even length; the header's length counts the data.
    WriteRAS(folder.File("a.ras"), bmp, 24, false);
    const std::vector<uint8_t> ras = ReadWholeFile(folder.File("a.ras"));
    ASSERT_EQ(ras.size(), 32u + 10u);
    EXPECT_EQ(ras[19], 10);
    EXPECT_EQ(ras[23], 1);
    EXPECT_EQ(std::vector<uint8_t>(ras.begin() + 32, ras.end()),
              (std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 255, 255, 255, 0}));

    // TGA: bottom-up rows; an image without alpha is written opaque, declaring none.
    WriteTGA(folder.File("a.tga"), bmp, false, 32);
    const std::vector<uint8_t> tga = ReadWholeFile(folder.File("a.tga"));
    ASSERT_EQ(tga.size(), 18u + 12u);
    EXPECT_EQ(tga[2], 2);
    EXPECT_EQ(tga[16], 32);
    EXPECT_EQ(tga[17], 0);
    EXPECT_EQ(tga[18 + 3], 255);
}
} // namespace
