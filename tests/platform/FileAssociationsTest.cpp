#include "platform/DesktopEntry.h"
#include "platform/FileAssociations.h"
#include "platform/MimeAppsList.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct ExecCase {
    const char* program;
    const char* value;
};

TEST(DesktopEntry, ExecEscaping)
{
    const ExecCase cases[] = {
        {"/usr/bin/oculane", "/usr/bin/oculane"},
        {"/opt/my apps/oculane", "\"/opt/my apps/oculane\""},
        {"/opt/100%/oculane", "/opt/100%%/oculane"},
        {"/opt/a\"b/oculane", "\"/opt/a\\\\\"b/oculane\""},
        {"/opt/$x`y/oculane", "\"/opt/\\\\$x\\\\`y/oculane\""},
        {"/opt/a\\b/oculane", "\"/opt/a\\\\\\\\b/oculane\""},
        {"/opt/it's/oculane", "\"/opt/it's/oculane\""},
        {"/opt/50% off/o", "\"/opt/50%% off/o\""},
    };
    for (const ExecCase& c : cases)
        EXPECT_EQ(DesktopExecProgram(c.program), c.value) << c.program;
    const std::string entry = DesktopEntryText("/usr/bin/oculane", {"image/jpeg", "image/png"});
    EXPECT_NE(entry.find("\nExec=/usr/bin/oculane %F\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=image/jpeg;image/png;\n"), std::string::npos);
}

struct EditCase {
    const char* name;
    const char* before;
    bool associate;
    const char* after;
};

TEST(MimeAppsList, EditsKeepOtherLines)
{
    const EditCase cases[] = {
        {"empty file", "", true, "[Default Applications]\nimage/jpeg=oculane.desktop;\n"},
        {"missing group", "# mine\n[Added Associations]\nimage/jpeg=gimp.desktop;", true,
         "# mine\n[Added Associations]\nimage/jpeg=gimp.desktop;\n\n[Default Applications]\n"
         "image/jpeg=oculane.desktop;\n"},
        {"other default replaced",
         "[Default Applications]\ntext/plain=vim.desktop;\nimage/jpeg = eog.desktop;\n# keep\n\n[X]\na=b\n", true,
         "[Default Applications]\ntext/plain=vim.desktop;\nimage/jpeg=oculane.desktop;\n# keep\n\n[X]\na=b\n"},
        {"added at the end of the group",
         "[Default Applications]\r\ntext/plain=vim.desktop;\r\n\r\n[X]\r\nimage/jpeg=eog.desktop;\r\n", true,
         "[Default Applications]\r\ntext/plain=vim.desktop;\r\nimage/jpeg=oculane.desktop;\r\n\r\n[X]\r\n"
         "image/jpeg=eog.desktop;\r\n"},
        {"unassociate removes ours", "[Default Applications]\n#c\nimage/jpeg=oculane.desktop;\nx/y=z;\n", false,
         "[Default Applications]\n#c\nx/y=z;\n"},
        {"unassociate keeps the next choice", "[Default Applications]\nimage/jpeg=oculane.desktop;eog.desktop;", false,
         "[Default Applications]\nimage/jpeg=eog.desktop;"},
        {"unassociate leaves another default", "[Default Applications]\nimage/jpeg=eog.desktop;oculane.desktop;\n",
         false, "[Default Applications]\nimage/jpeg=eog.desktop;oculane.desktop;\n"},
        {"unassociate leaves other groups", "[Added Associations]\nimage/jpeg=oculane.desktop;\n", false,
         "[Added Associations]\nimage/jpeg=oculane.desktop;\n"},
    };
    for (const EditCase& c : cases) {
        const std::string after = c.associate ? SetDefaultApplication(c.before, {"image/jpeg"}, "oculane.desktop")
                                              : RemoveDefaultApplication(c.before, {"image/jpeg"}, "oculane.desktop");
        EXPECT_EQ(after, c.after) << c.name;
    }
    EXPECT_EQ(DefaultApplication("[Default Applications]\nimage/png = a.desktop;b.desktop;\n", "image/png"),
              "a.desktop");
}

AssociationPaths PathsIn(const TempFolder& folder)
{
    return {folder.File("data/applications/oculane.desktop"), folder.File("data/icons/oculane.svg"),
            folder.File("config/mimeapps.list")};
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(FileAssociations, WritesEntryIconAndDefaults)
{
    TempFolder folder;
    const AssociationPaths paths = PathsIn(folder);
    std::string error;
    ASSERT_TRUE(ApplyAssociations(paths, {"/usr/bin/oculane", "<svg/>", {"image/jpeg", "image/png"}, {}}, error))
        << error;
    ASSERT_TRUE(ApplyAssociations(paths, {"/usr/bin/oculane", "<svg/>", {}, {"image/png"}}, error)) << error;
    EXPECT_EQ(ReadText(paths.MimeApps), "[Default Applications]\nimage/jpeg=oculane.desktop;\n");
    EXPECT_NE(ReadText(paths.DesktopEntry).find("\nMimeType=image/jpeg;\n"), std::string::npos);
    EXPECT_EQ(ReadText(paths.Icon), "<svg/>");
    std::vector<std::string> types;
    ASSERT_TRUE(AssociatedTypes(paths, types, error));
    EXPECT_EQ(types, std::vector<std::string>{"image/jpeg"});
}

TEST(FileAssociations, UnreadableListIsAnErrorAndWritesNothing)
{
    TempFolder folder;
    const AssociationPaths paths = PathsIn(folder);
    std::string error;
    // A folder where the list should be cannot be read, not even by root.
    std::filesystem::create_directories(paths.MimeApps);
    EXPECT_FALSE(ApplyAssociations(paths, {"/usr/bin/oculane", "<svg/>", {"image/png"}, {}}, error));
    EXPECT_NE(error.find("mimeapps.list"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(paths.DesktopEntry));
}

} // namespace
