#include "view/PrintLayout.h"

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const PrintRect& r, std::ostream* os)
{
    *os << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}

namespace {

PrintSetup NoCaptions()
{
    PrintSetup s;
    s.CaptionName = s.CaptionDimensions = s.CaptionPath = s.CaptionFileSize = false;
    return s;
}

TEST(PrintLayoutTest, ThumbnailGrid)
{
    struct Case {
        const char* Name;
        bool Captions;
        int ThumbWidth, ThumbHeight;
        size_t Files;
        double PageWidth, PageHeight;
        int Columns, Rows, Pages;
    } cases[] = {
        // 110 x 110 cells on 8 x 10 inches: 7 x 9 = 63 cells, one page.
        {"25 of 100x100", false, 100, 100, 25, 800, 1000, 7, 9, 1},
        // Name and dimensions (15 units each): cells 200 x 280, 4 x 3 a page.
        {"23 of 190x240", true, 190, 240, 23, 800, 1000, 4, 3, 2},
        // A thumbnail larger than the page still gets one cell.
        {"too large", false, 2000, 2000, 3, 800, 1000, 1, 1, 3},
        {"none", false, 100, 100, 0, 800, 1000, 7, 9, 0},
    };
    for (const Case& c : cases) {
        PrintSetup setup = c.Captions ? PrintSetup() : NoCaptions();
        setup.ThumbnailWidth = c.ThumbWidth;
        setup.ThumbnailHeight = c.ThumbHeight;
        const CPrintLayout layout(setup, true, c.Files, c.PageWidth, c.PageHeight, 15);
        EXPECT_EQ(layout.Columns(), c.Columns) << c.Name;
        EXPECT_EQ(layout.Rows(), c.Rows) << c.Name;
        EXPECT_EQ(layout.PageCount(), c.Pages) << c.Name;
    }
}

TEST(PrintLayoutTest, ThumbnailPagesAndCells)
{
    PrintSetup setup;  // name and dimensions on, captions on top, block centred
    setup.ThumbnailWidth = 190;
    setup.ThumbnailHeight = 240;
    const CPrintLayout layout(setup, true, 23, 800, 1000, 15);
    EXPECT_EQ(layout.FirstImage(0), 0u);
    EXPECT_EQ(layout.ImagesOnPage(0), 12u);
    EXPECT_EQ(layout.FirstImage(1), 12u);
    EXPECT_EQ(layout.ImagesOnPage(1), 11u);
    // The 800 x 840 block centred on the 800 x 1000 page.
    EXPECT_EQ(layout.Block(), (PrintRect{0, 80, 800, 920}));
    // Sixth image: second row, second column; two caption lines above the picture.
    const ThumbnailCell cell = layout.Cell(5);
    EXPECT_EQ(cell.Cell, (PrintRect{200, 360, 400, 640}));
    EXPECT_EQ(cell.NameLine, (PrintRect{205, 360, 395, 375}));
    EXPECT_EQ(cell.DimensionsLine, (PrintRect{205, 375, 395, 390}));
    EXPECT_EQ(cell.PictureBox, (PrintRect{205, 395, 395, 635}));
    // A landscape picture fitted into its box and centred.
    EXPECT_EQ(FitPicture(cell.PictureBox, 380, 190), (PrintRect{205, 467.5, 395, 562.5}));

    // Captions below, block at the top left.
    setup.CaptionAt = kCaptionBottom;
    setup.CaptionDimensions = false;
    setup.HorizontalPosition = 0;
    setup.VerticalPosition = 0;
    const CPrintLayout below(setup, true, 23, 850, 1000, 15);
    const ThumbnailCell first = below.Cell(0);
    EXPECT_EQ(first.Cell, (PrintRect{0, 0, 200, 265}));
    EXPECT_EQ(first.PictureBox, (PrintRect{5, 5, 195, 245}));
    EXPECT_EQ(first.NameLine, (PrintRect{5, 250, 195, 265}));
    EXPECT_EQ(first.DimensionsLine.Height(), 0);
}

TEST(PrintLayoutTest, OneImagePerPage)
{
    struct Case {
        const char* Name;
        int Size;
        int Width, Height;
        PrintRect Image;
        bool Larger;
    } cases[] = {
        // Letter, 8.5 x 11 inches, no margins, no caption.
        {"fit keeps the aspect, centred", kPrintSizeFit, 3000, 2000, {0, 267, 850, 833}, false},
        {"fit enlarges a small one", kPrintSizeFit, 30, 20, {0, 267, 850, 833}, false},
        {"300x200 default is 3 x 2 inches", kPrintSizeDefault, 300, 200, {275, 450, 575, 650}, false},
        {"larger than the paper", kPrintSizeDefault, 1000, 200, {-75, 450, 925, 650}, true},
        {"custom", kPrintSizeCustom, 300, 200, {225, 475, 625, 625}, false},
    };
    for (const Case& c : cases) {
        PrintSetup setup = NoCaptions();
        setup.Size = c.Size;
        setup.CustomWidth = 400;
        setup.CustomHeight = 150;
        const CPrintLayout layout(setup, false, 2, 850, 1100, 15);
        EXPECT_EQ(layout.PageCount(), 2) << c.Name;
        const PlacedImage placed = layout.PlaceImage(c.Width, c.Height);
        EXPECT_EQ(placed.Image, c.Image) << c.Name;
        EXPECT_EQ(placed.LargerThanPaper, c.Larger) << c.Name;
    }
}

TEST(PrintLayoutTest, PlacementAndCaption)
{
    PrintSetup setup;  // name and dimensions: one caption line
    setup.HorizontalPosition = 2;
    setup.VerticalPosition = 0;
    CPrintLayout layout(setup, false, 1, 850, 1100, 20);
    PlacedImage placed = layout.PlaceImage(300, 200);
    EXPECT_EQ(placed.Caption, (PrintRect{0, 0, 850, 20}));
    EXPECT_EQ(placed.Image, (PrintRect{550, 20, 850, 220}));

    setup.CaptionAt = kCaptionBottom;
    setup.HorizontalPosition = 0;
    setup.VerticalPosition = 2;
    placed = CPrintLayout(setup, false, 1, 850, 1100, 20).PlaceImage(300, 200);
    EXPECT_EQ(placed.Caption, (PrintRect{0, 1080, 850, 1100}));
    EXPECT_EQ(placed.Image, (PrintRect{0, 880, 300, 1080}));

    // Fit to page fits into what the caption leaves.
    setup.Size = kPrintSizeFit;
    placed = CPrintLayout(setup, false, 1, 850, 1100, 20).PlaceImage(100, 1000);
    EXPECT_EQ(placed.Image, (PrintRect{0, 0, 108, 1080}));

    EXPECT_EQ(AlignText(100, {0, 0, 500, 10}, kCaptionCentre), 200);
    EXPECT_EQ(AlignText(100, {0, 0, 500, 10}, kCaptionLeft), 0);
    EXPECT_EQ(AlignText(100, {0, 0, 500, 10}, kCaptionRight), 400);
    EXPECT_EQ(AlignText(600, {0, 0, 500, 10}, kCaptionRight), 0);  // too wide: from the left
}

TEST(PrintLayoutTest, MarginsWithoutRoomAreDroppedForTheJobOnly)
{
    PrintSetup setup = NoCaptions();
    setup.MarginLeft = setup.MarginRight = 100;
    setup.MarginTop = 50;
    setup.MarginBottom = 960;
    // 2.5 inches wide: the left inch leaves 1.5, the right one would leave 0.5.
    const CPrintLayout layout(setup, false, 1, 250, 1100, 15);
    EXPECT_EQ(layout.Margins(), (std::array<int, 4>{100, 50, 0, 0}));
    EXPECT_EQ(layout.Printable(), (PrintRect{100, 50, 250, 1100}));
    EXPECT_EQ(setup.MarginRight, 100);
    // Exactly an inch left is room enough.
    const CPrintLayout wide(setup, false, 1, 300, 1110, 15);
    EXPECT_EQ(wide.Margins(), (std::array<int, 4>{100, 50, 100, 960}));
}

TEST(PrintLayoutTest, LengthsConvertStraightToPrintUnits)
{
    struct Case {
        double Value;
        int Unit;
        int64_t Units;
        const char* Shown;
    } cases[] = {
        {1, 1, 100, "1"},           // an inch prints as an inch
        {2.5, 1, 250, "2.5000"},
        {25.4, 2, 100, "25.4000"},  // mm
        {2.54, 3, 100, "2.5400"},   // cm
        {300, 0, 300, "300"},       // pixels are print units
        {0.004, 1, 0, "0"},
        {-1, 1, -100, "-1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LengthToPrintUnits(c.Value, c.Unit), c.Units) << c.Value << " in unit " << c.Unit;
        EXPECT_EQ(PrintLengthText(c.Units, c.Unit), c.Shown) << c.Units << " in unit " << c.Unit;
    }
    // Whatever is shown comes back as the units it was made from.
    for (int unit = 0; unit < 4; ++unit)
        for (int64_t units : {1, 7, 99, 100, 333, 12345})
            EXPECT_EQ(LengthToPrintUnits(std::stod(PrintLengthText(units, unit)), unit), units);
}

TEST(PrintLayoutTest, SettingsOutsideTheirLimitsReadAsDefaults)
{
    CSettings settings;
    settings.PrintVerticalPosition = 7;
    settings.PrintCaptionAlignment = -1;
    settings.PrintMarginLeft = -20;
    settings.PrintMarginTop = 40;
    settings.PrintThumbnailWidth = 0;
    settings.PrintThumbnailHeight = 250;
    settings.PrintCustomWidth = 300;  // with a height of 0: no custom size
    settings.PrintThumbnailSource = 5;
    const PrintSetup setup = ReadPrintSetup(settings);
    EXPECT_EQ(setup.VerticalPosition, 1);
    EXPECT_EQ(setup.Alignment, 0);
    EXPECT_EQ(setup.MarginLeft, 0);
    EXPECT_EQ(setup.MarginTop, 40);
    EXPECT_EQ(setup.ThumbnailWidth, 100);
    EXPECT_EQ(setup.ThumbnailHeight, 250);
    EXPECT_EQ(setup.CustomWidth, 0);
    EXPECT_EQ(setup.CustomHeight, 0);
    EXPECT_EQ(setup.ThumbnailSource, 1);

    CSettings written;
    StorePrintSetup(setup, written);
    EXPECT_EQ(written.PrintMarginTop, 40);
    EXPECT_EQ(written.PrintThumbnailHeight, 250);
}

TEST(PrintLayoutTest, CaptionTexts)
{
    const PrintFile file{"/photos/trip/beach.jpg", 1536};
    struct Case {
        bool Path, Name, Dimensions, Size;
        int LengthUnit, SizeUnit;
        const char* Text;
    } cases[] = {
        {false, true, true, false, 0, 0, "beach.jpg, 300x200"},
        {true, true, true, true, 1, 1, "/photos/trip/beach.jpg, 3.13x2.08 inches, 1.500 KB"},
        {true, false, false, false, 0, 0, "/photos/trip"},
        {false, false, true, true, 2, 0, "79.38x52.92 mm, 1536 bytes"},
        {false, false, true, false, 3, 0, "7.94x5.29 cm"},
        {false, false, false, false, 0, 0, ""},
    };
    for (const Case& c : cases) {
        PrintSetup setup;
        setup.CaptionPath = c.Path;
        setup.CaptionName = c.Name;
        setup.CaptionDimensions = c.Dimensions;
        setup.CaptionFileSize = c.Size;
        setup.LengthUnit = c.LengthUnit;
        setup.SizeUnit = c.SizeUnit;
        EXPECT_EQ(PrintCaptionText(setup, file, 300, 200), c.Text);
    }
    EXPECT_EQ(PrintDimensionsText(640, 480, 0), "640x480");
}

TEST(PrintLayoutTest, FilesOfAJob)
{
    PrintCandidates from;
    from.Current = {"/f/c.png", 1};
    from.Selected = {{"/f/a.png", 2}, {"/f/b.png", 3}};
    from.Listed = {{"/f/a.png", 2}, {"/f/b.png", 3}, {"/f/c.png", 1}};
    auto paths = [](const std::vector<PrintFile>& files) {
        std::string text;
        for (const PrintFile& f : files)
            text += f.Path + " ";
        return text;
    };
    PrintSetup setup;
    EXPECT_EQ(paths(PrintFiles(kPrintCurrent, setup, from)), "/f/c.png ");
    EXPECT_EQ(paths(PrintFiles(kPrintSelected, setup, from)), "/f/a.png /f/b.png ");
    EXPECT_EQ(paths(PrintFiles(kPrintIndex, setup, from)), "/f/a.png /f/b.png ");
    setup.ThumbnailSource = 0;
    EXPECT_EQ(paths(PrintFiles(kPrintIndex, setup, from)), "/f/a.png /f/b.png /f/c.png ");
    // The size "Thumbnails" makes any print an index.
    setup.Size = kPrintSizeThumbnails;
    EXPECT_EQ(paths(PrintFiles(kPrintCurrent, setup, from)), "/f/a.png /f/b.png /f/c.png ");
}

} // namespace
