#include "formats/PNMCodec.h"
#include "image/WinBmp.h"

#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

namespace {

// The bytes of a file written as text.
std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

uint32_t Grey(uint8_t v)
{
    return PackPixel(v, v, v);
}

const uint32_t kBlack = Grey(0), kWhite = Grey(255);

TEST(PNMCodecTest, Kinds)
{
    using namespace std::string_literals;
    struct Case {
        const char* Name;
        std::string File;
        PixelRows Expected;
        int SourceBits;
    };
    const Case cases[] = {
        {"P1: 1 is black, 0 is white", "P1\n2 1\n1 0\n", {{kBlack, kWhite}}, 1},
        {"P1: bits need no blanks between them", "P1 3 2 101\n010", {{kBlack, kWhite, kBlack}, {kWhite, kBlack, kWhite}}, 1},
        {"P4: every row starts with a fresh byte", "P4\n3 2\n\xA0\x40"s,
         {{kBlack, kWhite, kBlack}, {kWhite, kBlack, kWhite}}, 1},
        {"P5, maxval 255", "P5\n1 1\n255\n\x80"s, {{Grey(128)}}, 8},
        {"P5, maxval 15 is scaled to 0-255", "P5 4 1 15\n\x00\x08\x0F\x01"s, {{Grey(0), Grey(136), Grey(255), Grey(17)}}, 8},
        {"P5: samples over maxval are white", "P5 1 1 15\n\xC8"s, {{Grey(255)}}, 8},
        {"P2", "P2\n3 1\n255\n0 128\n255\n", {{Grey(0), Grey(128), Grey(255)}}, 8},
        {"P2, maxval 100, rounded", "P2 3 1 100 50 1 2\n", {{Grey(128), Grey(3), Grey(5)}}, 8},
        {"P3: red, green, blue", "P3\n2 1\n255\n255 0 0   1 2 3\n", {{PackPixel(255, 0, 0), PackPixel(1, 2, 3)}}, 24},
        {"P3, maxval 7, tabs and CR LF", "P3\r\n1\t1\r\n7\r\n7\t0\t1\r\n", {{PackPixel(255, 0, 36)}}, 24},
        {"P6", "P6\n2 1\n255\n\x01\x02\x03\xFF\x80\x00"s, {{PackPixel(1, 2, 3), PackPixel(255, 128, 0)}}, 24},
        {"P6, maxval 31", "P6 1 1 31\n\x1F\x10\x00"s, {{PackPixel(255, 132, 0)}}, 24},
        {"samples are read as they are at maxval 255", "P2 2 1 255 0 255 ", {{Grey(0), Grey(255)}}, 8},
        {"the character that ends maxval is consumed, whatever it is", "P5 1 1 255\tx"s, {{Grey('x')}}, 8},
        {"a comment in the header", "P6 # made by hand\n1 1 255\n\x01\x02\x03"s, {{PackPixel(1, 2, 3)}}, 24},
        {"a comment right after maxval ends the header with its line", "P5 1 1 255# x\n\x80"s, {{Grey(128)}}, 8},
        {"comments between plain samples", "P2 2 1 9 9 # nine\n0\n", {{Grey(255), Grey(0)}}, 8},
        {"comments between plain bits", "P1 2 1 1#one\r0", {{kBlack, kWhite}}, 1},
        {"P5, maxval 65535: two bytes a sample", "P5 2 1 65535\n\x80\x00\xFF\xFF"s, {{Grey(128), Grey(255)}}, 8},
        {"P5, maxval 256: wide samples over maxval are white", "P5 2 1 256\n\x01\x00\x01\x01"s,
         {{Grey(255), Grey(255)}}, 8},
        {"P6, maxval 65535, rounded", "P6 1 1 65535\n\x01\x02\x03\x04\x05\x06"s, {{PackPixel(1, 3, 5)}}, 24},
        {"P2, maxval 1000", "P2 1 1 1000 5\n", {{Grey(1)}}, 8},
        {"P3, maxval 65535", "P3 1 1 65535 65535 0 32768\n", {{PackPixel(255, 0, 128)}}, 24},
        {"raw data starts after one blank, even with blank bytes", "P5\n2 1\n255\n\x0A\x20"s,
         {{Grey(10), Grey(32)}}, 8},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CPNMDecoder>(Bytes(c.File));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
        EXPECT_FALSE(d.Bitmap.HasAlpha) << c.Name;
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.SourceBits) << c.Name;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }

    // Every requested depth gives 32 bits.
    for (int depth : {0, 1, 8}) {
        const DecodeResult d = DecodeBytes<CPNMDecoder>(Bytes("P5 1 1 255 \x10"), depth);
        ASSERT_EQ(d.Code, 0) << depth;
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << depth;
    }
}

TEST(PNMCodecTest, Errors)
{
    using namespace std::string_literals;
    const char* const pgmMaxval = "Maxval is too large - try reconfiguring with PGM_BIGGRAYS.";
    const char* const ppmMaxval = "Maxval is too large - try reconfiguring with PGM_BIGGRAYS\n    or without PPM_PACKCOLORS";
    const char* const junkInteger = "Junk in file where an integer should be";
    const char* const endOfFile = "Unexpected end of file.";
    struct Case {
        const char* Name;
        std::string File;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"P7", "P7\n1 1\n255\n", 2, "Bad magic number - not a ppm, pgm, or pbm file."},
        {"p6 in lower case", "p6 1 1 255 abc", 2, "Bad magic number - not a ppm, pgm, or pbm file."},
        {"P5, maxval 70000", "P5 1 1 70000 ab", 7, pgmMaxval},
        {"P3, maxval 65536", "P3 1 1 65536 1 1 1", 7, ppmMaxval},
        {"P6, maxval with 30 digits", "P6 1 1 999999999999999999999999999999 abcdef", 7, ppmMaxval},
        {"maxval 0", "P5 1 1 0 a", 2, "Maxval must not be zero."},
        {"a letter for the width", "P5 a 1 255 x", 7, junkInteger},
        {"a negative sample", "P2 2 1 255 1 -5", 7, junkInteger},
        {"a letter among plain samples", "P3 1 1 255 1 x 3\n", 7, junkInteger},
        {"a 2 among plain bits", "P1 3 1 1 2 0", 7, "Junk in file where bits should be."},
        {"zero width", "P6 0 1 255\n", 2, "Illegal image size."},
        {"zero height", "P4 8 0\n", 2, "Illegal image size."},
        {"only the magic's first byte", "P", 7, endOfFile},
        {"header ends before maxval", "P6 10 10", 7, endOfFile},
        {"header ends in a comment", "P6 10 10 # maxval follows", 7, endOfFile},
        {"raw wide samples cut short", "P6 2 1 65535\n\x01\x02\x03\x04\x05\x06"s, 7, endOfFile},
        {"raw pixels cut short", "P6 2 1 255\n\x01\x02\x03\x04\x05"s, 7, endOfFile},
        {"plain samples end right after the last digit", "P2 2 1 9 9 0", 7, endOfFile},
        {"header ends right after the height", "P4 1 1", 7, endOfFile},
        {"raw bits cut short", "P4 9 2\n\x01\x02\x03"s, 7, endOfFile},
        {"plain samples cut short", "P2 3 1 255 1 2 ", 7, endOfFile},
        {"plain bits cut short", "P1 3 2 1 0 1 0 1\n", 7, endOfFile},
        {"60000 x 60000 from a few bytes", "P6 60000 60000 255\nabc", 7, endOfFile},
        {"plain 60000 x 60000 from a few bytes", "P3 60000 60000 255\n1 2 3", 7, endOfFile},
        {"a size of 20 digits", "P1 99999999999999999999 99999999999999999999 1", 7, endOfFile},
        {"raw bits of 4294967295 x 2", "P4 4294967295 2\nab", 7, endOfFile},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CPNMDecoder>(Bytes(c.File));
        EXPECT_EQ(d.Code, c.Code) << c.Name;
        EXPECT_EQ(d.Text, c.Text) << c.Name;
    }
}

// ImageMagick's files of every kind, 29 x 17, with comments and maxvals up to 65535.
TEST(PNMCodecTest, Files)
{
    const char* const files[] = {
        "pbm-plain.pbm",        "pbm-raw.pbm",           "pgm-plain.pgm",     "pgm-raw.pgm",
        "pgm-raw-maxval15.pgm", "pgm-plain-maxval1000.pgm", "ppm-plain-maxval7.ppm", "pgm-raw-16bit.pgm",
        "ppm-plain.ppm",        "ppm-raw.ppm",           "ppm-raw-16bit.ppm",
    };
    for (const std::string name : files) {
        CPNMDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("pnm", name), bitmap, 32)) << name;
        EXPECT_EQ(bitmap.Width, 29) << name;
        EXPECT_EQ(bitmap.Height, 17) << name;
        const std::string expected = name.substr(0, name.size() - 4) + ".rgba";
        EXPECT_TRUE(RgbaBytes(bitmap) == ReadWholeFile(TestDataPath("pnm", expected))) << name;
    }
}

} // namespace
