#include "app/FileListView.h"

#include "app/TypeAheadKeys.h"
#include "browser/Columns.h"

#include <QHeaderView>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

namespace {

// Without full-row selection only the name cell shows the selection.
class CNameOnlySelection : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool FullRow = true;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!FullRow && index.column() > 0)
            option->state &= ~QStyle::State_Selected;
    }
};

} // namespace

CFileListView::CFileListView(CFolderListing& listing, QWidget* parent)
    : QStackedWidget(parent), m_Listing(listing)
{
    m_Model = new CFileListModel(listing, this);
    m_Details = new QTreeView(this);
    m_Details->setObjectName("fileDetails");
    m_Details->setRootIsDecorated(false);
    m_Details->setUniformRowHeights(true);
    m_Details->setItemsExpandable(false);
    m_Details->setAllColumnsShowFocus(true);
    m_Details->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_Details->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Details->setItemDelegate(new CNameOnlySelection(m_Details));
    m_Details->setModel(m_Model);
    m_Details->header()->setSectionsMovable(false);
    m_Details->header()->setSortIndicatorShown(true);
    m_Details->header()->setSectionsClickable(true);
    m_Details->header()->setStretchLastSection(false);

    m_Icons = new QListView(this);
    m_Icons->setObjectName("fileIcons");
    m_Icons->setUniformItemSizes(true);
    m_Icons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_Icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Icons->setResizeMode(QListView::Adjust);
    // Icon layouts of very large folders are done in slices between events.
    m_Icons->setLayoutMode(QListView::Batched);
    m_Icons->setBatchSize(2000);
    m_Icons->setModel(m_Model);
    m_Selection = m_Details->selectionModel();
    m_Icons->setSelectionModel(m_Selection);

    auto* typeAhead = new CTypeAheadKeys(this);
    m_Details->installEventFilter(typeAhead);
    m_Icons->installEventFilter(typeAhead);

    addWidget(m_Icons);
    addWidget(m_Details);
    setCurrentWidget(m_Details);

    connect(m_Selection, &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_Pushing)
            return;
        pullSelection();
        emit selectionEdited();
    });
    connect(m_Selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (!m_Pushing)
            emit currentRowChanged(current.isValid() ? current.row() : -1);
    });
    connect(m_Details->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        rowsChanging();
        emit headerClicked(section);
        markSortColumn();
    });
    connect(m_Details->header(), &QHeaderView::sectionResized, this, [this](int section, int, int width) {
        if (!m_SettingWidths)
            m_Widths.setUserWidth(m_Model->columnAt(section), width);
    });
    auto activated = [this](const QModelIndex& index) { emit rowActivated(index.row()); };
    connect(m_Details, &QAbstractItemView::activated, this, activated);
    connect(m_Icons, &QAbstractItemView::activated, this, activated);
}

QAbstractItemView* CFileListView::currentView() const
{
    return m_Mode == 3 ? static_cast<QAbstractItemView*>(m_Details) : m_Icons;
}

void CFileListView::setViewMode(int mode)
{
    const bool focused = currentView()->hasFocus();
    m_Mode = mode;
    if (mode == 3) {
        setCurrentWidget(m_Details);
        keepPlace(focused);
        return;
    }
    const bool large = mode == 1;
    m_Icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_Icons->setFlow(mode == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    m_Icons->setWrapping(true);
    m_Icons->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    m_Icons->setGridSize(large ? QSize(96, 64) : (mode == 0 ? QSize(160, 20) : QSize()));
    m_Icons->setMovement(QListView::Static);
    m_Icons->setWordWrap(large);
    setCurrentWidget(m_Icons);
    keepPlace(focused);
}

void CFileListView::keepPlace(bool focus)
{
    // The keyboard goes on in the view now shown, at the same file.
    QAbstractItemView* view = currentView();
    if (focus)
        view->setFocus();
    QTimer::singleShot(0, view, [view] {
        if (view->currentIndex().isValid())
            view->scrollTo(view->currentIndex());
    });
}

void CFileListView::setFullRowSelection(bool on)
{
    static_cast<CNameOnlySelection*>(m_Details->itemDelegate())->FullRow = on;
    m_Details->viewport()->update();
}

void CFileListView::rebuild()
{
    m_SettingWidths = true;
    m_Pushing = true;
    m_Model->reset();
    m_Pushing = false;
    const auto columns = m_Listing.Columns().Visible();
    for (size_t i = 0; i < columns.size(); ++i) {
        const bool fit = columns[i] == Column::Name && !m_Widths.userSized(Column::Name);
        m_Details->setColumnWidth(static_cast<int>(i),
                                  fit ? NameContentsWidth(*m_Details, m_Listing) : m_Widths.width(columns[i]));
    }
    m_SettingWidths = false;
    markSortColumn();
}

void CFileListView::rowsChanging()
{
    const long current = currentRow();
    m_FocusedItem = current >= 0 ? m_Listing.ItemIndexAtRow(static_cast<size_t>(current)) : -1;
}

void CFileListView::reordered()
{
    m_Pushing = true;
    m_Model->reorder();
    m_Pushing = false;
    pushSelection();
    restoreFocus();
    markSortColumn();
}

void CFileListView::columnsChanged()
{
    rebuild();
    pushSelection();
    restoreFocus();
}

void CFileListView::restoreFocus()
{
    for (size_t row = 0; m_FocusedItem >= 0 && row < m_Listing.RowCount(); ++row) {
        if (m_Listing.ItemIndexAtRow(row) == m_FocusedItem) {
            setCurrentRow(static_cast<long>(row), false);
            break;
        }
    }
    m_FocusedItem = -1;
}

void CFileListView::pushSelection()
{
    QItemSelection selection;
    const int lastColumn = std::max(0, m_Model->columnCount() - 1);
    const size_t rows = m_Listing.RowCount();
    for (size_t row = 0; row < rows;) {
        if (!m_Listing.IsSelected(row)) {
            ++row;
            continue;
        }
        size_t end = row;
        while (end + 1 < rows && m_Listing.IsSelected(end + 1))
            ++end;
        selection.select(m_Model->index(static_cast<int>(row), 0), m_Model->index(static_cast<int>(end), lastColumn));
        row = end + 1;
    }
    m_Pushing = true;
    // Replacing one scattered selection by another in a single call compares
    // every old range with every new one; from an empty one it is linear.
    m_Selection->clearSelection();
    m_Selection->select(selection, QItemSelectionModel::Select);
    m_Pushing = false;
}

void CFileListView::pullSelection()
{
    const size_t rows = m_Listing.RowCount();
    for (size_t row = 0; row < rows; ++row)
        m_Listing.SetSelected(row, false);
    for (const QItemSelectionRange& range : m_Selection->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (row >= 0 && static_cast<size_t>(row) < rows)
                m_Listing.SetSelected(static_cast<size_t>(row), true);
    }
}

long CFileListView::currentRow() const
{
    const QModelIndex index = m_Selection->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void CFileListView::setCurrentRow(long row, bool select)
{
    if (row < 0 || static_cast<size_t>(row) >= m_Listing.RowCount())
        return;
    const QModelIndex index = m_Model->index(static_cast<int>(row), 0);
    if (select) {
        m_Listing.SetSelected(static_cast<size_t>(row), true);
        pushSelection();
    }
    m_Pushing = true;
    m_Selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_Pushing = false;
    currentView()->scrollTo(index);
}

void CFileListView::markSortColumn()
{
    const Column column = m_Listing.Columns().SortColumn(m_Listing.SortKeyValue());
    const int position = m_Listing.Columns().PositionOf(column);
    // The header draws Qt's ascending order as a downward triangle; ours
    // points up for ascending, as file managers do.
    m_Details->header()->setSortIndicator(position, m_Listing.SortAscending() ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder);
}
