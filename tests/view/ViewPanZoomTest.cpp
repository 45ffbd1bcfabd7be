// Zooming about the pointer, panning by keys and scroll bars, and the view
// area that scroll bars take away.
#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

namespace {

// A 1000 x 800 image at its own size in a 400 x 300 window, upper left.
CViewGeometry Large()
{
    CViewGeometry g;
    g.SetWindowSize(400, 300);
    g.SetImage(1000, 800, kPlaceUpperLeft, false, false);
    return g;
}

// The image pixel under a window point.
double ImageX(const CViewGeometry& g, int x)
{
    return double(x - g.Display().Left) * g.ImageWidth() / g.Display().Width();
}
double ImageY(const CViewGeometry& g, int y)
{
    return double(y - g.Display().Top) * g.ImageHeight() / g.Display().Height();
}

TEST(ViewPanZoomTest, ZoomAboutKeepsThePointUnderThePointer)
{
    struct Case {
        double Factor;
        int X, Y;
    };
    const Case cases[] = {{2.0, 100, 50}, {1.25, 390, 290}, {3.0, 0, 0}, {0.6, 200, 150}};
    for (const Case& c : cases) {
        CViewGeometry g = Large();
        g.PanBy(150, 100);  // somewhere inside, not at an edge
        const double x = ImageX(g, c.X), y = ImageY(g, c.Y);
        g.ZoomAbout(c.Factor, c.X, c.Y);
        EXPECT_EQ(g.ZoomFactor(), c.Factor);
        EXPECT_EQ(g.Display().Width(), int(1000 * c.Factor));
        EXPECT_NEAR(ImageX(g, c.X), x, 1.0 / c.Factor) << c.Factor << " at " << c.X;
        EXPECT_NEAR(ImageY(g, c.Y), y, 1.0 / c.Factor) << c.Factor << " at " << c.Y;
    }
}

TEST(ViewPanZoomTest, ZoomAboutLeavesNoGapAtTheEdges)
{
    CViewGeometry g = Large();
    // Zooming out with the pointer at the left edge would pull the right edge
    // inside the window: it stops at the window edge.
    g.PanBy(600, 0);
    g.ZoomAbout(0.5, 0, 0);
    EXPECT_EQ(g.Display().Right, 400);
    EXPECT_EQ(g.Display().Width(), 500);
    // Smaller than the window: centred, as every small image is.
    g.ZoomAbout(0.25, 10, 10);
    EXPECT_EQ(g.Display().Left, (400 - 250) / 2);
    EXPECT_EQ(g.Display().Top, (300 - 200) / 2);
    EXPECT_FALSE(g.Scrollable());
}

TEST(ViewPanZoomTest, PanningStopsAtTheEdges)
{
    struct Case {
        int Dx, Dy, Left, Top;
        bool Moved;
    };
    const Case cases[] = {
        {40, 30, -40, -30, true}, {10000, 10000, -600, -500, true}, {-10, 0, 0, 0, false}, {0, -5, 0, 0, false}};
    for (const Case& c : cases) {
        CViewGeometry g = Large();
        EXPECT_EQ(g.PanBy(c.Dx, c.Dy), c.Moved) << c.Dx << "," << c.Dy;
        EXPECT_EQ(g.Display().Left, c.Left);
        EXPECT_EQ(g.Display().Top, c.Top);
        EXPECT_EQ(g.Source().Left, -c.Left);
    }
    CViewGeometry g = Large();
    EXPECT_TRUE(g.ScrollTo(600, 500));
    EXPECT_EQ(g.Display(), (ViewRect{-600, -500, 400, 300}));
}

TEST(ViewPanZoomTest, AnImageThatFitsDoesNotPan)
{
    CViewGeometry g;
    g.SetWindowSize(400, 300);
    g.SetImage(100, 50, kPlaceUpperLeft, false, false);
    EXPECT_FALSE(g.PanBy(10, 10));
    EXPECT_FALSE(g.ScrollTo(10, 10));
    EXPECT_EQ(g.Display().Left, 150);
    // Wider only: the other axis stays centred.
    g.SetImage(1000, 50, kPlaceUpperLeft, false, false);
    EXPECT_TRUE(g.PanBy(20, 20));
    EXPECT_EQ(g.Display().Left, -20);
    EXPECT_EQ(g.Display().Top, 125);
}

TEST(ViewPanZoomTest, ANarrowerWindowKeepsThePartShown)
{
    CViewGeometry g = Large();
    g.PanBy(100, 100);
    g.SetWindowSizeKeepingView(385, 285);  // both scroll bars came
    EXPECT_EQ(g.Display().Left, -100);
    EXPECT_EQ(g.Display().Top, -100);
    g.PanBy(10000, 10000);
    EXPECT_EQ(g.Display().Right, 385);
    g.SetWindowSizeKeepingView(400, 300);  // and went: no gap at the far edges
    EXPECT_EQ(g.Display().Right, 400);
    EXPECT_EQ(g.Display().Bottom, 300);
}

TEST(ViewPanZoomTest, WheelZoomStepsAndStops)
{
    struct Case {
        double Current, Fit;
        int Notches;
        double Expected;
    };
    const Case cases[] = {
        {1.0, 0.3, 1, 1.25},   {1.0, 0.3, -1, 0.8},   {0.9, 0.3, 1, 1.0},    // stops at 100 %
        {0.35, 0.3, -1, 0.3},  {0.3, 0.3, -1, 0.25},  {0.25, 0.1, -1, 0.2},  // stops at fit
        {0.1, 0.1, -1, 0.1},   {0.25, 0.5, -1, 0.25}, {14.0, 0.3, 1, 16.0},  // the limits
        {16.0, 0.3, 1, 16.0},  {1.0, 0.3, 2, 1.5625}, {0.5, 0.0, -1, 0.4},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(WheelZoomFactor(c.Current, c.Fit, c.Notches), c.Expected)
            << c.Current << " fit " << c.Fit << " by " << c.Notches;
}

} // namespace
