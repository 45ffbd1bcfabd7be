// Where the image view shows an image: fit rule, zoom, placement, panning and
// the visible part. Plain arithmetic, shared by the view and its tests.
#pragma once

struct ViewRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const ViewRect&) const = default;
};

enum Placement { kPlaceUpperLeft = 0, kPlaceUpperRight = 1, kPlaceCentre = 2 };

// Fits W x H into bw x bh keeping the ratio (single precision, truncated).
// Empty sizes on either side give 0 x 0.
void FitSize(int imageWidth, int imageHeight, int boxWidth, int boxHeight, int& fitWidth, int& fitHeight);

// The zoom after turning the wheel by notches (> 0 larger) from current: a
// quarter more or less per notch, stopping on the way at 100 % and at fit,
// never above 16 times nor below the smaller of a quarter and fit.
double WheelZoomFactor(double current, double fitFactor, int notches);

class CViewGeometry {
public:
    void SetWindowSize(int width, int height);  // and re-place when an image is set
    int WindowWidth() const { return m_WindowWidth; }
    int WindowHeight() const { return m_WindowHeight; }

    // A new image (or one whose size changed): display size by the fit rule
    // (limitEnlarge: at most ten times the image size), then placement.
    // Loaded before the window has a size, the fit runs again once it has one.
    void SetImage(int width, int height, int placement, bool shrinkToFit, bool enlargeToFit, bool limitEnlarge = true);
    // A new image shown at a size its caller chose (the slide show's). With
    // corner it sits at the upper left corner whatever its size; otherwise
    // by the centre placement.
    void SetImageDisplay(int width, int height, int displayWidth, int displayHeight, bool corner);
    void Clear() { m_HasImage = false; m_Dragging = false; m_FitPending = false; }
    bool HasImage() const { return m_HasImage; }
    void SetPlacement(int placement);
    int PlacementValue() const { return m_Placement; }
    bool ShrinkToFit() const { return m_Shrink; }
    bool EnlargeToFit() const { return m_Enlarge; }
    int ImageWidth() const { return m_ImageWidth; }
    int ImageHeight() const { return m_ImageHeight; }

    // Zoom keeping the centre point.
    void SetZoom(double factor);
    // The factor last applied: the zoom asked for, or the fitted size over the
    // image size along its longer side. Read back from the display width it
    // would stick below 4 pixels and jump for slivers clamped to 1 pixel.
    double ZoomFactor() const { return m_HasImage ? m_Factor : 0.0; }
    // "&More" / "&Less": false when nothing happens.
    bool More();
    bool Less();
    void BestFit();
    // The factor BestFit would apply (0 without an image or a window).
    double FitFactor() const;

    // Panning; the movement since the last position.
    void BeginDrag(int x, int y);
    bool DragTo(int x, int y);  // true when the view moved
    void EndDrag();
    bool Dragging() const { return m_Dragging; }

    // Zoom keeping the image point under (x, y) there, as far as the edges allow.
    void ZoomAbout(double factor, int x, int y);
    // Scrolls a display larger than the window: the window's corner moves
    // by dx, dy over the display (or to x, y in display pixels); the edges
    // stop at the window edges as in a drag. True when the view moved.
    bool PanBy(int dx, int dy);
    bool ScrollTo(int x, int y);
    // A new window size that keeps the part shown (scroll bars coming or
    // going), where SetWindowSize places the image afresh.
    void SetWindowSizeKeepingView(int width, int height);

    bool Scrollable() const { return m_Scrollable; }
    const ViewRect& Display() const { return m_Display; }
    // Part of the image visible (image pixels) and where it lands in the window.
    const ViewRect& Source() const { return m_Source; }
    const ViewRect& Destination() const { return m_Destination; }
    // Same source range in display pixels (for a scaled copy at display size).
    const ViewRect& DisplaySource() const { return m_DisplaySource; }

private:
    void FitDisplaySize();
    void SetDisplaySize(long long width, long long height);
    void ApplyZoom(long long width, long long height);
    void Place();
    void UpdateVisible();
    void MoveTo(int left, int top);

    bool m_HasImage = false;
    int m_WindowWidth = 0, m_WindowHeight = 0;
    int m_ImageWidth = 0, m_ImageHeight = 0;
    int m_Placement = kPlaceUpperLeft;
    bool m_Shrink = true, m_Enlarge = false;
    bool m_LimitEnlarge = true;
    bool m_Corner = false;  // pinned to the upper left corner, even when smaller
    // The image arrived while the window had no area; fit when it gets one.
    bool m_FitPending = false;
    double m_Factor = 1.0;
    bool m_Scrollable = false;
    bool m_Dragging = false;
    int m_LastX = 0, m_LastY = 0;
    ViewRect m_Display, m_Source, m_Destination, m_DisplaySource;
};
