#include "view/PrintPainter.h"

#include "base/FileName.h"
#include "base/TextException.h"
#include "formats/AutoDecoder.h"
#include "image/AreaScale.h"
#include "image/WinBmp.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

// Decodes at once on a thumbnail page: two full images at most.
constexpr unsigned kDecoders = 2;
// Caption text size in points.
constexpr double kCaptionPoints = 9;

} // namespace

struct CPrintPainter::Picture {
    QImage Image;  // reduced for the device; null when there is nothing to draw
    // Or the image itself, when it has no more pixels than the device needs:
    // drawn from its rows without a copy (Kept holds it when decoded here).
    const CBmp* Whole = nullptr;
    std::unique_ptr<CWinBmp> Kept;
    int Width = 0, Height = 0;  // the image's own size
    PrintRect Place;
    bool Failed = false;
};

CPrintPainter::CPrintPainter(PrintJob job) : m_Job(std::move(job))
{
    m_Font.setPointSizeF(kCaptionPoints);
}

CPrintPainter::~CPrintPainter() = default;

void CPrintPainter::prepare(QPaintDevice& device)
{
    m_DpiX = std::max(1, device.logicalDpiX());
    m_DpiY = std::max(1, device.logicalDpiY());
    double width = device.width() * kPrintUnitsPerInch / m_DpiX;
    double height = device.height() * kPrintUnitsPerInch / m_DpiY;
    // A printer's paint rectangle need not be whole device pixels.
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        const QRectF inches = printer->pageRect(QPrinter::Inch);
        width = inches.width() * kPrintUnitsPerInch;
        height = inches.height() * kPrintUnitsPerInch;
    }
    const double line = QFontMetricsF(m_Font, &device).height() * kPrintUnitsPerInch / m_DpiY;
    m_Layout = std::make_unique<CPrintLayout>(m_Job.Setup, thumbnails(), m_Job.Files.size(), width, height, line);
}

bool CPrintPainter::shownImageTooLarge() const
{
    if (!m_Layout || thumbnails() || !m_Job.Shown || m_Job.Files.size() != 1)
        return false;
    const std::string& path = m_Job.Files.front().Path;
    if (!path.empty() && path != m_Job.ShownPath)
        return false;
    return m_Layout->PlaceImage(m_Job.Shown->Width, m_Job.Shown->Height).LargerThanPaper;
}

QRectF CPrintPainter::toDevice(const PrintRect& r) const
{
    const double sx = m_DpiX / kPrintUnitsPerInch, sy = m_DpiY / kPrintUnitsPerInch;
    return QRectF(r.Left * sx, r.Top * sy, r.Width() * sx, r.Height() * sy);
}

int CPrintPainter::rasterLength(double units, double dpi) const
{
    const double pixels = units * std::min<double>(dpi, kMaxPixelsPerInch) / kPrintUnitsPerInch;
    return static_cast<int>(std::clamp(std::ceil(pixels - 1e-6), 1.0, 1e6));
}

CPrintPainter::Picture CPrintPainter::makePicture(const PrintFile& file,
                                                  const std::function<PrintRect(int, int)>& place,
                                                  const PrintRect* box) const
{
    Picture picture;
    try {
        std::unique_ptr<CWinBmp> decoded;
        const CBmp* image = nullptr;
        if (m_Job.Shown && (file.Path.empty() || file.Path == m_Job.ShownPath)) {
            image = m_Job.Shown;
            picture.Width = image->Width;
            picture.Height = image->Height;
        } else {
            decoded = std::make_unique<CWinBmp>();
            CAutoDecoder decoder;
            // Formats that can decode smaller for less need not go beyond what the box shows.
            if (box)
                decoder.SetReducedSize(rasterLength(box->Width(), m_DpiX), rasterLength(box->Height(), m_DpiY));
            decoder.DecodeFile(file.Path, *decoded, 32);
            if (decoded->Width <= 0 || decoded->Height <= 0 || !decoded->Lines)
                throw CTextException(ErrFormat, "The image has no pixels.");
            if (decoded->BitsPerPixel != 32)
                decoded->CopyFrom(*decoded, 32);
            picture.Width = decoder.GetFileWidth();
            picture.Height = decoder.GetFileHeight();
            image = decoded.get();
        }
        picture.Place = place(picture.Width, picture.Height);
        if (picture.Place.Width() <= 0 || picture.Place.Height() <= 0)
            return picture;
        // Never more pixels than the image has: the painter enlarges smoothly.
        const int width = std::min(rasterLength(picture.Place.Width(), m_DpiX), int(image->Width));
        const int height = std::min(rasterLength(picture.Place.Height(), m_DpiY), int(image->Height));
        if (width == image->Width && height == image->Height) {
            picture.Whole = image;
            picture.Kept = std::move(decoded);
            return picture;
        }
        const QImage::Format format = image->HasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        picture.Image = QImage(width, height, format);
        if (picture.Image.isNull())
            throw std::bad_alloc();
        AreaDownscale(*image, width, height, picture.Image.bits(), picture.Image.bytesPerLine(), image->HasAlpha);
    } catch (...) {
        picture = Picture();
        picture.Failed = true;
    }
    return picture;
}

void CPrintPainter::noteError(const std::string& path)
{
    const QString text = QStringLiteral("Error loading ") + QString::fromStdString(path);
    if (!m_Errors.contains(text))
        m_Errors << text;
}

void CPrintPainter::drawPicture(QPainter& painter, const Picture& picture)
{
    const QRectF target = toDevice(picture.Place);
    if (!picture.Image.isNull()) {
        painter.drawImage(target, picture.Image);
        return;
    }
    const CBmp* image = picture.Whole;
    if (!image)
        return;
    // The rows lie bottom-up in memory: wrap them as they are and let the
    // painter turn them over.
    const int w = image->Width, h = image->Height;
    const QImage rows(static_cast<const uchar*>(image->Lines[h - 1]), w, h, image->BytesPerLine(),
                      image->HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    painter.save();
    painter.translate(target.left(), target.bottom());
    painter.scale(target.width() / w, -target.height() / h);
    painter.drawImage(QRectF(0, 0, w, h), rows);
    painter.restore();
}

void CPrintPainter::drawLine(QPainter& painter, const QString& text, const PrintRect& line)
{
    if (text.isEmpty() || line.Height() <= 0)
        return;
    const QFontMetricsF metrics(m_Font, painter.device());
    const QRectF device = toDevice(line);
    const QString shown = metrics.elidedText(text, Qt::ElideMiddle, device.width());
    const double width = metrics.horizontalAdvance(shown) * kPrintUnitsPerInch / m_DpiX;
    const double left = AlignText(width, line, m_Job.Setup.Alignment) * m_DpiX / kPrintUnitsPerInch;
    painter.drawText(QPointF(left, device.top() + metrics.ascent()), shown);
}

void CPrintPainter::paintPage(QPainter& painter, int page)
{
    if (!m_Layout || page < 0 || page >= m_Layout->PageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(m_Font);
    painter.setPen(Qt::black);
    const PrintSetup& setup = m_Job.Setup;
    const size_t first = m_Layout->FirstImage(page), count = m_Layout->ImagesOnPage(page);

    if (!thumbnails()) {
        const PrintFile& file = m_Job.Files[first];
        PlacedImage placed;
        const Picture picture = makePicture(
            file,
            [&](int w, int h) {
                placed = m_Layout->PlaceImage(w, h);
                return placed.Image;
            },
            nullptr);
        if (picture.Failed) {
            noteError(file.Path);
        } else {
            m_TooLarge = m_TooLarge || placed.LargerThanPaper;
            drawPicture(painter, picture);
            drawLine(painter, QString::fromStdString(PrintCaptionText(setup, file, picture.Width, picture.Height)),
                     placed.Caption);
        }
        painter.restore();
        return;
    }

    // Decoded two at a time; each worker holds one full image until it has
    // been reduced to its thumbnail.
    std::vector<ThumbnailCell> cells(count);
    for (size_t i = 0; i < count; ++i)
        cells[i] = m_Layout->Cell(i);
    std::vector<Picture> pictures(count);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next++) < count;) {
            const PrintRect& box = cells[i].PictureBox;
            pictures[i] = makePicture(
                m_Job.Files[first + i], [&box](int w, int h) { return FitPicture(box, w, h); }, &box);
        }
    };
    std::vector<std::thread> helpers;
    const unsigned threads = std::min<unsigned>({kDecoders, std::max(1u, std::thread::hardware_concurrency()),
                                                 static_cast<unsigned>(count)});
    try {
        for (unsigned t = 1; t < threads; ++t)
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No thread to be had: this one decodes them all.
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();

    for (size_t i = 0; i < count; ++i) {
        const PrintFile& file = m_Job.Files[first + i];
        if (pictures[i].Failed) {
            noteError(file.Path);
            continue;
        }
        drawPicture(painter, pictures[i]);
        drawLine(painter, QString::fromStdString(FileNamePart(file.Path)), cells[i].NameLine);
        drawLine(painter,
                 QString::fromStdString(PrintDimensionsText(pictures[i].Width, pictures[i].Height, setup.LengthUnit)),
                 cells[i].DimensionsLine);
    }
    painter.restore();
}

bool CPrintPainter::print(QPrinter& printer)
{
    prepare(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    int first = 0, last = pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::min(last, std::max(printer.toPage(), printer.fromPage()) - 1);
    }
    bool ok = true;
    for (int page = first; page <= last && ok; ++page) {
        if (page > first)
            ok = printer.newPage();
        if (ok)
            paintPage(painter, page);
    }
    ok = painter.end() && ok;
    return ok && printer.printerState() != QPrinter::Error;
}
