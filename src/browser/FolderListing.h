// The files of the current folder, the rows that show them, their order and
// their selection. The rows are what the file list shows; the item array keeps
// the order of the directory read and is never reordered.
#pragma once

#include "browser/Columns.h"
#include "browser/FileItem.h"
#include "browser/GroupCriteria.h"

#include <cstdint>
#include <string>
#include <vector>

// Type names and icons of listed files, from the file name only (never read).
class ITypeNames {
public:
    virtual ~ITypeNames() = default;
    virtual std::string TypeName(const std::string& name) = 0;
    virtual int IconIndex(const std::string& name) = 0;
};

struct ListingOptions {
    bool ShowHidden = false;
    bool HideNonImages = true;
};

struct FolderTree {
    std::vector<std::string> Files;
    std::vector<std::string> Subfolders;  // parent before child
    uint64_t TotalSize = 0;
};

class CFolderListing {
public:
    // Reads the folder (files only) and sorts the rows; the selection is empty.
    // False when the folder cannot be read (the listing is then empty).
    bool ListFolder(const std::string& folder, const ListingOptions& options, ITypeNames* types);
    const std::string& Folder() const { return m_Folder; }

    const std::vector<FileItem>& Items() const { return m_Items; }
    size_t RowCount() const { return m_Rows.size(); }
    int ItemIndexAtRow(size_t row) const { return m_Rows[row]; }
    const FileItem& ItemAtRow(size_t row) const { return m_Items[m_Rows[row]]; }
    // The row of the file of that exact name, else the first whose name equals
    // it without regard to case, else -1.
    long FindRow(const std::string& name) const;

    // Columns and order.
    CColumnSet& Columns() { return m_Columns; }
    const CColumnSet& Columns() const { return m_Columns; }
    int SortKeyValue() const { return m_SortKey; }
    bool SortAscending() const { return m_Ascending; }
    void SetSort(int sortKey, bool ascending);  // stores and sorts
    void SortRows();                            // by the stored key and direction
    // The sort commands: false when nothing changed.
    bool SortByKey(int sortKey);
    bool SortDirection(bool ascending);
    // A header click at a visible position: false for "Attr" or no column.
    bool HeaderClicked(int position);
    // Flips a column; a hidden sort column makes Filename the key. Rows are rebuilt.
    void ToggleColumn(Column column);
    // Rebuilds the rows from the items without reading the disk, then sorts.
    void FillFromItems();

    // Selection state of the rows.
    bool IsSelected(size_t row) const { return m_Selected[row] != 0; }
    void SetSelected(size_t row, bool selected) { m_Selected[row] = selected ? 1 : 0; }
    void SelectAll();
    void UnselectAll();
    void InvertSelection();
    void SelectGroup(const GroupCriteria& criteria);
    void UnselectGroup(const GroupCriteria& criteria);
    // Rebuilds names, count and size from the row states, in row order.
    void UpdateSelection();
    const std::vector<std::string>& SelectedNames() const { return m_SelectedNames; }
    size_t SelectedCount() const { return m_SelectedNames.size(); }
    uint64_t SelectedSize() const { return m_SelectedSize; }
    // After a rebuild: selects the rows of the names selected before. When fewer
    // rows are selected than before, selects the current file's row too. Returns
    // false when the current file is gone (the preview is then cleared).
    bool RestoreSelection(const std::vector<std::string>& previous, const std::string& currentFile);

private:
    std::string m_Folder;
    std::vector<FileItem> m_Items;
    std::vector<int> m_Rows;
    std::vector<uint8_t> m_Selected;
    std::vector<std::string> m_SelectedNames;
    uint64_t m_SelectedSize = 0;
    CColumnSet m_Columns;
    int m_SortKey = kSortFilename;
    bool m_Ascending = true;
    ListingOptions m_Options;
};

// Every file and subfolder under the folder, depth first, for the file jobs.
FolderTree CollectTree(const std::string& folder);
