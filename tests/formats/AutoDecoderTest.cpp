#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"

#include "formats/BmpFixture.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

namespace {

std::vector<uint8_t> Header(std::initializer_list<std::pair<size_t, std::vector<uint8_t>>> parts, size_t size = 64)
{
    std::vector<uint8_t> b(size, 0xEE);
    for (const auto& [offset, bytes] : parts)
        std::copy(bytes.begin(), bytes.end(), b.begin() + offset);
    return b;
}

std::vector<uint8_t> Text(const char* s)
{
    return std::vector<uint8_t>(s, s + std::strlen(s));
}

TEST(AutoDecoderTest, DetectionTableInOrder)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        ImageFormat Expected;
    };
    const std::vector<uint8_t> tgaBytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 24};
    std::vector<uint8_t> pict2(600, 0);
    pict2[523] = 0x11, pict2[524] = 0x02, pict2[525] = 0xFF;
    std::vector<uint8_t> pict1(600, 0xEE);
    pict1[522] = 0x00, pict1[523] = 0x11, pict1[524] = 0x01;
    std::vector<uint8_t> pict1b(600, 0xEE);
    pict1b[522] = 0x11, pict1b[523] = 0x01, pict1b[524] = 0x01, pict1b[525] = 0x00;
    std::vector<uint8_t> eps = Header({{0, {0xC5, 0xD0, 0xD3, 0xC6}}, {20, {30, 0, 0, 0, 8, 0, 0, 0}}});
    std::vector<uint8_t> epsNoLength = Header({{0, {0xC5, 0xD0, 0xD3, 0xC6}}, {20, {30, 0, 0, 0, 0, 0, 0, 0}}});
    // A PCX header whose bytes 1, 2, 7 and 16 also fit the loose TGA test.
    std::vector<uint8_t> pcxLikeTga = Header({{0, {0x0A, 0x01, 0x01}}, {7, {0}}, {16, {8}}});
    const Case cases[] = {
        {"BM first, whatever follows", Header({{0, Text("BM")}, {1, Text("M")}, {2, {0}}, {16, {8}}}),
         ImageFormat::BMP},
        {"TGA", tgaBytes, ImageFormat::TGA},
        {"PCX bytes that fit the TGA test are TGA", pcxLikeTga, ImageFormat::TGA},
        {"TIFF little-endian", Header({{0, {0x49, 0x49, 0x2A, 0x00}}}), ImageFormat::TIFF},
        {"TIFF big-endian", Header({{0, {0x4D, 0x4D, 0x00, 0x2A}}}), ImageFormat::TIFF},
        {"PICT version 2", pict2, ImageFormat::PICT},
        {"PICT version 1", pict1, ImageFormat::PICT},
        {"PICT version 1, other form", pict1b, ImageFormat::PICT},
        {"JPEG", Header({{0, {0xFF, 0xD8, 0xFF}}}), ImageFormat::JPEG},
        {"PNG", Header({{0, {0x89, 'P', 'N', 'G'}}}), ImageFormat::PNG},
        {"EPS with a TIFF preview", eps, ImageFormat::EPS},
        {"EPS without a preview length", epsNoLength, ImageFormat::Unknown},
        {"GIF87a", Header({{0, Text("GIF87a")}}), ImageFormat::GIF},
        {"GIF89a", Header({{0, Text("GIF89a")}}), ImageFormat::GIF},
        {"GIF88a is nothing", Header({{0, Text("GIF88a")}}), ImageFormat::Unknown},
        {"PCX", Header({{0, {0x0A, 0x05, 0x01}}}), ImageFormat::PCX},
        {"IFF", Header({{0, Text("FORM")}, {8, Text("ILBM")}}), ImageFormat::IFF},
        {"IFF chunky", Header({{0, Text("FORM")}, {8, Text("PBM ")}}), ImageFormat::IFF},
        {"IFF RGB8", Header({{0, Text("FORM")}, {8, Text("RGB8")}}), ImageFormat::IFF},
        {"IFF RGBN", Header({{0, Text("FORM")}, {8, Text("RGBN")}}), ImageFormat::IFF},
        {"other IFF forms are nothing", Header({{0, Text("FORM")}, {8, Text("8SVX")}}), ImageFormat::Unknown},
        {"PNM", Header({{0, Text("P5")}}), ImageFormat::PNM},
        {"P7 is not PNM", Header({{0, Text("P7")}}), ImageFormat::Unknown},
        {"Sun raster", Header({{0, {0x59, 0xA6, 0x6A, 0x95}}}), ImageFormat::RAS},
        {"ICO", Header({{0, {0, 0, 1, 0}}}), ImageFormat::ICO},
        {"PSD", Header({{0, Text("8BPS")}}), ImageFormat::PSD},
        {"DDS", Header({{0, Text("DDS ")}}), ImageFormat::DDS},
        {"nothing", Header({}), ImageFormat::Unknown},
        {"a tiny file", {0x42}, ImageFormat::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectFormat(c.Bytes.data(), c.Bytes.size(), c.Bytes.size()), c.Expected) << c.Name;
}

TEST(AutoDecoderTest, PictNeedsMoreThan540Bytes)
{
    for (size_t size : {540u, 541u}) {
        std::vector<uint8_t> b(size, 0);
        b[523] = 0x11, b[524] = 0x02, b[525] = 0xFF;
        EXPECT_EQ(DetectFormat(b.data(), b.size(), b.size()), size == 541 ? ImageFormat::PICT : ImageFormat::Unknown);
    }
}

TEST(AutoDecoderTest, MetafilesGoByExtension)
{
    const std::vector<uint8_t> bmp = MakeBmp({1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}});
    EXPECT_EQ(DetectFormat("IMAGE.WMF", bmp.data(), bmp.size(), bmp.size()), ImageFormat::WMF);
    EXPECT_EQ(DetectFormat("dir/pic.Emf", bmp.data(), bmp.size(), bmp.size()), ImageFormat::EMF);
    EXPECT_EQ(DetectFormat("pic.bin", bmp.data(), bmp.size(), bmp.size()), ImageFormat::BMP);
    EXPECT_EQ(DetectFormat("a.wmf/pic", bmp.data(), bmp.size(), bmp.size()), ImageFormat::BMP);

    std::vector<uint8_t> wmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0};
    const DecodeResult d = DecodeBytes(wmf, 32, "picture.bin");
    EXPECT_EQ(d.Code, 8);
    EXPECT_EQ(d.Text, "Unknown file type.");
}

int CodeOfFile(const std::string& path)
{
    const DecodeResult d = DecodePath(path);
    if (!d.Ok()) {
        EXPECT_EQ(d.Text, "Opening " + path + " failed");
    }
    return d.Code;
}

TEST(AutoDecoderTest, OpeningFailures)
{
    TempFolder dir;
    const std::string good = dir.Write("good.bmp", MakeBmp({1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}}));
    const std::string empty = dir.Write("empty.bmp", {});
    std::filesystem::create_directory(dir.File("folder.bmp"));
    EXPECT_EQ(CodeOfFile(good), 0);
    EXPECT_EQ(CodeOfFile(dir.File("no-such-folder/x.bmp")), 3);
    EXPECT_EQ(CodeOfFile(good + "/x.bmp"), 3); // a file used as a folder
    EXPECT_EQ(CodeOfFile(dir.File("missing.bmp")), 4);
    EXPECT_EQ(CodeOfFile(empty), 5);
    EXPECT_EQ(CodeOfFile(dir.File("folder.bmp")), 5);
    if (geteuid() != 0) {
        const std::string locked = dir.Write("locked.bmp", MakeBmp({1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}}));
        chmod(locked.c_str(), 0);
        EXPECT_EQ(CodeOfFile(locked), 5);
    }
}

TEST(AutoDecoderTest, LongTextsAreCut)
{
    const std::string path = "/no-such-folder/" + std::string(400, 'x') + ".bmp";
    const DecodeResult d = DecodePath(path);
    EXPECT_EQ(d.Code, 3);
    EXPECT_LE(d.Text.size() + 16, 255u);
    EXPECT_EQ(d.Text.rfind("Opening /no-such-folder/xxx", 0), 0u);
}

TEST(AutoDecoderTest, TraceWritesWhenConfigured)
{
    TempFolder dir;
    const std::string trace = dir.File("trace.txt");
    const std::vector<uint8_t> bmp = MakeBmp({1, 1, 24, 0, 0, 40, {}, {1, 2, 3, 0}});
    {
        CAutoDecoder decoder;
        CWinBmp out;
        SetDecoderTrace(trace, 2);
        decoder.DecodeMemory("x.bmp", bmp.data(), bmp.size(), out, 32);
    }
    const std::vector<uint8_t> text = TempFolder::Read(trace);
    const std::string s(text.begin(), text.end());
    EXPECT_NE(s.find("--- Decoding file x.bmp. ---\n"), std::string::npos);
    EXPECT_NE(s.find("Windows bitmap recognized.\n"), std::string::npos);
    EXPECT_NE(s.find("Decoding 24 bit per pixel bitmap.\n"), std::string::npos);
    EXPECT_EQ(s.find("Decoding finished."), std::string::npos); // level 3

    // Destroying the decoder ended the trace.
    CAutoDecoder again;
    CWinBmp out;
    again.DecodeMemory("y.bmp", bmp.data(), bmp.size(), out, 32);
    const std::vector<uint8_t> after = TempFolder::Read(trace);
    EXPECT_EQ(after.size(), text.size());
}

TEST(AutoDecoderTest, ChooseDepth)
{
    EXPECT_EQ(ChooseDepth(1, 0), 8);
    EXPECT_EQ(ChooseDepth(8, 0), 8);
    EXPECT_EQ(ChooseDepth(24, 0), 32);
    EXPECT_EQ(ChooseDepth(4, 32), 32);
    EXPECT_EQ(ChooseDepth(24, 8), 8);
}

} // namespace
