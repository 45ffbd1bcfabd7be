// The Filter menu against references written straight from the rules: each
// output channel from its neighbourhood, black outside, alpha kept.
#include "GeometryHelpers.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"
#include "ops/FilterKernels.h"
#include "ops/FilterNormalMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using namespace ops_test;

namespace {

using Operation = std::function<void(CEditBmp&)>;
// The expected pixel (x, y) of a filtered image.
using Reference = std::function<uint32_t(const CBmp& in, int x, int y)>;

// Channel c (0 blue, 1 green, 2 red, 3 alpha) of (x, y), 0 outside.
int At(const CBmp& in, int x, int y, int c)
{
    if (x < 0 || y < 0 || x >= in.Width || y >= in.Height)
        return 0;
    return int(in.Row32(y)[x] >> (8 * c) & 0xFF);
}

uint32_t Pixel(const int bgr[3], uint32_t alphaFrom)
{
    return uint32_t(bgr[0]) | uint32_t(bgr[1]) << 8 | uint32_t(bgr[2]) << 16 | (alphaFrom & 0xFF000000u);
}

Reference Convolution(int n, std::vector<int> w, int divisor, int offset)
{
    return [=](const CBmp& in, int x, int y) {
        int bgr[3];
        for (int c = 0; c < 3; ++c) {
            int sum = 0;
            for (int dy = -n / 2; dy <= n / 2; ++dy)
                for (int dx = -n / 2; dx <= n / 2; ++dx)
                    sum += w[size_t((dy + n / 2) * n + dx + n / 2)] * At(in, x + dx, y + dy, c);
            bgr[c] = std::clamp(divisor ? offset + sum / divisor : sum + offset, 0, 255);
        }
        return Pixel(bgr, in.Row32(y)[x]);
    };
}

Reference Morphology(bool maximum)
{
    return [=](const CBmp& in, int x, int y) {
        int bgr[3];
        for (int c = 0; c < 3; ++c) {
            int v = maximum ? 0 : 255;
            for (int dy = -1; dy <= 0; ++dy)
                for (int dx = -1; dx <= 0; ++dx)
                    v = maximum ? std::max(v, At(in, x + dx, y + dy, c)) : std::min(v, At(in, x + dx, y + dy, c));
            bgr[c] = v;
        }
        return Pixel(bgr, in.Row32(y)[x]);
    };
}

uint32_t ContourAt(const CBmp& in, int x, int y)
{
    int bgr[3];
    for (int c = 0; c < 3; ++c) {
        const int ctr = At(in, x, y, c);
        int m = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (At(in, x + dx, y + dy, c) - ctr > m)
                    m = At(in, x + dx, y + dy, c);
        bgr[c] = 255 - m;
    }
    return Pixel(bgr, in.Row32(y)[x]);
}

uint32_t MedianAt(const CBmp& in, int x, int y)
{
    // Reading order, then a stable sort: equal keys keep it.
    std::vector<std::pair<int, uint32_t>> all;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const bool inside = x + dx >= 0 && y + dy >= 0 && x + dx < in.Width && y + dy < in.Height;
            const uint32_t colour = inside ? in.Row32(y + dy)[x + dx] & 0xFFFFFFu : 0;
            const int key = (601 * int(colour >> 8 & 0xFF) + 306 * int(colour >> 16 & 0xFF) + 117 * int(colour & 0xFF)) >> 10;
            all.emplace_back(key, colour);
        }
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return all[4].second | (in.Row32(y)[x] & 0xFF000000u);
}

int Offset(uint64_t bits, int part, double scale)
{
    const int r = int(bits >> (15 * part) & 32767);
    return static_cast<int>(scale * (double(r) / 32767 - 0.5));
}

uint32_t NoiseAt(const CBmp& in, int x, int y)
{
    FilterRowRandom random(7, y);
    uint64_t bits = 0;
    for (int i = 0; i <= x; ++i)
        bits = random.Next();
    int bgr[3];
    for (int c = 0; c < 3; ++c)
        bgr[c] = std::clamp(At(in, x, y, c) + Offset(bits, c, 50), 0, 255);
    return Pixel(bgr, in.Row32(y)[x]);
}

uint32_t JitterAt(const CBmp& in, int x, int y)
{
    FilterRowRandom random(7, y);
    uint64_t bits = 0;
    for (int i = 0; i <= x; ++i)
        bits = random.Next();
    const int sx = x + Offset(bits, 0, 4), sy = y + Offset(bits, 1, 4);
    const bool inside = sx >= 0 && sy >= 0 && sx < in.Width && sy < in.Height;
    const uint32_t colour = inside ? in.Row32(sy)[sx] : in.Row32(y)[x];
    return (colour & 0xFFFFFFu) | (in.Row32(y)[x] & 0xFF000000u);
}

double HeightOf(int method, uint32_t p)
{
    const double b = (p & 0xFF) / 255.0, g = (p >> 8 & 0xFF) / 255.0, r = (p >> 16 & 0xFF) / 255.0,
                 a = (p >> 24) / 255.0;
    const double values[] = {0.3 * r + 0.59 * g + 0.11 * b, (r + g + b) * (1.0 / 3), a, r, b, g, std::max({r, g, b}),
                             (std::max({r, g, b}) + std::min({r, g, b})) / 2, 1 - (1 - r) * (1 - g) * (1 - b)};
    return values[method];
}

Reference NormalMap(int method, double scale)
{
    return [=](const CBmp& in, int x, int y) {
        const double h0 = HeightOf(method, in.Row32(y)[x]) * scale;
        const double h1 = HeightOf(method, in.Row32(y)[(x + 1) % in.Width]) * scale;
        const double h2 = HeightOf(method, in.Row32((y + 1) % in.Height)[x]) * scale;
        const double unit = 1 / std::sqrt((h0 - h1) * (h0 - h1) + (h0 - h2) * (h0 - h2) + 1);
        auto component = [](double v) { return uint32_t(int(v * 127 + 128)); };
        const int64_t alpha = static_cast<int64_t>(std::trunc(h0 * 255));
        return component(unit) | component((h0 - h2) * unit) << 8 | component((h0 - h1) * unit) << 16 |
               uint32_t(((alpha % 256) + 256) % 256) << 24;
    };
}

struct FilterCase {
    const char* Name;
    Operation Run;
    Reference Expected;
};

const std::vector<FilterCase>& Filters()
{
    static const std::vector<FilterCase> cases = {
        {"blur", [](CEditBmp& d) { d.blur(); }, Convolution(3, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0)},
        {"soften", [](CEditBmp& d) { d.soften(); }, Convolution(3, {1, 1, 1, 1, 8, 1, 1, 1, 1}, 16, 0)},
        {"gaussian3", [](CEditBmp& d) { d.gaussian3(); }, Convolution(3, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0)},
        {"gaussian5", [](CEditBmp& d) { d.gaussian5(); },
         Convolution(5, {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8, 4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0}, 52, 0)},
        {"sharpen", [](CEditBmp& d) { d.sharpen(); }, Convolution(3, {-1, -1, -1, -1, 15, -1, -1, -1, -1}, 7, 0)},
        {"findEdge", [](CEditBmp& d) { d.findEdge(); }, Convolution(3, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, -1, 255)},
        {"emboss", [](CEditBmp& d) { d.emboss(); }, Convolution(3, {0, 0, -1, 0, 0, 0, 1, 0, 0}, 0, 127)},
        {"erode", [](CEditBmp& d) { d.erode(); }, Morphology(false)},
        {"dilate", [](CEditBmp& d) { d.dilate(); }, Morphology(true)},
        {"contour", [](CEditBmp& d) { d.contour(); }, ContourAt},
        {"median", [](CEditBmp& d) { d.median(); }, MedianAt},
        {"addNoise", [](CEditBmp& d) { d.addNoise(7); }, NoiseAt},
        {"jitter", [](CEditBmp& d) { d.jitter(7); }, JitterAt},
        {"normalMap grey", [](CEditBmp& d) { d.normalMap(0, 1); }, NormalMap(0, 1)},
        {"normalMap alpha -2.5", [](CEditBmp& d) { d.normalMap(2, -2.5); }, NormalMap(2, -2.5)},
        {"normalMap lightness 3", [](CEditBmp& d) { d.normalMap(7, 3); }, NormalMap(7, 3)},
        {"normalMap colorspace 1e6", [](CEditBmp& d) { d.normalMap(8, 1e6); }, NormalMap(8, 1e6)},
    };
    return cases;
}

// Random pixels with few distinct levels, so the median meets equal keys.
void MakeCoarse(CBmp& bmp, int width, int height, unsigned seed)
{
    MakeRandom(bmp, width, height, seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x + y) % 3 == 0)
                bmp.Row32(y)[x] &= 0xFFC0C0C0u;
}

} // namespace

TEST(FilterTest, EveryFilterMatchesItsReference)
{
    // Runs of 256 pixels: 300 wide crosses one; 1 × n and n × 1 are all edge.
    const std::pair<int, int> sizes[] = {{7, 5}, {300, 4}, {1, 9}, {9, 1}, {1, 1}, {6, 6}};
    for (const FilterCase& c : Filters())
        for (const auto& [width, height] : sizes) {
            SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(width) + "x" + std::to_string(height));
            CWinBmp source;
            MakeCoarse(source, width, height, unsigned(width * 31 + height));
            CEditBmp doc;
            Load(doc, source);
            c.Run(doc);
            int wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (doc.image().Row32(y)[x] != c.Expected(source, x, y) && ++wrong <= 3)
                        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << doc.image().Row32(y)[x]
                                      << " expected " << c.Expected(source, x, y);
        }
}

TEST(FilterTest, KnownValues)
{
    const uint32_t grey = PackPixel(128, 128, 128, 200), white = PackPixel(255, 255, 255), black = PackPixel(0, 0, 0);
    struct Case {
        const char* Name;
        Operation Run;
        std::vector<uint32_t> In;  // 3 × 3
        int X, Y;
        uint32_t Expected;
        uint32_t Mask = 0xFFFFFFFFu;
    };
    const std::vector<uint32_t> uniform(9, grey);
    const std::vector<uint32_t> dot = {black, black, black, black, white, black, black, black, black};
    const Case cases[] = {
        // Corners see four of nine: 128 × 4 / 9.
        {"blur corner", [](CEditBmp& d) { d.blur(); }, uniform, 0, 0, PackPixel(56, 56, 56, 200)},
        {"blur interior", [](CEditBmp& d) { d.blur(); }, uniform, 1, 1, grey},
        {"find edge interior", [](CEditBmp& d) { d.findEdge(); }, uniform, 1, 1, PackPixel(255, 255, 255, 200)},
        {"emboss interior", [](CEditBmp& d) { d.emboss(); }, uniform, 1, 1, PackPixel(127, 127, 127, 200)},
        {"sharpen dot", [](CEditBmp& d) { d.sharpen(); }, dot, 1, 1, white},
        {"sharpen beside the dot", [](CEditBmp& d) { d.sharpen(); }, dot, 0, 1, black},
        {"dilate right", [](CEditBmp& d) { d.dilate(); }, dot, 2, 1, white},
        {"dilate below right", [](CEditBmp& d) { d.dilate(); }, dot, 2, 2, white},
        {"dilate not left", [](CEditBmp& d) { d.dilate(); }, dot, 0, 1, black},
        {"erode top row", [](CEditBmp& d) { d.erode(); }, uniform, 1, 0, PackPixel(0, 0, 0, 200)},
        {"median removes the dot", [](CEditBmp& d) { d.median(); }, dot, 1, 1, black},
        // (1, 0, 1) / √2 at the last red column before black.
        {"normal map red edge", [](CEditBmp& d) { d.normalMap(NormalMapRed, 1); },
         {PackPixel(255, 0, 0), PackPixel(0, 0, 0), PackPixel(0, 0, 0), PackPixel(255, 0, 0), PackPixel(0, 0, 0),
          PackPixel(0, 0, 0), PackPixel(255, 0, 0), PackPixel(0, 0, 0), PackPixel(0, 0, 0)},
         0, 1, PackPixel(217, 128, 217, 255)},
        {"normal map flat", [](CEditBmp& d) { d.normalMap(NormalMapAverage, 1.5); }, uniform, 2, 2,
         PackPixel(128, 128, 255, 0), 0x00FFFFFFu},
        {"normal map scale 0", [](CEditBmp& d) { d.normalMap(NormalMapGrayScale, 0); }, dot, 1, 1,
         PackPixel(128, 128, 255, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        CWinBmp source;
        source.Create(3, 3, 32, true);
        for (int i = 0; i < 9; ++i)
            source.Row32(i / 3)[i % 3] = c.In[size_t(i)];
        CEditBmp doc;
        Load(doc, source);
        c.Run(doc);
        EXPECT_EQ(doc.image().Row32(c.Y)[c.X] & c.Mask, c.Expected) << std::hex << doc.image().Row32(c.Y)[c.X];
    }
}

TEST(FilterTest, NoiseOnBlackStaysWithin25AndSeedsRepeat)
{
    CWinBmp black;
    MakeUniform(black, 64, 64, PackPixel(0, 0, 0));
    CEditBmp doc;
    Load(doc, black);
    doc.addNoise(3);
    const Snapshot first = Snap(doc.image());
    int highest = 0;
    for (uint32_t p : first.Pixels)
        highest = std::max({highest, int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF)});
    // +25 needs the one draw 32767; +24 turns up on any image this size.
    EXPECT_GE(highest, 24);
    EXPECT_LE(highest, 25);
    Load(doc, black);
    doc.addNoise(3);
    EXPECT_EQ(Snap(doc.image()), first);
    Load(doc, black);
    doc.addNoise(4);
    EXPECT_NE(Snap(doc.image()), first);
}

TEST(FilterTest, UndoBringsBackEveryByteAndThreadsDoNotMatter)
{
    CWinBmp source;
    MakeCoarse(source, 301, 203, 5);
    for (const FilterCase& c : Filters()) {
        SCOPED_TRACE(c.Name);
        Snapshot results[2];
        for (int threads : {1, 2}) {
            SetParallelThreads(threads);
            CEditBmp doc;
            Load(doc, source);
            c.Run(doc);
            EXPECT_TRUE(doc.modified());
            EXPECT_TRUE(doc.undoAvailable());
            results[threads - 1] = Snap(doc.image());
            EXPECT_FALSE(doc.undo());
            EXPECT_EQ(Snap(doc.image()), Snap(source));
        }
        SetParallelThreads(0);
        EXPECT_EQ(results[0], results[1]);
    }
}

TEST(FilterTest, RefusalsChangeNothing)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* Name;
        Operation Run;
        const char* Cap;  // OCULANE_MAX_IMAGE_BYTES, or null
        int Code;
    } cases[] = {
        {"scale inf", [=](CEditBmp& d) { d.normalMap(1, inf); }, nullptr, ErrFormat},
        {"scale -inf", [=](CEditBmp& d) { d.normalMap(1, -inf); }, nullptr, ErrFormat},
        {"scale NaN", [](CEditBmp& d) { d.normalMap(1, std::nan("")); }, nullptr, ErrFormat},
        {"scale over the limit", [](CEditBmp& d) { d.normalMap(1, 1000001); }, nullptr, ErrFormat},
        {"scale 1e300", [](CEditBmp& d) { d.normalMap(1, -1e300); }, nullptr, ErrFormat},
        {"method 9", [](CEditBmp& d) { d.normalMap(9, 1); }, nullptr, ErrFormat},
        {"method -1", [](CEditBmp& d) { d.normalMap(-1, 1); }, nullptr, ErrFormat},
        {"blur out of memory", [](CEditBmp& d) { d.blur(); }, "2000", ErrNoMemory},
        {"median out of memory", [](CEditBmp& d) { d.median(); }, "2000", ErrNoMemory},
        {"noise out of memory", [](CEditBmp& d) { d.addNoise(1); }, "2000", ErrNoMemory},
        {"normal map out of memory", [](CEditBmp& d) { d.normalMap(1, 1); }, "2000", ErrNoMemory},
    };
    CWinBmp source;
    MakeRandom(source, 30, 20, 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CEditBmp doc;
        Load(doc, source);
        std::optional<ScopedEnv> cap;
        if (c.Cap)
            cap.emplace("OCULANE_MAX_IMAGE_BYTES", c.Cap);
        try {
            c.Run(doc);
            ADD_FAILURE() << "not refused";
        } catch (const CTextException& e) {
            EXPECT_EQ(e.GetCode(), c.Code);
        }
        EXPECT_EQ(Snap(doc.image()), Snap(source));
        EXPECT_FALSE(doc.undoAvailable());
        EXPECT_FALSE(doc.modified());
    }
}
