#include "platform/Directory.h"

#include "browser/FileItem.h"
#include "browser/ListingHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const DirectoryEntry* Find(const std::vector<DirectoryEntry>& entries, const std::string& name)
{
    for (const DirectoryEntry& entry : entries)
        if (entry.Name == name)
            return &entry;
    return nullptr;
}

TEST(DirectoryTest, AttributesFromNameModeAndOwner)
{
    const UserIdentity ann{1000, {1000, 27}};
    const UserIdentity root{0, {0}};
    struct Case {
        const char* What;
        const char* Name;
        uint32_t Mode;
        uint32_t Uid, Gid;
        const UserIdentity& User;
        uint8_t Attributes;
    };
    const Case cases[] = {
        {"own writable file", "a.png", S_IFREG | 0644, 1000, 1000, ann, 0},
        {"own read-only file", "a.png", S_IFREG | 0444, 1000, 1000, ann, kAttrReadOnly},
        {"group may write", "a.png", S_IFREG | 0664, 0, 27, ann, 0},
        {"group may not write", "a.png", S_IFREG | 0646, 0, 27, ann, kAttrReadOnly},
        {"others may write", "a.png", S_IFREG | 0666, 0, 0, ann, 0},
        {"someone else's file", "a.png", S_IFREG | 0644, 0, 0, ann, kAttrReadOnly},
        {"root writes everything", "a.png", S_IFREG | 0444, 1000, 1000, root, 0},
        {"hidden", ".a.png", S_IFREG | 0644, 1000, 1000, ann, kAttrHidden},
        {"pipe", "fifo", S_IFIFO | 0644, 1000, 1000, ann, kAttrSystem},
        {"broken link", "link", S_IFLNK | 0777, 1000, 1000, ann, kAttrSystem},
        {"folder", ".git", S_IFDIR | 0755, 1000, 1000, ann, kAttrDirectory | kAttrHidden},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EntryAttributes(c.Name, c.Mode, c.Uid, c.Gid, c.User), c.Attributes) << c.What;
}

TEST(DirectoryTest, ReadDirectoryDescribesEveryKindOfEntry)
{
    TempFolder folder;
    MakeFile(folder.Path(), "cat.png", 7, LocalTime(2005, 7, 4));
    fs::create_directory(folder.File("sub"));
    fs::create_symlink(folder.File("gone"), folder.File("broken.png"));
    fs::create_symlink(folder.File("cat.png"), folder.File("alias.png"));
    fs::create_directory_symlink(folder.File("sub"), folder.File("sublink"));
    ASSERT_EQ(mkfifo(folder.File("pipe").c_str(), 0644), 0);

    std::vector<DirectoryEntry> entries;
    ASSERT_TRUE(ReadDirectory(folder.Path(), entries));
    ASSERT_EQ(entries.size(), 6u);

    const DirectoryEntry* cat = Find(entries, "cat.png");
    ASSERT_TRUE(cat);
    EXPECT_EQ(cat->Size, 7u);
    EXPECT_EQ(cat->Modified, LocalTime(2005, 7, 4));
    EXPECT_FALSE(cat->IsDirectory || cat->IsLink);
    EXPECT_EQ(cat->Attributes & (kAttrHidden | kAttrSystem | kAttrDirectory), 0);

    const DirectoryEntry* broken = Find(entries, "broken.png");
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->Size, 0u);
    EXPECT_TRUE(broken->Attributes & kAttrSystem);
    EXPECT_TRUE(broken->IsLink);

    const DirectoryEntry* alias = Find(entries, "alias.png");
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->Size, 7u);
    EXPECT_TRUE(alias->IsLink);
    EXPECT_FALSE(alias->Attributes & kAttrSystem);

    EXPECT_TRUE(Find(entries, "sub")->IsDirectory);
    EXPECT_TRUE(Find(entries, "sublink")->IsDirectory && Find(entries, "sublink")->IsLink);
    EXPECT_TRUE(Find(entries, "pipe")->Attributes & kAttrSystem);

    EXPECT_FALSE(ReadDirectory(folder.File("cat.png"), entries));
    EXPECT_FALSE(ReadDirectory(folder.File("missing"), entries));
    EXPECT_TRUE(entries.empty());
}

TEST(DirectoryTest, ListSubfoldersIncludesHiddenAndLinkedFolders)
{
    TempFolder folder;
    fs::create_directory(folder.File("sub"));
    fs::create_directory(folder.File(".git"));
    fs::create_directory_symlink(folder.File("sub"), folder.File("sublink"));
    MakeFile(folder.Path(), "file", 1);
    std::vector<std::string> names = ListSubfolders(folder.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".git", "sub", "sublink"}));
    EXPECT_TRUE(ListSubfolders(folder.File("missing")).empty());
}

TEST(DirectoryTest, DriveRootsFromTheMountTable)
{
    const std::string mounts = "overlay / overlay rw 0 0\n"
                               "proc /proc proc rw 0 0\n"
                               "/dev/sda1 /etc/hosts ext4 rw 0 0\n"
                               "/dev/sdb1 /media/ann/My\\040Disk ext4 rw 0 0\n"
                               "/dev/sdb1 /mnt/again ext4 rw 0 0\n"
                               "/dev/sda2 /boot ext4 rw 0 0\n"
                               "/dev/sda3 /boot/efi vfat rw 0 0\n"
                               "/dev/loop0 /snap/core/123 squashfs ro 0 0\n"
                               "tmpfs /run tmpfs rw 0 0\n"
                               "/dev/sdc1 /data ext4 rw 0 0\n"
                               "/dev/sda1 /srv ext4 rw 0 0\n";
    EXPECT_EQ(DriveRootsFromMounts(mounts),
              (std::vector<std::string>{"/", "/etc/hosts", "/media/ann/My Disk", "/data"}));
    // A file bind-mounted first does not hide a folder of the same device.
    auto notHosts = [](const std::string& path) { return path != "/etc/hosts"; };
    EXPECT_EQ(DriveRootsFromMounts(mounts, +notHosts),
              (std::vector<std::string>{"/", "/media/ann/My Disk", "/data", "/srv"}));
    EXPECT_EQ(DriveRootsFromMounts("/dev/sda1 / ext4 rw 0 0\n/dev/sda1 /home ext4 rw 0 0\n"),
              std::vector<std::string>{"/"});
    EXPECT_EQ(DriveRoots().front(), "/");
}

TEST(DirectoryTest, CurrentFolderFreeSpaceAndVolumes)
{
    CurrentFolderGuard guard;
    TempFolder folder;
    const std::string path = fs::canonical(folder.Path()).string();
    ASSERT_TRUE(MakeCurrentFolder(path));
    EXPECT_EQ(CurrentFolder(), path);
    EXPECT_FALSE(MakeCurrentFolder(""));
    EXPECT_FALSE(MakeCurrentFolder(path + "/missing"));
    EXPECT_EQ(CurrentFolder(), path);

    EXPECT_GT(FreeSpace(path), 0u);
    EXPECT_EQ(FreeSpace(path + "/missing"), 0u);
    EXPECT_EQ(VolumeOf(path), VolumeOf(path + "/."));
    EXPECT_EQ(VolumeOf(path + "/missing"), "");
    EXPECT_TRUE(IsFolder(path));
    EXPECT_FALSE(IsFolder(path + "/missing"));
    EXPECT_TRUE(IsRootFolder("/"));
    EXPECT_FALSE(IsRootFolder(path));
    EXPECT_FALSE(HomeDirectory().empty());
}

} // namespace
