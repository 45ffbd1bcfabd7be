#include "browser/Navigator.h"

#include "browser/ListingHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Navigation changes the process's current folder; each test gives it back.
class BrowserNavigatorTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_Base = fs::canonical(m_Temp.Path()).string();
        fs::create_directories(m_Base + "/a/b/c");
        fs::create_directories(m_Base + "/home");
    }

    CurrentFolderGuard m_Guard;
    TempFolder m_Temp;
    std::string m_Base;
    CNavigator m_Nav;
    std::string m_Error;
};

TEST_F(BrowserNavigatorTest, EnterRecordsTheFolder)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a/b/"));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a/b");
    EXPECT_EQ(CurrentFolder(), m_Base + "/a/b");
    EXPECT_TRUE(m_Nav.DriveChanged());
    ASSERT_TRUE(m_Nav.Enter("c/../c"));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a/b/c");
    EXPECT_FALSE(m_Nav.DriveChanged());
    EXPECT_FALSE(m_Nav.Enter(m_Base + "/none"));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a/b/c");
    EXPECT_TRUE(m_Nav.PreviousFolder().empty());
}

TEST_F(BrowserNavigatorTest, BackTwiceReturnsToTheStart)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a/b"));
    ASSERT_TRUE(m_Nav.Up(m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a");
    ASSERT_TRUE(m_Nav.Back(m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a/b");
    EXPECT_EQ(m_Nav.PreviousFolder(), m_Base + "/a");
    ASSERT_TRUE(m_Nav.Back(m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a");
    EXPECT_EQ(CurrentFolder(), m_Base + "/a");
}

TEST_F(BrowserNavigatorTest, BackWithoutAPreviousFolderDoesNothing)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a"));
    EXPECT_FALSE(m_Nav.Back(m_Error));
    EXPECT_EQ(m_Error, "");
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a");
}

TEST_F(BrowserNavigatorTest, BackToAVanishedFolder)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a/b/c"));
    ASSERT_TRUE(m_Nav.Up(m_Error));
    fs::remove(m_Base + "/a/b/c");
    EXPECT_FALSE(m_Nav.Back(m_Error));
    EXPECT_EQ(m_Error, "Folder not exists.");
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a/b");
    EXPECT_EQ(CurrentFolder(), m_Base + "/a/b");
}

TEST_F(BrowserNavigatorTest, UpAtAndIntoTheRoot)
{
    ASSERT_TRUE(m_Nav.Enter("/"));
    EXPECT_FALSE(m_Nav.Up(m_Error));
    EXPECT_EQ(m_Error, "");
    EXPECT_EQ(m_Nav.CurrentFolder(), "/");

    const std::string top = (fs::path("/") / *fs::path(m_Base).relative_path().begin()).string();
    ASSERT_TRUE(m_Nav.Enter(top));
    ASSERT_TRUE(m_Nav.Up(m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), "/");
    EXPECT_EQ(CurrentFolder(), "/");
    EXPECT_EQ(m_Nav.PreviousFolder(), top);
}

TEST_F(BrowserNavigatorTest, UpIntoAVanishedFolder)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a/b/c"));
    fs::remove_all(m_Base + "/a/b");
    EXPECT_FALSE(m_Nav.Up(m_Error));
    EXPECT_EQ(m_Error, "Folder not exist.");
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a/b/c");
}

TEST_F(BrowserNavigatorTest, Home)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a"));
    ASSERT_TRUE(m_Nav.Home(m_Base + "/home", m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/home");
    EXPECT_EQ(m_Nav.PreviousFolder(), m_Base + "/a");

    fs::remove(m_Base + "/a/b/c");
    EXPECT_FALSE(m_Nav.Home(m_Base + "/a/b/c/", m_Error));
    EXPECT_EQ(m_Error, "Folder not exists.\n" + m_Base + "/a/b/c");
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/home");
    EXPECT_EQ(CurrentFolder(), m_Base + "/home");
}

TEST_F(BrowserNavigatorTest, HomeWithoutAHomeFolderIsTheUsersHome)
{
    const char* home = std::getenv("HOME");
    const std::string saved = home ? home : "";
    setenv("HOME", (m_Base + "/home").c_str(), 1);
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a"));
    EXPECT_TRUE(m_Nav.Home("", m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/home");
    EXPECT_EQ(m_Nav.PreviousFolder(), m_Base + "/a");
    setenv("HOME", (m_Base + "/gone").c_str(), 1);
    EXPECT_FALSE(m_Nav.Home("", m_Error));
    EXPECT_EQ(m_Error, "Folder not exists.\n" + m_Base + "/gone");
    if (home)
        setenv("HOME", saved.c_str(), 1);
    else
        unsetenv("HOME");
}

TEST_F(BrowserNavigatorTest, FallbackToTheNearestExistingFolder)
{
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a/b/c"));
    fs::remove_all(m_Base + "/a/b");
    ASSERT_TRUE(m_Nav.EnterWithFallback(m_Base + "/a/b/c", m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), m_Base + "/a");
    EXPECT_EQ(CurrentFolder(), m_Base + "/a");
    ASSERT_TRUE(m_Nav.EnterWithFallback("/no-such-folder-here/x/y", m_Error));
    EXPECT_EQ(m_Nav.CurrentFolder(), "/");
    EXPECT_EQ(m_Error, "");
}

TEST_F(BrowserNavigatorTest, AnotherVolumeChangesTheDrive)
{
    if (VolumeOf("/proc").empty() || VolumeOf("/proc") == VolumeOf(m_Base))
        GTEST_SKIP() << "no second volume";
    ASSERT_TRUE(m_Nav.Enter(m_Base));
    ASSERT_TRUE(m_Nav.Enter(m_Base + "/a"));
    EXPECT_FALSE(m_Nav.DriveChanged());
    ASSERT_TRUE(m_Nav.Enter("/proc"));
    EXPECT_TRUE(m_Nav.DriveChanged());
    EXPECT_EQ(m_Nav.Drive(), VolumeOf("/proc"));
}

} // namespace
