#include "browser/FolderListing.h"

#include "browser/FileCells.h"
#include "base/FileName.h"
#include "browser/ListingHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

class FakeTypes : public ITypeNames {
public:
    std::map<std::string, std::string> ByExtension;
    std::string TypeName(const std::string& name) override
    {
        auto found = ByExtension.find(Extension(name));
        return found == ByExtension.end() ? std::string() : found->second;
    }
    int IconIndex(const std::string&) override { return 3; }
};

std::vector<std::string> RowNames(const CFolderListing& listing)
{
    std::vector<std::string> names;
    for (size_t row = 0; row < listing.RowCount(); ++row)
        names.push_back(listing.ItemAtRow(row).Name);
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

const ListingOptions kAllFiles{true, false};

void Select(CFolderListing& listing, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        listing.SetSelected(static_cast<size_t>(listing.FindRow(name)), true);
    listing.UpdateSelection();
}

TEST(FolderListingTest, FilesAreListedByTheOptions)
{
    TempFolder folder;
    for (const char* name : {"a.bmp", "IMAGE.JPG", "photo.jpeg", "scan.tiff", "notes.txt", ".hidden.png"})
        MakeFile(folder.Path(), name, 1);
    std::filesystem::create_directory(folder.File("folder.png"));

    struct Case {
        ListingOptions Options;
        std::vector<std::string> Names;
    };
    const Case cases[] = {
        {{false, true}, {"IMAGE.JPG", "a.bmp"}},
        {{true, true}, {".hidden.png", "IMAGE.JPG", "a.bmp"}},
        {{false, false}, {"IMAGE.JPG", "a.bmp", "notes.txt", "photo.jpeg", "scan.tiff"}},
    };
    for (const Case& c : cases) {
        CFolderListing listing;
        ASSERT_TRUE(listing.ListFolder(folder.Path(), c.Options, nullptr));
        EXPECT_EQ(Sorted(RowNames(listing)), c.Names);
        EXPECT_EQ(listing.Items().size(), c.Names.size());
        EXPECT_EQ(listing.SelectedCount(), 0u);
    }

    CFolderListing listing;
    listing.ListFolder(folder.Path(), {true, true}, nullptr);
    const FileItem& hidden = listing.ItemAtRow(static_cast<size_t>(listing.FindRow(".HIDDEN.PNG")));
    EXPECT_EQ(AttributesCell(hidden), "--h-");
}

TEST(FolderListingTest, ItemsCarrySizeTimeAndType)
{
    TempFolder folder;
    MakeFile(folder.Path(), "cat.png", 1234, LocalTime(2005, 7, 4));
    FakeTypes types;
    types.ByExtension["png"] = "PNG image";
    CFolderListing listing;
    ASSERT_TRUE(listing.ListFolder(folder.Path(), kAllFiles, &types));
    ASSERT_EQ(listing.RowCount(), 1u);
    const FileItem& item = listing.ItemAtRow(0);
    EXPECT_EQ(item.Size, 1234u);
    EXPECT_EQ(item.Modified, LocalTime(2005, 7, 4));
    EXPECT_EQ(item.TypeName, "PNG image");
    EXPECT_EQ(item.Icon, 3);
    EXPECT_EQ(listing.Folder(), folder.Path());
}

TEST(FolderListingTest, AMissingFolderListsNothing)
{
    CFolderListing listing;
    EXPECT_FALSE(listing.ListFolder("/no/such/folder/here", kAllFiles, nullptr));
    EXPECT_EQ(listing.RowCount(), 0u);
}

// Three files whose orders differ under every key.
class SortedListingTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeFile(m_Folder.Path(), "b.bmp", 10, LocalTime(2004, 1, 1));
        MakeFile(m_Folder.Path(), "a.gif", 9, LocalTime(2005, 3, 1));
        MakeFile(m_Folder.Path(), "C.png", 100, LocalTime(2006, 5, 5));
        m_Types.ByExtension = {{"bmp", "Zeta"}, {"gif", "Alpha"}};
        m_Listing.Columns().SetVisible(Column::Type, true);
        ASSERT_TRUE(m_Listing.ListFolder(m_Folder.Path(), kAllFiles, &m_Types));
    }

    TempFolder m_Folder;
    FakeTypes m_Types;
    CFolderListing m_Listing;
};

TEST_F(SortedListingTest, EveryKeyBothWays)
{
    struct Case {
        int Key;
        std::vector<std::string> Ascending;
    };
    const Case cases[] = {
        {kSortFilename, {"a.gif", "b.bmp", "C.png"}},
        {kSortExtension, {"b.bmp", "a.gif", "C.png"}},
        {kSortSize, {"a.gif", "b.bmp", "C.png"}},  // 9 before 10 before 100
        {kSortDate, {"b.bmp", "a.gif", "C.png"}},
        {kSortType, {"a.gif", "C.png", "b.bmp"}},  // "Alpha", "png File", "Zeta"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Key);
        m_Listing.SetSort(c.Key, true);
        EXPECT_EQ(RowNames(m_Listing), c.Ascending);
        m_Listing.SetSort(c.Key, false);
        EXPECT_EQ(RowNames(m_Listing), std::vector<std::string>(c.Ascending.rbegin(), c.Ascending.rend()));
    }
}

TEST_F(SortedListingTest, RowsAreSortedAfterListingAndItemsKeepTheirOrder)
{
    const std::vector<FileItem> items = m_Listing.Items();
    m_Listing.SetSort(kSortSize, false);
    m_Listing.ListFolder(m_Folder.Path(), kAllFiles, &m_Types);
    EXPECT_EQ(RowNames(m_Listing), (std::vector<std::string>{"C.png", "b.bmp", "a.gif"}));
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(m_Listing.Items()[i].Name, items[i].Name);
}

TEST_F(SortedListingTest, SelectionMovesWithItsRows)
{
    Select(m_Listing, {"C.png"});
    m_Listing.SetSort(kSortFilename, false);
    EXPECT_TRUE(m_Listing.IsSelected(0));
    EXPECT_EQ(m_Listing.SelectedNames(), std::vector<std::string>{"C.png"});
}

TEST_F(SortedListingTest, SortCommandsReportWhetherAnythingChanged)
{
    m_Listing.SetSort(kSortFilename, true);
    EXPECT_FALSE(m_Listing.SortByKey(kSortFilename));
    EXPECT_FALSE(m_Listing.SortDirection(true));
    EXPECT_TRUE(m_Listing.SortByKey(kSortSize));
    EXPECT_TRUE(m_Listing.SortDirection(false));
    EXPECT_EQ(RowNames(m_Listing), (std::vector<std::string>{"C.png", "b.bmp", "a.gif"}));
    EXPECT_FALSE(m_Listing.SortByKey(0));
}

TEST_F(SortedListingTest, HeaderClicks)
{
    // Visible: Name, Ext, Size, Date, Type.
    m_Listing.SetSort(kSortFilename, true);
    EXPECT_TRUE(m_Listing.HeaderClicked(2));
    EXPECT_EQ(m_Listing.SortKeyValue(), kSortSize);
    EXPECT_TRUE(m_Listing.SortAscending());
    EXPECT_TRUE(m_Listing.HeaderClicked(2));
    EXPECT_FALSE(m_Listing.SortAscending());
    EXPECT_TRUE(m_Listing.HeaderClicked(2));
    EXPECT_TRUE(m_Listing.SortAscending());
    EXPECT_EQ(RowNames(m_Listing), (std::vector<std::string>{"a.gif", "b.bmp", "C.png"}));
    EXPECT_TRUE(m_Listing.HeaderClicked(4));
    EXPECT_EQ(m_Listing.SortKeyValue(), kSortType);

    m_Listing.ToggleColumn(Column::Attributes);  // Attr now at position 4
    const std::vector<std::string> before = RowNames(m_Listing);
    EXPECT_FALSE(m_Listing.HeaderClicked(4));
    EXPECT_FALSE(m_Listing.HeaderClicked(6));
    EXPECT_EQ(m_Listing.SortKeyValue(), kSortType);
    EXPECT_EQ(RowNames(m_Listing), before);
}

TEST_F(SortedListingTest, HidingTheSortColumnMakesFilenameTheKey)
{
    Select(m_Listing, {"b.bmp"});
    m_Listing.SetSort(kSortDate, true);
    m_Listing.ToggleColumn(Column::Size);
    EXPECT_EQ(m_Listing.SortKeyValue(), kSortDate);
    m_Listing.ToggleColumn(Column::Date);
    EXPECT_EQ(m_Listing.SortKeyValue(), kSortFilename);
    EXPECT_EQ(RowNames(m_Listing), (std::vector<std::string>{"a.gif", "b.bmp", "C.png"}));
    m_Listing.ToggleColumn(Column::Date);
    EXPECT_EQ(m_Listing.SortKeyValue(), kSortFilename);
    EXPECT_EQ(m_Listing.SelectedNames(), std::vector<std::string>{"b.bmp"});
    m_Listing.ToggleColumn(Column::Name);
    EXPECT_TRUE(m_Listing.Columns().IsVisible(Column::Name));
}

TEST(FolderListingSortTest, AHiddenKeyColumnSortsByNameText)
{
    TempFolder folder;
    MakeFile(folder.Path(), "10.bmp", 2);
    MakeFile(folder.Path(), "9.bmp", 1);
    CFolderListing listing;
    listing.ListFolder(folder.Path(), kAllFiles, nullptr);
    listing.SetSort(kSortSize, true);
    EXPECT_EQ(RowNames(listing), (std::vector<std::string>{"9.bmp", "10.bmp"}));
    listing.ToggleColumn(Column::Size);
    listing.SetSort(kSortSize, true);
    EXPECT_EQ(RowNames(listing), (std::vector<std::string>{"10.bmp", "9.bmp"}));
}

// Equal keys fall back to the whole name, ascending whichever way the key goes,
// so a pair that keeps its name order both ways found their keys equal.
TEST(FolderListingSortTest, SameDayDatesAndExtensionlessNamesCompareEqual)
{
    TempFolder folder;
    MakeFile(folder.Path(), "morning.bmp", 1, LocalTime(2005, 3, 1, 8, 0));
    MakeFile(folder.Path(), "evening.bmp", 2, LocalTime(2005, 3, 1, 22, 0));
    MakeFile(folder.Path(), "zzz.bmp", 3, LocalTime(2005, 3, 2, 0, 30));
    CFolderListing listing;
    listing.ListFolder(folder.Path(), kAllFiles, nullptr);
    listing.SetSort(kSortFilename, true);
    listing.SetSort(kSortDate, true);
    EXPECT_EQ(RowNames(listing), (std::vector<std::string>{"evening.bmp", "morning.bmp", "zzz.bmp"}));
    listing.SetSort(kSortFilename, true);
    listing.SetSort(kSortDate, false);
    EXPECT_EQ(RowNames(listing), (std::vector<std::string>{"zzz.bmp", "evening.bmp", "morning.bmp"}));

    TempFolder names;
    MakeFile(names.Path(), "README.TXT", 1);
    MakeFile(names.Path(), "readme", 2);
    MakeFile(names.Path(), "abc", 3);
    listing.ListFolder(names.Path(), kAllFiles, nullptr);
    for (bool ascending : {true, false}) {
        listing.SetSort(kSortSize, true);
        listing.SetSort(kSortFilename, ascending);
        const std::vector<std::string> rows = RowNames(listing);
        const auto upper = std::find(rows.begin(), rows.end(), "README.TXT");
        const auto lower = std::find(rows.begin(), rows.end(), "readme");
        EXPECT_LT(lower, upper) << ascending;
        EXPECT_EQ(rows[ascending ? 0 : 2], "abc");
    }
}

// However the directory hands the names out and whatever the rows' order
// before, files whose keys are equal come out by name, in both directions.
TEST(FolderListingSortTest, EqualKeysFallBackToTheName)
{
    TempFolder folder;
    const int64_t time = LocalTime(2010, 6, 1);
    for (const char* name :
         {"IMG_0003.jpg", "img_0001.jpg", "IMG_0010.jpg", "IMG_0002.jpg", "Img_0001.jpg", "a.jpg", "IMG_0001.jpg"})
        MakeFile(folder.Path(), name, 7, time);
    // Ignoring case first, then by the bytes (upper case first).
    const std::vector<std::string> byName = {"a.jpg", "IMG_0001.jpg", "Img_0001.jpg", "img_0001.jpg",
                                             "IMG_0002.jpg", "IMG_0003.jpg", "IMG_0010.jpg"};
    FakeTypes types;
    CFolderListing listing;
    listing.Columns().SetVisible(Column::Type, true);
    ASSERT_TRUE(listing.ListFolder(folder.Path(), kAllFiles, &types));
    for (int key : {kSortExtension, kSortSize, kSortDate, kSortType}) {
        for (bool ascending : {true, false}) {
            for (bool before : {true, false}) {
                SCOPED_TRACE(testing::Message() << key << ascending << before);
                listing.SetSort(kSortFilename, before);
                listing.SetSort(key, ascending);
                EXPECT_EQ(RowNames(listing), byName);
            }
        }
    }
}

TEST_F(SortedListingTest, SelectionCommands)
{
    m_Listing.SetSort(kSortFilename, true);
    m_Listing.SelectAll();
    EXPECT_EQ(m_Listing.SelectedCount(), 3u);
    EXPECT_EQ(m_Listing.SelectedSize(), 119u);
    EXPECT_EQ(m_Listing.SelectedNames(), (std::vector<std::string>{"a.gif", "b.bmp", "C.png"}));
    m_Listing.UnselectAll();
    EXPECT_EQ(m_Listing.SelectedCount(), 0u);
    EXPECT_EQ(m_Listing.SelectedSize(), 0u);
    Select(m_Listing, {"b.bmp"});
    m_Listing.InvertSelection();
    EXPECT_EQ(m_Listing.SelectedNames(), (std::vector<std::string>{"a.gif", "C.png"}));
    EXPECT_EQ(m_Listing.SelectedSize(), 109u);
}

class GroupListingTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeFile(m_Folder.Path(), "a.bmp", 1024, LocalTime(2005, 3, 1, 12, 0));
        MakeFile(m_Folder.Path(), "b.Bmp", 2048, LocalTime(2005, 3, 1, 0, 30));
        MakeFile(m_Folder.Path(), "c.gif", 100, LocalTime(2005, 3, 5));
        ASSERT_TRUE(m_Listing.ListFolder(m_Folder.Path(), kAllFiles, nullptr));
        m_Listing.SetSort(kSortFilename, true);
    }
    std::vector<std::string> SelectedAfter(std::initializer_list<const char*> before, const GroupCriteria& criteria,
                                           bool unselect = false)
    {
        m_Listing.UnselectAll();
        Select(m_Listing, before);
        if (unselect)
            m_Listing.UnselectGroup(criteria);
        else
            m_Listing.SelectGroup(criteria);
        return m_Listing.SelectedNames();
    }

    TempFolder m_Folder;
    CFolderListing m_Listing;
};

GroupCriteria ByExtension(const char* extension)
{
    GroupCriteria c;
    c.UseExtension = true;
    c.Extension = extension;
    return c;
}

GroupCriteria BySize(long long number, int relation, int unit)
{
    GroupCriteria c;
    c.UseSize = true;
    c.SizeNumber = number;
    c.SizeRelation = relation;
    c.SizeUnit = unit;
    return c;
}

GroupCriteria ByDate(int fromDay, int fromMonth, int fromYear, int toDay, int toMonth, int toYear)
{
    GroupCriteria c;
    c.UseDate = true;
    c.FromDay = fromDay, c.FromMonth = fromMonth, c.FromYear = fromYear;
    c.ToDay = toDay, c.ToMonth = toMonth, c.ToYear = toYear;
    return c;
}

using Names = std::vector<std::string>;

TEST_F(GroupListingTest, SelectGroup)
{
    EXPECT_EQ(SelectedAfter({"c.gif"}, ByExtension("BMP")), (Names{"a.bmp", "b.Bmp"}));
    GroupCriteria expand = ByExtension("BMP");
    expand.Expand = true;
    EXPECT_EQ(SelectedAfter({"c.gif"}, expand), (Names{"a.bmp", "b.Bmp", "c.gif"}));
    EXPECT_EQ(SelectedAfter({}, BySize(1, GroupCriteria::kEqual, 1)), (Names{"a.bmp"}));
    EXPECT_EQ(SelectedAfter({}, BySize(1, GroupCriteria::kLess, 1)), (Names{"c.gif"}));
    EXPECT_EQ(SelectedAfter({}, BySize(1, GroupCriteria::kGreater, 1)), (Names{"b.Bmp"}));
    EXPECT_EQ(SelectedAfter({}, BySize(100, GroupCriteria::kEqual, 0)), (Names{"c.gif"}));
    EXPECT_EQ(SelectedAfter({}, BySize(1, GroupCriteria::kLess, 2)), (Names{"a.bmp", "b.Bmp", "c.gif"}));
    // From and to are 01:01:01 of their days; b.Bmp was written before that on 1 March.
    EXPECT_EQ(SelectedAfter({}, ByDate(1, 3, 2005, 2, 3, 2005)), (Names{"a.bmp"}));
    EXPECT_EQ(SelectedAfter({"a.bmp"}, ByDate(1, 3, 2005, 1, 3, 2005)), Names{});
    GroupCriteria both = ByExtension("bmp");
    both.UseSize = true, both.SizeNumber = 2, both.SizeUnit = 1;
    EXPECT_EQ(SelectedAfter({}, both), (Names{"b.Bmp"}));
}

TEST_F(GroupListingTest, UnselectGroupNeverSelects)
{
    EXPECT_EQ(SelectedAfter({"a.bmp"}, ByExtension("gif"), true), (Names{"a.bmp"}));
    EXPECT_EQ(SelectedAfter({"a.bmp", "c.gif"}, ByExtension("bmp"), true), (Names{"c.gif"}));
    EXPECT_EQ(SelectedAfter({"a.bmp", "b.Bmp"}, BySize(1, GroupCriteria::kGreater, 0), true), Names{});
}

TEST_F(GroupListingTest, NothingCheckedChangesNothing)
{
    EXPECT_EQ(SelectedAfter({"c.gif"}, GroupCriteria{}), (Names{"c.gif"}));
    EXPECT_EQ(SelectedAfter({"c.gif"}, GroupCriteria{}, true), (Names{"c.gif"}));
}

TEST(GroupCriteriaTest, Validation)
{
    const std::string sizeMessage = "Please enter a value between 1 and 2147483647 for file size.";
    const std::string yearMessage = "Please enter a value between 1970 and 2037.";
    EXPECT_EQ(BySize(0, 0, 0).Validate(), sizeMessage);
    EXPECT_EQ(BySize(2147483648LL, 0, 0).Validate(), sizeMessage);
    EXPECT_EQ(BySize(2147483647LL, 0, 2).Validate(), "");
    EXPECT_EQ(ByDate(1, 1, 2000, 1, 1, 2038).Validate(), yearMessage);
    EXPECT_EQ(ByDate(1, 1, 1969, 1, 1, 2000).Validate(), yearMessage);
    EXPECT_EQ(ByDate(1, 1, 1970, 31, 12, 2037).Validate(), "");
    GroupCriteria unchecked;
    unchecked.SizeNumber = 0;
    unchecked.FromYear = 1900;
    EXPECT_EQ(unchecked.Validate(), "");
    EXPECT_FALSE(unchecked.AnyChecked());
}

TEST(GroupCriteriaTest, SizesBeyondFourGigabytes)
{
    FileItem big;
    big.Name = "big.psd";
    big.Size = 5ull << 30;
    EXPECT_TRUE(BySize(5120, GroupCriteria::kEqual, 2).Matches(big));
    EXPECT_TRUE(BySize(2147483647LL, GroupCriteria::kLess, 1).Matches(big));
    EXPECT_TRUE(BySize(1, GroupCriteria::kGreater, 2).Matches(big));
}

TEST_F(GroupListingTest, RestoreSelectionAfterARebuild)
{
    Select(m_Listing, {"a.bmp", "c.gif"});
    const Names previous = m_Listing.SelectedNames();
    std::filesystem::remove(m_Folder.File("c.gif"));

    m_Listing.ListFolder(m_Folder.Path(), kAllFiles, nullptr);
    EXPECT_FALSE(m_Listing.RestoreSelection(previous, "c.gif"));
    EXPECT_EQ(m_Listing.SelectedNames(), Names{"a.bmp"});

    m_Listing.ListFolder(m_Folder.Path(), kAllFiles, nullptr);
    EXPECT_TRUE(m_Listing.RestoreSelection({"A.BMP", "c.gif"}, "B.BMP"));
    EXPECT_EQ(m_Listing.SelectedNames(), (Names{"a.bmp", "b.Bmp"}));
    EXPECT_EQ(m_Listing.SelectedSize(), 3072u);

    m_Listing.ListFolder(m_Folder.Path(), kAllFiles, nullptr);
    EXPECT_TRUE(m_Listing.RestoreSelection({"a.bmp", "b.Bmp"}, "gone.png"));
    EXPECT_EQ(m_Listing.SelectedCount(), 2u);
}

TEST(FolderListingTest, NamesDifferingOnlyInCaseAreDifferentFiles)
{
    TempFolder folder;
    MakeFile(folder.Path(), "photo.jpg", 100);
    MakeFile(folder.Path(), "PHOTO.JPG", 200);
    CFolderListing listing;
    ASSERT_TRUE(listing.ListFolder(folder.Path(), kAllFiles, nullptr));

    for (const char* name : {"photo.jpg", "PHOTO.JPG"})
        EXPECT_EQ(listing.ItemAtRow(static_cast<size_t>(listing.FindRow(name))).Name, name);
    EXPECT_GE(listing.FindRow("Photo.Jpg"), 0);

    // Both selected before a rebuild: both selected after it.
    Select(listing, {"photo.jpg", "PHOTO.JPG"});
    const std::vector<std::string> previous = listing.SelectedNames();
    ASSERT_TRUE(listing.ListFolder(folder.Path(), kAllFiles, nullptr));
    EXPECT_TRUE(listing.RestoreSelection(previous, "PHOTO.JPG"));
    EXPECT_EQ(Sorted(listing.SelectedNames()), Sorted({"photo.jpg", "PHOTO.JPG"}));
    EXPECT_EQ(listing.SelectedSize(), 300u);
}

TEST(CollectTreeTest, DepthFirstParentsFirstLinksNotFollowed)
{
    TempFolder root;
    namespace fs = std::filesystem;
    fs::create_directories(root.File("sub/deeper"));
    fs::create_directories(root.File("other"));
    MakeFile(root.Path(), "top.bmp", 3);
    MakeFile(root.File("sub"), "mid.bmp", 5);
    MakeFile(root.File("sub/deeper"), "low.bmp", 7);
    fs::create_directory_symlink(root.File("sub"), root.File("loop"));

    const FolderTree tree = CollectTree(root.Path());
    EXPECT_EQ(Sorted(tree.Files), Sorted({root.File("top.bmp"), root.File("sub/mid.bmp"),
                                          root.File("sub/deeper/low.bmp"), root.File("loop")}));
    EXPECT_EQ(Sorted(tree.Subfolders), Sorted({root.File("sub"), root.File("sub/deeper"), root.File("other")}));
    const auto sub = std::find(tree.Subfolders.begin(), tree.Subfolders.end(), root.File("sub"));
    const auto deeper = std::find(tree.Subfolders.begin(), tree.Subfolders.end(), root.File("sub/deeper"));
    EXPECT_LT(sub, deeper);
    EXPECT_EQ(tree.TotalSize, 15u);

    const FolderTree missing = CollectTree(root.File("none"));
    EXPECT_TRUE(missing.Files.empty());
    EXPECT_TRUE(missing.Subfolders.empty());
}

} // namespace
