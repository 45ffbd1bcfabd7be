// The browser side of the main window: folders, listing, selection, sorting,
// navigation, favourites and the address list.
#include "app/MainWindow.h"

#include "app/CommandTable.h"
#include "app/FavoriteDialogs.h"
#include "app/FileListView.h"
#include "app/FolderTreeView.h"
#include "app/GroupDialog.h"
#include "app/MessageBox.h"
#include "app/QtTypeNames.h"
#include "app/SlideShowControl.h"
#include "browser/StatusTexts.h"
#include "base/FileName.h"
#include "platform/Directory.h"
#include "view/Preview.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QAbstractItemView>
#include <QMenu>

#include <cstdio>

bool CMainWindow::goToFolder(const std::string& path, const std::string& nameToSelect)
{
    m_SlideShow->stop(true);
    std::string error;
    if (!m_Navigator.EnterWithFallback(path, error)) {
        MessageBox::Error(this, QString::fromStdString(error));
        return false;
    }
    listFolder();
    showFolder(false);
    addToAddressList();
    const long row = nameToSelect.empty() ? -1 : m_Listing.FindRow(nameToSelect);
    if (row >= 0)
        focusRow(row, false);
    else
        clearPreview();
    updateStatusTexts();
    updateActions();
    return true;
}

void CMainWindow::listFolder()
{
    QElapsedTimer timer;
    timer.start();
    ListingOptions options;
    options.ShowHidden = m_Settings.ShowHiddenFiles != 0;
    options.HideNonImages = m_Settings.HideNonImages != 0;
    const bool read = m_Listing.ListFolder(m_Navigator.CurrentFolder(), options, m_Types.get());
    m_FolderNote = read ? QString() : QStringLiteral("The folder cannot be read.");
    setPane(kMessagePane, messageText());
    m_FileList->rebuild();
    m_CurrentFile.clear();
    preloadNeighbours();  // another folder, or the same one read again: nothing held ahead
    if (m_Timing) {
        m_FileList->currentView()->viewport()->repaint();
        std::fprintf(stderr, "listed %zu rows and showed them in %.3f s\n", m_Listing.RowCount(),
                     timer.nsecsElapsed() / 1e9);
    }
}

void CMainWindow::showFolder(bool rebuildTree)
{
    if (rebuildTree)
        m_Tree->rebuild();
    const std::string shown = m_Tree->selectFolder(m_Navigator.CurrentFolder());
    if (shown.empty())
        MessageBox::Error(this, QString::fromStdString("Folder: " + m_Navigator.CurrentFolder() + " not found."));
    else if (shown != m_Navigator.CurrentFolder())
        m_Navigator.SetFolder(shown);
    setPane(kFreeSpacePane, QString::fromStdString(FreeSpaceText(FreeSpace(m_Navigator.CurrentFolder()),
                                                                 m_Settings.FileSizeUnit)));
    updateStatusTexts();
}

void CMainWindow::refresh()
{
    const std::string folder = m_Navigator.CurrentFolder();
    const std::string current = m_CurrentFile;
    std::string error;
    if (!m_Navigator.EnterWithFallback(folder.empty() ? CurrentFolder() : folder, error)) {
        MessageBox::Error(this, QString::fromStdString(error));
        return;
    }
    listFolder();
    if (m_Navigator.CurrentFolder() != folder) {
        // The folder vanished and one of its parents is shown instead.
        showFolder(true);
        addToAddressList();
    }
    const long row = current.empty() ? -1 : m_Listing.FindRow(current);
    if (row >= 0)
        focusRow(row, m_ViewerMode);
    else
        clearPreview();
    updateStatusTexts();
}

void CMainWindow::focusRow(long row, bool asked)
{
    m_FileList->setCurrentRow(row, true);
    m_CurrentFile = m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
    loadCurrent(asked);
}

void CMainWindow::onSelectionEdited()
{
    updateStatusTexts();
    updateActions();
}

void CMainWindow::onCurrentRowChanged(long row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_Listing.RowCount()) {
        m_CurrentFile.clear();
        return;
    }
    const std::string name = m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
    if (name == m_CurrentFile && m_Preview->hasImage())
        return;
    m_CurrentFile = name;
    loadCurrent(m_ViewerMode);
    updateStatusTexts();
}

void CMainWindow::onRowActivated(long row)
{
    if (row < 0 || m_ViewerMode)
        return;
    m_CurrentFile = m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
    runCommand(ID_VIEWER);
}

void CMainWindow::onHeaderClicked(int position)
{
    if (!m_Listing.HeaderClicked(position))
        return;
    m_Settings.SortKey = m_Listing.SortKeyValue();
    m_Settings.SortAscending = m_Listing.SortAscending() ? 1 : 0;
    m_FileList->reordered();
    updateActions();
}

void CMainWindow::sortCommand(int id)
{
    m_FileList->rowsChanging();
    bool changed = false;
    switch (id) {
    case ID_SORT_NAME: changed = m_Listing.SortByKey(kSortFilename); break;
    case ID_SORT_EXTENSION: changed = m_Listing.SortByKey(kSortExtension); break;
    case ID_SORT_SIZE: changed = m_Listing.SortByKey(kSortSize); break;
    case ID_SORT_DATE: changed = m_Listing.SortByKey(kSortDate); break;
    case ID_SORT_TYPE: changed = m_Listing.SortByKey(kSortType); break;
    case ID_SORT_FORWARD: changed = m_Listing.SortDirection(true); break;
    case ID_SORT_BACKWARD: changed = m_Listing.SortDirection(false); break;
    }
    if (!changed)
        return;
    m_Settings.SortKey = m_Listing.SortKeyValue();
    m_Settings.SortAscending = m_Listing.SortAscending() ? 1 : 0;
    m_FileList->reordered();
}

void CMainWindow::columnCommand(int id)
{
    Column column = Column::Extension;
    int32_t* flag = &m_Settings.ShowExtensionColumn;
    switch (id) {
    case ID_COLUMN_SIZE: column = Column::Size; flag = &m_Settings.ShowSizeColumn; break;
    case ID_COLUMN_DATE: column = Column::Date; flag = &m_Settings.ShowDateColumn; break;
    case ID_COLUMN_ATTRIBUTES: column = Column::Attributes; flag = &m_Settings.ShowAttributesColumn; break;
    case ID_COLUMN_TYPE: column = Column::Type; flag = &m_Settings.ShowTypeColumn; break;
    default: break;
    }
    m_FileList->rowsChanging();
    m_Listing.ToggleColumn(column);
    *flag = m_Listing.Columns().IsVisible(column) ? 1 : 0;
    m_Settings.SortKey = m_Listing.SortKeyValue();
    m_FileList->columnsChanged();
}

void CMainWindow::toggleListOption(int id)
{
    if (id == ID_SHOW_HIDDEN) {
        m_Settings.ShowHiddenFiles = !m_Settings.ShowHiddenFiles;
        m_Tree->setShowHidden(m_Settings.ShowHiddenFiles != 0);
    } else {
        m_Settings.HideNonImages = !m_Settings.HideNonImages;
    }
    const std::vector<std::string> previous = m_Listing.SelectedNames();
    const std::string current = m_CurrentFile;
    listFolder();
    const bool kept = m_Listing.RestoreSelection(previous, current);
    m_FileList->pushSelection();
    const long row = current.empty() ? -1 : m_Listing.FindRow(current);
    if (row >= 0) {
        m_FileList->setCurrentRow(row, false);
        m_CurrentFile = m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
    }
    if (!kept || row < 0)
        clearPreview();
    updateStatusTexts();
}

void CMainWindow::selectionCommand(int id)
{
    switch (id) {
    case ID_SELECT_ALL:
        m_Listing.SelectAll();
        break;
    case ID_UNSELECT_ALL:
        m_Listing.UnselectAll();
        clearPreview();
        break;
    case ID_INVERT_SELECTION:
        m_Listing.InvertSelection();
        clearPreview();
        break;
    case ID_SELECT_GROUP:
    case ID_UNSELECT_GROUP: {
        const bool select = id == ID_SELECT_GROUP;
        CGroupDialog dialog(select, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const GroupCriteria criteria = dialog.criteria();
        if (!criteria.AnyChecked())
            return;
        if (select)
            m_Listing.SelectGroup(criteria);
        else
            m_Listing.UnselectGroup(criteria);
        clearPreview();
        break;
    }
    }
    m_FileList->pushSelection();
    updateStatusTexts();
}

void CMainWindow::navigationCommand(int id)
{
    std::string error;
    const std::string oldDrive = m_Navigator.Drive();
    bool moved = false;
    switch (id) {
    case ID_BACK: moved = m_Navigator.Back(error); break;
    case ID_UP: moved = m_Navigator.Up(error); break;
    case ID_HOME: moved = m_Navigator.Home(m_Settings.HomeFolder, error); break;
    }
    if (!moved) {
        if (!error.empty())
            MessageBox::Error(this, QString::fromStdString(error));
        return;
    }
    listFolder();
    showFolder(false);
    clearPreview();
    if (id == ID_BACK) {
        const long index = m_Recent.Find(m_Navigator.CurrentFolder());
        if (index >= 0)
            m_Address->setCurrentIndex(static_cast<int>(index));
    } else {
        addToAddressList();
    }
    updateStatusTexts();
}

void CMainWindow::addToAddressList()
{
    const std::string folder = m_Navigator.CurrentFolder();
    if (folder.empty())
        return;
    const size_t index = m_Recent.AddToAddressList(folder);
    const auto& items = m_Recent.Items();
    for (size_t i = static_cast<size_t>(m_Address->count()); i < items.size(); ++i)
        m_Address->addItem(QString::fromStdString(items[i]));
    m_Address->setCurrentIndex(static_cast<int>(index));
}

void CMainWindow::favouritesMenuChanged()
{
    if (!m_FavouritesMenu)
        return;
    for (QAction* old : m_FavouritesMenu->actions())
        if (old->property("favourite").isValid())
            m_FavouritesMenu->removeAction(old), old->deleteLater();
    if (m_Favourites.Count() == 0)
        return;
    QAction* separator = m_FavouritesMenu->addSeparator();
    separator->setProperty("favourite", -1);
    for (size_t i = 0; i < m_Favourites.Count(); ++i) {
        const Favourite& favourite = m_Favourites.GetFavourite(i);
        QAction* entry = m_FavouritesMenu->addAction(QString::fromStdString(favourite.Name));
        entry->setProperty("favourite", static_cast<int>(i));
        entry->setStatusTip(QString::fromStdString(favourite.File.empty() ? favourite.Folder
                                                                          : favourite.Folder + "/" + favourite.File));
        connect(entry, &QAction::triggered, this, [this, i] { openFavourite(i); });
    }
}

void CMainWindow::openFavourite(size_t index)
{
    if (index >= m_Favourites.Count())
        return;
    const Favourite favourite = m_Favourites.GetFavourite(index);
    if (!m_Navigator.Enter(favourite.Folder)) {
        MessageBox::Error(this, QString::fromLatin1(CNavigator::kFolderNotExist));
        return;
    }
    if (m_ViewerMode)
        setViewerMode(false);
    goToFolder(favourite.Folder, favourite.File);
}

void CMainWindow::addFavourite()
{
    const std::string folder = m_Navigator.CurrentFolder();
    const std::string file = m_Preview->hasImage() && m_ShownFolder == folder ? m_ShownName : std::string();
    std::string proposed = file;
    if (proposed.empty())
        proposed = folder == "/" ? folder : FileNamePart(folder);
    CAddFavoriteDialog dialog(QString::fromStdString(proposed), this);
    if (dialog.exec() != QDialog::Accepted || dialog.name().trimmed().isEmpty())
        return;
    m_Favourites.AddFavourite(dialog.name().trimmed().toStdString(), folder, file, 0);
    favouritesMenuChanged();
}

void CMainWindow::organizeFavourites()
{
    COrganizeFavoritesDialog dialog(m_Favourites, this);
    dialog.exec();
    favouritesMenuChanged();
}
