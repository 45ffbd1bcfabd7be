#include "GeometryHelpers.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"
#include "ops/GeometryKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using namespace ops_test;

namespace {

using Operation = std::function<bool(CEditBmp&)>;

// The 3 × 2 image  A B C / D E F.
const uint32_t A = Marked(0, 0), B = Marked(1, 0), C = Marked(2, 0);
const uint32_t D = Marked(0, 1), E = Marked(1, 1), F = Marked(2, 1);

struct ExactCase {
    const char* Name;
    Operation Run;
    int Width, Height;
    std::vector<uint32_t> Pixels;  // rows top-down
};

TEST(GeometryTest, ExactOperationsMoveWholePixels)
{
    const ExactCase cases[] = {
        // "Horizontal" reverses the rows: upside down, not a mirror.
        {"flipRows", [](CEditBmp& d) { d.flipRows(); return false; }, 3, 2, {D, E, F, A, B, C}},
        {"flipColumns", [](CEditBmp& d) { d.flipColumns(); return false; }, 3, 2, {C, B, A, F, E, D}},
        {"flipBoth", [](CEditBmp& d) { d.flipBoth(); return false; }, 3, 2, {F, E, D, C, B, A}},
        {"transpose", [](CEditBmp& d) { return d.transpose(); }, 2, 3, {A, D, B, E, C, F}},
        // 90 clockwise: the top-left pixel lands at the top right.
        {"rotate 90 q0", [](CEditBmp& d) { return d.rotate(90, 0, 0); }, 2, 3, {D, A, E, B, F, C}},
        {"rotate 90 q1", [](CEditBmp& d) { return d.rotate(90, 1, 0); }, 2, 3, {D, A, E, B, F, C}},
        {"rotate 90 q2", [](CEditBmp& d) { return d.rotate(90, 2, 0); }, 2, 3, {D, A, E, B, F, C}},
        {"rotate 180 q1", [](CEditBmp& d) { return d.rotate(180, 1, 0); }, 3, 2, {F, E, D, C, B, A}},
        // The direct method used to fill what maps to the last row or column.
        {"rotate 180 q2", [](CEditBmp& d) { return d.rotate(180, 2, 0); }, 3, 2, {F, E, D, C, B, A}},
        {"rotate 270 q1", [](CEditBmp& d) { return d.rotate(270, 1, 0); }, 2, 3, {C, F, B, E, A, D}},
        {"rotate 270 q2", [](CEditBmp& d) { return d.rotate(270, 2, 0); }, 2, 3, {C, F, B, E, A, D}},
    };
    CWinBmp source;
    MakeMarked(source, 3, 2);
    for (const ExactCase& c : cases) {
        SCOPED_TRACE(c.Name);
        CEditBmp doc;
        Load(doc, source);
        const bool sizeChanged = c.Run(doc);
        EXPECT_EQ(sizeChanged, c.Width != 3);
        EXPECT_EQ(Snap(doc.image()), (Snapshot{c.Width, c.Height, true, c.Pixels}));
        EXPECT_TRUE(doc.modified());
        EXPECT_TRUE(doc.undoAvailable());
    }
}

TEST(GeometryTest, HorizontalFlipPutsTheBottomHalfOnTop)
{
    const uint32_t red = PackPixel(255, 0, 0), blue = PackPixel(0, 0, 255);
    CWinBmp source;
    MakeUniform(source, 4, 4, red, false);
    for (int y = 2; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            source.Row32(y)[x] = blue;
    CEditBmp doc;
    Load(doc, source);
    doc.flipRows();
    EXPECT_EQ(doc.image().Row32(0)[0], blue);
    EXPECT_EQ(doc.image().Row32(3)[3], red);
}

TEST(GeometryTest, InvolutionsGiveBackTheInputExactly)
{
    const std::pair<const char*, Operation> pairs[][2] = {
        {{"flipRows", [](CEditBmp& d) { d.flipRows(); return false; }},
         {"flipRows", [](CEditBmp& d) { d.flipRows(); return false; }}},
        {{"flipColumns", [](CEditBmp& d) { d.flipColumns(); return false; }},
         {"flipColumns", [](CEditBmp& d) { d.flipColumns(); return false; }}},
        {{"flipBoth", [](CEditBmp& d) { d.flipBoth(); return false; }},
         {"flipBoth", [](CEditBmp& d) { d.flipBoth(); return false; }}},
        {{"transpose", [](CEditBmp& d) { return d.transpose(); }},
         {"transpose", [](CEditBmp& d) { return d.transpose(); }}},
        {{"rotate 90", [](CEditBmp& d) { return d.rotate(90, 2, 0); }},
         {"rotate 270", [](CEditBmp& d) { return d.rotate(270, 0, 0); }}},
        {{"rotate 180", [](CEditBmp& d) { return d.rotate(180, 2, 0); }},
         {"rotate 180", [](CEditBmp& d) { return d.rotate(180, 1, 0); }}},
    };
    // Larger than one tile of the quarter turns, with ragged edges.
    for (auto [width, height] : {std::pair{1, 1}, {1, 7}, {9, 1}, {130, 67}, {67, 130}}) {
        CWinBmp source;
        MakeRandom(source, width, height, 7);
        for (const auto& pair : pairs) {
            SCOPED_TRACE(std::string(pair[0].first) + " " + std::to_string(width) + "x" + std::to_string(height));
            CEditBmp doc;
            Load(doc, source);
            pair[0].second(doc);
            pair[1].second(doc);
            EXPECT_EQ(Snap(doc.image()), Snap(source));
        }
    }
}

// Every operation, for the undo and thread-count tests.
const std::pair<const char*, Operation> kAllOperations[] = {
    {"flipRows", [](CEditBmp& d) { d.flipRows(); return false; }},
    {"flipColumns", [](CEditBmp& d) { d.flipColumns(); return false; }},
    {"flipBoth", [](CEditBmp& d) { d.flipBoth(); return false; }},
    {"transpose", [](CEditBmp& d) { return d.transpose(); }},
    {"rotate 90", [](CEditBmp& d) { return d.rotate(90, 1, 0); }},
    {"rotate 30 q0", [](CEditBmp& d) { return d.rotate(30, 0, 0x123456); }},
    {"rotate 100 q1", [](CEditBmp& d) { return d.rotate(100, 1, 0); }},
    {"rotate 200 q2", [](CEditBmp& d) { return d.rotate(200, 2, 0xFFFFFF); }},
    {"rotate 359 q2", [](CEditBmp& d) { return d.rotate(359, 2, 0); }},
    {"shear up-left", [](CEditBmp& d) { return d.shear(30, 0, true, 0); }},
    {"shear down-left", [](CEditBmp& d) { return d.shear(60, 1, false, 0xFF); }},
    {"resize shrink", [](CEditBmp& d) { return d.resize(d.image().Width / 3, d.image().Height / 2); }},
    {"resize grow", [](CEditBmp& d) { return d.resize(d.image().Width * 2, d.image().Height + 3); }},
    {"resize same", [](CEditBmp& d) { return d.resize(d.image().Width, d.image().Height); }},
    {"canvas grow", [](CEditBmp& d) { return d.canvas(d.image().Width + 5, d.image().Height + 8, 0, 0x00FF00); }},
    {"canvas crop", [](CEditBmp& d) { return d.canvas(d.image().Width - 5, d.image().Height - 1, 8, 0); }},
};

TEST(GeometryTest, UndoRestoresPixelsSizeAndAlphaAfterEveryOperation)
{
    for (bool alpha : {true, false}) {
        CWinBmp source;
        MakeRandom(source, 41, 29, 3, alpha);
        for (const auto& [name, run] : kAllOperations) {
            SCOPED_TRACE(name);
            CEditBmp doc;
            Load(doc, source);
            const bool sizeChanged = run(doc);
            EXPECT_EQ(sizeChanged, doc.image().Width != 41 || doc.image().Height != 29);
            EXPECT_EQ(doc.image().HasAlpha, alpha);
            EXPECT_EQ(doc.undo(), sizeChanged);
            EXPECT_EQ(Snap(doc.image()), Snap(source));
            EXPECT_EQ(doc.image().SourceBitsPerPixel, 24);
        }
    }
}

TEST(GeometryTest, ResultsDoNotDependOnTheNumberOfThreads)
{
    CWinBmp source;
    MakeRandom(source, 700, 450, 11);
    for (const auto& [name, run] : kAllOperations) {
        SCOPED_TRACE(name);
        std::vector<Snapshot> results;
        for (int threads : {1, 2, 5}) {
            SetParallelThreads(threads);
            CEditBmp doc;
            Load(doc, source);
            run(doc);
            results.push_back(Snap(doc.image()));
        }
        SetParallelThreads(0);
        EXPECT_EQ(results[0], results[1]);
        EXPECT_EQ(results[0], results[2]);
    }
}

TEST(GeometryTest, RotationSizeOfFortyFiveDegrees)
{
    const RotationGeometry g = RotationSize(100, 100, -45);
    EXPECT_NEAR(g.Tan, 0.41421, 1e-5);
    EXPECT_NEAR(g.Sin, 0.70711, 1e-5);
    EXPECT_EQ(g.M, 142);
    EXPECT_EQ(g.O, 29);
    EXPECT_EQ(g.A, 143);
    EXPECT_EQ(g.B, 29);
    EXPECT_EQ(g.Width, 144);

    CWinBmp source;
    MakeRandom(source, 100, 100, 1);
    CEditBmp doc;
    Load(doc, source);
    EXPECT_TRUE(doc.rotate(45, 0, 0));
    EXPECT_EQ(doc.image().Width, 144);
    EXPECT_EQ(doc.image().Height, 143);
}

TEST(GeometryTest, RotationTurnsExactlyFirstAtEveryQuality)
{
    // 135 degrees is a quarter turn and 45 more: the size of 45 degrees of the
    // turned image (the half-angle formula alone gave 0 x 0 here, and
    // overflowed at 180).
    CWinBmp source;
    MakeRandom(source, 60, 40, 2);
    for (int quality : {0, 1, 2}) {
        SCOPED_TRACE(quality);
        CEditBmp doc;
        Load(doc, source);
        doc.rotate(135, quality, 0);
        const RotationGeometry g = RotationSize(40, 60, -45);
        EXPECT_EQ(doc.image().Width, g.Width);
        EXPECT_EQ(doc.image().Height, g.A);
    }
}

// Every target pixel is the fill or one of the source's pixels, alpha and all.
void ExpectPixelsFromSourceOrFill(const CBmp& target, const CBmp& source, uint32_t fill)
{
    std::set<uint32_t> known{fill};
    for (int y = 0; y < source.Height; ++y)
        known.insert(source.Row32(y), source.Row32(y) + source.Width);
    for (int y = 0; y < target.Height; ++y)
        for (int x = 0; x < target.Width; ++x)
            ASSERT_TRUE(known.count(target.Row32(y)[x])) << x << "," << y;
}

TEST(GeometryTest, RotationAndShearCarryAlphaAndFillOpaque)
{
    CWinBmp source;
    MakeMarked(source, 23, 17);
    const ColorRef fill = 0x0000FF;  // red
    const uint32_t fillPixel = PackPixel(255, 0, 0, 255);
    const Operation operations[] = {
        [&](CEditBmp& d) { return d.rotate(20, 0, fill); },
        [&](CEditBmp& d) { return d.rotate(160, 1, fill); },
        [&](CEditBmp& d) { return d.rotate(250, 2, fill); },
        [&](CEditBmp& d) { return d.shear(45, 0, true, fill); },
        [&](CEditBmp& d) { return d.shear(10, 1, true, fill); },
        [&](CEditBmp& d) { return d.canvas(40, 10, 0, fill); },
    };
    for (const Operation& run : operations) {
        CEditBmp doc;
        Load(doc, source);
        run(doc);
        ExpectPixelsFromSourceOrFill(doc.image(), source, fillPixel);
        const std::vector<uint32_t> pixels = Snap(doc.image()).Pixels;
        EXPECT_NE(std::find(pixels.begin(), pixels.end(), fillPixel), pixels.end());
    }
}

TEST(GeometryTest, DirectRotationSamplesTheLastRowAndColumn)
{
    // A one-pixel-wide image turned by one degree: its pixels must be in the
    // result, not all fill.
    CWinBmp source;
    MakeUniform(source, 1, 10, PackPixel(0, 200, 0, 255));
    CEditBmp doc;
    Load(doc, source);
    doc.rotate(359, 2, 0);
    int green = 0;
    for (const uint32_t p : Snap(doc.image()).Pixels)
        green += p == PackPixel(0, 200, 0, 255);
    EXPECT_GE(green, 9);
}

TEST(GeometryTest, ShearOfFortyFiveDegreesAddsTheHeight)
{
    CWinBmp source;
    MakeMarked(source, 12, 7);
    const uint32_t fill = PackPixel(0, 0, 0, 255);
    {
        CEditBmp doc;
        Load(doc, source);
        EXPECT_TRUE(doc.shear(45, 0, true, 0));
        EXPECT_EQ(doc.image().Width, 19);
        // Up-Left: the bottom row moves one pixel at most, the top row most
        // (6 or 7 as tan 45° comes out just below 1 or not).
        EXPECT_TRUE(doc.image().Row32(6)[0] == Marked(0, 6) || doc.image().Row32(6)[1] == Marked(0, 6));
        EXPECT_EQ(doc.image().Row32(0)[5], fill);
        EXPECT_TRUE(doc.image().Row32(0)[6] == Marked(0, 0) || doc.image().Row32(0)[7] == Marked(0, 0));
    }
    {
        CEditBmp doc;
        Load(doc, source);
        doc.shear(45, 1, true, 0);
        // Down-Left: the top row stays at the left edge.
        EXPECT_EQ(doc.image().Row32(0)[0], Marked(0, 0));
        EXPECT_EQ(doc.image().Row32(0)[12], fill);
    }
}

TEST(GeometryTest, ShearOutsideItsRangeDoesNothing)
{
    CWinBmp source;
    MakeMarked(source, 4, 4);
    for (double degrees : {0.0, -5.0, 90.0, 120.0}) {
        CEditBmp doc;
        Load(doc, source);
        EXPECT_FALSE(doc.shear(degrees, 0, true, 0));
        EXPECT_FALSE(doc.undoAvailable());
        EXPECT_FALSE(doc.modified());
    }
}

// What must hold after any refused operation.
struct DocumentState {
    Snapshot Image, Undo;
    bool Modified, UndoAvailable;
    bool operator==(const DocumentState&) const = default;
};

DocumentState State(const CEditBmp& doc)
{
    return DocumentState{Snap(doc.image()), Snap(doc.undoCopy()), doc.modified(), doc.undoAvailable()};
}

struct RefusedCase {
    const char* Name;
    std::function<void(CEditBmp&)> Run;
    int Code;
};

TEST(GeometryTest, RefusedOperationsChangeNothing)
{
    const RefusedCase cases[] = {
        {"resize to 0", [](CEditBmp& d) { d.resize(0, 5); }, ErrFormat},
        {"resize negative", [](CEditBmp& d) { d.resize(5, -1); }, ErrFormat},
        {"canvas of 0", [](CEditBmp& d) { d.canvas(10, 0, 0, 0); }, ErrFormat},
        {"rotate 0", [](CEditBmp& d) { d.rotate(0, 1, 0); }, ErrFormat},
        {"rotate 360", [](CEditBmp& d) { d.rotate(360, 1, 0); }, ErrFormat},
        {"anchor 9", [](CEditBmp& d) { d.canvas(10, 10, 9, 0); }, ErrFormat},
        // Far over the default 4 GiB cap, refused before any allocation.
        {"shear 89", [](CEditBmp& d) { d.shear(89.9, 0, true, 0); }, ErrNoMemory},
        {"canvas of 10000 inches", [](CEditBmp& d) { d.canvas(960000, 960000, 0, 0); }, ErrNoMemory},
        {"resize wider than int", [](CEditBmp& d) { d.resize(int64_t(1) << 32, 1); }, ErrNoMemory},
    };
    CWinBmp source;
    MakeMarked(source, 8, 3000);
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.Name);
        CEditBmp doc;
        Load(doc, source);
        doc.flipRows();  // so there is an undo copy to keep
        const DocumentState before = State(doc);
        try {
            c.Run(doc);
            ADD_FAILURE() << "not refused";
        } catch (const CTextException& e) {
            EXPECT_EQ(e.GetCode(), c.Code);
        }
        EXPECT_TRUE(State(doc) == before);
    }
}

TEST(GeometryTest, AFailedAllocationChangesNothing)
{
    CWinBmp source;
    MakeMarked(source, 20, 20);
    const std::function<void(CEditBmp&)> operations[] = {
        [](CEditBmp& d) { d.canvas(200, 200, 0, 0); },
        [](CEditBmp& d) { d.resize(300, 20); },
        [](CEditBmp& d) { d.rotate(45, 0, 0); },
        [](CEditBmp& d) { d.rotate(100, 2, 0); },
        [](CEditBmp& d) { d.shear(80, 1, true, 0); },
    };
    for (const auto& run : operations) {
        CEditBmp doc;
        Load(doc, source);
        doc.transpose();
        const DocumentState before = State(doc);
        {
            // Room for the 20 x 20 image, not for the larger results.
            ScopedEnv cap("OCULANE_MAX_IMAGE_BYTES", "2000");
            try {
                run(doc);
                ADD_FAILURE() << "not refused";
            } catch (const CTextException& e) {
                EXPECT_EQ(e.GetCode(), ErrNoMemory);
                EXPECT_EQ(e.GetText(), "Out of memory.");
            }
        }
        EXPECT_TRUE(State(doc) == before);
        // And the document still works.
        doc.flipBoth();
        EXPECT_EQ(doc.image().Width, 20);
    }
}

} // namespace
