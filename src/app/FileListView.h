// The file list of the browser: a details view and an icon/list view over the
// same rows and selection, one of them shown by the view mode.
#pragma once

#include "app/ColumnWidths.h"
#include "app/FileListModel.h"

#include <QStackedWidget>

#include <vector>

class CThumbnailSource;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTimer;
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

    // Thumbnails: always in Large Icons; in Small Icons only when turned on
    // here (16 pixels tell little and would cost a decode of every file in sight).
    CThumbnailSource& thumbnails() { return *m_Thumbs; }
    void setSmallIconThumbnails(bool on);
    // True while thumbnails are about to be asked for, or are being made.
    bool thumbnailsBusy() const;
    // Asks for the thumbnail of every row, not only those in sight (benchmark).
    void wantAllThumbnails();

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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateThumbnailBox();
    void requestThumbnails();
    std::vector<size_t> rowsInSight() const;

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
    CThumbnailSource* m_Thumbs = nullptr;
    QTimer* m_ThumbTimer = nullptr;  // gathers scrolls and layouts into one request
    bool m_SmallIconThumbnails = false;
    bool m_WantAllThumbnails = false;
    bool m_ThumbsAwaitLayout = false;  // asked before the rows were laid out: ask again once painted
};
