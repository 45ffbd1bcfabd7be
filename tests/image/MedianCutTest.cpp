// The median cut and QuantizeImage: at most 256 colours, exact for images
// that have no more, independent of threads and of the colours' order, and
// never darker for having had to drop levels.
#include "base/ParallelRows.h"
#include "image/ColorHistogram.h"
#include "image/MedianCut.h"
#include "image/WinBmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

namespace {

// Each pixel one of `colours` random colours (all 2^24 when 0), alpha random.
void MakeImage(CBmp& bmp, int width, int height, int colours, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> palette(size_t(std::max(colours, 1)));
    for (uint32_t& c : palette)
        c = random() & 0xFFFFFF;
    bmp.Create(width, height, 32, true);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t colour = colours ? palette[random() % palette.size()] : random() & 0xFFFFFF;
            bmp.Row32(y)[x] = colour | (random() << 24);
        }
}

std::vector<uint32_t> Quantized(const CBmp& source)
{
    CWinBmp target;
    target.Create(source.Width, source.Height, 32, true);
    QuantizeImage(source, target);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < target.Height; ++y)
        pixels.insert(pixels.end(), target.Row32(y), target.Row32(y) + target.Width);
    return pixels;
}

std::set<uint32_t> Colours(const std::vector<uint32_t>& pixels)
{
    std::set<uint32_t> colours;
    for (uint32_t p : pixels)
        colours.insert(p & 0xFFFFFF);
    return colours;
}

double Mean(const std::vector<uint32_t>& pixels, int shift)
{
    double sum = 0;
    for (uint32_t p : pixels)
        sum += (p >> shift) & 0xFF;
    return sum / double(pixels.size());
}

TEST(MedianCutTest, AtMost256ColoursAndExactBelow)
{
    struct Case {
        int Width, Height, Colours;
        bool Exact;  // every pixel unchanged, alpha included
    };
    for (const Case& c : {Case{1, 1, 1, true}, Case{40, 30, 200, true}, Case{16, 16, 256, true},
                          Case{100, 80, 5000, false}, Case{64, 64, 0, false}}) {
        CWinBmp source;
        MakeImage(source, c.Width, c.Height, c.Colours, unsigned(c.Colours));
        const std::vector<uint32_t> out = Quantized(source);
        EXPECT_LE(Colours(out).size(), 256u) << c.Colours;
        bool same = true, alphaKept = true;
        for (int i = 0; i < c.Width * c.Height; ++i) {
            const uint32_t in = source.Row32(i / c.Width)[i % c.Width];
            same = same && out[size_t(i)] == in;
            alphaKept = alphaKept && (out[size_t(i)] >> 24) == (in >> 24);
        }
        EXPECT_EQ(same, c.Exact) << c.Colours;
        EXPECT_TRUE(alphaKept) << c.Colours;
    }
}

TEST(MedianCutTest, SameResultForOneAndTwoThreads)
{
    CWinBmp source;
    MakeImage(source, 600, 500, 40000, 9);
    SetParallelThreads(1);
    const std::vector<uint32_t> one = Quantized(source);
    SetParallelThreads(2);
    const std::vector<uint32_t> two = Quantized(source);
    SetParallelThreads(0);
    EXPECT_EQ(one, two);
}

TEST(MedianCutTest, MapDoesNotDependOnTheColoursOrder)
{
    CWinBmp source;
    MakeImage(source, 90, 90, 3000, 4);
    CColorTable table;
    ASSERT_TRUE(table.Build(source, 800000));
    ColorHistogram colours = table.Colors();
    const ColorMap first = MedianCut(colours, 90 * 90, 255);
    std::shuffle(colours.begin(), colours.end(), std::mt19937(5));
    const ColorMap second = MedianCut(colours, 90 * 90, 255);
    ASSERT_EQ(first.Count, 256);
    ASSERT_EQ(second.Count, 256);
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry &a = first.Entries[size_t(i)], &b = second.Entries[size_t(i)];
        EXPECT_TRUE(a.Blue == b.Blue && a.Green == b.Green && a.Red == b.Red) << i;
    }
}

TEST(MedianCutTest, NearestColourTiesGoToTheLowerIndex)
{
    ColorMap map;
    map.Count = 3;
    map.Entries[0] = PaletteEntry{10, 0, 0, 255};
    map.Entries[1] = PaletteEntry{0, 0, 0, 255};
    map.Entries[2] = PaletteEntry{20, 0, 0, 255};
    EXPECT_EQ(NearestColor(map, 15, 0, 0), 0);
    EXPECT_EQ(NearestColor(map, 5, 0, 0), 0);
    EXPECT_EQ(NearestColor(map, 1, 0, 0), 1);
    EXPECT_EQ(NearestColor(map, 16, 0, 0), 2);
}

TEST(MedianCutTest, FewLevelsAndFewBitsNeverDarken)
{
    // 300 greys from a 1-bit file that was blurred: the limit is not the
    // file's 2^1 + 1 colours, the greys stay grey and as bright.
    CWinBmp grey;
    grey.Create(300, 2, 32, false);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 300; ++x) {
            const uint8_t v = uint8_t(x * 255 / 299);
            grey.Row32(y)[x] = PackPixel(v, uint8_t(v ^ (y & 1)), v);  // 300 distinct
        }
    grey.SourceBitsPerPixel = 1;
    const std::vector<uint32_t> greyOut = Quantized(grey);
    EXPECT_LE(Colours(greyOut).size(), 256u);
    EXPECT_NEAR(Mean(greyOut, 8), 127.5, 1.0);

    // Over 800000 colours: the channels first lose levels, then come back
    // to 0..255 with rounding.
    CWinBmp many;
    MakeImage(many, 1000, 1000, 0, 11);
    const std::vector<uint32_t> out = Quantized(many);
    EXPECT_LE(Colours(out).size(), 256u);
    std::vector<uint32_t> in;
    for (int y = 0; y < many.Height; ++y)
        in.insert(in.end(), many.Row32(y), many.Row32(y) + many.Width);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(Mean(out, shift), Mean(in, shift), 4.0) << shift;
}

} // namespace
