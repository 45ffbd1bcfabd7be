#include "app/PreviewBox.h"

#include "image/Bmp.h"
#include "view/ViewGeometry.h"

#include <QPainter>

#include <algorithm>

CPreviewBox::CPreviewBox(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // A fixed size, so the picture taken at each Preview always fits.
    setFixedSize(sizeHint());
}

QSize CPreviewBox::sizeHint() const
{
    return QSize(240, 180);
}

void CPreviewBox::clear()
{
    m_Shown = QImage();
    update();
}

void CPreviewBox::setImage(const CBmp& image)
{
    const int w = image.Width, h = image.Height;
    if (image.BitsPerPixel != 32 || w <= 0 || h <= 0 || !image.Lines) {
        clear();
        return;
    }
    const QRect box = contentsRect();
    int dw = w, dh = h;
    if (w > box.width() || h > box.height())
        FitSize(w, h, box.width(), box.height(), dw, dh);
    dw = std::max(dw, 1);
    dh = std::max(dh, 1);

    // Drawn once here rather than on every paint: the preview copy can be a
    // full-size image. Rows lie bottom-up in memory; wrap them without a
    // copy and let the painter turn them over.
    const QImage rows(image.Lines[h - 1], w, h, image.BytesPerLine(),
                      image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    m_Shown = QImage(dw, dh, QImage::Format_ARGB32_Premultiplied);
    m_Shown.fill(Qt::transparent);
    QPainter painter(&m_Shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, dw != w || dh != h);
    painter.translate(0, dh);
    painter.scale(double(dw) / w, -double(dh) / h);
    painter.drawImage(0, 0, rows);
    painter.end();
    update();
}

void CPreviewBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect box = contentsRect();
    painter.fillRect(box, palette().color(QPalette::Button));
    if (!m_Shown.isNull()) {
        const QRect target(box.left() + (box.width() - m_Shown.width()) / 2,
                           box.top() + (box.height() - m_Shown.height()) / 2, m_Shown.width(), m_Shown.height());
        painter.setClipRect(box);
        painter.drawImage(target.topLeft(), m_Shown);
    }
    painter.end();
    QFrame::paintEvent(event);
}
