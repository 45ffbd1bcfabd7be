#include "jobs/FolderRename.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Content(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(FolderRenameTest, SeriesNumbersPassOverTakenNames)
{
    struct Case {
        const char* name;
        std::vector<std::string> onDisk;  // each file holds its own name
        std::vector<std::string> rows, todo;
        std::vector<std::string> after;   // the folder's names afterwards
        std::vector<std::string> renames; // "from>to" or "from>to!errno" per step
    };
    const Case cases[] = {
        {"extensions are kept", {"a.jpg", "b.png", "c.gif"}, {"a.jpg", "b.png", "c.gif"}, {"a.jpg", "b.png", "c.gif"},
         {"trip1.jpg", "trip2.png", "trip3.gif"}, {"a.jpg>trip1.jpg", "b.png>trip2.png", "c.gif>trip3.gif"}},
        {"a file already so named keeps its name", {"a.jpg", "b.png", "trip2.jpg"}, {"a.jpg", "b.png", "trip2.jpg"},
         {"a.jpg", "b.png", "trip2.jpg"}, {"trip1.jpg", "trip2.jpg", "trip3.png"},
         {"a.jpg>trip1.jpg", "b.png>trip3.png"}},
        {"a row outside the list takes its number, whatever its case", {"TRIP1.png", "a.jpg"}, {"TRIP1.png", "a.jpg"},
         {"a.jpg"}, {"TRIP1.png", "trip2.jpg"}, {"a.jpg>trip2.jpg"}},
        {"no extension, no dot", {"readme"}, {"readme"}, {"readme"}, {"trip1"}, {"readme>trip1"}},
        {"a name made behind the list's back is not overwritten", {"a.jpg", "b.jpg", "trip1.jpg"}, {"a.jpg", "b.jpg"},
         {"a.jpg", "b.jpg"}, {"a.jpg", "trip1.jpg", "trip2.jpg"},
         {"a.jpg>trip1.jpg!" + std::to_string(EEXIST), "b.jpg>trip2.jpg"}},
        {"a failure is recorded and the rest goes on", {"b.jpg"}, {"gone.jpg", "b.jpg"}, {"gone.jpg", "b.jpg"},
         {"trip2.jpg"}, {"gone.jpg>trip1.jpg!" + std::to_string(ENOENT), "b.jpg>trip2.jpg"}},
    };
    for (const Case& c : cases) {
        TempFolder tmp;
        for (const std::string& name : c.onDisk)
            tmp.Write(name, std::vector<uint8_t>(name.begin(), name.end()));
        std::vector<std::string> renames;
        for (const SeriesStep& step : RenameSeries(tmp.Path(), c.rows, c.todo, "trip")) {
            renames.push_back(step.From + ">" + step.To + (step.Error ? "!" + std::to_string(step.Error) : ""));
            if (step.Error && fs::exists(tmp.File(step.To))) {  // the name taken meanwhile is untouched
                EXPECT_EQ(Content(tmp.File(step.To)), step.To) << c.name;
            }
        }
        EXPECT_EQ(renames, c.renames) << c.name;
        EXPECT_EQ(Names(tmp.Path()), c.after) << c.name;
    }
}

TEST(FolderRenameTest, TypedNamesAreChecked)
{
    struct Case {
        std::string name;
        std::string message;
    };
    const Case cases[] = {
        {"holiday", ""},
        {".hidden", ""},
        {"...", ""},
        {"", "Please type a name."},
        {".", "\".\" and \"..\" cannot be used as names."},
        {"..", "\".\" and \"..\" cannot be used as names."},
        {"a/b", "A name cannot contain \"/\"."},
        {"/", "A name cannot contain \"/\"."},
        {std::string("a\0b", 3), "A name cannot contain a null character."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckTypedName(c.name), c.message) << c.name;
}

TEST(FolderRenameTest, RenameNeverOverwrites)
{
    TempFolder tmp;
    tmp.Write("a.jpg", {'a'});
    tmp.Write("b.jpg", {'b'});
    fs::create_directory(tmp.File("dir"));
    fs::create_directory(tmp.File("other"));
    struct Case {
        std::string from, to;
        bool folder;
        int error;
        std::string text;
    };
    const Case cases[] = {
        {"a.jpg", "b.jpg", false, EEXIST, "This file already exists."},
        {"dir", "other", true, EEXIST, "This directory already exists."},
        {"dir", "b.jpg", true, EEXIST, "This directory already exists."},
        {"missing.jpg", "c.jpg", false, ENOENT, "Can't rename the file: No such file or directory."},
        {"a.jpg", "sub/a.jpg", false, EINVAL, "Can't rename the file: Invalid argument."},
        {"a.jpg", "..", false, EINVAL, "Can't rename the file: Invalid argument."},
        {"a.jpg", "a.jpg", false, 0, ""},
    };
    for (const Case& c : cases) {
        const int error = RenameInFolder(tmp.Path(), c.from, c.to);
        EXPECT_EQ(error, c.error) << c.from << " " << c.to;
        if (error) {
            EXPECT_EQ(RenameFailureText(error, c.folder), c.text) << c.from << " " << c.to;
        }
    }
    EXPECT_EQ(Content(tmp.File("b.jpg")), "b");
    EXPECT_EQ(Names(tmp.Path()), (std::vector<std::string>{"a.jpg", "b.jpg", "dir", "other"}));
    // Case alone makes a different name here; a folder renames like a file.
    EXPECT_EQ(RenameInFolder(tmp.Path() + "/", "a.jpg", "A.jpg"), 0);
    EXPECT_EQ(RenameInFolder(tmp.Path(), "dir", "holiday"), 0);
    EXPECT_EQ(Names(tmp.Path()), (std::vector<std::string>{"A.jpg", "b.jpg", "holiday", "other"}));
}

TEST(FolderRenameTest, NewFolder)
{
    TempFolder tmp;
    EXPECT_EQ(MakeNewFolder(tmp.Path(), "new"), 0);
    EXPECT_TRUE(fs::is_directory(tmp.File("new")));
    EXPECT_EQ(MakeNewFolder(tmp.Path(), "new"), EEXIST);
    EXPECT_EQ(MakeNewFolder(tmp.Path(), "a/b"), EINVAL);
    EXPECT_EQ(MakeNewFolder(tmp.Path(), ".."), EINVAL);
    EXPECT_EQ(Names(tmp.Path()), std::vector<std::string>{"new"});
}

} // namespace
