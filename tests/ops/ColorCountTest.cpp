// The colour count, the level histogram and the colour reduction operation.
#include "image/WinBmp.h"
#include "ops/ColorCount.h"
#include "ops/EditBmp.h"
#include "ops/Histogram.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

struct Rgb {
    uint8_t Red, Green, Blue;
};

void MakeImage(CBmp& bmp, int width, int height, const std::vector<Rgb>& pixels, int sourceBits = 24)
{
    bmp.Create(width, height, 32, false);
    for (int i = 0; i < width * height; ++i) {
        const Rgb& p = pixels[size_t(i) % pixels.size()];
        bmp.Row32(i / width)[i % width] = PackPixel(p.Red, p.Green, p.Blue, uint8_t(i));
    }
    bmp.SourceBitsPerPixel = sourceBits;
}

void MakeRandom(CBmp& bmp, int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = random();
}

TEST(ColorCountTest, CountAndMessage)
{
    struct Case {
        int Width, Height;
        std::vector<Rgb> Pixels;
        int SourceBits;
        const char* Message;
    };
    std::vector<Rgb> greys;
    for (int i = 0; i < 300; ++i)
        greys.push_back(Rgb{uint8_t(i / 2), uint8_t(i / 2 + i % 2), 0});
    const Case cases[] = {
        {2, 2, {{0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}}, 24, "This image contains 3 colors.   "},
        {1, 1, {{9, 9, 9}}, 1, "This image contains 1 colors.   "},
        // A blurred palette image: its file depth does not lower the limit.
        {30, 10, greys, 8, "This image contains 300 colors.   "},
    };
    for (const Case& c : cases) {
        CWinBmp bmp;
        MakeImage(bmp, c.Width, c.Height, c.Pixels, c.SourceBits);
        EXPECT_EQ(ColourCountMessage(CountColours(bmp)), c.Message);
    }
    EXPECT_EQ(ColourCountMessage(-1), "Image contains more then 800000 colors");
}

TEST(ColorCountTest, MoreThan800000Colours)
{
    CWinBmp bmp;
    MakeRandom(bmp, 1000, 1000, 1);  // about 970000 distinct colours
    EXPECT_EQ(CountColours(bmp), -1);
    LevelHistogram histogram;
    histogram.Levels[0][0] = 5;
    EXPECT_FALSE(ComputeLevelHistogram(bmp, histogram));
    for (const auto& levels : histogram.Levels)
        for (int64_t n : levels)
            ASSERT_EQ(n, 0);
}

TEST(ColorCountTest, HistogramCountsColoursNotPixels)
{
    CWinBmp bmp;
    MakeImage(bmp, 3, 1, {{10, 0, 0}, {10, 0, 0}, {10, 5, 0}});
    LevelHistogram histogram;
    ASSERT_TRUE(ComputeLevelHistogram(bmp, histogram));
    const auto& h = histogram.Levels;
    EXPECT_EQ(h[LevelHistogram::kRed][10], 2);
    EXPECT_EQ(h[LevelHistogram::kGreen][0], 1);
    EXPECT_EQ(h[LevelHistogram::kGreen][5], 1);
    EXPECT_EQ(h[LevelHistogram::kBlue][0], 2);
    // Luma 0.299 × 10 + 0.5 = 3.49 and + 0.587 × 5 = 6.43.
    EXPECT_EQ(h[LevelHistogram::kLuma][3], 1);
    EXPECT_EQ(h[LevelHistogram::kLuma][6], 1);
}

TEST(ColorCountTest, ReduceColoursIsAnUndoableOperation)
{
    CEditBmp doc;
    auto image = std::make_unique<CWinBmp>();
    MakeRandom(*image, 50, 40, 2);
    image->HasAlpha = true;
    image->SourceBitsPerPixel = 32;
    doc.reset(std::move(image), "a.png", false);
    const uint32_t corner = doc.image().Row32(0)[0];
    doc.reduceColours();
    EXPECT_TRUE(doc.undoAvailable());
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.image().BitsPerPixel, 32);
    EXPECT_TRUE(doc.image().HasAlpha);
    EXPECT_EQ(doc.image().SourceBitsPerPixel, 8);
    EXPECT_EQ(doc.image().Row32(0)[0] >> 24, corner >> 24);
    EXPECT_LE(CountColours(doc.image()), 256);
    doc.undo();
    EXPECT_EQ(doc.image().Row32(0)[0], corner);
    EXPECT_EQ(doc.image().SourceBitsPerPixel, 32);
}

} // namespace
