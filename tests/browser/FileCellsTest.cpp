#include "browser/Columns.h"
#include "browser/FileCells.h"
#include "base/FileName.h"

#include "browser/ListingHelpers.h"

#include <gtest/gtest.h>

namespace {

FileItem Item(const std::string& name, uint8_t attributes = 0)
{
    FileItem item;
    item.Name = name;
    item.Attributes = attributes;
    return item;
}

TEST(BrowserCellsTest, NameAndExtensionCells)
{
    struct Case {
        const char* Name;
        const char* NameCell;
        const char* ExtensionCell;
    };
    const Case cases[] = {
        {"archive.", "archive", ""},
        {"readme", "readme", ""},
        {"a.b.c", "a.b", "c"},
        {"Photo.JPG", "Photo", "JPG"},
        {"two words.tif", "two words", "tif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(CellText(Item(c.Name), Column::Name), c.NameCell);
        EXPECT_EQ(CellText(Item(c.Name), Column::Extension), c.ExtensionCell);
    }
}

TEST(BrowserCellsTest, ExtensionOfAPathLooksAtTheFileNameOnly)
{
    EXPECT_EQ(Extension("/home/ann/pics.d/readme"), "");
    EXPECT_EQ(Extension("/home/ann/pics.d/cat.Wmf"), "Wmf");
    EXPECT_EQ(NameWithoutExtension("/a.b/c"), "/a.b/c");
    EXPECT_EQ(NameWithoutExtension("/a.b/c.d"), "/a.b/c");
}

TEST(BrowserCellsTest, CaseInsensitiveCompare)
{
    EXPECT_EQ(CompareNoCase("readme", "README"), 0);
    EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("read", "README"), 0);
    // Bytes above ASCII order after every letter.
    EXPECT_GT(CompareNoCase("\xc3\xa4", "z"), 0);
    EXPECT_TRUE(EqualsNoCase("IMAGE.JPG", "image.jpg"));
    EXPECT_FALSE(EqualsNoCase("image.jpg", "image.jpeg"));
}

TEST(BrowserCellsTest, AttributeCells)
{
    struct Case {
        uint8_t Attributes;
        const char* Text;
    };
    const Case cases[] = {
        {0, "----"},
        {kAttrArchive, "-a--"},
        {kAttrHidden, "--h-"},
        {kAttrReadOnly | kAttrArchive | kAttrSystem, "ra-s"},
        {kAttrReadOnly | kAttrArchive | kAttrHidden | kAttrSystem, "rahs"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AttributesCell(Item("x", c.Attributes)), c.Text) << int(c.Attributes);
}

TEST(BrowserCellsTest, SizeDateAndTypeCells)
{
    FileItem item = Item("Cat.JPG");
    item.Size = 5000000000ull;
    item.Modified = LocalTime(2005, 7, 4, 23, 59);
    EXPECT_EQ(SizeCell(item), "5000000000");
    EXPECT_EQ(DateCell(item), "07/04/2005");
    EXPECT_EQ(TypeCell(item), "JPG File");
    item.TypeName = "JPEG image";
    EXPECT_EQ(CellText(item, Column::Type), "JPEG image");
}

TEST(BrowserColumnsTest, PositionsFollowTheVisibleColumns)
{
    CColumnSet columns;  // Name, Ext, Size, Date shown
    EXPECT_EQ(columns.PositionOf(Column::Date), 3);
    EXPECT_EQ(columns.PositionOf(Column::Type), -1);
    columns.SetVisible(Column::Extension, false);
    columns.SetVisible(Column::Type, true);
    columns.SetVisible(Column::Name, false);  // cannot be hidden
    EXPECT_EQ(columns.Visible(), (std::vector<Column>{Column::Name, Column::Size, Column::Date, Column::Type}));
    EXPECT_EQ(columns.AtPosition(0), Column::Name);
    EXPECT_EQ(columns.AtPosition(3), Column::Type);
    EXPECT_EQ(columns.AtPosition(4), Column::Count);
    EXPECT_EQ(columns.AtPosition(-1), Column::Count);
    EXPECT_EQ(columns.SortColumn(kSortExtension), Column::Name);
    EXPECT_EQ(columns.SortColumn(kSortType), Column::Type);
    EXPECT_EQ(columns.SortColumn(kSortFilename), Column::Name);
    EXPECT_STREQ(ColumnInfoOf(Column::Attributes).Header, "Attr");
    EXPECT_EQ(ColumnInfoOf(Column::Attributes).Key, 0);
}

} // namespace
