#include "browser/Columns.h"

namespace {

constexpr int kColumnCount = static_cast<int>(Column::Count);

constexpr ColumnInfo kColumns[kColumnCount] = {
    {"Name", 125, false, kSortFilename},
    {"Ext", 70, true, kSortExtension},
    {"Size", 120, true, kSortSize},
    {"Date", 100, true, kSortDate},
    {"Attr", 45, false, 0},
    {"Type", 125, false, kSortType},
};

// The column that carries a sort key, or Column::Count for an unknown key.
Column ColumnOfKey(int sortKey)
{
    for (int i = 0; i < kColumnCount; ++i)
        if (kColumns[i].Key == sortKey && sortKey != 0)
            return static_cast<Column>(i);
    return Column::Count;
}

} // namespace

const ColumnInfo& ColumnInfoOf(Column column)
{
    const int index = static_cast<int>(column);
    return kColumns[index >= 0 && index < kColumnCount ? index : 0];
}

SortCompare CompareTypeOf(int sortKey)
{
    switch (sortKey) {
    case kSortSize:
        return SortCompare::Number;
    case kSortDate:
        return SortCompare::Date;
    default:
        return SortCompare::Text;
    }
}

bool CColumnSet::IsVisible(Column column) const
{
    const int index = static_cast<int>(column);
    return index >= 0 && index < kColumnCount && m_Visible[index];
}

void CColumnSet::SetVisible(Column column, bool visible)
{
    const int index = static_cast<int>(column);
    // The Name column cannot be hidden.
    if (index > 0 && index < kColumnCount)
        m_Visible[index] = visible;
}

std::vector<Column> CColumnSet::Visible() const
{
    std::vector<Column> columns;
    for (int i = 0; i < kColumnCount; ++i)
        if (m_Visible[i])
            columns.push_back(static_cast<Column>(i));
    return columns;
}

int CColumnSet::PositionOf(Column column) const
{
    if (!IsVisible(column))
        return -1;
    int position = 0;
    for (int i = 0; i < static_cast<int>(column); ++i)
        position += m_Visible[i] ? 1 : 0;
    return position;
}

Column CColumnSet::AtPosition(int position) const
{
    if (position < 0)
        return Column::Count;
    for (int i = 0; i < kColumnCount; ++i)
        if (m_Visible[i] && position-- == 0)
            return static_cast<Column>(i);
    return Column::Count;
}

Column CColumnSet::SortColumn(int sortKey) const
{
    const Column column = ColumnOfKey(sortKey);
    return column != Column::Count && IsVisible(column) ? column : Column::Name;
}
