// The file list of the browser: a details view and an icon/list view over the
// same rows and selection, one of them shown by the view mode.
#pragma once

#include "app/ColumnWidths.h"
#include "app/FileListModel.h"

#include <QStackedWidget>

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTreeView;

class CFileListView : public QStackedWidget {
    Q_OBJECT
public:
    CFileListView(CFolderListing& listing, QWidget* parent = nullptr);

    CFileListModel& model() { return *m_Model; }
    QTreeView* detailsView() const { return m_Details; }
    QListView* iconView() const { return m_Icons; }
    QAbstractItemView* currentView() const;

    // 0 Small Icons, 1 Large Icons, 2 List, 3 Details.
    void setViewMode(int mode);
    void setFullRowSelection(bool on);
    // Column widths set by hand, kept across sessions.
    CColumnWidths& columnWidths() { return m_Widths; }

    // After ListFolder or a column change (rows, columns, widths, header mark).
    void rebuild();
    // Before the listing reorders or rebuilds its rows: notes the focused file.
    void rowsChanging();
    // After a sort: rows reordered, selection and focus kept.
    void reordered();
    // After a column was shown or hidden: rows rebuilt, selection and focus kept.
    void columnsChanged();
    // Puts the listing's row states into the views' selection.
    void pushSelection();
    // Focused row, or -1.
    long currentRow() const;
    // Focuses (and scrolls to) a row without touching the selection of others.
    void setCurrentRow(long row, bool select);

signals:
    // The user changed the selection (click, keys): the listing holds it already.
    void selectionEdited();
    // The focused row changed.
    void currentRowChanged(long row);
    // Double click or Enter on a row.
    void rowActivated(long row);
    // A click on the header at a visible position.
    void headerClicked(int position);

private:
    void pullSelection();
    void markSortColumn();
    void restoreFocus();
    void keepPlace(bool focus);

    CFolderListing& m_Listing;
    CFileListModel* m_Model;
    QTreeView* m_Details;
    QListView* m_Icons;
    QItemSelectionModel* m_Selection;
    bool m_Pushing = false;
    int m_FocusedItem = -1;  // item index noted by rowsChanging()
    int m_Mode = 3;
    CColumnWidths m_Widths;
    bool m_SettingWidths = false;  // our own width changes are not the user's
};
