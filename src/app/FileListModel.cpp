#include "app/FileListModel.h"

#include "browser/FileCells.h"

CFileListModel::CFileListModel(CFolderListing& listing, QObject* parent)
    : QAbstractTableModel(parent), m_Listing(listing), m_Columns(listing.Columns().Visible())
{
}

void CFileListModel::reset()
{
    beginResetModel();
    m_Columns = m_Listing.Columns().Visible();
    endResetModel();
}

void CFileListModel::reorder()
{
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

Column CFileListModel::columnAt(int section) const
{
    return section >= 0 && section < static_cast<int>(m_Columns.size()) ? m_Columns[section] : Column::Count;
}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Listing.RowCount());
}

int CFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Columns.size());
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Column column = columnAt(index.column());
    const FileItem& item = m_Listing.ItemAtRow(static_cast<size_t>(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(CellText(item, column));
    case Qt::ToolTipRole:
        return column == Column::Name ? QString::fromStdString(item.Name) : QVariant();
    case Qt::DecorationRole:
        if (column == Column::Name && m_Thumbnails)
            if (QIcon thumbnail = m_Thumbnails(item); !thumbnail.isNull())
                return thumbnail;
        if (column == Column::Name && m_Icons)
            return m_Icons(item.Icon);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (ColumnInfoOf(column).RightAligned ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    const Column column = columnAt(section);
    if (column == Column::Count)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(ColumnInfoOf(column).Header);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (ColumnInfoOf(column).RightAligned ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}
