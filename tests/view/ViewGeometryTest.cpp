#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

// Found by argument-dependent lookup, so it lives beside ViewRect.
inline void PrintTo(const ViewRect& r, std::ostream* os)
{
    *os << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}

namespace {

CViewGeometry Geometry(int windowWidth, int windowHeight, int imageWidth, int imageHeight, int placement, bool shrink,
                       bool enlarge)
{
    CViewGeometry g;
    g.SetWindowSize(windowWidth, windowHeight);
    g.SetImage(imageWidth, imageHeight, placement, shrink, enlarge);
    return g;
}

ViewRect Rect(int left, int top, int right, int bottom)
{
    return ViewRect{left, top, right, bottom};
}

TEST(ViewGeometryTest, FitKeepsTheRatioAndTruncates)
{
    struct Case {
        int W, H, BoxW, BoxH, FitW, FitH;
    } cases[] = {
        {100, 50, 400, 300, 400, 200},   // box taller than the image: full width
        {50, 100, 400, 300, 150, 300},   // box wider: full height
        {400, 300, 800, 600, 800, 600},  // same ratio: both full
        {3, 1, 100, 100, 100, 33},       // 33.33 truncated
        {1, 3, 100, 100, 33, 100},
        {1000, 1, 100, 100, 100, 0},     // a sliver truncates to nothing
        {0, 10, 100, 100, 0, 0},
        {10, 10, 0, 100, 0, 0},
    };
    for (const Case& c : cases) {
        int w = -1, h = -1;
        FitSize(c.W, c.H, c.BoxW, c.BoxH, w, h);
        EXPECT_EQ(w, c.FitW) << c.W << "x" << c.H << " in " << c.BoxW << "x" << c.BoxH;
        EXPECT_EQ(h, c.FitH) << c.W << "x" << c.H << " in " << c.BoxW << "x" << c.BoxH;
    }
}

TEST(ViewGeometryTest, DisplaySizeAtLoadFollowsTheFitOptions)
{
    struct Case {
        const char* Name;
        int W, H, Placement;
        bool Shrink, Enlarge;
        ViewRect Display;
        bool Scrollable;
    } cases[] = {
        // Window 400 x 300 throughout.
        {"small image enlarged, centred vertically", 100, 50, kPlaceCentre, true, true, Rect(0, 50, 400, 250), false},
        {"icon enlarged ten times at most", 10, 10, kPlaceCentre, true, true, Rect(150, 100, 250, 200), false},
        {"icon not enlarged", 10, 10, kPlaceUpperLeft, true, false, Rect(195, 145, 205, 155), false},
        {"large image shrunk", 1000, 500, kPlaceUpperLeft, true, false, Rect(0, 50, 400, 250), false},
        {"large image without shrink, upper-left", 1000, 500, kPlaceUpperLeft, false, true, Rect(0, 0, 1000, 500), true},
        {"no fit options: image size", 100, 50, kPlaceUpperLeft, false, false, Rect(150, 125, 250, 175), false},
        {"no fit options, large", 1000, 500, kPlaceUpperLeft, false, false, Rect(0, 0, 1000, 500), true},
        {"touches the window in one dimension", 400, 100, kPlaceCentre, true, true, Rect(0, 100, 400, 200), false},
        {"exactly the window", 400, 300, kPlaceUpperRight, true, true, Rect(0, 0, 400, 300), false},
        {"right part of a wide image", 1000, 200, kPlaceUpperRight, false, false, Rect(-600, 50, 400, 250), true},
        {"narrow image centred whatever the placement", 300, 200, kPlaceUpperRight, false, false, Rect(50, 50, 350, 250),
         false},
        {"tall image, upper-left: top row first", 300, 1000, kPlaceUpperLeft, false, false, Rect(50, 0, 350, 1000), true},
        {"tall image, upper-right: top row first", 300, 1000, kPlaceUpperRight, false, false, Rect(50, 0, 350, 1000),
         true},
        {"tall image centred", 300, 1000, kPlaceCentre, false, false, Rect(50, -350, 350, 650), true},
        {"wide image centred", 1001, 200, kPlaceCentre, false, false, Rect(-300, 50, 701, 250), true},
        {"sliver keeps one pixel", 4000, 1, kPlaceUpperLeft, true, false, Rect(0, 149, 400, 150), false},
        {"one-pixel image enlarged", 1, 1, kPlaceCentre, true, true, Rect(195, 145, 205, 155), false},
    };
    for (const Case& c : cases) {
        const CViewGeometry g = Geometry(400, 300, c.W, c.H, c.Placement, c.Shrink, c.Enlarge);
        EXPECT_EQ(g.Display(), c.Display) << c.Name;
        EXPECT_EQ(g.Scrollable(), c.Scrollable) << c.Name;
    }
}

TEST(ViewGeometryTest, EnlargeWithoutTheLimitFillsTheWindow)
{
    CViewGeometry g;
    g.SetWindowSize(400, 300);
    g.SetImage(10, 10, kPlaceCentre, true, true, false);
    EXPECT_EQ(g.Display(), Rect(50, 0, 350, 300));
}

TEST(ViewGeometryTest, ZoomMoreAndLessStepAndStopAtTheLimits)
{
    struct Case {
        const char* Name;
        double Start;
        bool More;
        bool Acts;
        double Result;
    } cases[] = {
        {"more at 100%", 1.0, true, true, 1.25},
        {"more at 975%", 9.75, true, true, 10.0},
        {"more at 1000% does nothing", 10.0, true, false, 10.0},
        {"more after 1600%", 16.0, true, true, 10.0},
        {"less at 100%", 1.0, false, true, 0.75},
        {"less at 50%", 0.5, false, true, 0.25},
        {"less at 25% does nothing", 0.25, false, false, 0.25},
        {"less below 25% goes to 25%", 0.1, false, true, 0.25},
    };
    for (const Case& c : cases) {
        CViewGeometry g = Geometry(400, 300, 100, 100, kPlaceCentre, false, false);
        g.SetZoom(c.Start);
        const bool acted = c.More ? g.More() : g.Less();
        EXPECT_EQ(acted, c.Acts) << c.Name;
        EXPECT_DOUBLE_EQ(g.ZoomFactor(), c.Result) << c.Name;
    }
}

TEST(ViewGeometryTest, ZoomStepsFromTheFactorApplied)
{
    // 333 x 1.25 = 416.25 is shown 416 wide; the next step is 1.5 (499).
    CViewGeometry g = Geometry(100, 100, 333, 333, kPlaceCentre, false, false);
    g.SetZoom(1.25);
    EXPECT_EQ(g.Display().Width(), 416);
    ASSERT_TRUE(g.More());
    EXPECT_EQ(g.Display().Width(), 499);

    // Three pixels wide: 3 x 1.25 still shows 3, but the next step shows 4.
    CViewGeometry narrow = Geometry(400, 300, 3, 3, kPlaceCentre, false, false);
    ASSERT_TRUE(narrow.More());
    EXPECT_EQ(narrow.Display().Width(), 3);
    ASSERT_TRUE(narrow.More());
    EXPECT_EQ(narrow.Display().Width(), 4);

    // A sliver fitted to 1 x 600 is at 0.6%, not at the 100% its one-pixel
    // width would suggest: More goes to 25.6%, not to 125%.
    CViewGeometry sliver = Geometry(800, 600, 1, 100000, kPlaceCentre, true, true);
    EXPECT_EQ(sliver.Display(), Rect(399, 0, 400, 600));
    EXPECT_NEAR(sliver.ZoomFactor(), 0.006, 1e-9);
    ASSERT_TRUE(sliver.More());
    EXPECT_EQ(sliver.Display().Height(), 25600);

    // Best Fit of the sliver fits it by its height.
    sliver.SetZoom(16.0);
    sliver.BestFit();
    EXPECT_EQ(sliver.Display(), Rect(399, 0, 400, 600));
    EXPECT_NEAR(sliver.ZoomFactor(), 0.006, 1e-6);
}

TEST(ViewGeometryTest, ZoomKeepsTheCentreAndStaysInsideTheWindow)
{
    CViewGeometry g = Geometry(400, 400, 1000, 1000, kPlaceUpperLeft, false, false);
    g.BeginDrag(500, 500);
    g.DragTo(200, 200);  // left and top -300
    g.EndDrag();
    ASSERT_EQ(g.Display(), Rect(-300, -300, 700, 700));

    g.SetZoom(0.5);  // -300 + (1000 - 500) / 2
    EXPECT_EQ(g.Display(), Rect(-50, -50, 450, 450));
    EXPECT_TRUE(g.Scrollable());

    g.SetZoom(2.0);  // -50 + (500 - 2000) / 2
    EXPECT_EQ(g.Display(), Rect(-800, -800, 1200, 1200));

    g.SetZoom(0.3);  // smaller than the window: centred
    EXPECT_EQ(g.Display(), Rect(50, 50, 350, 350));
    EXPECT_FALSE(g.Scrollable());

    g.SetZoom(0.6);  // 50 + (300 - 600) / 2 = -100
    EXPECT_EQ(g.Display(), Rect(-100, -100, 500, 500));
}

TEST(ViewGeometryTest, ZoomClampsEdgesThatWouldLeaveAGap)
{
    // Right part shown (left -600); halving would leave the right edge at 150.
    CViewGeometry g = Geometry(400, 300, 1000, 1000, kPlaceUpperRight, false, false);
    ASSERT_EQ(g.Display().Left, -600);
    g.SetZoom(0.5);
    EXPECT_EQ(g.Display().Left, -100);
    EXPECT_EQ(g.Display().Right, 400);
    EXPECT_EQ(g.Display().Top, 0);  // 0 + 250 would be positive

    CViewGeometry centred = Geometry(400, 300, 1000, 1000, kPlaceUpperLeft, false, false);
    centred.SetZoom(0.5);
    EXPECT_EQ(centred.Display(), Rect(0, 0, 500, 500));
}

TEST(ViewGeometryTest, InvalidZoomFactorsAreIgnored)
{
    CViewGeometry g = Geometry(400, 300, 100, 100, kPlaceCentre, false, false);
    const ViewRect before = g.Display();
    for (double f : {0.0, -1.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        g.SetZoom(f);
        EXPECT_EQ(g.Display(), before) << f;
    }
    CViewGeometry empty;
    empty.SetWindowSize(100, 100);
    EXPECT_FALSE(empty.More());
    EXPECT_FALSE(empty.Less());
    empty.BestFit();
    EXPECT_EQ(empty.ZoomFactor(), 0.0);
}

TEST(ViewGeometryTest, BestFitFitsWithoutTheTenTimesLimit)
{
    struct Case {
        int W, H, WindowW, WindowH;
        ViewRect Display;
    } cases[] = {
        {100, 50, 400, 300, Rect(0, 50, 400, 250)},
        {10, 10, 400, 300, Rect(50, 0, 350, 300)},
        {1000, 500, 400, 300, Rect(0, 50, 400, 250)},
        {7, 7, 100, 100, Rect(0, 0, 100, 100)},
        {3, 1, 100, 100, Rect(0, 33, 100, 66)},
    };
    for (const Case& c : cases) {
        CViewGeometry g = Geometry(c.WindowW, c.WindowH, c.W, c.H, kPlaceCentre, false, false);
        g.SetZoom(2.0);
        g.BestFit();
        EXPECT_EQ(g.Display(), c.Display) << c.W << "x" << c.H;
        EXPECT_FALSE(g.Scrollable());
    }
}

TEST(ViewGeometryTest, DraggingStopsAtTheImageEdges)
{
    struct Case {
        const char* Name;
        int StartLeft;  // reached by a first drag from 0
        int Dx;
        int Left;
    } cases[] = {
        {"further right than the left edge allows", -30, 50, 0},
        {"right within range", -300, 50, -250},
        {"already at the left edge", 0, 20, 0},
        {"left within range", 0, -100, -100},
        {"right edge stops at the window edge", -100, -700, -600},
        {"no movement", -100, 0, -100},
    };
    for (const Case& c : cases) {
        CViewGeometry g = Geometry(400, 300, 1000, 300, kPlaceUpperLeft, false, false);
        ASSERT_TRUE(g.Scrollable());
        g.BeginDrag(0, 0);
        g.DragTo(c.StartLeft, 0);
        g.DragTo(c.StartLeft + c.Dx, 0);
        g.EndDrag();
        EXPECT_EQ(g.Display().Left, c.Left) << c.Name;
        EXPECT_EQ(g.Display().Width(), 1000) << c.Name;
        EXPECT_EQ(g.Display().Top, 0) << c.Name;  // as tall as the window: never moves
    }
}

TEST(ViewGeometryTest, DraggingVerticallyFollowsTheSameRules)
{
    CViewGeometry g = Geometry(300, 400, 300, 1000, kPlaceUpperLeft, false, false);
    g.BeginDrag(10, 10);
    EXPECT_TRUE(g.DragTo(10, -90));
    EXPECT_EQ(g.Display().Top, -100);
    EXPECT_TRUE(g.DragTo(10, -1000));
    EXPECT_EQ(g.Display().Top, -600);
    EXPECT_TRUE(g.DragTo(10, 1000));
    EXPECT_EQ(g.Display().Top, 0);
    EXPECT_FALSE(g.DragTo(10, 1100));
    g.EndDrag();
    EXPECT_FALSE(g.DragTo(10, 0));
}

TEST(ViewGeometryTest, OnlyScrollableImagesCanBeDragged)
{
    CViewGeometry g = Geometry(400, 300, 100, 100, kPlaceCentre, true, false);
    g.BeginDrag(0, 0);
    EXPECT_FALSE(g.Dragging());
    EXPECT_FALSE(g.DragTo(-50, -50));
    EXPECT_EQ(g.Display(), Rect(150, 100, 250, 200));

    CViewGeometry cleared = Geometry(400, 300, 1000, 1000, kPlaceUpperLeft, false, false);
    cleared.Clear();
    cleared.BeginDrag(0, 0);
    EXPECT_FALSE(cleared.Dragging());
}

TEST(ViewGeometryTest, VisiblePartMapsWindowToImagePixels)
{
    struct Case {
        const char* Name;
        int W, H;
        double Zoom;
        int DragX, DragY;  // after the zoom
        ViewRect Source, Destination, DisplaySource;
    } cases[] = {
        {"actual size, scrolled", 1000, 1000, 1.0, -300, -100, Rect(300, 100, 700, 400), Rect(0, 0, 400, 300),
         Rect(300, 100, 700, 400)},
        {"doubled, scrolled", 1000, 1000, 2.0, -300, 0, Rect(400, 250, 600, 400), Rect(0, 0, 400, 300),
         Rect(800, 500, 1200, 800)},
        {"shrunk inside the window", 1000, 1000, 0.25, 0, 0, Rect(0, 0, 1000, 1000), Rect(75, 25, 325, 275),
         Rect(0, 0, 250, 250)},
        {"enlarged, truncated", 10, 10, 40.0, 0, 0, Rect(0, 1, 10, 8), Rect(0, 0, 400, 300), Rect(0, 50, 400, 350)},
        {"wide strip", 2000, 100, 1.0, -1600, 0, Rect(1600, 0, 2000, 100), Rect(0, 100, 400, 200),
         Rect(1600, 0, 2000, 100)},
    };
    for (const Case& c : cases) {
        CViewGeometry g = Geometry(400, 300, c.W, c.H, kPlaceUpperLeft, false, false);
        g.SetZoom(c.Zoom);
        g.BeginDrag(0, 0);
        g.DragTo(c.DragX, c.DragY);
        g.EndDrag();
        EXPECT_EQ(g.Source(), c.Source) << c.Name;
        EXPECT_EQ(g.Destination(), c.Destination) << c.Name;
        EXPECT_EQ(g.DisplaySource(), c.DisplaySource) << c.Name;
    }
}

TEST(ViewGeometryTest, SourceIsTruncatedToWholeImagePixels)
{
    // 10 x 10 at 3x in a 20 x 20 window, display left -5: display 5..25 is
    // image 1.67..8.33.
    CViewGeometry g = Geometry(20, 20, 10, 10, kPlaceUpperLeft, false, false);
    g.SetZoom(3.0);
    ASSERT_EQ(g.Display(), Rect(-5, -5, 25, 25));
    EXPECT_EQ(g.Source(), Rect(1, 1, 8, 8));
}

TEST(ViewGeometryTest, ResizeKeepsTheDisplaySizeAndPlacesAgain)
{
    CViewGeometry g = Geometry(400, 300, 1000, 500, kPlaceCentre, true, true);
    ASSERT_EQ(g.Display(), Rect(0, 50, 400, 250));
    g.SetWindowSize(800, 600);
    EXPECT_EQ(g.Display(), Rect(200, 200, 600, 400));
    EXPECT_EQ(g.Destination(), Rect(200, 200, 600, 400));
    g.SetWindowSize(200, 100);
    EXPECT_EQ(g.Display(), Rect(-100, -50, 300, 150));
    EXPECT_TRUE(g.Scrollable());
    EXPECT_EQ(g.Destination(), Rect(0, 0, 200, 100));
    EXPECT_EQ(g.Source(), Rect(250, 125, 750, 375));

    CViewGeometry right = Geometry(400, 300, 1000, 200, kPlaceUpperRight, false, false);
    right.SetWindowSize(500, 300);
    EXPECT_EQ(right.Display().Left, -500);
    right.SetPlacement(kPlaceUpperLeft);
    EXPECT_EQ(right.Display().Left, 0);
    right.SetPlacement(7);  // not a placement: ignored
    EXPECT_EQ(right.PlacementValue(), kPlaceUpperLeft);
}

TEST(ViewGeometryTest, ImageLoadedIntoAnEmptyWindowIsFittedWhenTheWindowGetsASize)
{
    CViewGeometry g;
    g.SetImage(100, 50, kPlaceCentre, true, true);
    EXPECT_EQ(g.Display().Width(), 100);
    g.SetWindowSize(0, 300);
    EXPECT_EQ(g.Display().Width(), 100);
    g.SetWindowSize(400, 300);
    EXPECT_EQ(g.Display(), Rect(0, 50, 400, 250));
    g.SetWindowSize(800, 600);  // fitted once: from now on the size stays
    EXPECT_EQ(g.Display().Width(), 400);

    CViewGeometry zoomed;
    zoomed.SetImage(100, 50, kPlaceCentre, true, true);
    zoomed.SetZoom(2.0);
    zoomed.SetWindowSize(400, 300);
    EXPECT_EQ(zoomed.Display().Width(), 200);
}

TEST(ViewGeometryTest, DegenerateSizesNeverDivideByZero)
{
    CViewGeometry g = Geometry(0, 0, 1, 1, kPlaceCentre, true, true);
    g.SetZoom(0.25);  // a pixel never shrinks to nothing
    EXPECT_EQ(g.Display().Width(), 1);
    EXPECT_EQ(g.Source(), Rect(0, 0, 0, 0));
    g.SetWindowSize(1, 1);
    EXPECT_EQ(g.Source(), Rect(0, 0, 1, 1));
    g.BestFit();
    EXPECT_EQ(g.Display(), Rect(0, 0, 1, 1));

    CViewGeometry huge = Geometry(100, 100, 60000, 60000, kPlaceCentre, false, false);
    huge.SetZoom(1e9);
    EXPECT_GT(huge.Display().Width(), 0);
    EXPECT_LE(huge.Source().Right, 60000);
}

} // namespace
