// The colour adjustments on small images: known values, references straight
// from the rules, involutions, undo and thread-count independence.
#include "ops/GeometryHelpers.h"

#include "base/ParallelRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace ops_test;

namespace {

using Op = std::function<void(CEditBmp&)>;

struct Known {
    const char* Name;
    std::vector<uint32_t> In;
    Op Run;
    std::vector<uint32_t> Out;
};

uint32_t Px(int r, int g, int b, int a = 200)
{
    return PackPixel(uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a));
}

uint32_t Grey(int v, int a = 200)
{
    return Px(v, v, v, a);
}

// Two colours of equal mean in one bucket of the colour histogram: the one
// that appears later is listed first, and its luma widens the range.
const uint32_t kLumaLow = Px(23, 11, 221), kLumaHigh = Px(105, 100, 50);

const Known kKnown[] = {
    {"gamma 0 keeps", {Px(1, 64, 254), Grey(0)}, [](CEditBmp& d) { d.gamma(1.0); }, {Px(1, 64, 254), Grey(0)}},
    {"gamma -100 black", {Px(255, 64, 1, 7)}, [](CEditBmp& d) { d.gamma(0.0); }, {Px(0, 0, 0, 7)}},
    {"gamma 100", {Px(64, 255, 0)}, [](CEditBmp& d) { d.gamma(2.0); }, {Px(128, 255, 0)}},
    {"brightness 100", {Px(0, 77, 255)}, [](CEditBmp& d) { d.brightness(100); }, {Grey(255)}},
    {"brightness -100", {Px(0, 77, 255)}, [](CEditBmp& d) { d.brightness(-100); }, {Grey(0)}},
    {"brightness 50", {Px(0, 200, 255)}, [](CEditBmp& d) { d.brightness(50); }, {Px(127, 227, 255)}},
    {"balance", {Px(10, 20, 30), Px(200, 100, 0)}, [](CEditBmp& d) { d.colourBalance(100, 0, -100); },
     {Px(255, 20, 0), Px(255, 100, 0)}},
    {"contrast black white", {Grey(0), Grey(255), Grey(0)}, [](CEditBmp& d) { d.contrast(0); },
     {Grey(64), Grey(191), Grey(64)}},
    {"contrast later colour first", {kLumaLow, kLumaHigh}, [](CEditBmp& d) { d.contrast(0); },
     {Px(0, 0, 255), Px(255, 237, 0)}},
    {"contrast other order", {kLumaHigh, kLumaLow}, [](CEditBmp& d) { d.contrast(0); },
     {Px(246, 233, 95), Px(20, 0, 255)}},
    {"contrast single grey", {Grey(90), Grey(90)}, [](CEditBmp& d) { EXPECT_EQ(d.contrast(100), 0); },
     {Grey(90), Grey(90)}},
    {"invert", {Px(0, 1, 255, 3)}, [](CEditBmp& d) { d.invert(); }, {Px(255, 254, 0, 3)}},
    {"gray red", {Px(255, 0, 0, 9)}, [](CEditBmp& d) { d.grayShades(); }, {Grey(76, 9)}},
    {"swap", {Px(1, 2, 3, 4)}, [](CEditBmp& d) { d.swapRedBlue(); }, {Px(3, 2, 1, 4)}},
    {"threshold 0", {Grey(0), Px(1, 0, 0)}, [](CEditBmp& d) { d.threshold(0); }, {Grey(255), Grey(255)}},
    {"threshold 255", {Grey(255), Px(255, 254, 255)}, [](CEditBmp& d) { d.threshold(255); },
     {Grey(255), Grey(0)}},
    {"solarize 255", {Px(0, 128, 255)}, [](CEditBmp& d) { d.solarize(255); }, {Px(0, 128, 255)}},
    {"solarize 0", {Px(0, 1, 255)}, [](CEditBmp& d) { d.solarize(0); }, {Px(0, 254, 0)}},
    {"solarize 128", {Px(128, 129, 200)}, [](CEditBmp& d) { d.solarize(128); }, {Px(128, 126, 55)}},
    {"intensity 20 keeps", {Px(150, 120, 90), Px(3, 255, 77)}, [](CEditBmp& d) { d.intensity(20, 0, 1.7); },
     {Px(150, 120, 90), Px(3, 255, 77)}},
    {"intensity value at offset", {Px(100, 7, 50)}, [](CEditBmp& d) { d.intensity(500, 100, 0.5); },
     {Px(100, 7, 50)}},
    {"intensity brightens", {Px(150, 120, 90), Px(200, 100, 0), Grey(90), Grey(110)},
     [](CEditBmp& d) { d.intensity(24, 100, 1); }, {Px(179, 143, 107), Px(255, 139, 0), Grey(90), Grey(114)}},
};

void PrintTo(const Known& k, std::ostream* os)
{
    *os << k.Name;
}

class KnownValues : public ::testing::TestWithParam<Known> {};

TEST_P(KnownValues, GiveTheExpectedPixels)
{
    const Known& k = GetParam();
    CWinBmp bmp;
    bmp.Create(int(k.In.size()), 1, 32, true);
    std::copy(k.In.begin(), k.In.end(), bmp.Row32(0));
    CEditBmp doc;
    Load(doc, bmp);
    k.Run(doc);
    EXPECT_EQ(Snap(doc.image()).Pixels, k.Out);
    EXPECT_TRUE(doc.undoAvailable());
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(doc.undo());  // the size stays
    EXPECT_EQ(Snap(doc.image()), Snap(bmp));
}

INSTANTIATE_TEST_SUITE_P(ColorAdjust, KnownValues, ::testing::ValuesIn(kKnown),
                         [](const auto& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// The channel rules written out per pixel, for every value at once.
struct Reference {
    const char* Name;
    Op Run;
    std::function<int(int channel, int index, int luma)> Channel;  // index 0 blue, 1 green, 2 red
};

const Reference kReferences[] = {
    {"gamma 0.37", [](CEditBmp& d) { d.gamma(0.37); },
     [](int c, int, int) { return c == 0 ? 0 : std::min(255, int(255 * std::pow(c / 255.0, 1 / 0.37) + 0.5)); }},
    {"balance", [](CEditBmp& d) { d.colourBalance(-20, 45, 70); },
     [](int c, int i, int) {
         const double x = (i == 2 ? -20 : i == 1 ? 45 : 70) * 0.01;
         return x >= 0 ? c + int(x * (255 - c)) : int((1 + x) * c);
     }},
    {"gray", [](CEditBmp& d) { d.grayShades(); }, [](int, int, int y) { return y; }},
};

TEST(ColorAdjustTest, ChannelRulesOnRandomPixels)
{
    CWinBmp bmp;
    MakeRandom(bmp, 97, 61, 5);
    for (const Reference& r : kReferences) {
        CEditBmp doc;
        Load(doc, bmp);
        r.Run(doc);
        for (int y = 0; y < bmp.Height; ++y)
            for (int x = 0; x < bmp.Width; ++x) {
                const uint32_t in = bmp.Row32(y)[x], out = doc.image().Row32(y)[x];
                const int red = (in >> 16) & 0xFF, green = (in >> 8) & 0xFF, blue = in & 0xFF;
                const int luma = int(0.299 * red + 0.587 * green + 0.114 * blue + 0.5);
                const uint32_t expected = PackPixel(uint8_t(r.Channel(red, 2, luma)), uint8_t(r.Channel(green, 1, luma)),
                                                    uint8_t(r.Channel(blue, 0, luma)), uint8_t(in >> 24));
                ASSERT_EQ(out, expected) << r.Name << " at " << x << "," << y;
            }
    }
}

const std::pair<const char*, Op> kAll[] = {
    {"gamma", [](CEditBmp& d) { d.gamma(1.4); }},
    {"brightness", [](CEditBmp& d) { d.brightness(33); }},
    {"contrast", [](CEditBmp& d) { d.contrast(-40); }},
    {"balance", [](CEditBmp& d) { d.colourBalance(10, -20, 30); }},
    {"invert", [](CEditBmp& d) { d.invert(); }},
    {"gray", [](CEditBmp& d) { d.grayShades(); }},
    {"swap", [](CEditBmp& d) { d.swapRedBlue(); }},
    {"threshold", [](CEditBmp& d) { d.threshold(128); }},
    {"intensity", [](CEditBmp& d) { d.intensity(300, 40, 2.5); }},
    {"solarize", [](CEditBmp& d) { d.solarize(128); }},
};

TEST(ColorAdjustTest, UndoAndThreadCountsGiveTheSameBytes)
{
    CWinBmp bmp;
    MakeRandom(bmp, 301, 203, 11);
    for (const auto& [name, run] : kAll) {
        Snapshot results[2];
        for (int threads : {1, 2}) {
            SetParallelThreads(threads);
            CEditBmp doc;
            Load(doc, bmp);
            run(doc);
            results[threads - 1] = Snap(doc.image());
            EXPECT_EQ(results[threads - 1].HasAlpha, true) << name;
            doc.undo();
            EXPECT_EQ(Snap(doc.image()), Snap(bmp)) << name;
        }
        SetParallelThreads(0);
        EXPECT_EQ(results[0], results[1]) << name;
        EXPECT_NE(results[0], Snap(bmp)) << name;
    }
}

TEST(ColorAdjustTest, InvertAndSwapTwiceGiveTheImageBack)
{
    CWinBmp bmp;
    MakeRandom(bmp, 33, 17, 3);
    for (const Op& run : {Op([](CEditBmp& d) { d.invert(); }), Op([](CEditBmp& d) { d.swapRedBlue(); })}) {
        CEditBmp doc;
        Load(doc, bmp);
        run(doc);
        run(doc);
        EXPECT_EQ(Snap(doc.image()), Snap(bmp));
    }
}

TEST(ColorAdjustTest, RefusedValuesChangeNothing)
{
    CWinBmp bmp;
    MakeRandom(bmp, 5, 4, 1);
    const std::pair<int, std::function<int(CEditBmp&)>> cases[] = {
        {-1, [](CEditBmp& d) { return d.gamma(2.01); }},
        {-1, [](CEditBmp& d) { return d.gamma(-0.01); }},
        {-1, [](CEditBmp& d) { return d.gamma(NAN); }},
        {-1, [](CEditBmp& d) { return d.brightness(101); }},
        {-1, [](CEditBmp& d) { return d.contrast(-101); }},
    };
    for (const auto& [code, run] : cases) {
        CEditBmp doc;
        Load(doc, bmp);
        EXPECT_EQ(run(doc), code);
        EXPECT_FALSE(doc.undoAvailable());
        EXPECT_FALSE(doc.modified());
        EXPECT_EQ(Snap(doc.image()), Snap(bmp));
    }
}

TEST(ColorAdjustTest, ContrastRefusesMoreColoursThanTheLimit)
{
    for (int colours : {800001, 800000}) {
        CWinBmp bmp;
        bmp.Create(1000, 801, 32, false);
        for (int y = 0; y < 801; ++y)
            for (int x = 0; x < 1000; ++x)
                bmp.Row32(y)[x] = uint32_t(std::min(y * 1000 + x, colours - 1)) * 7u;
        CEditBmp doc;
        Load(doc, bmp);
        if (colours > 800000) {
            EXPECT_EQ(doc.contrast(0), -2);
            EXPECT_FALSE(doc.undoAvailable());
            EXPECT_EQ(Snap(doc.image()), Snap(bmp));
        } else {
            EXPECT_EQ(doc.contrast(0), 0);
        }
    }
}

} // namespace
