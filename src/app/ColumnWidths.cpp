#include "app/ColumnWidths.h"

#include "browser/FolderListing.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QStringList>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

constexpr int kColumnCount = static_cast<int>(Column::Count);
// Widths outside these are taken for damaged values.
constexpr int kMinWidth = 16, kMaxWidth = 4000;
// Names measured for the Name column: the longest by characters; measuring
// every row of a folder of many thousands would cost more than it shows.
constexpr size_t kMeasuredNames = 48;
// A Name column wider than this many average characters leaves too little
// room for the others; longer names are cut with "...".
constexpr int kMaxNameCharacters = 60;

} // namespace

QString CColumnWidths::stored() const
{
    QStringList parts;
    for (const auto& [column, width] : m_User)
        parts << QStringLiteral("%1=%2").arg(QString::fromLatin1(ColumnInfoOf(column).Header)).arg(width);
    return parts.join(QLatin1Char(','));
}

void CColumnWidths::restore(const QString& text)
{
    m_User.clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.section(QLatin1Char('='), 0, 0);
        bool ok = false;
        const int width = part.section(QLatin1Char('='), 1, 1).toInt(&ok);
        for (int i = 0; ok && i < kColumnCount; ++i)
            if (name == QLatin1String(ColumnInfoOf(static_cast<Column>(i)).Header))
                setUserWidth(static_cast<Column>(i), width);
    }
}

void CColumnWidths::setUserWidth(Column column, int width)
{
    if (column != Column::Count && width >= kMinWidth && width <= kMaxWidth)
        m_User[column] = width;
}

int CColumnWidths::width(Column column) const
{
    auto found = m_User.find(column);
    return found != m_User.end() ? found->second : ColumnInfoOf(column).Width;
}

int NameContentsWidth(const QTreeView& view, const CFolderListing& listing)
{
    const size_t rows = listing.RowCount();
    if (rows == 0)
        return ColumnInfoOf(Column::Name).Width;
    std::vector<size_t> order(rows);
    std::iota(order.begin(), order.end(), size_t{0});
    const size_t measured = std::min(rows, kMeasuredNames);
    const auto length = [&](size_t row) { return listing.ItemAtRow(row).Name.size(); };
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(measured), order.end(),
                      [&](size_t a, size_t b) { return length(a) > length(b); });

    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    const int icon = view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view);
    option.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(icon, icon);
    option.showDecorationSelected = true;
    int widest = view.header()->sectionSizeHint(0);
    for (size_t i = 0; i < measured; ++i) {
        const QModelIndex index = view.model()->index(static_cast<int>(order[i]), 0);
        widest = std::max(widest, view.itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return std::min(widest, view.fontMetrics().averageCharWidth() * kMaxNameCharacters);
}
