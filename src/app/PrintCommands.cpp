#include "app/PrintCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/PrintSetupDialog.h"
#include "base/FileName.h"
#include "browser/FolderListing.h"
#include "settings/Settings.h"
#include "view/Preview.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <filesystem>
#include <memory>
#include <system_error>

const char* const CPrintCommands::kTextTooLarge = "The image is larger than the paper's printable area.";
const char* const CPrintCommands::kTextCannotPrint = "Can't print.";

namespace {

CPrintCommands::PrintDialog& PrintDialogHook()
{
    static CPrintCommands::PrintDialog hook;
    return hook;
}

CPrintCommands::PreviewDialog& PreviewDialogHook()
{
    static CPrintCommands::PreviewDialog hook;
    return hook;
}

bool RunPrintDialog(QWidget* parent, QPrinter& printer, int pageCount)
{
    if (PrintDialogHook())
        return PrintDialogHook()(parent, printer, pageCount);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, pageCount > 1);
    dialog.setMinMax(1, std::max(pageCount, 1));
    return dialog.exec() == QDialog::Accepted;
}

void RunPreviewDialog(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter*)>& paint)
{
    if (PreviewDialogHook()) {
        PreviewDialogHook()(parent, printer, paint);
        return;
    }
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
}

uint64_t FileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}

// The current folder's file lists as a job chooses from them.
PrintCandidates Candidates(const CFolderListing& listing, const std::string& folder)
{
    PrintCandidates from;
    from.Listed.reserve(listing.RowCount());
    for (size_t row = 0; row < listing.RowCount(); ++row) {
        const FileItem& item = listing.ItemAtRow(row);
        from.Listed.push_back({JoinPath(folder, item.Name), item.Size});
        if (listing.IsSelected(row))
            from.Selected.push_back(from.Listed.back());
    }
    return from;
}

} // namespace

void CPrintCommands::SetPrintDialog(PrintDialog dialog)
{
    PrintDialogHook() = std::move(dialog);
}

void CPrintCommands::SetPreviewDialog(PreviewDialog dialog)
{
    PreviewDialogHook() = std::move(dialog);
}

PrintJob CPrintCommands::makeJob(CMainWindow& w, int mode)
{
    PrintJob job;
    job.Setup = ReadPrintSetup(w.m_Settings);
    PrintCandidates from = Candidates(w.m_Listing, w.m_Navigator.CurrentFolder());
    if (w.m_Preview->hasImage()) {
        // The image as shown, with any change not yet saved.
        job.Shown = &w.m_Preview->image();
        if (!w.m_ShownName.empty())
            job.ShownPath = JoinPath(w.m_ShownFolder, w.m_ShownName);
        from.Current = {job.ShownPath, job.ShownPath.empty() ? 0 : FileSize(job.ShownPath)};
    }
    job.Files = PrintFiles(mode, job.Setup, from);
    return job;
}

bool CPrintCommands::showSetup(CMainWindow& w)
{
    const bool image = w.imageReady();
    CPrintSetupDialog dialog(w.m_Settings, image ? w.m_Preview->image().Width : 0,
                             image ? w.m_Preview->image().Height : 0, &w);
    return dialog.exec() == QDialog::Accepted;
}

void CPrintCommands::report(QWidget* parent, const CPrintPainter& painter, bool tooLargeShown)
{
    if (painter.tooLarge() && !tooLargeShown)
        MessageBox::Warning(parent, QString::fromLatin1(kTextTooLarge));
    if (!painter.errors().isEmpty())
        MessageBox::Error(parent, painter.errors().join(QLatin1Char('\n')));
}

void CPrintCommands::print(CMainWindow& w, int mode)
{
    CSettings& settings = w.m_Settings;
    if (mode == kPrintIndex)
        settings.PrintSize = kPrintSizeThumbnails;
    else if (settings.PrintSize == kPrintSizeThumbnails)
        settings.PrintSize = kPrintSizeDefault;
    if (settings.ShowPrintSetup && !showSetup(w))
        return;
    PrintJob job = makeJob(w, mode);
    if (job.Files.empty())
        return;

    QPrinter printer(QPrinter::HighResolution);
    CPrintPainter painter(std::move(job));
    painter.prepare(printer);
    if (!RunPrintDialog(&w, printer, painter.pageCount()))
        return;
    painter.prepare(printer);
    // Known before the first page for the shown image: warned about first.
    const bool tooLarge = painter.shownImageTooLarge();
    if (tooLarge)
        MessageBox::Warning(&w, QString::fromLatin1(kTextTooLarge));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool printed = painter.print(printer);
    QApplication::restoreOverrideCursor();
    if (!printed)
        MessageBox::Error(&w, QString::fromLatin1(kTextCannotPrint));
    report(&w, painter, tooLarge);
}

void CPrintCommands::preview(CMainWindow& w, int mode)
{
    PrintJob job = makeJob(w, mode);
    if (job.Files.empty())
        job = makeJob(w, kPrintCurrent);
    if (job.Files.empty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    CPrintPainter painter(std::move(job));
    // The preview's own Print button prints through the same painter.
    RunPreviewDialog(&w, printer, [&painter](QPrinter* target) { painter.print(*target); });
    report(&w, painter, false);
}

void CPrintCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    // The mode of the last print command, which Preview shows.
    auto lastMode = std::make_shared<int>(kPrintCurrent);
    auto showsCurrentFile = [&w] {
        return w.imageReady() && !w.m_CurrentFile.empty() && w.m_ShownName == w.m_CurrentFile &&
               w.m_ShownFolder == w.m_Navigator.CurrentFolder();
    };
    commands.add(ID_PRINT_SETUP, [&w] { showSetup(w); });
    commands.add(
        ID_PRINT,
        [&w, lastMode] {
            *lastMode = kPrintCurrent;
            print(w, kPrintCurrent);
        },
        showsCurrentFile);
    commands.add(
        ID_PRINT_ALL,
        [&w, lastMode] {
            *lastMode = kPrintSelected;
            print(w, kPrintSelected);
        },
        [&w] { return w.m_Listing.SelectedCount() > 1; });
    commands.add(
        ID_PRINT_THUMBNAILS,
        [&w, lastMode] {
            *lastMode = kPrintIndex;
            print(w, kPrintIndex);
        },
        [&w] {
            return ReadPrintSetup(w.m_Settings).ThumbnailSource == 1 ? w.m_Listing.SelectedCount() > 0
                                                                     : w.m_Listing.RowCount() > 0;
        });
    commands.add(ID_PRINT_PREVIEW, [&w, lastMode] { preview(w, *lastMode); }, showsCurrentFile);
}

bool CPrintCommands::printToPdf(const QString& pdf, const std::vector<std::string>& paths, bool thumbnails,
                                QString& error, QString& warning)
{
    // The stored setup, read as the program's start-up reads it.
    CSettings settings;
    if (!settings.Load())
        settings.SetDefaults();
    settings.PrintSize = thumbnails ? kPrintSizeThumbnails : kPrintSizeDefault;

    std::vector<PrintFile> files;
    for (const std::string& path : paths) {
        std::error_code failure;
        if (std::filesystem::is_directory(path, failure)) {
            CFolderListing listing;
            ListingOptions options;
            options.ShowHidden = settings.ShowHiddenFiles != 0;
            options.HideNonImages = settings.HideNonImages != 0;
            if (!listing.ListFolder(path, options, nullptr)) {
                error = QStringLiteral("cannot read the folder ") + QString::fromStdString(path);
                return false;
            }
            const int key = settings.SortKey >= kSortFilename && settings.SortKey <= kSortType ? settings.SortKey
                                                                                               : kSortFilename;
            listing.SetSort(key, settings.SortAscending != 0);
            const PrintCandidates listed = Candidates(listing, path);
            files.insert(files.end(), listed.Listed.begin(), listed.Listed.end());
        } else if (std::filesystem::exists(path, failure)) {
            files.push_back({path, FileSize(path)});
        } else {
            error = QStringLiteral("no such file or folder: ") + QString::fromStdString(path);
            return false;
        }
    }
    if (files.empty()) {
        error = QStringLiteral("nothing to print");
        return false;
    }

    // The files given are both the selection and the list.
    PrintCandidates from;
    from.Current = files.front();
    from.Selected = files;
    from.Listed = std::move(files);
    PrintJob job;
    job.Setup = ReadPrintSetup(settings);
    const int mode = thumbnails ? kPrintIndex : from.Selected.size() == 1 ? kPrintCurrent : kPrintSelected;
    job.Files = PrintFiles(mode, job.Setup, from);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    // Paper has an edge the printer cannot reach; a PDF has none.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    CPrintPainter painter(std::move(job));
    if (!painter.print(printer)) {
        error = QStringLiteral("cannot write ") + pdf;
        return false;
    }
    if (painter.tooLarge())
        warning = QString::fromLatin1(kTextTooLarge);
    if (!painter.errors().isEmpty()) {
        error = painter.errors().front();
        if (painter.errors().size() > 1)
            error += QStringLiteral(" (and %1 more)").arg(painter.errors().size() - 1);
        return false;
    }
    return true;
}
