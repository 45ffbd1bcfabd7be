// Opening a file (command line, Open): its image is decoded and put on screen
// before the folder is listed, so a huge or slow folder does not keep the
// picture waiting. The listing follows once the image has been painted.
#include "app/MainWindow.h"

#include "app/FileListView.h"
#include "app/MessageBox.h"
#include "app/SlideShowControl.h"
#include "view/Preview.h"

#include <QEvent>
#include <QTimer>

namespace {

// Lists anyway when no paint comes (a hidden or minimised window).
constexpr int kListingFallbackMs = 400;

} // namespace

void CMainWindow::openImageFirst(const std::string& folder, const std::string& name)
{
    const bool decodes = m_ViewerMode || m_Settings.EnablePreview != 0;
    if (name.empty() || !decodes) {
        goToFolder(folder, name);
        return;
    }
    m_SlideShow->stop(true);
    if (!confirmDiscard())
        return;
    m_FirstImageFolder = folder;
    m_FirstImageName = name;
    m_FirstImagePending = true;
    m_FirstImagePainted = false;
    // The file to show until the listing names it (a mode switch meanwhile
    // loads this one).
    m_CurrentFile = name;
    loadPath(folder, name);
}

void CMainWindow::firstImageShown()
{
    if (!m_FirstImagePending || m_Preview->isLoading())
        return;
    // Once the view has painted the outcome, the listing follows.
    if (!m_FirstImagePainted) {
        m_FirstImagePainted = true;
        m_Preview->installEventFilter(this);
        m_Preview->update();
        QTimer::singleShot(kListingFallbackMs, this, [this] { listAfterFirstImage(); });
    }
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_Preview && event->type() == QEvent::Paint && m_FirstImagePending && m_FirstImagePainted) {
        m_Preview->removeEventFilter(this);
        // After this paint has been done and flushed.
        QTimer::singleShot(0, this, [this] { listAfterFirstImage(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainWindow::listAfterFirstImage()
{
    if (!m_FirstImagePending)
        return;
    m_FirstImagePending = false;
    m_Preview->removeEventFilter(this);
    std::string error;
    if (!m_Navigator.EnterWithFallback(m_FirstImageFolder, error)) {
        MessageBox::Error(this, QString::fromStdString(error));
        return;
    }
    listFolder();
    showFolder(false);
    addToAddressList();
    // The image is on screen already: its row is selected, not loaded again.
    // A file the list does not show (hidden, filtered) stays shown.
    const long row = m_Listing.FindRow(m_FirstImageName);
    if (row >= 0) {
        m_FileList->setCurrentRow(row, true);
        m_CurrentFile = m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
        if (m_ShownName != m_CurrentFile || m_ShownFolder != m_Navigator.CurrentFolder())
            loadCurrent(false);
    }
    updateStatusTexts();
    updateActions();
    preloadNeighbours();
}
