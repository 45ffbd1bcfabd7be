#include "app/FileListView.h"

#include "app/TypeAheadKeys.h"
#include "app/ThumbnailSource.h"
#include "browser/Columns.h"

#include <QEvent>
#include <QHeaderView>
#include <QListView>
#include <QScrollBar>
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

    m_Thumbs = new CThumbnailSource(listing, this);
    m_Model->setThumbnailSource([this](const FileItem& item) { return m_Thumbs->thumbnail(item); });
    m_ThumbTimer = new QTimer(this);
    m_ThumbTimer->setSingleShot(true);
    m_ThumbTimer->setInterval(0);
    connect(m_ThumbTimer, &QTimer::timeout, this, &CFileListView::requestThumbnails);
    auto soon = [this] { m_ThumbTimer->start(); };
    connect(m_Icons->verticalScrollBar(), &QScrollBar::valueChanged, this, soon);
    connect(m_Icons->verticalScrollBar(), &QScrollBar::rangeChanged, this, soon);
    connect(m_Model, &QAbstractItemModel::layoutChanged, this, soon);
    // Thumbnails come in faster than a screen shows them: one repaint for
    // all that arrived within a frame or two.
    auto* repaint = new QTimer(this);
    repaint->setSingleShot(true);
    repaint->setInterval(30);
    connect(repaint, &QTimer::timeout, m_Icons->viewport(), [this] { m_Icons->viewport()->update(); });
    connect(m_Thumbs, &CThumbnailSource::arrived, repaint, [repaint] {
        if (!repaint->isActive())
            repaint->start();
    });
    m_Icons->viewport()->installEventFilter(this);

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
        updateThumbnailBox();
        keepPlace(focused);
        return;
    }
    const bool large = mode == 1;
    m_Icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_Icons->setFlow(mode == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    m_Icons->setWrapping(true);
    // Large icons are thumbnails of the cache's normal size.
    m_Icons->setIconSize(large ? QSize(128, 128) : QSize(16, 16));
    m_Icons->setGridSize(large ? QSize(148, 176) : (mode == 0 ? QSize(160, 20) : QSize()));
    m_Icons->setMovement(QListView::Static);
    m_Icons->setWordWrap(large);
    setCurrentWidget(m_Icons);
    updateThumbnailBox();
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
    m_Thumbs->folderChanged();
    m_ThumbTimer->start();
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

void CFileListView::setSmallIconThumbnails(bool on)
{
    m_SmallIconThumbnails = on;
    updateThumbnailBox();
}

bool CFileListView::thumbnailsBusy() const
{
    return m_ThumbTimer->isActive() || m_Thumbs->isBusy();
}

void CFileListView::wantAllThumbnails()
{
    m_WantAllThumbnails = true;
    m_ThumbTimer->start();
}

void CFileListView::updateThumbnailBox()
{
    int shown = 0;
    if (m_Mode == 1 || (m_Mode == 0 && m_SmallIconThumbnails))
        shown = m_Icons->iconSize().width();
    // Pixels of the screen: a doubled display gets the large thumbnails.
    m_Thumbs->setBox(static_cast<int>(shown * m_Icons->devicePixelRatioF() + 0.5), m_Icons->devicePixelRatioF());
    m_Icons->viewport()->update();
    m_ThumbTimer->start();
}

bool CFileListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_Icons->viewport()) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            m_ThumbTimer->start();
        else if (event->type() == QEvent::Paint && m_ThumbsAwaitLayout)
            m_ThumbTimer->start();
    }
    return QStackedWidget::eventFilter(watched, event);
}

void CFileListView::requestThumbnails()
{
    if (m_Thumbs->box() <= 0 || currentWidget() != m_Icons)
        return;
    std::vector<size_t> rows;
    if (m_WantAllThumbnails) {
        rows.resize(m_Listing.RowCount());
        for (size_t row = 0; row < rows.size(); ++row)
            rows[row] = row;
    } else if (m_Icons->isVisible()) {
        rows = rowsInSight();
    }
    m_ThumbsAwaitLayout = rows.empty() && m_Model->rowCount() > 0;
    m_Thumbs->want(rows);
}

// Rows run left to right and wrap downwards, so the rows in sight are one
// range, found by halving; the next screenful follows them, so scrolling on
// finds its thumbnails made.
std::vector<size_t> CFileListView::rowsInSight() const
{
    const int count = m_Model->rowCount();
    const int height = m_Icons->viewport()->height();
    auto below = [this, height](int row, bool wholly) {
        const QRect rect = m_Icons->visualRect(m_Model->index(row, 0));
        if (!rect.isValid())
            return true;  // not laid out yet: past what is shown
        return wholly ? rect.top() >= height : rect.bottom() >= 0;
    };
    auto firstWhere = [count](auto&& test) {
        int low = 0, high = count;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (test(mid))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    };
    const int first = firstWhere([&](int row) { return below(row, false); });
    const int end = std::max(first, firstWhere([&](int row) { return below(row, true); }));
    const int ahead = std::min(count, end + (end - first));
    std::vector<size_t> rows;
    rows.reserve(static_cast<size_t>(ahead - first));
    for (int row = first; row < ahead; ++row)
        rows.push_back(static_cast<size_t>(row));
    return rows;
}
