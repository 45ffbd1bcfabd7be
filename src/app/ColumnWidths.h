// The widths of the file list's columns: the user's own for a column resized by
// hand (kept across sessions); otherwise the Name column fits the names of the
// folder and the others have their standard widths.
#pragma once

#include "browser/Columns.h"

#include <QString>

#include <map>

class CFolderListing;
class QTreeView;

class CColumnWidths {
public:
    // The columns sized by hand, as "Name=230,Size=96".
    QString stored() const;
    void restore(const QString& text);

    void setUserWidth(Column column, int width);
    bool userSized(Column column) const { return m_User.count(column) != 0; }
    // The user's width, else the standard one.
    int width(Column column) const;

private:
    std::map<Column, int> m_User;
};

// The width that shows the longest names of the listing in full in the first
// column of the view, icon and margins included, within sensible bounds.
int NameContentsWidth(const QTreeView& view, const CFolderListing& listing);
