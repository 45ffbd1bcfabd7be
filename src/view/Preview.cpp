#include "view/Preview.h"

#include "image/AreaScale.h"
#include "base/FileName.h"
#include "view/ImageLoader.h"
#include "view/LoadFailure.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdint>
#include <system_error>

namespace {

// A shrunk copy is kept only while it costs at most a quarter of the image;
// milder reductions are drawn from the image itself, where bilinear
// filtering is still free of aliasing.
constexpr int64_t kScaledCopyShare = 4;
// Extra source pixels around the visible part, so smoothing at its edges
// sees the same neighbours as inside.
constexpr int kSmoothMargin = 2;

QImage::Format FormatOf(const CBmp& image)
{
    return image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

bool Drawable(const CBmp& image)
{
    return image.BitsPerPixel == 32 && image.Width > 0 && image.Height > 0 && image.Lines;
}

QRect ToQRect(const ViewRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

CPreview::CPreview(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    // Arrow keys pan a view that has the focus (the viewer gives it).
    setFocusPolicy(Qt::StrongFocus);
    m_HBar = new QScrollBar(Qt::Horizontal, this);
    m_VBar = new QScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {m_HBar, m_VBar}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QScrollBar::valueChanged, this, [this] { scrollBarMoved(); });
    }
    m_Geometry.SetWindowSize(width(), height());
    m_Loader = std::make_unique<CImageLoader>([this](uint64_t generation, std::shared_ptr<ImageLoadResult> result) {
        // On the worker: hand the result to the UI thread. Should the view be
        // destroyed first, Qt drops the queued call together with the result.
        QMetaObject::invokeMethod(
            this, [this, generation, result = std::move(result)] { loadDone(generation, result); },
            Qt::QueuedConnection);
    });
}

CPreview::~CPreview()
{
    // The worker may still be decoding into memory it owns and is about to
    // post to this object: let it finish before anything here goes away.
    m_Loader.reset();
}

void CPreview::load(const std::string& path, int placement, bool shrinkToFit, bool enlargeToFit)
{
    m_LoadPlacement = placement;
    m_LoadShrink = shrinkToFit;
    m_LoadEnlarge = enlargeToFit;
    if (std::shared_ptr<ImageLoadResult> ready = m_Loader->TakePreloaded(path)) {
        // Decoded ahead: shown now, without a round trip through the worker.
        emit loadStarted();
        m_Waiting = UINT64_MAX;
        loadDone(m_Waiting, ready);
        return;
    }
    try {
        m_Waiting = m_Loader->Request(path);
    } catch (const std::system_error&) {
        // No thread to decode on: the load fails like any other.
        emit loadStarted();
        auto failed = std::make_shared<ImageLoadResult>();
        failed->Path = path;
        failed->Error = "The image could not be loaded: no thread to decode it on.";
        m_Waiting = UINT64_MAX;
        loadDone(m_Waiting, failed);
        return;
    }
    emit loadStarted();
}

void CPreview::loadDone(uint64_t generation, const std::shared_ptr<ImageLoadResult>& result)
{
    if (generation != m_Waiting)
        return;  // superseded by a later load, by clear() or by a pasted image
    m_Waiting = 0;
    m_Notices.clear();
    if (!result || !result->Image) {
        dropImage();
        // Rather than an empty window: which file, and why.
        m_FailedName = result ? QString::fromStdString(FileNamePart(result->Path)) : QString();
        m_FailureReason = QString::fromStdString(
            result ? LoadFailureReason(result->Path, result->Code, result->Error) : std::string("Out of memory."));
        m_LoadMs = result ? result->Milliseconds : 0;
        update();
        emit loadFinished(false, QString::fromStdString(result ? result->Error : std::string("Out of memory.")));
        return;
    }
    m_LoadMs = result->Milliseconds;
    if (result->Scaled) {
        // Shrunk ahead on the decoding thread; taken if the display size still fits.
        uint8_t* pixels = result->Scaled.release();
        m_Prepared = QImage(
            pixels, result->ScaledWidth, result->ScaledHeight, int64_t(result->ScaledWidth) * 4,
            result->Image->HasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
            [](void* block) { delete[] static_cast<uint8_t*>(block); }, pixels);
    }
    for (const std::string& notice : result->Notices)
        m_Notices << QString::fromStdString(notice);
    showImage(std::move(result->Image), result->Path, false, m_LoadPlacement, m_LoadShrink, m_LoadEnlarge);
    emit loadFinished(true, QString());
}

void CPreview::showImage(std::unique_ptr<CWinBmp> image, std::string path, bool modified, int placement,
                         bool shrinkToFit, bool enlargeToFit)
{
    // The old image (and its undo copy) is freed here, before the scaled copy
    // of the new one is made.
    m_Scaled = QImage();
    m_FailedName.clear();
    m_FailureReason.clear();
    m_Document.reset(std::move(image), std::move(path), modified);
    m_HasImage = true;
    m_Slide = false;
    unsetCursor();  // a drag in progress ends with the image it moved
    fit(placement, shrinkToFit, enlargeToFit, true);
}

void CPreview::preload(const std::vector<std::string>& paths)
{
    // Shown by the fit options of the last load in a window of today's size.
    const int windowWidth = width(), windowHeight = height();
    const int placement = m_LoadPlacement;
    const bool shrink = m_LoadShrink, enlarge = m_LoadEnlarge;
    m_Loader->Preload(paths, [=](int w, int h, int& displayWidth, int& displayHeight) {
        CViewGeometry geometry;
        geometry.SetWindowSize(windowWidth, windowHeight);
        geometry.SetImage(w, h, placement, shrink, enlarge);
        displayWidth = geometry.Display().Width();
        displayHeight = geometry.Display().Height();
    });
}

size_t CPreview::preloadedCount() const
{
    return m_Loader->PreloadedCount();
}

uint64_t CPreview::decodeCount() const
{
    return m_Loader->DecodeCount();
}

void CPreview::showSlide(std::unique_ptr<CWinBmp> image, std::string path, int displayWidth, int displayHeight,
                         bool upperLeft, int fullWidth, int fullHeight)
{
    m_Waiting = 0;
    m_Loader->Cancel();
    // The show decodes on its own; images held ahead would only take memory.
    m_Loader->Preload({});
    if (!image || !Drawable(*image)) {
        dropImage();
        update();
        return;
    }
    m_Notices.clear();
    m_Scaled = QImage();
    m_FailedName.clear();
    m_FailureReason.clear();
    m_Document.reset(std::move(image), std::move(path), false);
    m_HasImage = true;
    m_Slide = true;
    m_SlideWidth = fullWidth;
    m_SlideHeight = fullHeight;
    unsetCursor();
    m_Geometry.SetWindowSize(width(), height());
    m_Geometry.SetImageDisplay(m_Document.image().Width, m_Document.image().Height, displayWidth, displayHeight,
                               upperLeft);
    rescale(true);
    updateScrollBars(true);
}

void CPreview::fit(int placement, bool shrinkToFit, bool enlargeToFit, bool pixelsChanged)
{
    m_Geometry.SetWindowSize(width(), height());
    m_Geometry.SetImage(m_Document.image().Width, m_Document.image().Height, placement, shrinkToFit, enlargeToFit);
    rescale(pixelsChanged);
    updateScrollBars(true);
}

void CPreview::dropImage()
{
    m_HasImage = false;
    m_Slide = false;
    m_Geometry.Clear();
    m_Scaled = QImage();
    m_ScaledWidth = m_ScaledHeight = 0;
    m_Document.clear();
    m_FailedName.clear();
    m_FailureReason.clear();
    unsetCursor();
    m_HBar->hide();
    m_VBar->hide();
    emit viewChanged();
}

void CPreview::clear()
{
    m_Waiting = 0;
    m_Loader->Cancel();
    dropImage();
    update();
}

bool CPreview::hasImage() const
{
    return m_HasImage;
}

bool CPreview::isLoading() const
{
    return m_Waiting != 0;
}

void CPreview::setImage(std::unique_ptr<CWinBmp> image, bool modified)
{
    m_Waiting = 0;
    m_Loader->Cancel();
    if (!image || image->Width <= 0 || image->Height <= 0 || !image->Lines) {
        dropImage();
        update();
        return;
    }
    if (image->BitsPerPixel != 32)
        image->CopyFrom(*image, 32);
    m_Notices.clear();
    showImage(std::move(image), std::string(), modified, m_Geometry.PlacementValue(), m_Geometry.ShrinkToFit(),
              m_Geometry.EnlargeToFit());
}

void CPreview::fitAgain(int placement, bool shrinkToFit, bool enlargeToFit)
{
    if (m_HasImage && !m_Slide)
        fit(placement, shrinkToFit, enlargeToFit, false);
}

void CPreview::setZoom(double factor)
{
    if (!m_HasImage)
        return;
    useWholeArea();
    m_Geometry.SetZoom(factor);
    rescale(false);
    updateScrollBars(false);
}

bool CPreview::more()
{
    useWholeArea();
    const bool zoomed = m_Geometry.More();
    if (zoomed)
        rescale(false);
    updateScrollBars(false);
    return zoomed;
}

bool CPreview::less()
{
    useWholeArea();
    const bool zoomed = m_Geometry.Less();
    if (zoomed)
        rescale(false);
    updateScrollBars(false);
    return zoomed;
}

void CPreview::bestFit()
{
    if (!m_HasImage)
        return;
    useWholeArea();
    m_Geometry.BestFit();
    rescale(false);
    updateScrollBars(false);
}

void CPreview::setPlacement(int placement)
{
    m_Geometry.SetPlacement(placement);
    updateScrollBars(true);
}

void CPreview::redraw(bool sizeChanged)
{
    if (m_HasImage && !Drawable(m_Document.image())) {
        // An operation or undo that ran out of memory left no pixels.
        dropImage();
    } else if (m_HasImage && sizeChanged) {
        fit(m_Geometry.PlacementValue(), m_Geometry.ShrinkToFit(), m_Geometry.EnlargeToFit(), true);
        return;
    }
    if (m_HasImage)
        rescale(true);
    update();
}

void CPreview::rescale(bool pixelsChanged)
{
    const ViewRect& display = m_Geometry.Display();
    const int dw = display.Width(), dh = display.Height();
    if (!pixelsChanged && dw == m_ScaledWidth && dh == m_ScaledHeight)
        return;
    m_ScaledWidth = dw;
    m_ScaledHeight = dh;
    QImage prepared = std::move(m_Prepared);
    m_Prepared = QImage();
    if (!m_HasImage || !Drawable(m_Document.image())) {
        m_Scaled = QImage();
        return;
    }
    const QImage::Format preparedFormat =
        m_Document.image().HasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (pixelsChanged && !prepared.isNull() && prepared.width() == dw && prepared.height() == dh &&
        prepared.format() == preparedFormat) {
        m_Scaled = std::move(prepared);
        return;
    }
    const CWinBmp& image = m_Document.image();
    const bool shrunk = dw <= image.Width && dh <= image.Height && (dw < image.Width || dh < image.Height);
    const bool worthACopy = int64_t(dw) * dh * kScaledCopyShare <= int64_t(image.Width) * image.Height;
    if (!shrunk || !worthACopy) {
        m_Scaled = QImage();
        return;
    }
    // Averaging transparent pixels needs their colours weighted by alpha.
    const QImage::Format format = image.HasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (m_Scaled.width() != dw || m_Scaled.height() != dh || m_Scaled.format() != format)
        m_Scaled = QImage(dw, dh, format);
    if (m_Scaled.isNull())
        return;  // no memory for the copy: the image is drawn directly
    AreaDownscale(image, dw, dh, m_Scaled.bits(), int(m_Scaled.bytesPerLine()), image.HasAlpha);
}

void CPreview::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect destination = ToQRect(m_Geometry.Destination());
    const bool drawing = m_HasImage && Drawable(m_Document.image()) && !destination.isEmpty();
    // Only the background around the image is filled, so a drag does not
    // flash the area the image covers.
    QRegion background(event->rect());
    if (drawing)
        background -= destination;
    for (const QRect& r : background)
        painter.fillRect(r, m_Background.isValid() ? QBrush(m_Background) : palette().window());
    if (!drawing) {
        if (!m_HasImage && !m_FailureReason.isEmpty())
            drawFailure(painter);
        return;
    }
    if (m_Document.image().HasAlpha)
        painter.fillRect(destination, Qt::white);
    if (!m_Scaled.isNull() && m_Scaled.width() == m_Geometry.Display().Width() &&
        m_Scaled.height() == m_Geometry.Display().Height()) {
        painter.drawImage(destination.topLeft(), m_Scaled, ToQRect(m_Geometry.DisplaySource()));
        return;
    }
    drawFromImage(painter);
}

void CPreview::drawFromImage(QPainter& painter)
{
    const CWinBmp& image = m_Document.image();
    const int w = image.Width, h = image.Height;
    const ViewRect& display = m_Geometry.Display();
    const ViewRect& source = m_Geometry.Source();
    // The rows lie bottom-up in memory: wrap them as they are (no copy) and
    // let the painter turn them over.
    const QImage rows(image.Lines[h - 1], w, h, image.BytesPerLine(), FormatOf(image));
    const bool actualSize = display.Width() == w && display.Height() == h;

    painter.save();
    painter.setClipRect(ToQRect(m_Geometry.Destination()));
    painter.translate(display.Left, display.Bottom);
    painter.scale(double(display.Width()) / w, -double(display.Height()) / h);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !actualSize);
    // In these coordinates one unit is one image pixel and y counts rows from
    // the bottom of the image.
    const int margin = actualSize ? 0 : kSmoothMargin;
    const int left = std::max(source.Left - margin, 0);
    const int right = std::min(source.Right + 1 + margin, w);
    const int bottomUpFirst = std::max(h - source.Bottom - 1 - margin, 0);
    const int bottomUpLast = std::min(h - source.Top + margin, h);
    const QRect part(left, bottomUpFirst, right - left, bottomUpLast - bottomUpFirst);
    painter.drawImage(part, rows, part);
    painter.restore();
}

void CPreview::drawFailure(QPainter& painter)
{
    // The name a little larger and bold, the reason below it, both centred
    // and wrapped to the view.
    const QRect area = rect().adjusted(16, 16, -16, -16);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QFont nameFont = font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.2);
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap;
    const QRect nameBox = QFontMetrics(nameFont).boundingRect(area, flags | Qt::TextWrapAnywhere, m_FailedName);
    const QRect reasonBox = fontMetrics().boundingRect(area, flags, m_FailureReason);
    const int gap = m_FailedName.isEmpty() ? 0 : fontMetrics().height() / 2;
    int top = area.top() + std::max(0, (area.height() - nameBox.height() - gap - reasonBox.height()) / 2);
    // On the full-screen black the text is white.
    const bool dark = m_Background.isValid() && m_Background.lightness() < 128;
    painter.setPen(dark ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    if (!m_FailedName.isEmpty()) {
        painter.setFont(nameFont);
        painter.drawText(QRect(area.left(), top, area.width(), nameBox.height()), flags | Qt::TextWrapAnywhere,
                         m_FailedName);
        top += nameBox.height() + gap;
    }
    painter.setFont(font());
    painter.drawText(QRect(area.left(), top, area.width(), reasonBox.height()), flags, m_FailureReason);
}

void CPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_Geometry.SetWindowSize(width(), height());
    // The display size stays, unless an image loaded into no area gets fitted now.
    rescale(false);
    updateScrollBars(true);
}

void CPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_HasImage || !m_Geometry.Scrollable()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    m_Geometry.BeginDrag(p.x(), p.y());
    if (m_Geometry.Dragging())
        setCursor(Qt::ClosedHandCursor);
}

void CPreview::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_Geometry.Dragging()) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (m_Geometry.DragTo(p.x(), p.y()))
        updateScrollBars(false);
}

void CPreview::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_Geometry.Dragging()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_Geometry.EndDrag();
    unsetCursor();
}

void CPreview::addMenuEntries(QMenu& to, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        switch (entry.Kind) {
        case MenuEntry::Separator:
            to.addSeparator();
            break;
        case MenuEntry::Submenu:
            addMenuEntries(*to.addMenu(QString::fromLatin1(entry.Label)), entry.Children);
            break;
        case MenuEntry::Command: {
            QAction* action = to.addAction(QString::fromLatin1(entry.Label));
            const int id = entry.Id;
            action->setData(id);
            action->setEnabled(!m_Enabled || m_Enabled(id));
            connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
            break;
        }
        }
    }
}

std::unique_ptr<QMenu> CPreview::createContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    addMenuEntries(*menu, m_ContextMenu);
    return menu;
}

void CPreview::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_ContextMenu.empty())
        return;
    std::unique_ptr<QMenu> menu = createContextMenu();
    menu->exec(event->globalPos());
}
