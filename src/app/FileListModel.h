// Presents the rows of the folder listing to the file list views. Cell texts
// are made on demand, so only the rows on screen cost anything.
#pragma once

#include "browser/FolderListing.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <vector>

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    CFileListModel(CFolderListing& listing, QObject* parent = nullptr);

    // The icon of an icon index of the type-name provider.
    void setIconSource(std::function<QIcon(int)> icons) { m_Icons = std::move(icons); }
    // An item's thumbnail, shown instead of its type icon when not null.
    void setThumbnailSource(std::function<QIcon(const FileItem&)> thumbnails) { m_Thumbnails = std::move(thumbnails); }
    // After ListFolder or a column change: every row and column anew.
    void reset();
    // After a sort: same rows, new order.
    void reorder();
    // Logical column → listing column.
    Column columnAt(int section) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CFolderListing& m_Listing;
    std::vector<Column> m_Columns;
    std::function<QIcon(int)> m_Icons;
    std::function<QIcon(const FileItem&)> m_Thumbnails;
};
