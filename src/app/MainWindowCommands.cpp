// Routing of commands by id, and their enabled and checked states.
#include "app/MainWindow.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "view/Preview.h"

#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QToolBar>

namespace {

bool Between(int id, std::initializer_list<int> ids)
{
    for (int candidate : ids)
        if (candidate == id)
            return true;
    return false;
}

bool IsPreviewZoom(int id)
{
    return Between(id, {ID_PREVIEW_ZOOM_25, ID_PREVIEW_ZOOM_50, ID_PREVIEW_ZOOM_75, ID_PREVIEW_ZOOM_100,
                        ID_PREVIEW_ZOOM_150, ID_PREVIEW_ZOOM_200, ID_PREVIEW_ZOOM_300, ID_PREVIEW_ZOOM_500,
                        ID_PREVIEW_ZOOM_1000, ID_PREVIEW_ZOOM_1600});
}

bool IsViewerZoom(int id)
{
    return Between(id, {ID_ZOOM_MORE, ID_ZOOM_LESS, ID_ZOOM_25, ID_ZOOM_50, ID_ZOOM_75, ID_ZOOM_150, ID_ZOOM_200,
                        ID_ZOOM_300, ID_ZOOM_500, ID_ZOOM_1000, ID_ZOOM_1600, ID_BEST_FIT, ID_ACTUAL_SIZE});
}

} // namespace

void CMainWindow::runCommand(int id)
{
    if (!isCommandEnabled(id))
        return;
    switch (id) {
    case ID_FILE_OPEN: openFile(); break;
    case ID_PREVIEW: loadCurrent(true); break;
    case ID_RELOAD:
        if (!m_ShownName.empty())
            loadPath(m_ShownFolder, m_ShownName);
        break;
    case ID_VIEWER:
    case ID_BROWSER:
        setViewerMode(!m_ViewerMode);
        // Each mode shows the image with its own fit options.
        loadCurrent(m_ViewerMode);
        updateStatusTexts();
        updateTitle();
        break;
    case ID_EXIT: close(); break;
    case ID_COPY_IMAGE: copyImage(); break;
    case ID_PASTE_NEW_IMAGE: pasteNewImage(); break;
    case ID_SELECT_ALL:
    case ID_UNSELECT_ALL:
    case ID_INVERT_SELECTION:
    case ID_SELECT_GROUP:
    case ID_UNSELECT_GROUP: selectionCommand(id); break;
    case ID_VIEW_TOOLBAR:
        m_ToolbarOn = !m_ToolbarOn;
        m_BrowserBar->setVisible(!m_ViewerMode && m_ToolbarOn);
        m_ViewerBar->setVisible(m_ViewerMode && m_ToolbarOn);
        break;
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case ID_MODE_LARGE_ICONS:
    case ID_MODE_SMALL_ICONS:
    case ID_MODE_LIST:
    case ID_MODE_DETAILS: {
        const int mode = id == ID_MODE_SMALL_ICONS ? 0 : id == ID_MODE_LARGE_ICONS ? 1 : id == ID_MODE_LIST ? 2 : 3;
        m_Settings.ViewMode = mode;
        m_FileList->setViewMode(mode);
        break;
    }
    case ID_SORT_NAME:
    case ID_SORT_EXTENSION:
    case ID_SORT_SIZE:
    case ID_SORT_DATE:
    case ID_SORT_TYPE:
    case ID_SORT_FORWARD:
    case ID_SORT_BACKWARD: sortCommand(id); break;
    case ID_COLUMN_EXTENSION:
    case ID_COLUMN_SIZE:
    case ID_COLUMN_DATE:
    case ID_COLUMN_ATTRIBUTES:
    case ID_COLUMN_TYPE: columnCommand(id); break;
    case ID_FULL_ROW:
        m_Settings.FullRowSelect = !m_Settings.FullRowSelect;
        m_FileList->setFullRowSelection(m_Settings.FullRowSelect != 0);
        break;
    case ID_PLACE_UPPER_LEFT:
    case ID_PLACE_UPPER_RIGHT:
    case ID_PLACE_CENTRE: placementCommand(id); break;
    case ID_AUTO_LOAD: m_Settings.EnablePreview = !m_Settings.EnablePreview; break;
    case ID_HIDE_NON_IMAGES:
    case ID_SHOW_HIDDEN: toggleListOption(id); break;
    case ID_REFRESH: refresh(); break;
    case ID_AUTO_REFRESH: m_Settings.AutoRefresh = !m_Settings.AutoRefresh; break;
    case ID_BACK:
    case ID_UP:
    case ID_HOME: navigationCommand(id); break;
    case ID_ADD_FAVORITE: addFavourite(); break;
    case ID_ORGANIZE_FAVORITES: organizeFavourites(); break;
    case ID_NEXT:
    case ID_PREVIOUS:
    case ID_FIRST:
    case ID_LAST: stepImage(id); break;
    case ID_WALLPAPER: setWallpaper(); break;
    case ID_ABOUT:
    case ID_HELP_CONTENTS:
    case ID_HELP_USING: showAbout(id); break;
    default:
        if (IsPreviewZoom(id) || IsViewerZoom(id))
            zoomCommand(id);
        break;
    }
    updateActions();
}

bool CMainWindow::isCommandEnabled(int id) const
{
    if (!IsAvailable(id))
        return false;
    const bool image = m_Preview->hasImage();
    if (IsViewerZoom(id))
        return m_ViewerMode && image;
    if (IsPreviewZoom(id))
        return image;
    switch (id) {
    case ID_VIEWER:
        return !m_ViewerMode;
    case ID_BROWSER:
        return m_ViewerMode;
    case ID_COLUMN_NAME:
        return false;
    case ID_PREVIEW:
        return !m_ViewerMode && !m_CurrentFile.empty();
    case ID_RELOAD:
        return !m_ShownName.empty();
    case ID_COPY_IMAGE:
    case ID_WALLPAPER:
        return image;
    case ID_SELECT_ALL:
    case ID_UNSELECT_ALL:
    case ID_INVERT_SELECTION:
    case ID_SELECT_GROUP:
    case ID_UNSELECT_GROUP:
    case ID_BACK:
    case ID_UP:
    case ID_HOME:
        return !m_ViewerMode;
    case ID_NEXT:
    case ID_PREVIOUS:
    case ID_FIRST:
    case ID_LAST:
        return m_ViewerMode && m_Listing.RowCount() > 0;
    case ID_PLACE_UPPER_LEFT:
    case ID_PLACE_UPPER_RIGHT:
    case ID_PLACE_CENTRE:
        return !m_ViewerMode;
    default:
        return true;
    }
}

bool CMainWindow::isCommandChecked(int id) const
{
    switch (id) {
    case ID_VIEW_TOOLBAR: return m_ToolbarOn;
    case ID_VIEW_STATUS_BAR: return !statusBar()->isHidden();
    case ID_MODE_SMALL_ICONS: return m_Settings.ViewMode == 0;
    case ID_MODE_LARGE_ICONS: return m_Settings.ViewMode == 1;
    case ID_MODE_LIST: return m_Settings.ViewMode == 2;
    case ID_MODE_DETAILS: return m_Settings.ViewMode == 3;
    case ID_SORT_NAME: return m_Listing.SortKeyValue() == kSortFilename;
    case ID_SORT_EXTENSION: return m_Listing.SortKeyValue() == kSortExtension;
    case ID_SORT_SIZE: return m_Listing.SortKeyValue() == kSortSize;
    case ID_SORT_DATE: return m_Listing.SortKeyValue() == kSortDate;
    case ID_SORT_TYPE: return m_Listing.SortKeyValue() == kSortType;
    case ID_SORT_FORWARD: return m_Listing.SortAscending();
    case ID_SORT_BACKWARD: return !m_Listing.SortAscending();
    case ID_COLUMN_NAME: return true;
    case ID_COLUMN_EXTENSION: return m_Listing.Columns().IsVisible(Column::Extension);
    case ID_COLUMN_SIZE: return m_Listing.Columns().IsVisible(Column::Size);
    case ID_COLUMN_DATE: return m_Listing.Columns().IsVisible(Column::Date);
    case ID_COLUMN_ATTRIBUTES: return m_Listing.Columns().IsVisible(Column::Attributes);
    case ID_COLUMN_TYPE: return m_Listing.Columns().IsVisible(Column::Type);
    case ID_FULL_ROW: return m_Settings.FullRowSelect != 0;
    case ID_PLACE_UPPER_LEFT: return m_Settings.PreviewPlacement == 0;
    case ID_PLACE_UPPER_RIGHT: return m_Settings.PreviewPlacement == 1;
    case ID_PLACE_CENTRE: return m_Settings.PreviewPlacement == 2;
    case ID_AUTO_LOAD: return m_Settings.EnablePreview != 0;
    case ID_HIDE_NON_IMAGES: return m_Settings.HideNonImages != 0;
    case ID_SHOW_HIDDEN: return m_Settings.ShowHiddenFiles != 0;
    case ID_AUTO_REFRESH: return m_Settings.AutoRefresh != 0;
    default: return false;
    }
}

void CMainWindow::updateActions()
{
    for (const auto& [id, action] : m_Actions) {
        action->setEnabled(isCommandEnabled(id));
        if (action->isCheckable())
            action->setChecked(isCommandChecked(id));
    }
}
