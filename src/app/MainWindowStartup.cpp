// Start-up, closing and the window's own state.
#include "app/MainWindow.h"

#include "app/FileListView.h"
#include "app/MessageBox.h"
#include "app/SlideShowControl.h"
#include "app/WindowPlacement.h"
#include "base/FileName.h"
#include "platform/ConfigFolder.h"
#include "platform/Directory.h"
#include "view/Preview.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QSettings>
#include <QStatusBar>
#include <QSplitter>

#include <algorithm>
#include <cstdlib>

namespace {

// The toolkit's window and bar layout; beside our own files when the
// configuration folder is overridden (tests), else under the company key.
std::unique_ptr<QSettings> LayoutStore()
{
    if (std::getenv("OCULANE_CONFIG_DIR"))
        return std::make_unique<QSettings>(QString::fromStdString(JoinPath(ConfigFolder(), "layout.ini")),
                                           QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Varnosk Software"), QStringLiteral("Oculane"));
}

} // namespace

bool CMainWindow::startUp(const std::string& commandLinePath)
{
    // The bar layout, then favourites, settings and recent folders in that order.
    auto layout = LayoutStore();
    // A size the caller chose (tests, screenshots) is kept on a first start.
    if (!restoreGeometry(layout->value("geometry").toByteArray()) && !testAttribute(Qt::WA_Resized))
        PlaceOnFirstStart(this);
    restoreState(layout->value("state").toByteArray());
    m_ToolbarOn = layout->value("toolbar", true).toBool();
    statusBar()->setVisible(layout->value("statusBar", true).toBool());
    m_FileList->columnWidths().restore(layout->value("columnWidths").toString());

    m_Favourites.LoadFavourites(JoinPath(ConfigFolder(), CFavourites::kFileName));
    if (!m_Settings.Load())
        m_Settings.SetDefaults();
    if (m_Settings.SaveRecentFolders) {
        m_Recent.LoadRecentFolders(JoinPath(ConfigFolder(), CRecentFolders::kFileName));
        for (const std::string& folder : m_Recent.Items())
            m_Address->addItem(QString::fromStdString(folder));
        m_Address->setCurrentIndex(-1);
    }
    applyListSettings();
    // The panes keep the shares they had at the last exit.
    const float treeShare = m_Settings.FolderTreeFraction > 0.05f && m_Settings.FolderTreeFraction < 0.95f
                                ? m_Settings.FolderTreeFraction : 0.25f;
    const float previewShare = m_Settings.PreviewFraction > 0.05f && m_Settings.PreviewFraction < 0.95f
                                   ? m_Settings.PreviewFraction : 0.5f;
    const int width = std::max(m_MainSplit->width(), this->width());
    const int height = std::max(m_LeftSplit->height(), this->height());
    const int left = static_cast<int>(static_cast<float>(width) * treeShare);
    const int preview = static_cast<int>(static_cast<float>(height) * previewShare);
    m_MainSplit->setSizes({left, width - left});
    m_LeftSplit->setSizes({height - preview, preview});
    setViewerMode(false);

    if (!commandLinePath.empty()) {
        const std::string path = AbsoluteNormalPath(commandLinePath);
        const bool isFolder = IsFolder(path);
        const std::string folder = isFolder ? path : FolderPart(path);  // absolute: never empty
        if (!m_Navigator.Enter(folder)) {
            MessageBox::Error(this, QStringLiteral("Error during startup"));
            return false;
        }
        const std::string name = isFolder ? std::string() : FileNamePart(path);
        openImageFirst(folder, name);
        return true;
    }

    std::string start = CurrentFolder();
    // A home folder that cannot be entered leaves the start folder current.
    if (m_Settings.AlwaysStartInHomeFolder && !m_Settings.HomeFolder.empty() &&
        CompareNoCase(m_Settings.HomeFolder, start) != 0 && m_Navigator.Enter(m_Settings.HomeFolder))
        start = m_Navigator.CurrentFolder();
    goToFolder(start);
    return true;
}

void CMainWindow::closeEvent(QCloseEvent* event)
{
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    m_SlideShow->stop(false);
    if (!m_SaveOnClose) {
        event->accept();
        return;
    }
    m_Favourites.SaveFavourites(JoinPath(ConfigFolder(), CFavourites::kFileName));
    const QList<int> main = m_MainSplit->sizes();
    if (main.size() == 2 && main[0] + main[1] > 0)
        m_Settings.FolderTreeFraction = static_cast<float>(main[0]) / static_cast<float>(main[0] + main[1]);
    const QList<int> left = m_LeftSplit->sizes();
    if (left.size() == 2 && left[0] + left[1] > 0)
        m_Settings.PreviewFraction = static_cast<float>(left[1]) / static_cast<float>(left[0] + left[1]);
    if (m_Settings.SaveSettings)
        m_Settings.Save();
    if (m_Settings.SaveRecentFolders)
        m_Recent.SaveRecentFolders(JoinPath(ConfigFolder(), CRecentFolders::kFileName));
    auto layout = LayoutStore();
    layout->setValue("geometry", saveGeometry());
    layout->setValue("state", saveState());
    layout->setValue("toolbar", m_ToolbarOn);
    layout->setValue("statusBar", !statusBar()->isHidden());
    layout->setValue("columnWidths", m_FileList->columnWidths().stored());
    event->accept();
}

void CMainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        m_WasMinimised = true;
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_WasMinimised) {
        m_WasMinimised = false;
        if (m_Settings.AutoRefresh && !m_ViewerMode)
            refresh();
    }
    QMainWindow::changeEvent(event);
}

bool CMainWindow::isIdle() const
{
    return !m_Preview->isLoading() && !m_SlideShow->starting() && !m_FirstImagePending &&
           !m_FileList->thumbnailsBusy();
}
