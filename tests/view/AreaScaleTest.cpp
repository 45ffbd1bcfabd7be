#include "image/AreaScale.h"

#include "image/WinBmp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

struct Target {
    int Width, Height, Stride;
    std::vector<uint8_t> Bytes;
    Target(int w, int h, int padding = 0) : Width(w), Height(h), Stride(w * 4 + padding), Bytes(size_t(Stride) * h, 0xEE) {}
    const uint8_t* Pixel(int x, int y) const { return Bytes.data() + size_t(y) * Stride + size_t(x) * 4; }
};

Target Scale(const CBmp& src, int w, int h, int padding = 0)
{
    Target t(w, h, padding);
    AreaDownscale(src, w, h, t.Bytes.data(), t.Stride);
    return t;
}

void Make(CWinBmp& bmp, int w, int h)
{
    bmp.Create(w, h, 32, true);
}

// Reference: the covered area of every source pixel, in doubles.
double Coverage(int i, int o, int sourceSize, int targetSize)
{
    const double begin = double(o) * sourceSize / targetSize;
    const double end = double(o + 1) * sourceSize / targetSize;
    return std::max(0.0, std::min(end, double(i + 1)) - std::max(begin, double(i)));
}

double ReferenceChannel(const CBmp& src, int tx, int ty, int tw, int th, int channel)
{
    double sum = 0, area = 0;
    for (int y = 0; y < src.Height; ++y) {
        const double cy = Coverage(y, ty, src.Height, th);
        if (cy == 0)
            continue;
        for (int x = 0; x < src.Width; ++x) {
            const double c = cy * Coverage(x, tx, src.Width, tw);
            sum += c * src.Lines[y][x * 4 + channel];
            area += c;
        }
    }
    return sum / area;
}

TEST(AreaScaleTest, UniformImagesStayUniform)
{
    struct Case {
        int W, H, TW, TH;
    } cases[] = {{7, 5, 3, 2}, {100, 100, 33, 17}, {6, 4, 6, 4}, {5, 5, 1, 1}, {640, 3, 7, 3}, {3, 3, 8, 5}, {70001, 1, 3, 1}};
    for (const Case& c : cases) {
        CWinBmp src;
        Make(src, c.W, c.H);
        for (int y = 0; y < c.H; ++y)
            for (int x = 0; x < c.W; ++x)
                src.Row32(y)[x] = PackPixel(200, 17, 255, 128);
        const Target t = Scale(src, c.TW, c.TH);
        for (int y = 0; y < c.TH; ++y)
            for (int x = 0; x < c.TW; ++x) {
                const uint8_t* p = t.Pixel(x, y);
                ASSERT_EQ(p[0], 255) << c.W << "x" << c.H << " -> " << c.TW << "x" << c.TH;
                ASSERT_EQ(p[1], 17);
                ASSERT_EQ(p[2], 200);
                ASSERT_EQ(p[3], 128);
            }
    }
}

TEST(AreaScaleTest, IntegerRatiosAverageWholeBlocks)
{
    CWinBmp src;
    Make(src, 4, 2);
    // Left block: blue 10, 20, 31, 40 -> 25.25 -> 25; alpha 0, 0, 255, 255 -> 127.5 -> 128.
    src.Row32(0)[0] = PackPixel(0, 0, 10, 0);
    src.Row32(0)[1] = PackPixel(0, 0, 20, 0);
    src.Row32(1)[0] = PackPixel(0, 0, 31, 255);
    src.Row32(1)[1] = PackPixel(0, 0, 40, 255);
    // Right block: red 1, 2, 2, 2 -> 1.75 -> 2.
    src.Row32(0)[2] = PackPixel(1, 0, 0, 9);
    src.Row32(0)[3] = PackPixel(2, 0, 0, 9);
    src.Row32(1)[2] = PackPixel(2, 0, 0, 9);
    src.Row32(1)[3] = PackPixel(2, 0, 0, 9);
    const Target t = Scale(src, 2, 1);
    EXPECT_EQ(t.Pixel(0, 0)[0], 25);
    EXPECT_EQ(t.Pixel(0, 0)[3], 128);
    EXPECT_EQ(t.Pixel(1, 0)[2], 2);
    EXPECT_EQ(t.Pixel(1, 0)[3], 9);

    const Target single = Scale(src, 1, 1);
    // Blue over all eight: 10 + 20 + 31 + 40 = 101 / 8 = 12.6 -> 13.
    EXPECT_EQ(single.Pixel(0, 0)[0], 13);
}

TEST(AreaScaleTest, NonIntegerRatiosWeighByCoveredArea)
{
    // Three pixels into two: each output covers one and a half inputs.
    CWinBmp src;
    Make(src, 3, 1);
    src.Row32(0)[0] = PackPixel(0, 0, 0, 255);
    src.Row32(0)[1] = PackPixel(0, 0, 90, 255);
    src.Row32(0)[2] = PackPixel(0, 0, 210, 255);
    const Target t = Scale(src, 2, 1);
    EXPECT_EQ(t.Pixel(0, 0)[0], 30);   // (2*0 + 1*90) / 3
    EXPECT_EQ(t.Pixel(1, 0)[0], 170);  // (1*90 + 2*210) / 3

    // The same along the other axis.
    CWinBmp column;
    Make(column, 1, 3);
    column.Row32(0)[0] = PackPixel(0, 0, 0);
    column.Row32(1)[0] = PackPixel(0, 90, 0);
    column.Row32(2)[0] = PackPixel(0, 210, 0);
    const Target c = Scale(column, 1, 2);
    EXPECT_EQ(c.Pixel(0, 0)[1], 30);
    EXPECT_EQ(c.Pixel(0, 1)[1], 170);
}

TEST(AreaScaleTest, MatchesTheExactAreaAverage)
{
    std::mt19937 random(7);
    struct Case {
        int W, H, TW, TH;
    } cases[] = {{13, 11, 5, 4}, {64, 48, 9, 7}, {50, 30, 49, 29}, {17, 1, 4, 1}, {1, 17, 1, 6}, {9, 9, 9, 9}, {20, 10, 1, 10}};
    for (const Case& c : cases) {
        CWinBmp src;
        Make(src, c.W, c.H);
        for (int y = 0; y < c.H; ++y)
            for (int x = 0; x < c.W; ++x)
                src.Row32(y)[x] = uint32_t(random());
        const Target t = Scale(src, c.TW, c.TH);
        for (int y = 0; y < c.TH; ++y)
            for (int x = 0; x < c.TW; ++x)
                for (int ch = 0; ch < 4; ++ch) {
                    const double expected = ReferenceChannel(src, x, y, c.TW, c.TH, ch);
                    ASSERT_NEAR(t.Pixel(x, y)[ch], expected, 0.5 + 1e-9)
                        << c.W << "x" << c.H << " -> " << c.TW << "x" << c.TH << " at " << x << "," << y;
                }
    }
}

TEST(AreaScaleTest, LargeImagesGiveTheSameResultOnEveryRow)
{
    // Big enough to be split over two threads; every output row must be the
    // same as the first for an image whose rows are all alike.
    CWinBmp src;
    Make(src, 3000, 1500);
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x)
            src.Row32(y)[x] = PackPixel(uint8_t(x), uint8_t(x * 3), uint8_t(x / 12), 255);
    const Target t = Scale(src, 401, 199);
    for (int y = 1; y < t.Height; ++y)
        ASSERT_EQ(0, std::memcmp(t.Pixel(0, y), t.Pixel(0, 0), size_t(t.Width) * 4)) << y;
    EXPECT_NEAR(t.Pixel(200, 0)[0], ReferenceChannel(src, 200, 0, 401, 199, 0), 0.5 + 1e-9);
}

TEST(AreaScaleTest, PremultipliedAveragesWeighColoursByAlpha)
{
    // Opaque red beside transparent white: the white must not lighten the red.
    // Both on one thread and split over two.
    for (int height : {2, 1500}) {
        CWinBmp src;
        Make(src, 3000, height);
        for (int y = 0; y < src.Height; ++y)
            for (int x = 0; x < src.Width; ++x)
                src.Row32(y)[x] = x % 2 ? PackPixel(255, 0, 0, 255) : PackPixel(255, 255, 255, 0);
        Target t(1500, 1);
        AreaDownscale(src, t.Width, t.Height, t.Bytes.data(), t.Stride, true);
        const uint8_t* p = t.Pixel(700, 0);
        EXPECT_EQ(p[0], 0) << height;
        EXPECT_EQ(p[1], 0) << height;
        EXPECT_EQ(p[2], 128) << height;  // red 255 at half cover, premultiplied
        EXPECT_EQ(p[3], 128) << height;
    }
    // Half-transparent pixels alone: each colour times alpha / 255, rounded.
    CWinBmp half;
    Make(half, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            half.Row32(y)[x] = PackPixel(51, 100, 200, 128);
    Target t(2, 2);
    AreaDownscale(half, 2, 2, t.Bytes.data(), t.Stride, true);
    EXPECT_EQ(t.Pixel(1, 1)[0], 100);
    EXPECT_EQ(t.Pixel(1, 1)[1], 50);
    EXPECT_EQ(t.Pixel(1, 1)[2], 26);
    EXPECT_EQ(t.Pixel(1, 1)[3], 128);
}

TEST(AreaScaleTest, StridePaddingIsLeftAlone)
{
    CWinBmp src;
    Make(src, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.Row32(y)[x] = 0;
    const Target t = Scale(src, 2, 2, 8);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(t.Pixel(1, y)[3], 0);
        EXPECT_EQ(t.Pixel(2, y)[0], 0xEE);
        EXPECT_EQ(t.Pixel(3, y)[3], 0xEE);
    }
}

TEST(AreaScaleTest, RefusesOtherDepthsAndIgnoresEmptyTargets)
{
    CWinBmp grey;
    grey.Create(4, 4, 8, false);
    std::vector<uint8_t> out(64, 1);
    EXPECT_THROW(AreaDownscale(grey, 2, 2, out.data(), 8), std::invalid_argument);

    CWinBmp src;
    Make(src, 4, 4);
    AreaDownscale(src, 0, 2, out.data(), 8);
    AreaDownscale(src, 2, -1, out.data(), 8);
    for (uint8_t b : out)
        EXPECT_EQ(b, 1);
}

} // namespace
