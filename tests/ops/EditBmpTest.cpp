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
void Operate(CEditBmp& doc, uint8_t mark)
{
    doc.saveUndo();
    Fill(doc.image(), doc.image().Width, doc.image().Height, mark);
    doc.finish();
}

// An operation that makes a new image of another size.
void RotateSize(CEditBmp& doc, uint8_t mark)
{
    Fill(doc.result(), doc.image().Height, doc.image().Width, mark);
    doc.commit();
}

TEST(EditBmpTest, UndoIsOfferedOnlyAfterAnOperation)
{
    CEditBmp doc;
    Fill(doc.image(), 4, 3, 1);
    EXPECT_FALSE(doc.undoAvailable());
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(doc.undo());  // nothing saved: the image stays
    EXPECT_TRUE(HasMark(doc.image(), 1));

    Operate(doc, 2);
    EXPECT_TRUE(doc.undoAvailable());
    EXPECT_TRUE(doc.modified());

    EXPECT_FALSE(doc.undo());
    EXPECT_TRUE(HasMark(doc.image(), 1));
    EXPECT_FALSE(doc.undoAvailable());
    EXPECT_TRUE(doc.modified());  // undo does not make the image unmodified

    EXPECT_FALSE(doc.undo());  // no second level, no redo
    EXPECT_TRUE(HasMark(doc.image(), 1));
}

TEST(EditBmpTest, UndoRestoresTheStateBeforeTheLastOperation)
{
    CEditBmp doc;
    Fill(doc.image(), 5, 5, 1);
    Operate(doc, 2);
    Operate(doc, 3);
    doc.undo();
    EXPECT_TRUE(HasMark(doc.image(), 2));
    EXPECT_FALSE(doc.undoAvailable());
}

TEST(EditBmpTest, UndoOfASizeChangeReportsIt)
{
    CEditBmp doc;
    Fill(doc.image(), 6, 2, 1);
    RotateSize(doc, 2);
    EXPECT_EQ(doc.undoCopy().Width, 6);  // the old size, as operations expect
    EXPECT_EQ(doc.image().Width, 2);
    EXPECT_TRUE(doc.undo());
    EXPECT_EQ(doc.image().Width, 6);
    EXPECT_EQ(doc.image().Height, 2);
    EXPECT_TRUE(HasMark(doc.image(), 1));

    Operate(doc, 3);
    EXPECT_FALSE(doc.undo());
}

TEST(EditBmpTest, UndoCopyKeepsDepthPaletteAndAlpha)
{
    CEditBmp doc;
    doc.image().Create(3, 2, 8, false);
    PaletteEntry palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = PaletteEntry{uint8_t(255 - i), uint8_t(i), 7, 255};
    doc.image().SetPalette(palette);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            doc.image().Lines[y][x] = uint8_t(10 * y + x);

    doc.saveUndo();
    EXPECT_EQ(doc.undoCopy().BitsPerPixel, 8);
    EXPECT_EQ(doc.undoCopy().Palette[5].Blue, 250);

    // An operation that changes the depth: Undo brings the 8-bit image back.
    doc.image().CopyFrom(doc.image(), 32);
    doc.image().HasAlpha = true;
    doc.finish();
    EXPECT_FALSE(doc.undo());
    EXPECT_EQ(doc.image().BitsPerPixel, 8);
    EXPECT_FALSE(doc.image().HasAlpha);
    EXPECT_EQ(doc.image().Palette[5].Blue, 250);
    EXPECT_EQ(doc.image().Lines[1][2], 12);
}

TEST(EditBmpTest, SameSizeUndoRestoresAlphaFlag)
{
    CEditBmp doc;
    Fill(doc.image(), 2, 2, 1);
    doc.image().HasAlpha = true;
    doc.saveUndo();
    doc.image().HasAlpha = false;
    doc.finish();
    doc.undo();
    EXPECT_TRUE(doc.image().HasAlpha);
}

TEST(EditBmpTest, AnOperationThatFailsHalfwayCanBeUndone)
{
    CEditBmp doc;
    Fill(doc.image(), 4, 4, 1);
    try {
        doc.saveUndo();
        doc.image().Row32(0)[0] = 0;
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(doc.undoAvailable());
    doc.undo();
    EXPECT_TRUE(HasMark(doc.image(), 1));
}

TEST(EditBmpTest, ACommittedResultBecomesTheImageAndTheResultBufferIsReused)
{
    CEditBmp doc;
    Fill(doc.image(), 4, 2, 1);
    RotateSize(doc, 2);
    const CWinBmp* spare = &doc.result();  // the image before the last one
    EXPECT_TRUE(HasMark(doc.undoCopy(), 1));
    RotateSize(doc, 3);
    EXPECT_EQ(&doc.image(), spare);
    EXPECT_TRUE(HasMark(doc.image(), 3));
    EXPECT_TRUE(HasMark(doc.undoCopy(), 2));

    // An operation that fails before it commits changes nothing.
    Fill(doc.result(), 9, 9, 4);
    EXPECT_TRUE(HasMark(doc.image(), 3));
    EXPECT_TRUE(doc.undo());
    EXPECT_TRUE(HasMark(doc.image(), 2));
}

TEST(EditBmpTest, ANewImageForgetsTheUndoCopyAndTakesItsPath)
{
    CEditBmp doc;
    Fill(doc.image(), 2, 2, 1);
    Operate(doc, 2);
    auto loaded = std::make_unique<CWinBmp>();
    Fill(*loaded, 3, 3, 5);
    doc.reset(std::move(loaded), "/pictures/a.png", false);
    EXPECT_EQ(doc.path(), "/pictures/a.png");
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(doc.undo());
    EXPECT_TRUE(HasMark(doc.image(), 5));
}

} // namespace
