#include "browser/Favourites.h"
#include "browser/RecentFolders.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(BrowserFavouritesTest, LoadsFolderAndFileFavourites)
{
    TempFolder folder;
    const std::string path = folder.File(CFavourites::kFileName);
    WriteText(path, "2*Pictures*/home/ann/Pictures**0*Cat*/home/ann*cat.png*-7*");
    CFavourites favourites;
    favourites.LoadFavourites(path);
    ASSERT_EQ(favourites.Count(), 2u);
    EXPECT_EQ(favourites.GetFavourite(0).Name, "Pictures");
    EXPECT_EQ(favourites.GetFavourite(0).Folder, "/home/ann/Pictures");
    EXPECT_EQ(favourites.GetFavourite(0).File, "");
    EXPECT_EQ(favourites.GetFavourite(1).File, "cat.png");
    EXPECT_EQ(favourites.GetFavourite(1).Value, -7);
}

TEST(BrowserFavouritesTest, DamagedFilesReadWhatIsWhole)
{
    const std::string longName(300, 'n');
    struct Case {
        const char* What;
        std::string Text;
        size_t Count;
    };
    const Case cases[] = {
        {"count 0", "0*a*b*c*1*", 0},
        {"no number", "x*a*b*c*1*", 0},
        {"negative count", "-1*a*b*c*1*", 0},
        {"no separator", "1", 0},
        {"empty", "", 0},
        {"count beyond the entries", "99999999999*a*b*c*1*d*e*", 1},
        {"long field", "2*" + longName + "*/f**0*b*/g*h*1*", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TempFolder folder;
        WriteText(folder.File("oc.fav"), c.Text);
        CFavourites favourites;
        favourites.LoadFavourites(folder.File("oc.fav"));
        EXPECT_EQ(favourites.Count(), c.Count);
    }
    TempFolder folder;
    WriteText(folder.File("oc.fav"), "2*" + longName + "*/f**0*b*/g*h*1*");
    CFavourites favourites;
    favourites.LoadFavourites(folder.File("oc.fav"));
    EXPECT_EQ(favourites.GetFavourite(0).Name, longName);  // not cut: a long path must stay whole
    EXPECT_EQ(favourites.GetFavourite(0).Folder, "/f");
    EXPECT_EQ(favourites.GetFavourite(1).File, "h");

    CFavourites none;
    none.LoadFavourites(folder.File("missing.fav"));
    EXPECT_EQ(none.Count(), 0u);
}

TEST(BrowserFavouritesTest, SaveLoadRenameRemove)
{
    TempFolder folder;
    const std::string path = folder.File("config/oc.fav");  // the folder is made on first save
    CFavourites favourites;
    favourites.AddFavourite("Home", "/home/ann", "", 0);
    favourites.AddFavourite("Cat", "/home/ann/Bilder \xc3\xa4", "cat.png", 42);
    favourites.AddFavourite("Star*", "/tmp", "", 1);  // cannot be stored
    favourites.RenameFavourite(0, "My home");
    ASSERT_TRUE(favourites.SaveFavourites(path));
    EXPECT_EQ(ReadText(path), "2*My home*/home/ann**0*Cat*/home/ann/Bilder \xc3\xa4*cat.png*42*");

    CFavourites loaded;
    loaded.LoadFavourites(path);
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded.GetFavourite(1).Folder, "/home/ann/Bilder \xc3\xa4");
    EXPECT_EQ(loaded.GetFavourite(1).Value, 42);

    // An empty list leaves the file as it was.
    loaded.RemoveFavourite(1);
    loaded.RemoveFavourite(0);
    loaded.RemoveFavourite(5);
    EXPECT_EQ(loaded.Count(), 0u);
    EXPECT_TRUE(loaded.SaveFavourites(path));
    EXPECT_EQ(ReadText(path), "2*My home*/home/ann**0*Cat*/home/ann/Bilder \xc3\xa4*cat.png*42*");
}

TEST(BrowserFavouritesTest, AFailedSaveReportsFailure)
{
    TempFolder folder;
    WriteText(folder.File("plain"), "not a folder");
    CFavourites favourites;
    favourites.AddFavourite("Home", "/home/ann", "", 0);
    EXPECT_FALSE(favourites.SaveFavourites(folder.File("plain/oc.fav")));
    CRecentFolders recent;
    EXPECT_FALSE(recent.SaveRecentFolders(folder.File("plain/oc.ruf")));
}

TEST(BrowserRecentFoldersTest, OneEntryPerFolderIgnoringCaseAndTrailingSeparator)
{
    CRecentFolders recent;
    EXPECT_EQ(recent.AddToAddressList("/home/Ann/Pics/"), 0u);
    EXPECT_EQ(recent.AddToAddressList("/HOME/ann/pics"), 0u);
    EXPECT_EQ(recent.AddToAddressList("/"), 1u);
    EXPECT_EQ(recent.AddToAddressList("/tmp"), 2u);
    EXPECT_EQ(recent.Items(), (std::vector<std::string>{"/home/Ann/Pics", "/", "/tmp"}));
    EXPECT_EQ(recent.Find("/TMP/"), 2);
    EXPECT_EQ(recent.Find("/var"), -1);
}

TEST(BrowserRecentFoldersTest, SaveAndLoad)
{
    TempFolder folder;
    const std::string path = folder.File(CRecentFolders::kFileName);
    CRecentFolders recent;
    ASSERT_TRUE(recent.SaveRecentFolders(path));
    EXPECT_EQ(ReadText(path), "0*");

    recent.AddToAddressList("/home/ann");
    recent.AddToAddressList("/media/My Disk");
    ASSERT_TRUE(recent.SaveRecentFolders(path));
    EXPECT_EQ(ReadText(path), "2*/home/ann*/media/My Disk*");

    WriteText(path, "4*/a*/A/**/b*");
    CRecentFolders loaded;
    loaded.AddToAddressList("/old");
    loaded.LoadRecentFolders(path);
    EXPECT_EQ(loaded.Items(), (std::vector<std::string>{"/a", "/b"}));
}

} // namespace
