// Print Setup, Print, Print All, Print Thumbnails and Print Preview; and the
// same printing into a PDF file without a window (oculane --print).
#pragma once

#include "view/PrintPainter.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class CCommandDispatcher;
class CMainWindow;
class QPrinter;
class QWidget;

class CPrintCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

    // The printer dialog (false when cancelled), and the preview window, which
    // calls paint for each rendering of its pages. Tests put their own in; an
    // empty one brings Qt's back.
    using PrintDialog = std::function<bool(QWidget* parent, QPrinter& printer, int pageCount)>;
    using PreviewDialog =
        std::function<void(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter*)>& paint)>;
    static void SetPrintDialog(PrintDialog dialog);
    static void SetPreviewDialog(PreviewDialog dialog);

    // Prints the images of paths (a folder: its listed files, in the stored
    // order) into the PDF file pdf with the stored print setup: each on a page
    // of its own, or as thumbnail index pages. False with one line in error
    // when nothing could be printed, the file not be written, or a file not
    // be decoded (the others are printed). warning: the image was larger than
    // the printable area.
    static bool printToPdf(const QString& pdf, const std::vector<std::string>& paths, bool thumbnails,
                           QString& error, QString& warning);

    static const char* const kTextTooLarge;     // "The image is larger than the paper's printable area."
    static const char* const kTextCannotPrint;  // "Can't print."

private:
    static bool showSetup(CMainWindow& window);
    static void print(CMainWindow& window, int mode);
    static void preview(CMainWindow& window, int mode);
    static PrintJob makeJob(CMainWindow& window, int mode);
    // What the job found, shown once after it.
    static void report(QWidget* parent, const CPrintPainter& painter, bool tooLargeShown);
};
