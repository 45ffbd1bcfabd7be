// The column set of the file list and the sort keys bound to the columns.
#pragma once

#include "browser/FileCells.h"

#include <vector>

enum SortKey { kSortFilename = 1, kSortExtension = 2, kSortSize = 3, kSortDate = 4, kSortType = 5 };
enum class SortCompare { Text, Number, Date };

struct ColumnInfo {
    const char* Header;  // "Name", "Ext", "Size", "Date", "Attr", "Type"
    int Width;           // pixels
    bool RightAligned;
    int Key;             // sort key, 0 for "Attr"
};
const ColumnInfo& ColumnInfoOf(Column column);
SortCompare CompareTypeOf(int sortKey);

class CColumnSet {
public:
    // Visibility of the five optional columns (Name is always visible).
    bool IsVisible(Column column) const;
    void SetVisible(Column column, bool visible);
    // Visible columns in their fixed order, Name first.
    std::vector<Column> Visible() const;
    // Position among the visible columns, or -1.
    int PositionOf(Column column) const;
    // The column shown at a position; Column::Count when there is none.
    Column AtPosition(int position) const;
    // The column a sort key sorts on: its own when visible, else Name.
    Column SortColumn(int sortKey) const;

private:
    bool m_Visible[static_cast<int>(Column::Count)] = {true, true, true, true, false, false};
};
