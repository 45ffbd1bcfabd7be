// The distinct-colour table: list order, limits, counts, threads, and the
// colour hash the palette writers look indices up in.
#include "base/ParallelRows.h"
#include "base/TextException.h"
#include "image/ColorHash.h"
#include "image/ColorHistogram.h"
#include "image/WinBmp.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

namespace {

using Bgr = std::tuple<int, int, int>;

void MakeRow(CBmp& bmp, const std::vector<Bgr>& pixels)
{
    bmp.Create(int(pixels.size()), 1, 32, true);
    for (size_t x = 0; x < pixels.size(); ++x) {
        const auto [b, g, r] = pixels[x];
        // Alpha varies: it must not make colours distinct.
        bmp.Row32(0)[x] = PackPixel(uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(x * 37));
    }
}

std::vector<std::tuple<int, int, int, int64_t>> Items(const ColorHistogram& list)
{
    std::vector<std::tuple<int, int, int, int64_t>> items;
    for (const ColorHistItem& c : list)
        items.emplace_back(c.Blue, c.Green, c.Red, c.Count);
    return items;
}

TEST(ColorHashTest, ListOrderIsByBucketThenLatestFirstAppearanceFirst)
{
    // (0,0,0) and (1,139,0) share bucket 0; (0,0,1) is in 6988, (1,0,0) in 13000.
    ASSERT_EQ(ColorBucket(0, 0, 0), ColorBucket(1, 139, 0));
    CWinBmp bmp;
    MakeRow(bmp, {{0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {1, 139, 0}, {0, 0, 0}});
    ColorHistogram list;
    ASSERT_TRUE(ComputeColorHistogram(bmp, 256, list));
    using Item = std::tuple<int, int, int, int64_t>;
    EXPECT_EQ(Items(list), (std::vector<Item>{{1, 139, 0, 1}, {0, 0, 0, 2}, {0, 0, 1, 1}, {1, 0, 0, 1}}));
}

TEST(ColorHashTest, MoreColoursThanTheLimitGiveNoList)
{
    struct Case {
        int Colours;
        int64_t Limit;
        bool Listed;
    };
    for (const Case& c : {Case{1, 1, true}, Case{256, 256, true}, Case{257, 256, false}, Case{2, 1, false}}) {
        std::vector<Bgr> pixels;
        for (int i = 0; i < c.Colours; ++i)
            pixels.emplace_back(i & 0xFF, i >> 8, 7);
        CWinBmp bmp;
        MakeRow(bmp, pixels);
        ColorHistogram list;
        EXPECT_EQ(ComputeColorHistogram(bmp, c.Limit, list), c.Listed) << c.Colours;
        EXPECT_EQ(list.size(), c.Listed ? size_t(c.Colours) : 0u);
    }
}

TEST(ColorHashTest, BandsMergeToTheSameTableForAnyThreadCount)
{
    // Big enough to be counted in bands; colours repeat across them.
    CWinBmp bmp;
    bmp.Create(700, 500, 32, false);
    std::mt19937 random(3);
    for (int y = 0; y < bmp.Height; ++y)
        for (int x = 0; x < bmp.Width; ++x)
            bmp.Row32(y)[x] = random() % (y < 250 ? 3000 : 6000) * 2654435761u;
    std::vector<std::vector<std::tuple<int, int, int, int64_t>>> tables;
    for (int threads : {1, 2, 3}) {
        SetParallelThreads(threads);
        CColorTable table;
        ASSERT_TRUE(table.Build(bmp, 800000));
        tables.push_back(Items(table.Colors()));
    }
    SetParallelThreads(0);
    int64_t pixels = 0;
    for (const auto& item : tables[0])
        pixels += std::get<3>(item);
    EXPECT_EQ(pixels, 700 * 500);
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_EQ(tables[0], tables[2]);
}

TEST(ColorHashTest, HashFromListGivesPositions)
{
    const ColorHistogram list = {{1, 2, 3, 0, 5}, {3, 2, 1, 0, 1}, {0, 0, 0, 0, 9}};
    const CColorHash hash = ColorHistToHash(list);
    EXPECT_EQ(hash.Lookup(ColorKey(1, 2, 3)), 0);
    EXPECT_EQ(hash.Lookup(ColorKey(0, 0, 0)), 2);
    EXPECT_EQ(hash.Lookup(ColorKey(1, 2, 4)), -1);

    CColorHash grown;
    for (int i = 0; i < 5000; ++i)  // past several growths
        grown.Add(ColorKey(uint8_t(i), uint8_t(i >> 8), 1), i);
    grown.Add(ColorKey(7, 0, 1), 42);  // a second Add replaces
    EXPECT_EQ(grown.Lookup(ColorKey(7, 0, 1)), 42);
    EXPECT_EQ(grown.Lookup(ColorKey(uint8_t(4999), uint8_t(4999 >> 8), 1)), 4999);
    EXPECT_EQ(grown.Size(), 5000u);

    try {
        ColorHistToHash({{1, 2, 3, 0, 5}, {1, 2, 3, 0, 1}});
        FAIL() << "a colour listed twice was accepted";
    } catch (const CTextException& e) {
        EXPECT_EQ(e.GetCode(), ErrInternal);
        EXPECT_EQ(e.GetText(), "Same color found twice");
    }
}

} // namespace
