// CPrintPainter: draws the pages of a print job on a printer, a PDF file or a
// print preview by the page layout of view/PrintLayout.h. Each page decodes
// only its own files, and a thumbnail is reduced as soon as it is decoded, so
// no more than two full images are held at a time.
#pragma once

#include "view/PrintLayout.h"

#include <QFont>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CBmp;
class QPaintDevice;
class QPainter;
class QPrinter;

struct PrintJob {
    PrintSetup Setup;
    std::vector<PrintFile> Files;
    // The image the view shows: drawn for its file (changes included) instead
    // of decoding that file again, and for an entry without a path.
    const CBmp* Shown = nullptr;
    std::string ShownPath;
};

class CPrintPainter {
public:
    explicit CPrintPainter(PrintJob job);
    ~CPrintPainter();
    CPrintPainter(const CPrintPainter&) = delete;
    CPrintPainter& operator=(const CPrintPainter&) = delete;

    const PrintJob& job() const { return m_Job; }
    bool thumbnails() const { return IsThumbnailJob(m_Job.Setup); }

    // The layout for a device: its printable area (a printer's paint
    // rectangle, exact) and resolution, and the caption font's line height.
    void prepare(QPaintDevice& device);
    const CPrintLayout& layout() const { return *m_Layout; }
    int pageCount() const { return m_Layout ? m_Layout->PageCount() : 0; }

    // Draws page (from 0) of the prepared layout; the painter's origin is the
    // top left corner of the printable area, in device pixels.
    void paintPage(QPainter& painter, int page);
    // Prepares for the printer and draws every page, or the printer's page
    // range. False when the printer or file cannot be opened or written.
    bool print(QPrinter& printer);

    // Known before drawing: the job prints only the shown image, which is
    // larger than the printable area of the prepared layout.
    bool shownImageTooLarge() const;

    // What drawing found, each once: "Error loading " lines, and whether an
    // image was larger than the paper's printable area. Shown by the caller
    // after the job, never while pages are drawn.
    const QStringList& errors() const { return m_Errors; }
    bool tooLarge() const { return m_TooLarge; }

    // The largest resolution images are sent at, in pixels per inch: finer
    // detail does not show on paper, and a thumbnail page stays small.
    static constexpr int kMaxPixelsPerInch = 300;

    struct Picture;

private:
    // Decodes (or takes the shown image), then reduces it to the device
    // pixels of the rectangle place() gives for the image's size. box: the
    // print units the image will at most cover, when known before decoding.
    Picture makePicture(const PrintFile& file, const std::function<PrintRect(int, int)>& place,
                        const PrintRect* box) const;
    // Device pixels an image covering units print units is sent with.
    int rasterLength(double units, double dpi) const;
    QRectF toDevice(const PrintRect& r) const;
    void drawPicture(QPainter& painter, const Picture& picture);
    void drawLine(QPainter& painter, const QString& text, const PrintRect& line);
    void noteError(const std::string& path);

    PrintJob m_Job;
    std::unique_ptr<CPrintLayout> m_Layout;
    double m_DpiX = 100, m_DpiY = 100;
    QFont m_Font;
    QStringList m_Errors;
    bool m_TooLarge = false;
};
