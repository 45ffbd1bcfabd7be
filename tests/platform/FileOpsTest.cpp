#include "platform/FileOps.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace {

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

// A rename never replaces: the existing target and the source both stay.
TEST(FileOpsTest, RenameNeverReplaces)
{
    struct Case {
        const char* name;
        bool targetExists;
        bool folder;
        int error;
    };
    const Case cases[] = {
        {"free name", false, false, 0},
        {"taken name", true, false, EEXIST},
        {"folder to free name", false, true, 0},
        {"folder to taken name", true, true, EEXIST},
    };
    for (const Case& c : cases) {
        TempFolder tmp;
        const std::string from = tmp.File("from"), to = tmp.File("to");
        if (c.folder)
            std::filesystem::create_directory(from);
        else
            std::ofstream(from) << "new";
        if (c.targetExists)
            std::ofstream(to) << "old";
        EXPECT_EQ(SystemFileOps().RenameNoReplace(from, to), c.error) << c.name;
        EXPECT_EQ(std::filesystem::exists(from), c.error != 0) << c.name;
        if (c.targetExists) {
            EXPECT_EQ(ReadText(to), "old") << c.name;
        }
    }
}

TEST(FileOpsTest, LinkStatusDescribesTheLinkItself)
{
    TempFolder tmp;
    std::filesystem::create_directory(tmp.File("folder"));
    std::filesystem::create_directory_symlink(tmp.File("folder"), tmp.File("link"));
    FileStatus status;
    ASSERT_EQ(SystemFileOps().LinkStatus(tmp.File("link"), status), 0);
    EXPECT_TRUE(status.IsLink());
    EXPECT_FALSE(status.IsFolder());
    EXPECT_EQ(SystemFileOps().LinkStatus(tmp.File("missing"), status), ENOENT);
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
}

} // namespace
