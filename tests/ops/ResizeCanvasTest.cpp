#include "GeometryHelpers.h"

#include "base/TextException.h"
#include "ops/GeometryKernels.h"
#include "ops/Units.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ops_test;

namespace {

// The box average written out plainly: block [first, last] of each target
// position by the single-precision scale, held inside the image, and the sum
// divided by the columns and then by the rows.
uint32_t BoxReference(const CBmp& source, int newWidth, int newHeight, int x, int y)
{
    auto span = [](int count, int newCount, int i, int64_t& first, int64_t& last) {
        const float scale = float(newCount) / float(count);
        first = static_cast<int64_t>(float(i) / scale);
        last = std::min<int64_t>(static_cast<int64_t>(std::ceil(float(i + 1) / scale)) - 1, count - 1);
    };
    int64_t left, right, top, bottom;
    span(source.Width, newWidth, x, left, right);
    span(source.Height, newHeight, y, top, bottom);
    uint32_t pixel = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint64_t sum = 0;
        for (int64_t row = top; row <= bottom; ++row)
            for (int64_t column = left; column <= right; ++column)
                sum += (source.Row32(int(row))[column] >> shift) & 0xFF;
        pixel |= uint32_t(sum / uint64_t(right - left + 1) / uint64_t(bottom - top + 1)) << shift;
    }
    return pixel;
}

TEST(ResizeCanvasTest, EverySizePairStaysInBoundsAndShrinksByBoxAverages)
{
    // Sizes to and from 1..64 each way (the sanitizer build checks every
    // read); 6 to 5 used to read one row past the image.
    for (int size = 1; size <= 64; ++size) {
        CWinBmp source;
        MakeRandom(source, size, size + 1, unsigned(size));
        for (int newSize = 1; newSize <= 64; ++newSize) {
            SCOPED_TRACE(std::to_string(size) + " -> " + std::to_string(newSize));
            CWinBmp target;
            target.Create(newSize, newSize + 1, 32, true);
            ResizeKernel(source, target);
            if (newSize >= size)
                continue;
            for (int y = 0; y <= newSize; ++y)
                for (int x = 0; x < newSize; ++x)
                    ASSERT_EQ(target.Row32(y)[x], BoxReference(source, newSize, newSize + 1, x, y)) << x << "," << y;
        }
    }
}

TEST(ResizeCanvasTest, BoxSumsDoNotOverflow)
{
    // 4096 × 4096 white pixels into one: a sum of 255 × 2^24 per channel.
    CWinBmp source;
    MakeUniform(source, 4096, 4096, 0xFFFFFFFF);
    CWinBmp target;
    target.Create(1, 1, 32, true);
    ResizeKernel(source, target);
    EXPECT_EQ(target.Row32(0)[0], 0xFFFFFFFFu);
}

struct OffsetCase {
    int Anchor;
    int64_t Left, Top;          // 100 × 100 on 105 × 103
    int64_t ShrinkLeft, ShrinkTop;  // 100 × 100 on 95 × 97
};

TEST(ResizeCanvasTest, CanvasPlacesTheImageByItsAnchor)
{
    const OffsetCase cases[] = {
        {0, 2, 1, -2, -1}, {1, 0, 0, 0, 0},  {2, 2, 0, -2, 0},  {3, 5, 0, -5, 0},  {4, 0, 1, 0, -1},
        {5, 5, 1, -5, -1}, {6, 0, 3, 0, -3}, {7, 2, 3, -2, -3}, {8, 5, 3, -5, -3},
    };
    for (const OffsetCase& c : cases) {
        SCOPED_TRACE(c.Anchor);
        int64_t left = 0, top = 0;
        CanvasOffset(100, 100, 105, 103, c.Anchor, left, top);
        EXPECT_EQ(left, c.Left);
        EXPECT_EQ(top, c.Top);
        CanvasOffset(100, 100, 95, 97, c.Anchor, left, top);
        EXPECT_EQ(left, c.ShrinkLeft);
        EXPECT_EQ(top, c.ShrinkTop);
    }
    // The kernel puts source (x, y) at (x + left, y + top), fill elsewhere.
    CWinBmp source;
    MakeMarked(source, 4, 3);
    CEditBmp doc;
    Load(doc, source);
    EXPECT_TRUE(doc.canvas(7, 4, 8, 0x00FF00));
    EXPECT_EQ(doc.image().Row32(1)[3], Marked(0, 0));
    EXPECT_EQ(doc.image().Row32(3)[6], Marked(3, 2));
    EXPECT_EQ(doc.image().Row32(0)[6], PackPixel(0, 255, 0, 255));
    EXPECT_EQ(doc.image().Row32(3)[2], PackPixel(0, 255, 0, 255));
}

struct BordersCase {
    const char* Name;
    double Horizontal, Vertical;
    int HorizontalOrientation, VerticalOrientation;
    bool AddBorders;
    int64_t Width, Height, Left, Top;  // of the 100 × 50 image
};

TEST(ResizeCanvasTest, BordersAndCropWorkOnTheSidesTheOrientationsName)
{
    const BordersCase cases[] = {
        {"10 from left", 10, 0, 0, 1, true, 110, 50, 10, 0},
        {"11 centered", 11, 0, 1, 1, true, 111, 50, 5, 0},
        {"10 from right", 10, 0, 2, 1, true, 110, 50, 0, 0},
        {"6 from top", 0, 6, 1, 0, true, 100, 56, 0, 6},
        {"6 from bottom", 0, 6, 1, 2, true, 100, 56, 0, 0},
        {"crop 10 from left", 10, 0, 0, 1, false, 90, 50, -10, 0},
        {"crop 9 centered", 9, 4, 1, 1, false, 91, 46, -4, -2},
        {"crop 10 from bottom", 0, 10, 1, 2, false, 100, 40, 0, 0},
    };
    for (const BordersCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const CanvasChange change = BordersOrCrop(100, 50, c.Horizontal, c.Vertical, c.HorizontalOrientation,
                                                  c.VerticalOrientation, c.AddBorders, UnitPixels);
        EXPECT_EQ(change.Width, c.Width);
        EXPECT_EQ(change.Height, c.Height);
        int64_t left = 0, top = 0;
        CanvasOffset(100, 50, change.Width, change.Height, change.Anchor, left, top);
        EXPECT_EQ(left, c.Left);
        EXPECT_EQ(top, c.Top);
    }
    try {
        BordersOrCrop(100, 50, 150, 0, 1, 1, false, UnitPixels);
        ADD_FAILURE() << "crop of 150 accepted";
    } catch (const CTextException& e) {
        EXPECT_EQ(e.GetText(), "Can't crop image.");
    }
    // Cropping to exactly nothing passes here and is refused by the canvas.
    EXPECT_EQ(BordersOrCrop(100, 50, 100, 0, 1, 1, false, UnitPixels).Width, 0);
}

TEST(ResizeCanvasTest, UnitsRoundTripKeepsEveryWidth)
{
    // As a dialog shows a size (4 decimals) and reads it back on OK.
    for (int unit : {UnitPixels, UnitInches, UnitMillimetres, UnitCentimetres}) {
        for (int width = 1; width <= 5000; ++width) {
            const double shown = std::round(PixelsToUnit(width, unit) * 1e4) / 1e4;
            ASSERT_EQ(UnitToPixels(shown, unit), width) << UnitName(unit);
        }
    }
}

} // namespace
