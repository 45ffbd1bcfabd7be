#include "platform/SafeFile.h"
#include "platform/MappedFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool WriteText(const std::string& path, const std::string& text)
{
    CSafeFileWriter writer;
    return writer.Open(path) && writer.Write(text.data(), text.size()) && writer.Commit();
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

// Every name in the folder, so a stray temporary file shows up.
std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

struct LinkCase {
    const char* name;
    const char* link;    // name of the link in folder "a"
    const char* points;  // its contents; "@" stands for the folder's absolute path
    const char* real;    // the file finally written, relative to the folder
    bool realExists;
};

TEST(SafeFileTest, WritesThroughLinksAndKeepsThem)
{
    const LinkCase cases[] = {
        {"absolute", "a/link", "@/a/real", "a/real", true},
        {"relative", "a/link", "real", "a/real", true},
        {"other folder", "a/link", "../b/real", "b/real", true},
        {"chain", "a/link", "hop", "b/real", true},  // a/hop -> ../b/real
        {"dangling", "a/link", "../b/missing", "b/missing", false},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        fs::create_directories(folder.File("a"));
        fs::create_directories(folder.File("b"));
        if (c.realExists)
            folder.Write(c.real, {'o', 'l', 'd'});
        std::string points = c.points;
        if (points[0] == '@')
            points = folder.Path() + points.substr(1);
        fs::create_symlink(points, folder.File(c.link));
        fs::create_symlink("../b/real", folder.File("a/hop"));
        const std::set<std::string> before[] = {Names(folder.File("a")), Names(folder.File("b"))};

        ASSERT_TRUE(WriteText(folder.File(c.link), "new"));
        EXPECT_TRUE(fs::is_symlink(folder.File(c.link)));
        EXPECT_EQ(fs::read_symlink(folder.File(c.link)).string(), points);
        EXPECT_EQ(ReadText(folder.File(c.real)), "new");
        std::set<std::string> expected[] = {before[0], before[1]};
        if (!c.realExists)
            expected[1].insert("missing");
        EXPECT_EQ(Names(folder.File("a")), expected[0]);
        EXPECT_EQ(Names(folder.File("b")), expected[1]);
    }
}

TEST(SafeFileTest, RefusesLinkLoop)
{
    TempFolder folder;
    fs::create_symlink("two", folder.File("one"));
    fs::create_symlink("one", folder.File("two"));
    CSafeFileWriter writer;
    EXPECT_FALSE(writer.Open(folder.File("one")));
    EXPECT_EQ(writer.Error(), ELOOP);
    EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{"one", "two"}));
}

TEST(SafeFileTest, KeepsModeAndOwnerOrAppliesUmask)
{
    TempFolder folder;
    const std::string old = folder.Write("settings", {'x'});
    ASSERT_EQ(::chmod(old.c_str(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(old.c_str(), 4321, 4322), 0);
    }
    ASSERT_TRUE(WriteText(old, "new"));
    EXPECT_EQ(ModeOf(old), 0600u);
    struct stat st {};
    ASSERT_EQ(::stat(old.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, root ? 4321u : ::geteuid());
    if (root) {
        EXPECT_EQ(st.st_gid, 4322u);
    }

    const mode_t previous = ::umask(027);
    const bool written = WriteText(folder.File("fresh"), "new");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(folder.File("fresh")), 0640u);
}

TEST(SafeFileTest, WritesNameAtTheLengthLimit)
{
    TempFolder folder;
    const std::string name(255, 'n');
    ASSERT_TRUE(WriteText(folder.File(name), "long"));
    EXPECT_EQ(ReadText(folder.File(name)), "long");
    EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{name}));
}

TEST(SafeFileTest, FailureLeavesOldFileAndNoTemporary)
{
    enum Fault { kAbort, kDestroyed, kMissingFolder, kFolderTarget };
    for (const Fault fault : {kAbort, kDestroyed, kMissingFolder, kFolderTarget}) {
        SCOPED_TRACE(fault);
        TempFolder folder;
        const std::string old = folder.Write("file", {'o', 'l', 'd'});
        fs::create_directories(folder.File("dir"));
        const std::set<std::string> before = Names(folder.Path());
        {
            CSafeFileWriter writer;
            if (fault == kMissingFolder || fault == kFolderTarget) {
                EXPECT_FALSE(writer.Open(folder.File(fault == kFolderTarget ? "dir" : "none/file")));
                EXPECT_NE(writer.Error(), 0);
                EXPECT_FALSE(writer.Commit());
            } else {
                ASSERT_TRUE(writer.Open(old));
                EXPECT_TRUE(writer.Write("new", 3));
                if (fault == kAbort) {
                    writer.Abort();
                    EXPECT_FALSE(writer.Commit());
                }
            }
        }
        EXPECT_EQ(ReadText(old), "old");
        EXPECT_TRUE(fs::is_empty(folder.File("dir")));
        EXPECT_EQ(Names(folder.Path()), before);
    }
}

TEST(SafeFileTest, CopiesThroughTheWriter)
{
    TempFolder folder;
    const std::string from = folder.Write("from", {1, 2, 3});
    std::string error;
    ASSERT_TRUE(CopySafely(from, folder.File("to"), error)) << error;
    EXPECT_EQ(TempFolder::Read(folder.File("to")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(CopySafely(folder.File("none"), folder.File("to"), error));
    EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{"from", "to"}));
}

// A named pipe with no writer would hold a plain open forever.
TEST(SafeFileTest, NamedPipeIsRefusedWithoutWaiting)
{
    TempFolder folder;
    const std::string pipe = folder.File("pipe.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(CopySafely(pipe, folder.File("to"), error));
    CMappedFile mapped;
    EXPECT_EQ(mapped.Open(pipe), 5);
}

}  // namespace
