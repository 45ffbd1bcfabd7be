#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kMaxZoom = 10.0;
constexpr double kMinZoom = 0.25;
constexpr double kZoomStep = 0.25;
constexpr int kEnlargeLimit = 10;
// Large enough for any zoom of any image we can hold, small enough that the
// rectangle arithmetic never overflows an int.
constexpr long long kMaxDisplaySide = 1LL << 28;

bool ValidPlacement(int placement)
{
    return placement == kPlaceUpperLeft || placement == kPlaceUpperRight || placement == kPlaceCentre;
}

} // namespace

void FitSize(int imageWidth, int imageHeight, int boxWidth, int boxHeight, int& fitWidth, int& fitHeight)
{
    if (imageWidth <= 0 || imageHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) {
        fitWidth = 0;
        fitHeight = 0;
        return;
    }
    const float boxRatio = float(boxHeight) / float(boxWidth);
    const float imageRatio = float(imageHeight) / float(imageWidth);
    fitWidth = boxRatio >= imageRatio ? boxWidth : int(float(boxHeight) / imageRatio);
    fitHeight = boxRatio > imageRatio ? int(imageRatio * float(boxWidth)) : boxHeight;
}

void CViewGeometry::SetWindowSize(int width, int height)
{
    m_WindowWidth = std::max(width, 0);
    m_WindowHeight = std::max(height, 0);
    if (!m_HasImage)
        return;
    if (m_FitPending && m_WindowWidth > 0 && m_WindowHeight > 0)
        FitDisplaySize();
    Place();
    UpdateVisible();
}

void CViewGeometry::SetImage(int width, int height, int placement, bool shrinkToFit, bool enlargeToFit, bool limitEnlarge)
{
    m_ImageWidth = std::max(width, 1);
    m_ImageHeight = std::max(height, 1);
    if (ValidPlacement(placement))
        m_Placement = placement;
    m_Shrink = shrinkToFit;
    m_Enlarge = enlargeToFit;
    m_LimitEnlarge = limitEnlarge;
    m_Corner = false;
    m_HasImage = true;
    m_Dragging = false;
    FitDisplaySize();
    Place();
    UpdateVisible();
}

void CViewGeometry::SetImageDisplay(int width, int height, int displayWidth, int displayHeight, bool corner)
{
    m_ImageWidth = std::max(width, 1);
    m_ImageHeight = std::max(height, 1);
    m_Placement = kPlaceCentre;
    m_Shrink = m_Enlarge = false;
    m_Corner = corner;
    m_HasImage = true;
    m_Dragging = false;
    m_FitPending = false;
    SetDisplaySize(displayWidth, displayHeight);
    m_Factor = m_ImageWidth >= m_ImageHeight ? double(m_Display.Width()) / m_ImageWidth
                                             : double(m_Display.Height()) / m_ImageHeight;
    Place();
    UpdateVisible();
}

void CViewGeometry::FitDisplaySize()
{
    const int w = m_ImageWidth, h = m_ImageHeight;
    const int ww = m_WindowWidth, wh = m_WindowHeight;
    m_FitPending = false;
    long long displayWidth = w, displayHeight = h;
    if (ww <= 0 || wh <= 0) {
        // No area to fit into yet: show the image as it is until there is one.
        m_FitPending = m_Shrink || m_Enlarge;
    } else if (!m_Shrink && !m_Enlarge) {
        // Image size.
    } else if (w > ww || h > wh) {
        if (m_Shrink) {
            int fw, fh;
            FitSize(w, h, ww, wh, fw, fh);
            displayWidth = fw;
            displayHeight = fh;
        }
    } else if (w < ww && h < wh) {
        if (m_Enlarge) {
            int fw, fh;
            FitSize(w, h, ww, wh, fw, fh);
            displayWidth = fw;
            displayHeight = fh;
            if (m_LimitEnlarge && displayWidth > static_cast<long long>(kEnlargeLimit) * w) {
                displayWidth = static_cast<long long>(kEnlargeLimit) * w;
                displayHeight = static_cast<long long>(kEnlargeLimit) * h;
            }
        }
    }
    m_Factor = w >= h ? double(displayWidth) / w : double(displayHeight) / h;
    SetDisplaySize(displayWidth, displayHeight);
}

void CViewGeometry::SetDisplaySize(long long width, long long height)
{
    // A sliver of an extreme aspect ratio still gets one pixel, so it stays
    // visible and the zoom factor stays defined.
    width = std::clamp(width, 1LL, kMaxDisplaySide);
    height = std::clamp(height, 1LL, kMaxDisplaySide);
    m_Display.Right = m_Display.Left + static_cast<int>(width);
    m_Display.Bottom = m_Display.Top + static_cast<int>(height);
}

void CViewGeometry::Place()
{
    const int ww = m_WindowWidth, wh = m_WindowHeight;
    const int dw = m_Display.Width(), dh = m_Display.Height();
    m_Scrollable = false;
    if (m_Corner) {
        m_Scrollable = dw > ww || dh > wh;
        m_Display = ViewRect{0, 0, dw, dh};
        return;
    }

    int left;
    if (dw < ww) {
        left = (ww - dw) / 2;
    } else {
        m_Scrollable = m_Scrollable || dw > ww;
        if (m_Placement == kPlaceUpperLeft)
            left = 0;
        else if (m_Placement == kPlaceUpperRight)
            left = ww - dw;
        else
            left = (ww - dw) / 2;
    }

    int top;
    if (dh >= wh) {
        m_Scrollable = m_Scrollable || dh > wh;
        top = m_Placement == kPlaceCentre ? (wh - dh) / 2 : 0;
    } else {
        top = (wh - dh) / 2;
    }
    m_Display = ViewRect{left, top, left + dw, top + dh};
}

void CViewGeometry::SetPlacement(int placement)
{
    if (!ValidPlacement(placement))
        return;
    m_Placement = placement;
    if (!m_HasImage)
        return;
    Place();
    UpdateVisible();
}

namespace {

// One axis of a zoom: a display smaller than the window is centred; a larger
// one keeps the point in the centre, without gaps at either edge.
int ZoomedStart(int oldStart, int oldSize, int size, int window, bool& scrollable)
{
    if (size < window)
        return (window - size) / 2;
    scrollable = scrollable || size > window;
    int start = oldStart + (oldSize - size) / 2;
    if (start > 0)
        start = 0;
    if (start + size < window)
        start = window - size;
    return start;
}

} // namespace

void CViewGeometry::SetZoom(double factor)
{
    if (!m_HasImage || !std::isfinite(factor) || factor <= 0)
        return;
    const double width = std::min(std::trunc(m_ImageWidth * factor), double(kMaxDisplaySide));
    const double height = std::min(std::trunc(m_ImageHeight * factor), double(kMaxDisplaySide));
    ApplyZoom(static_cast<long long>(width), static_cast<long long>(height));
    m_Factor = factor;
}

void CViewGeometry::ApplyZoom(long long width, long long height)
{
    m_FitPending = false;
    const int oldLeft = m_Display.Left, oldTop = m_Display.Top;
    const int oldWidth = m_Display.Width(), oldHeight = m_Display.Height();
    SetDisplaySize(width, height);
    const int dw = m_Display.Width(), dh = m_Display.Height();
    const int ww = m_WindowWidth, wh = m_WindowHeight;
    m_Scrollable = false;

    const int left = ZoomedStart(oldLeft, oldWidth, dw, ww, m_Scrollable);
    const int top = ZoomedStart(oldTop, oldHeight, dh, wh, m_Scrollable);
    m_Display = ViewRect{left, top, left + dw, top + dh};
    UpdateVisible();
}

bool CViewGeometry::More()
{
    if (!m_HasImage)
        return false;
    const double factor = ZoomFactor();
    if (factor == kMaxZoom)
        return false;
    SetZoom(std::min(factor + kZoomStep, kMaxZoom));
    return true;
}

bool CViewGeometry::Less()
{
    if (!m_HasImage)
        return false;
    const double factor = ZoomFactor();
    if (factor == kMinZoom)
        return false;
    SetZoom(std::max(factor - kZoomStep, kMinZoom));
    return true;
}

void CViewGeometry::BestFit()
{
    if (!m_HasImage)
        return;
    int fw, fh;
    FitSize(m_ImageWidth, m_ImageHeight, m_WindowWidth, m_WindowHeight, fw, fh);
    if (fw <= 0 && fh <= 0)
        return;
    // All in single precision: fitted width / W times W gives back the
    // fitted width, where a double product could fall just short of it. A
    // sliver too thin for one pixel across fits by its height.
    const float factor = fw > 0 ? float(fw) / float(m_ImageWidth) : float(fh) / float(m_ImageHeight);
    ApplyZoom(static_cast<long long>(float(m_ImageWidth) * factor),
              static_cast<long long>(float(m_ImageHeight) * factor));
    m_Factor = factor;
}

void CViewGeometry::BeginDrag(int x, int y)
{
    if (!m_HasImage || !m_Scrollable)
        return;
    m_Dragging = true;
    m_LastX = x;
    m_LastY = y;
}

namespace {

// New left (or top) edge after moving by delta; the far edge stops at the
// window edge and the near edge at 0.
int DragEdge(int nearEdge, int farEdge, int delta, int windowSize)
{
    if (delta < 1) {
        if (farEdge + delta < windowSize)
            return nearEdge + (windowSize - farEdge);
        return nearEdge + delta;
    }
    if (nearEdge < 0)
        return std::min(nearEdge + delta, 0);
    return nearEdge;
}

} // namespace

bool CViewGeometry::DragTo(int x, int y)
{
    if (!m_Dragging || !m_HasImage)
        return false;
    const int dx = x - m_LastX, dy = y - m_LastY;
    m_LastX = x;
    m_LastY = y;
    const int dw = m_Display.Width(), dh = m_Display.Height();
    int left = m_Display.Left, top = m_Display.Top;
    if (dw > m_WindowWidth)
        left = DragEdge(m_Display.Left, m_Display.Right, dx, m_WindowWidth);
    if (dh > m_WindowHeight)
        top = DragEdge(m_Display.Top, m_Display.Bottom, dy, m_WindowHeight);
    if (left == m_Display.Left && top == m_Display.Top)
        return false;
    m_Display = ViewRect{left, top, left + dw, top + dh};
    UpdateVisible();
    return true;
}

void CViewGeometry::EndDrag()
{
    m_Dragging = false;
}

namespace {

// One axis of the visible part: a display narrower than the window lands
// whole at its place; a wider one fills the window from the panned offset.
void VisibleSpan(int start, int size, int window, int& destStart, int& destEnd, int& sourceStart, int& sourceEnd)
{
    if (size < window) {
        destStart = start;
        destEnd = start + size;
        sourceStart = 0;
        sourceEnd = size;
    } else {
        destStart = 0;
        destEnd = window;
        sourceStart = std::clamp(-start, 0, size);
        sourceEnd = std::clamp(-start + window, 0, size);
    }
}

} // namespace

void CViewGeometry::UpdateVisible()
{
    const int dw = m_Display.Width(), dh = m_Display.Height();
    const int ww = m_WindowWidth, wh = m_WindowHeight;

    VisibleSpan(m_Display.Left, dw, ww, m_Destination.Left, m_Destination.Right, m_DisplaySource.Left,
                m_DisplaySource.Right);
    VisibleSpan(m_Display.Top, dh, wh, m_Destination.Top, m_Destination.Bottom, m_DisplaySource.Top,
                m_DisplaySource.Bottom);

    // Exact integer scaling: a real-valued factor would truncate 99.999… to 99.
    auto toImage = [](int displayPos, int imageSize, int displaySize) {
        return static_cast<int>(int64_t(displayPos) * imageSize / displaySize);
    };
    m_Source.Left = toImage(m_DisplaySource.Left, m_ImageWidth, dw);
    m_Source.Right = toImage(m_DisplaySource.Right, m_ImageWidth, dw);
    m_Source.Top = toImage(m_DisplaySource.Top, m_ImageHeight, dh);
    m_Source.Bottom = toImage(m_DisplaySource.Bottom, m_ImageHeight, dh);
}

namespace {

// Keeps one axis of a display inside the window: a smaller display is
// centred, a larger one leaves no gap at either edge.
int ClampedStart(int start, int size, int window, bool corner)
{
    if (size < window)
        return corner ? 0 : (window - size) / 2;
    return std::clamp(start, window - size, 0);
}

} // namespace

void CViewGeometry::MoveTo(int left, int top)
{
    const int dw = m_Display.Width(), dh = m_Display.Height();
    left = ClampedStart(left, dw, m_WindowWidth, m_Corner);
    top = ClampedStart(top, dh, m_WindowHeight, m_Corner);
    m_Scrollable = dw > m_WindowWidth || dh > m_WindowHeight;
    m_Display = ViewRect{left, top, left + dw, top + dh};
    UpdateVisible();
}

void CViewGeometry::ZoomAbout(double factor, int x, int y)
{
    if (!m_HasImage || !std::isfinite(factor) || factor <= 0)
        return;
    const int oldLeft = m_Display.Left, oldTop = m_Display.Top;
    const int oldWidth = m_Display.Width(), oldHeight = m_Display.Height();
    const double width = std::min(std::trunc(m_ImageWidth * factor), double(kMaxDisplaySide));
    const double height = std::min(std::trunc(m_ImageHeight * factor), double(kMaxDisplaySide));
    m_FitPending = false;
    SetDisplaySize(static_cast<long long>(width), static_cast<long long>(height));
    m_Factor = factor;
    // The point under the pointer, as a share of the display, stays under it.
    auto anchored = [](int pointer, int oldStart, int oldSize, int size) {
        const double share = double(pointer - oldStart) / oldSize;
        return static_cast<int>(std::lround(pointer - share * size));
    };
    MoveTo(anchored(x, oldLeft, oldWidth, m_Display.Width()), anchored(y, oldTop, oldHeight, m_Display.Height()));
}

bool CViewGeometry::PanBy(int dx, int dy)
{
    return ScrollTo(-m_Display.Left + dx, -m_Display.Top + dy);
}

bool CViewGeometry::ScrollTo(int x, int y)
{
    if (!m_HasImage || !m_Scrollable)
        return false;
    const ViewRect before = m_Display;
    const int left = m_Display.Width() > m_WindowWidth ? -x : m_Display.Left;
    const int top = m_Display.Height() > m_WindowHeight ? -y : m_Display.Top;
    MoveTo(left, top);
    return !(m_Display == before);
}

void CViewGeometry::SetWindowSizeKeepingView(int width, int height)
{
    m_WindowWidth = std::max(width, 0);
    m_WindowHeight = std::max(height, 0);
    if (m_HasImage && !m_FitPending)
        MoveTo(m_Display.Left, m_Display.Top);
}

double CViewGeometry::FitFactor() const
{
    if (!m_HasImage)
        return 0.0;
    int fw, fh;
    FitSize(m_ImageWidth, m_ImageHeight, m_WindowWidth, m_WindowHeight, fw, fh);
    if (fw > 0)
        return double(float(fw) / float(m_ImageWidth));
    return fh > 0 ? double(float(fh) / float(m_ImageHeight)) : 0.0;
}

double WheelZoomFactor(double current, double fitFactor, int notches)
{
    constexpr double kStep = 1.25;
    constexpr double kWheelMax = 16.0;
    if (!(current > 0) || !std::isfinite(current))
        return current;
    const double low = fitFactor > 0 ? std::min(kMinZoom, fitFactor) : kMinZoom;
    double factor = current;
    for (int i = 0; i < std::abs(notches); ++i) {
        double next = notches > 0 ? factor * kStep : factor / kStep;
        // Landmarks passed on the way are where the notch stops.
        for (double mark : {1.0, fitFactor}) {
            if (mark > 0 && ((factor < mark && next > mark) || (factor > mark && next < mark)))
                next = mark;
        }
        factor = std::clamp(next, low, kWheelMax);
    }
    // Already outside the range (a zoom table entry): the wheel only brings it back in.
    if (notches > 0 && current > kWheelMax)
        return current;
    if (notches < 0 && current < low)
        return current;
    return factor;
}
