#include "browser/FolderListing.h"

#include "browser/FileCells.h"
#include "base/FileName.h"
#include "formats/FormatTable.h"
#include "platform/ConfigFolder.h"
#include "platform/Directory.h"

#include <algorithm>
#include <ctime>
#include <numeric>
#include <unordered_map>

namespace {

// Rows by name, built in one pass so that finding thousands of names stays
// linear; finds what FindRow finds.
class CRowIndex {
public:
    explicit CRowIndex(const CFolderListing& listing)
    {
        m_Exact.reserve(listing.RowCount());
        m_Folded.reserve(listing.RowCount());
        for (size_t row = 0; row < listing.RowCount(); ++row) {
            const std::string& name = listing.ItemAtRow(row).Name;
            m_Exact.emplace(name, row);
            m_Folded.emplace(FoldCase(name), row);  // keeps the first row
        }
    }

    long Find(const std::string& name) const
    {
        if (auto found = m_Exact.find(name); found != m_Exact.end())
            return static_cast<long>(found->second);
        if (auto found = m_Folded.find(FoldCase(name)); found != m_Folded.end())
            return static_cast<long>(found->second);
        return -1;
    }

private:
    std::unordered_map<std::string, size_t> m_Exact;
    std::unordered_map<std::string, size_t> m_Folded;
};

// Leading decimal number of a cell text (0 when it has no digits).
int64_t NumberKey(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (INT64_MAX - digit) / 10)
            return negative ? INT64_MIN : INT64_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

// Date cells ("%m/%d/%Y") read back as local midnight of that day. Many files
// share a day, so each day is converted once.
class CDateKeys {
public:
    int64_t Key(const std::string& text)
    {
        if (text.size() < 10)
            return 0;
        const int month = Digits(text, 0, 2);
        const int day = Digits(text, 3, 2);
        const int year = Digits(text, 6, 4);
        if (month < 0 || day < 0 || year < 0)
            return 0;
        const int packed = year * 10000 + month * 100 + day;
        auto found = m_Days.find(packed);
        if (found != m_Days.end())
            return found->second;
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_isdst = -1;
        const auto key = static_cast<int64_t>(std::mktime(&tm));
        m_Days.emplace(packed, key);
        return key;
    }

private:
    static int Digits(const std::string& text, size_t at, size_t count)
    {
        int value = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    }

    std::unordered_map<int, int64_t> m_Days;
};

// The order of rows whose keys are equal: by the whole file name, ignoring case
// first, whatever the direction, so that the same folder always shows the same
// way (the order the directory is read in is arbitrary).
int TieOrder(const std::string& a, const std::string& b)
{
    const int folded = CompareNoCase(a, b);
    return folded != 0 ? folded : a.compare(b);
}

// Orders the rows by keys computed once per row; the row states move with them.
template <class Key, class Compare>
void SortRowsBy(std::vector<int>& rows, std::vector<uint8_t>& selected, const std::vector<Key>& keys,
                bool ascending, Compare compare, const std::vector<FileItem>& items)
{
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byKey = ascending ? compare(keys[a], keys[b]) : compare(keys[b], keys[a]);
        if (byKey != 0)
            return byKey < 0;
        return TieOrder(items[static_cast<size_t>(rows[a])].Name, items[static_cast<size_t>(rows[b])].Name) < 0;
    });
    std::vector<int> sortedRows(rows.size());
    std::vector<uint8_t> sortedSelected(rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sortedRows[i] = rows[order[i]];
        sortedSelected[i] = selected[order[i]];
    }
    rows.swap(sortedRows);
    selected.swap(sortedSelected);
}

int CompareValues(int64_t a, int64_t b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

bool IsSortKey(int key)
{
    return key >= kSortFilename && key <= kSortType;
}

} // namespace

bool CFolderListing::ListFolder(const std::string& folder, const ListingOptions& options, ITypeNames* types)
{
    m_Folder = folder;
    m_Options = options;
    m_Items.clear();
    m_Rows.clear();
    m_Selected.clear();
    m_SelectedNames.clear();
    m_SelectedSize = 0;

    std::vector<DirectoryEntry> entries;
    if (!ReadDirectory(folder, entries))
        return false;
    m_Items.reserve(entries.size());
    for (DirectoryEntry& entry : entries) {
        if (entry.IsDirectory)
            continue;
        if (!options.ShowHidden && (entry.Attributes & kAttrHidden))
            continue;
        if (options.HideNonImages && !IsImageExtension(Extension(entry.Name)))
            continue;
        FileItem item;
        item.Name = std::move(entry.Name);
        if (types) {
            item.TypeName = types->TypeName(item.Name);
            item.Icon = types->IconIndex(item.Name);
        }
        item.Size = entry.Size;
        item.Modified = entry.Modified;
        item.Attributes = entry.Attributes;
        m_Items.push_back(std::move(item));
    }
    m_Rows.resize(m_Items.size());
    std::iota(m_Rows.begin(), m_Rows.end(), 0);
    m_Selected.assign(m_Items.size(), 0);
    SortRows();
    return true;
}

long CFolderListing::FindRow(const std::string& name) const
{
    // Names differing only in case are different files here: the one spelt
    // exactly as asked wins over the first that matches without case.
    long caseless = -1;
    for (size_t row = 0; row < m_Rows.size(); ++row) {
        const std::string& rowName = m_Items[m_Rows[row]].Name;
        if (rowName == name)
            return static_cast<long>(row);
        if (caseless < 0 && EqualsNoCase(rowName, name))
            caseless = static_cast<long>(row);
    }
    return caseless;
}

void CFolderListing::SetSort(int sortKey, bool ascending)
{
    m_SortKey = IsSortKey(sortKey) ? sortKey : kSortFilename;
    m_Ascending = ascending;
    SortRows();
}

void CFolderListing::SortRows()
{
    const Column column = m_Columns.SortColumn(m_SortKey);
    // A key whose column is hidden sorts on the Name column as text.
    const SortCompare type = column == Column::Name ? SortCompare::Text : CompareTypeOf(m_SortKey);
    const size_t count = m_Rows.size();
    if (type == SortCompare::Text) {
        std::vector<std::string> keys(count);
        for (size_t row = 0; row < count; ++row)
            keys[row] = CellText(m_Items[m_Rows[row]], column);
        SortRowsBy(m_Rows, m_Selected, keys, m_Ascending,
                   [](const std::string& a, const std::string& b) { return CompareNoCase(a, b); }, m_Items);
    } else {
        std::vector<int64_t> keys(count);
        CDateKeys dates;
        for (size_t row = 0; row < count; ++row) {
            const std::string text = CellText(m_Items[m_Rows[row]], column);
            keys[row] = type == SortCompare::Number ? NumberKey(text) : dates.Key(text);
        }
        SortRowsBy(m_Rows, m_Selected, keys, m_Ascending, CompareValues, m_Items);
    }
    UpdateSelection();
}

bool CFolderListing::SortByKey(int sortKey)
{
    if (!IsSortKey(sortKey) || sortKey == m_SortKey)
        return false;
    m_SortKey = sortKey;
    SortRows();
    return true;
}

bool CFolderListing::SortDirection(bool ascending)
{
    if (ascending == m_Ascending)
        return false;
    m_Ascending = ascending;
    SortRows();
    return true;
}

bool CFolderListing::HeaderClicked(int position)
{
    const Column column = m_Columns.AtPosition(position);
    if (column == Column::Count)
        return false;
    const int key = ColumnInfoOf(column).Key;
    if (key == 0)
        return false;
    if (key == m_SortKey)
        m_Ascending = !m_Ascending;
    m_SortKey = key;
    SortRows();
    return true;
}

void CFolderListing::ToggleColumn(Column column)
{
    if (column == Column::Name || column == Column::Count)
        return;
    const bool visible = !m_Columns.IsVisible(column);
    m_Columns.SetVisible(column, visible);
    if (!visible && ColumnInfoOf(column).Key == m_SortKey)
        m_SortKey = kSortFilename;
    FillFromItems();
}

void CFolderListing::FillFromItems()
{
    // The rows come back in the order of the items; a selected file stays selected.
    std::vector<uint8_t> itemSelected(m_Items.size(), 0);
    for (size_t row = 0; row < m_Rows.size(); ++row)
        itemSelected[static_cast<size_t>(m_Rows[row])] = m_Selected[row];
    m_Rows.resize(m_Items.size());
    std::iota(m_Rows.begin(), m_Rows.end(), 0);
    m_Selected = std::move(itemSelected);
    SortRows();
}

void CFolderListing::SelectAll()
{
    std::fill(m_Selected.begin(), m_Selected.end(), uint8_t{1});
    UpdateSelection();
}

void CFolderListing::UnselectAll()
{
    std::fill(m_Selected.begin(), m_Selected.end(), uint8_t{0});
    UpdateSelection();
}

void CFolderListing::InvertSelection()
{
    for (uint8_t& state : m_Selected)
        state = state ? 0 : 1;
    UpdateSelection();
}

void CFolderListing::SelectGroup(const GroupCriteria& criteria)
{
    if (!criteria.AnyChecked())
        return;
    const CGroupMatcher matcher(criteria);
    for (size_t row = 0; row < m_Rows.size(); ++row) {
        if (matcher.Matches(ItemAtRow(row)))
            m_Selected[row] = 1;
        else if (!criteria.Expand)
            m_Selected[row] = 0;
    }
    UpdateSelection();
}

void CFolderListing::UnselectGroup(const GroupCriteria& criteria)
{
    if (!criteria.AnyChecked())
        return;
    const CGroupMatcher matcher(criteria);
    for (size_t row = 0; row < m_Rows.size(); ++row)
        if (m_Selected[row] && matcher.Matches(ItemAtRow(row)))
            m_Selected[row] = 0;
    UpdateSelection();
}

void CFolderListing::UpdateSelection()
{
    m_SelectedNames.clear();
    m_SelectedSize = 0;
    for (size_t row = 0; row < m_Rows.size(); ++row) {
        if (!m_Selected[row])
            continue;
        const FileItem& item = ItemAtRow(row);
        m_SelectedNames.push_back(item.Name);
        m_SelectedSize += item.Size;
    }
}

bool CFolderListing::RestoreSelection(const std::vector<std::string>& previous, const std::string& currentFile)
{
    const CRowIndex index(*this);
    for (const std::string& name : previous) {
        const long row = index.Find(name);
        if (row >= 0)
            m_Selected[static_cast<size_t>(row)] = 1;
    }
    bool currentFound = true;
    const auto selectedNow = static_cast<size_t>(std::count(m_Selected.begin(), m_Selected.end(), uint8_t{1}));
    if (selectedNow < previous.size()) {
        const long row = currentFile.empty() ? -1 : index.Find(currentFile);
        if (row >= 0)
            m_Selected[static_cast<size_t>(row)] = 1;
        else
            currentFound = false;
    }
    UpdateSelection();
    return currentFound;
}

FolderTree CollectTree(const std::string& folder)
{
    FolderTree tree;
    // Depth first without recursion: a deep tree must not exhaust the stack.
    struct Level {
        std::string Path;
        std::vector<DirectoryEntry> Entries;
        size_t Next = 0;
    };
    std::vector<Level> stack;
    stack.push_back({folder, {}, 0});
    ReadDirectory(folder, stack.back().Entries);
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.Next >= level.Entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirectoryEntry& entry = level.Entries[level.Next++];
        std::string path = JoinPath(level.Path, entry.Name);
        if (entry.IsDirectory && !entry.IsLink) {
            tree.Subfolders.push_back(path);
            Level child{std::move(path), {}, 0};
            ReadDirectory(child.Path, child.Entries);
            stack.push_back(std::move(child));  // `level` is not used after this
        } else {
            // A link to a folder is collected as the link itself, never followed.
            if (!entry.IsDirectory)
                tree.TotalSize += entry.Size;
            tree.Files.push_back(std::move(path));
        }
    }
    return tree;
}
