// The image view's scroll bars, keyboard panning, wheel and double click.
#include "view/Preview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

void CPreview::setBackground(const QColor& colour)
{
    m_Background = colour;
    update();
}

void CPreview::setScrollBarsEnabled(bool on)
{
    if (on == m_BarsEnabled)
        return;
    m_BarsEnabled = on;
    useWholeArea();
    updateScrollBars(false);
}

void CPreview::useWholeArea()
{
    if (m_Geometry.WindowWidth() != width() || m_Geometry.WindowHeight() != height())
        m_Geometry.SetWindowSizeKeepingView(width(), height());
}

void CPreview::updateScrollBars(bool replace)
{
    const int fullWidth = width(), fullHeight = height();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool horizontal = false, vertical = false;
    if (m_HasImage && m_BarsEnabled) {
        const int dw = m_Geometry.Display().Width(), dh = m_Geometry.Display().Height();
        horizontal = dw > fullWidth;
        vertical = dh > fullHeight;
        // One bar narrows the view, which may call for the other.
        if (horizontal && !vertical)
            vertical = dh > fullHeight - extent;
        if (vertical && !horizontal)
            horizontal = dw > fullWidth - extent;
    }
    const int viewWidth = std::max(fullWidth - (vertical ? extent : 0), 0);
    const int viewHeight = std::max(fullHeight - (horizontal ? extent : 0), 0);
    if (viewWidth != m_Geometry.WindowWidth() || viewHeight != m_Geometry.WindowHeight()) {
        if (replace)
            m_Geometry.SetWindowSize(viewWidth, viewHeight);
        else
            m_Geometry.SetWindowSizeKeepingView(viewWidth, viewHeight);
    }

    const ViewRect& display = m_Geometry.Display();
    const QSignalBlocker blockH(m_HBar), blockV(m_VBar);
    if (horizontal) {
        m_HBar->setGeometry(0, viewHeight, viewWidth, extent);
        m_HBar->setRange(0, std::max(display.Width() - viewWidth, 0));
        m_HBar->setPageStep(viewWidth);
        m_HBar->setSingleStep(std::max(viewWidth / 20, 1));
        m_HBar->setValue(-display.Left);
    }
    if (vertical) {
        m_VBar->setGeometry(viewWidth, 0, extent, viewHeight);
        m_VBar->setRange(0, std::max(display.Height() - viewHeight, 0));
        m_VBar->setPageStep(viewHeight);
        m_VBar->setSingleStep(std::max(viewHeight / 20, 1));
        m_VBar->setValue(-display.Top);
    }
    m_HBar->setVisible(horizontal);
    m_VBar->setVisible(vertical);
    update();
    emit viewChanged();
}

void CPreview::scrollBarMoved()
{
    const int x = m_HBar->isVisible() ? m_HBar->value() : -m_Geometry.Display().Left;
    const int y = m_VBar->isVisible() ? m_VBar->value() : -m_Geometry.Display().Top;
    if (m_Geometry.ScrollTo(x, y))
        updateScrollBars(false);
}

void CPreview::keyPressEvent(QKeyEvent* event)
{
    // Keypad arrows (NumLock off) pan as well; any other modifier leaves the
    // key to the shortcuts and the window.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    int dx = 0, dy = 0;
    const int stepX = std::max(m_Geometry.WindowWidth() / 10, 16);
    const int stepY = std::max(m_Geometry.WindowHeight() / 10, 16);
    switch (event->key()) {
    case Qt::Key_Left: dx = -stepX; break;
    case Qt::Key_Right: dx = stepX; break;
    case Qt::Key_Up: dy = -stepY; break;
    case Qt::Key_Down: dy = stepY; break;
    default: break;
    }
    const bool horizontalRoom = m_Geometry.Display().Width() > m_Geometry.WindowWidth();
    const bool verticalRoom = m_Geometry.Display().Height() > m_Geometry.WindowHeight();
    const bool pans = modifiers == Qt::NoModifier && m_HasImage && !m_Geometry.Dragging() &&
                      ((dx != 0 && horizontalRoom) || (dy != 0 && verticalRoom));
    if (!pans) {
        QWidget::keyPressEvent(event);
        return;
    }
    // At the edge the key is still the view's: it does not fall through to
    // something else halfway through a pan.
    if (m_Geometry.PanBy(dx, dy))
        updateScrollBars(false);
}

void CPreview::wheelEvent(QWheelEvent* event)
{
    if (!m_HasImage) {
        QWidget::wheelEvent(event);
        return;
    }
    // A wheel notch is 120; touchpads send less at a time.
    m_WheelRest += event->angleDelta().y();
    const int notches = m_WheelRest / 120;
    m_WheelRest -= notches * 120;
    event->accept();
    if (notches == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier)
        zoomByWheel(notches, event->position());
    else
        emit wheelSteps(-notches);  // turning towards the user goes on
}

void CPreview::zoomByWheel(int notches, QPointF at)
{
    if (m_Geometry.Dragging())
        return;
    useWholeArea();
    const double factor = WheelZoomFactor(m_Geometry.ZoomFactor(), m_Geometry.FitFactor(), notches);
    if (factor == m_Geometry.ZoomFactor()) {
        updateScrollBars(false);
        return;
    }
    m_Geometry.ZoomAbout(factor, int(at.x()), int(at.y()));
    rescale(false);
    updateScrollBars(false);
}

void CPreview::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    else
        QWidget::mouseDoubleClickEvent(event);
}
