#include "platform/Trash.h"

#include "jobs/FaultOps.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

// The trash of the test's own data folder, restored afterwards.
class TrashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        m_Had = old != nullptr;
        m_Old = old ? old : "";
        ::setenv("XDG_DATA_HOME", m_Tmp.File("data").c_str(), 1);
        char real[PATH_MAX];
        m_Real = ::realpath(m_Tmp.Path().c_str(), real);
        m_Trash = m_Tmp.File("data/Trash");
    }
    void TearDown() override
    {
        if (m_Had)
            ::setenv("XDG_DATA_HOME", m_Old.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
    TempFolder m_Tmp;
    std::string m_Real, m_Trash, m_Old;
    bool m_Had = false;
};

TEST_F(TrashTest, SameNamesGetTheirOwnEntries)
{
    struct Case {
        const char* source;  // under the test folder
        const char* trashed; // name under files/ and info/
        const char* path;    // the Path key, after the test folder's real path
    };
    const Case cases[] = {
        {"a/my photo.jpg", "my photo.jpg", "/a/my%20photo.jpg"},
        {"b/my photo.jpg", "my photo.2.jpg", "/b/my%20photo.jpg"},
        {"c/my photo.jpg", "my photo.3.jpg", "/c/my%20photo.jpg"},
        {"d/folder", "folder", "/d/folder"},
    };
    for (const Case& c : cases) {
        const std::string source = m_Tmp.File(c.source);
        fs::create_directories(fs::path(source).parent_path());
        if (std::string(c.source).find('.') == std::string::npos)
            fs::create_directory(source);
        else
            std::ofstream(source) << c.source;
        std::string trashedAs;
        ASSERT_EQ(MoveToTrash(source, SystemFileOps(), &trashedAs), 0) << c.source;
        EXPECT_FALSE(fs::exists(source)) << c.source;
        EXPECT_EQ(trashedAs, m_Trash + "/files/" + c.trashed) << c.source;
        const std::string info = ReadText(m_Trash + "/info/" + c.trashed + ".trashinfo");
        EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + m_Real + c.path + "\nDeletionDate=", 0), 0u) << info;
    }
    EXPECT_EQ(ReadText(m_Trash + "/files/my photo.2.jpg"), "b/my photo.jpg");
}

TEST_F(TrashTest, FailedMoveLeavesTheFileAndNoInfo)
{
    const std::string source = m_Tmp.File("keep.txt");
    std::ofstream(source) << "x";
    FaultOps ops;
    ops.RenamePrefix = source;
    EXPECT_EQ(MoveToTrash(source, ops), EACCES);
    EXPECT_TRUE(fs::exists(source));
    EXPECT_TRUE(fs::is_empty(m_Trash + "/info"));
}

} // namespace
