// The image side of the main window: loading, zoom, placement, stepping
// through the folder, clipboard, wallpaper.
#include "app/MainWindow.h"
#include "base/FileName.h"
#include "formats/FormatTable.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MessageBox.h"
#include "app/QtClipboard.h"
#include "app/SaveCommands.h"
#include "app/SlideShowControl.h"
#include "browser/FileCells.h"
#include "browser/StatusTexts.h"
#include "platform/ConfigFolder.h"
#include "save/Wallpaper.h"
#include "view/Preview.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

uint64_t FileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}

} // namespace

void CMainWindow::loadCurrent(bool asked)
{
    // A running show puts the images on screen itself.
    if (m_SlideShow->running() && !m_CurrentFile.empty())
        return;
    if (m_CurrentFile.empty()) {
        clearPreview();
        return;
    }
    if (!m_ViewerMode && !asked && m_Settings.EnablePreview == 0) {
        // Nothing is decoded; an image the viewer showed keeps its place in
        // the preview, fitted as the preview fits.
        m_Preview->fitAgain(m_Settings.PreviewPlacement, m_Settings.PreviewShrink != 0,
                            m_Settings.PreviewEnlarge != 0);
        setPane(kStatePane, QString::fromLatin1(kNoPreviewText));
        return;
    }
    loadPath(m_Navigator.CurrentFolder(), m_CurrentFile);
}

void CMainWindow::loadPath(const std::string& folder, const std::string& name)
{
    if (!confirmDiscard())
        return;
    m_LoadingFolder = folder;
    m_LoadingName = name;
    m_LoadRequested = std::chrono::steady_clock::now();
    const std::string path = JoinPath(folder, name);
    if (m_ViewerMode)
        m_Preview->load(path, 2, m_Settings.ViewerShrink != 0, m_Settings.ViewerEnlarge != 0);
    else
        m_Preview->load(path, m_Settings.PreviewPlacement, m_Settings.PreviewShrink != 0,
                        m_Settings.PreviewEnlarge != 0);
}

void CMainWindow::clearPreview()
{
    // A changed image (a pasted one) is not dropped unasked; "Yes" keeps it shown.
    if (!confirmDiscard())
        return;
    m_Preview->clear();
    m_ShownName.clear();
    m_ImageInfo.clear();
    setPane(kMessagePane, messageText());
    updateTitle();
    updateActions();
}

bool CMainWindow::confirmDiscard()
{
    if (!m_Preview->hasImage() || !m_Preview->document().modified())
        return true;
    switch (MessageBox::AskYesNoCancel(this, QStringLiteral("Do you want to save your changes?"))) {
    case MessageBox::kYes:
        // Whatever asked goes on only once the image is safely written; the
        // folder is listed again after it.
        return CSaveCommands::saveAs(*this, m_ShownName, true);
    case MessageBox::kNo:
        // The changes are given up: what replaces the image need not ask again.
        m_Preview->document().setModified(false);
        return true;
    default:
        return false;
    }
}

void CMainWindow::onLoadStarted()
{
    setPane(kStatePane, QString::fromLatin1(kLoadingText));
}

void CMainWindow::onLoadFinished(bool ok, const QString& error)
{
    // Until now the title, Reload and Set Wallpaper meant the image still shown.
    m_ShownFolder = m_LoadingFolder;
    m_ShownName = m_LoadingName;
    if (ok) {
        const CWinBmp& image = m_Preview->image();
        if (m_ViewerMode)
            setPane(kStatePane, QString::fromStdString(ViewerImageText(image.Width, image.Height,
                                                                       image.SourceBitsPerPixel)));
        else
            setPane(kStatePane, QString::fromStdString(LoadedInText(m_Preview->lastLoadMilliseconds())));
        m_ImageInfo = imageInformation();
        if (m_Timing) {
            m_Preview->repaint();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - m_LoadRequested).count();
            std::fprintf(stderr, "preview painted %dx%d in %.3f s\n", image.Width, image.Height, seconds);
        }
    } else {
        setPane(kStatePane, QString::fromLatin1(kUnknownFormatText));
        m_ImageInfo.clear();
        if (m_Timing)
            std::fprintf(stderr, "load failed: %s\n", error.toUtf8().constData());
    }
    setPane(kMessagePane, messageText());
    updateTitle();
    updateActions();
    preloadNeighbours();
    firstImageShown();
    // What a decoder had to say about a damaged file, once it is shown.
    // A copy: the boxes run their own event loops, in which another load may
    // finish and replace the list.
    const QStringList notices = m_Preview->lastNotices();
    for (const QString& notice : notices)
        MessageBox::Warning(this, notice);
}

void CMainWindow::imageChanged()
{
    if (m_Preview->hasImage())
        m_ImageInfo = imageInformation();
    setPane(kMessagePane, messageText());
    updateTitle();
}

bool CMainWindow::imageReady() const
{
    return m_Preview->hasImage() && !m_Preview->isLoading();
}

QString CMainWindow::imageInformation() const
{
    const CWinBmp& image = m_Preview->image();
    std::string text = ImageDimensionsText(m_Preview->sourceWidth(), m_Preview->sourceHeight(),
                                           image.SourceBitsPerPixel, m_Settings.ImageSizeUnit);
    if (!m_ShownName.empty())
        text += "    " + FileSizeText(FileSize(JoinPath(m_ShownFolder, m_ShownName)), m_Settings.FileSizeUnit);
    return QString::fromStdString(text);
}

void CMainWindow::zoomCommand(int id)
{
    switch (id) {
    case ID_ZOOM_MORE: m_Preview->more(); return;
    case ID_ZOOM_LESS: m_Preview->less(); return;
    case ID_BEST_FIT: m_Preview->bestFit(); return;
    default: break;
    }
    const double factor = ZoomFactor(id);
    if (factor > 0)
        m_Preview->setZoom(factor);
}

void CMainWindow::placementCommand(int id)
{
    const int placement = id == ID_PLACE_UPPER_RIGHT ? 1 : id == ID_PLACE_CENTRE ? 2 : 0;
    if (m_ViewerMode || placement == m_Settings.PreviewPlacement)
        return;
    m_Settings.PreviewPlacement = placement;
    m_Preview->setPlacement(placement);
}

void CMainWindow::stepImage(int id)
{
    const long rows = static_cast<long>(m_Listing.RowCount());
    if (rows == 0)
        return;
    const long current = m_CurrentFile.empty() ? -1 : m_Listing.FindRow(m_CurrentFile);
    long target = current;
    switch (id) {
    case ID_NEXT: target = current + 1; break;
    case ID_PREVIOUS: target = current < 0 ? 0 : current - 1; break;
    case ID_FIRST: target = 0; break;
    case ID_LAST: target = rows - 1; break;
    }
    if (target < 0 || target >= rows || target == current)
        return;
    // Asked before moving, so that keeping an edited image keeps its place too.
    if (!confirmDiscard())
        return;
    m_Listing.UnselectAll();
    focusRow(target, true);
    updateStatusTexts();
}

void CMainWindow::copyImage()
{
    CQtClipboard clipboard;
    m_Preview->image().CopyToClipboard(clipboard);
}

void CMainWindow::pasteNewImage()
{
    if (!confirmDiscard())
        return;
    CQtClipboard clipboard;
    auto image = std::make_unique<CWinBmp>();
    if (!image->PasteFromClipboard(clipboard)) {
        MessageBox::Information(this, QStringLiteral("The clipboard holds no image."));
        return;
    }
    m_Preview->setImage(std::move(image), true);
    m_ShownName.clear();
    m_ImageInfo = imageInformation();
    setPane(kMessagePane, messageText());
    setPane(kStatePane, QString::fromLatin1(kDoneText));
    updateTitle();
    updateActions();
}

void CMainWindow::setWallpaper()
{
    CSystemDesktop desktop;
    std::string error;
    // A pasted image has no file: what is shown is written, never a file that
    // happens to bear a proposed name.
    const std::string file = m_ShownName.empty() ? std::string() : JoinPath(m_ShownFolder, m_ShownName);
    if (!SetWallpaper(file, m_Preview->image(), desktop, error))
        MessageBox::Error(this, QString::fromStdString(error));
}

void CMainWindow::openFile()
{
    m_SlideShow->stop(true);
    QString filter = QStringLiteral("Images (");
    for (const std::string& ext : ReadableExtensions())
        filter += QStringLiteral("*.%1 *.%2 ").arg(QString::fromStdString(ext), QString::fromStdString(ext).toUpper());
    filter = filter.trimmed() + QStringLiteral(");;All files (*)");
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open"), QString::fromStdString(m_Navigator.CurrentFolder()), filter);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    openImageFirst(info.absolutePath().toStdString(), info.fileName().toStdString());
}
