#include "ops/EditBmp.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A 32-bit image whose pixels encode their position and a generation mark.
void Fill(CBmp& bmp, int width, int height, uint8_t mark)
{
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = PackPixel(uint8_t(x), uint8_t(y), mark);
}

bool HasMark(const CBmp& bmp, uint8_t mark)
{
    for (int y = 0; y < bmp.Height; ++y)
        for (int x = 0; x < bmp.Width; ++x)
            if (bmp.Row32(y)[x] != PackPixel(uint8_t(x), uint8_t(y), mark))
                return false;
    return true;
}

// What an operation does: save, change, finish.
void Operate(CEditBmp& image, uint8_t mark)
{
    image.saveUndo();
    Fill(image, image.Width, image.Height, mark);
    image.finish();
}

void RotateSize(CEditBmp& image, uint8_t mark)
{
    image.saveUndo();
    Fill(image, image.Height, image.Width, mark);
    image.finish();
}

TEST(EditBmpTest, UndoIsOfferedOnlyAfterAnOperation)
{
    CEditBmp image;
    Fill(image, 4, 3, 1);
    EXPECT_FALSE(image.undoAvailable);
    EXPECT_FALSE(image.modified);
    EXPECT_FALSE(image.undo());  // nothing saved: the image stays
    EXPECT_TRUE(HasMark(image, 1));

    Operate(image, 2);
    EXPECT_TRUE(image.undoAvailable);
    EXPECT_TRUE(image.modified);

    EXPECT_FALSE(image.undo());
    EXPECT_TRUE(HasMark(image, 1));
    EXPECT_FALSE(image.undoAvailable);
    EXPECT_TRUE(image.modified);  // undo does not make the image unmodified

    EXPECT_FALSE(image.undo());  // no second level, no redo
    EXPECT_TRUE(HasMark(image, 1));
}

TEST(EditBmpTest, UndoRestoresTheStateBeforeTheLastOperation)
{
    CEditBmp image;
    Fill(image, 5, 5, 1);
    Operate(image, 2);
    Operate(image, 3);
    image.undo();
    EXPECT_TRUE(HasMark(image, 2));
    EXPECT_TRUE(HasMark(image.UndoCopy(), 2));  // the copy stays
}

TEST(EditBmpTest, UndoOfASizeChangeReportsIt)
{
    CEditBmp image;
    Fill(image, 6, 2, 1);
    RotateSize(image, 2);
    EXPECT_EQ(image.UndoCopy().Width, 6);  // the old size, as operations expect
    EXPECT_EQ(image.Width, 2);
    EXPECT_TRUE(image.undo());
    EXPECT_EQ(image.Width, 6);
    EXPECT_EQ(image.Height, 2);
    EXPECT_TRUE(HasMark(image, 1));

    Operate(image, 3);
    EXPECT_FALSE(image.undo());
}

TEST(EditBmpTest, UndoCopyKeepsDepthPaletteAndAlpha)
{
    CEditBmp image;
    image.Create(3, 2, 8, false);
    PaletteEntry palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = PaletteEntry{uint8_t(255 - i), uint8_t(i), 7, 255};
    image.SetPalette(palette);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.Lines[y][x] = uint8_t(10 * y + x);

    image.saveUndo();
    EXPECT_EQ(image.UndoCopy().BitsPerPixel, 8);
    EXPECT_EQ(image.UndoCopy().Palette[5].Blue, 250);

    // An operation that changes the depth: Undo brings the 8-bit image back.
    image.CopyFrom(image, 32);
    image.HasAlpha = true;
    image.finish();
    EXPECT_FALSE(image.undo());
    EXPECT_EQ(image.BitsPerPixel, 8);
    EXPECT_FALSE(image.HasAlpha);
    EXPECT_EQ(image.Palette[5].Blue, 250);
    EXPECT_EQ(image.Lines[1][2], 12);
}

TEST(EditBmpTest, SameSizeUndoRestoresAlphaFlag)
{
    CEditBmp image;
    Fill(image, 2, 2, 1);
    image.HasAlpha = true;
    image.saveUndo();
    image.HasAlpha = false;
    image.finish();
    image.undo();
    EXPECT_TRUE(image.HasAlpha);
}

TEST(EditBmpTest, AnOperationThatFailsHalfwayCanBeUndone)
{
    CEditBmp image;
    Fill(image, 4, 4, 1);
    try {
        image.saveUndo();
        image.Row32(0)[0] = 0;
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(image.undoAvailable);
    image.undo();
    EXPECT_TRUE(HasMark(image, 1));
}

} // namespace
