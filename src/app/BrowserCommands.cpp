#include "app/BrowserCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"

namespace {

int ViewModeOf(int id)
{
    return id == ID_MODE_SMALL_ICONS ? 0 : id == ID_MODE_LARGE_ICONS ? 1 : id == ID_MODE_LIST ? 2 : 3;
}

int SortKeyOf(int id)
{
    switch (id) {
    case ID_SORT_EXTENSION: return kSortExtension;
    case ID_SORT_SIZE: return kSortSize;
    case ID_SORT_DATE: return kSortDate;
    case ID_SORT_TYPE: return kSortType;
    default: return kSortFilename;
    }
}

Column ColumnOf(int id)
{
    switch (id) {
    case ID_COLUMN_EXTENSION: return Column::Extension;
    case ID_COLUMN_SIZE: return Column::Size;
    case ID_COLUMN_DATE: return Column::Date;
    case ID_COLUMN_ATTRIBUTES: return Column::Attributes;
    default: return Column::Type;
    }
}

int PlacementOf(int id)
{
    return id == ID_PLACE_UPPER_LEFT ? 0 : id == ID_PLACE_UPPER_RIGHT ? 1 : 2;
}

} // namespace

void CBrowserCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto inBrowserOf = [&w](int) { return !w.m_ViewerMode; };

    commands.add(ID_PREVIEW, [&w] { w.loadCurrent(true); },
                 [&w] { return !w.m_ViewerMode && !w.m_CurrentFile.empty(); });
    commands.add({ID_SELECT_ALL, ID_UNSELECT_ALL, ID_INVERT_SELECTION, ID_SELECT_GROUP, ID_UNSELECT_GROUP},
                 [&w](int id) { w.selectionCommand(id); }, inBrowserOf);

    commands.add(
        {ID_MODE_LARGE_ICONS, ID_MODE_SMALL_ICONS, ID_MODE_LIST, ID_MODE_DETAILS},
        [&w](int id) {
            w.m_Settings.ViewMode = ViewModeOf(id);
            w.m_FileList->setViewMode(ViewModeOf(id));
        },
        {}, [&w](int id) { return w.m_Settings.ViewMode == ViewModeOf(id); });

    commands.add({ID_SORT_NAME, ID_SORT_EXTENSION, ID_SORT_SIZE, ID_SORT_DATE, ID_SORT_TYPE},
                 [&w](int id) { w.sortCommand(id); }, {},
                 [&w](int id) { return w.m_Listing.SortKeyValue() == SortKeyOf(id); });
    commands.add({ID_SORT_FORWARD, ID_SORT_BACKWARD}, [&w](int id) { w.sortCommand(id); }, {},
                 [&w](int id) { return w.m_Listing.SortAscending() == (id == ID_SORT_FORWARD); });

    // The name column is always shown: checked, and not a command.
    commands.add(ID_COLUMN_NAME, {}, {}, [] { return true; });
    commands.add({ID_COLUMN_EXTENSION, ID_COLUMN_SIZE, ID_COLUMN_DATE, ID_COLUMN_ATTRIBUTES, ID_COLUMN_TYPE},
                 [&w](int id) { w.columnCommand(id); }, {},
                 [&w](int id) { return w.m_Listing.Columns().IsVisible(ColumnOf(id)); });
    commands.add(
        ID_FULL_ROW,
        [&w] {
            w.m_Settings.FullRowSelect = !w.m_Settings.FullRowSelect;
            w.m_FileList->setFullRowSelection(w.m_Settings.FullRowSelect != 0);
        },
        {}, [&w] { return w.m_Settings.FullRowSelect != 0; });

    commands.add({ID_PLACE_UPPER_LEFT, ID_PLACE_UPPER_RIGHT, ID_PLACE_CENTRE},
                 [&w](int id) { w.placementCommand(id); }, inBrowserOf,
                 [&w](int id) { return w.m_Settings.PreviewPlacement == PlacementOf(id); });
    commands.add(
        ID_AUTO_LOAD, [&w] { w.m_Settings.EnablePreview = !w.m_Settings.EnablePreview; }, {},
        [&w] { return w.m_Settings.EnablePreview != 0; });
    commands.add(
        ID_HIDE_NON_IMAGES, [&w] { w.toggleListOption(ID_HIDE_NON_IMAGES); }, {},
        [&w] { return w.m_Settings.HideNonImages != 0; });
    commands.add(
        ID_SHOW_HIDDEN, [&w] { w.toggleListOption(ID_SHOW_HIDDEN); }, {},
        [&w] { return w.m_Settings.ShowHiddenFiles != 0; });
    commands.add(ID_REFRESH, [&w] { w.refresh(); });
    commands.add(
        ID_AUTO_REFRESH, [&w] { w.m_Settings.AutoRefresh = !w.m_Settings.AutoRefresh; }, {},
        [&w] { return w.m_Settings.AutoRefresh != 0; });

    commands.add({ID_BACK, ID_UP, ID_HOME}, [&w](int id) { w.navigationCommand(id); }, inBrowserOf);
    commands.add(ID_ADD_FAVORITE, [&w] { w.addFavourite(); });
    commands.add(ID_ORGANIZE_FAVORITES, [&w] { w.organizeFavourites(); });
}
