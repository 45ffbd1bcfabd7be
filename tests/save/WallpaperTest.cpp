#include "save/Wallpaper.h"

#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_Old)
            setenv(m_Name, m_Old->c_str(), 1);
        else
            unsetenv(m_Name);
    }

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

class FakeDesktop : public IDesktop {
public:
    bool SetWallpaper(const std::string& path, std::string& error) override
    {
        Paths.push_back(path);
        if (!Accept)
            error = "The desktop said no.";
        return Accept;
    }
    bool Accept = true;
    std::vector<std::string> Paths;
};

std::vector<uint8_t> SomeBytes(size_t n, uint8_t seed)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = uint8_t(seed + i * 7);
    return bytes;
}

void Shown3x2(CWinBmp& bmp)
{
    bmp.Create(3, 2, 32, false);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bmp.Row32(y)[x] = PackPixel(uint8_t(40 * x), uint8_t(100 * y), 7);
}

// Entries of the folder, so a test sees leftovers such as temporary files.
std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WallpaperTest, FolderFollowsTheDataDirectories)
{
    {
        ScopedEnv data("OCULANE_DATA_DIR", "/data/here");
        EXPECT_EQ(WallpaperFolder(), "/data/here/wallpaper");
    }
    ScopedEnv data("OCULANE_DATA_DIR", "");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg/share");
        EXPECT_EQ(WallpaperFolder(), "/xdg/share/oculane/wallpaper");
    }
    ScopedEnv xdg("XDG_DATA_HOME", "");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(WallpaperFolder(), "/home/someone/.local/share/oculane/wallpaper");
}

TEST(WallpaperTest, BmpFilesAreCopiedByteForByteUnderTheirOwnName)
{
    for (const char* name : {"photo.bmp", "PHOTO.BMP", "Photo.Bmp"}) {
        TempFolder dir;
        ScopedEnv data("OCULANE_DATA_DIR", dir.File("data"));
        // The copy does not look inside: any bytes of any size go across.
        const std::vector<uint8_t> bytes = SomeBytes(3 << 20 | 5, 3);
        const std::string source = dir.Write(name, bytes);
        CWinBmp shown;
        FakeDesktop desktop;
        std::string error;
        ASSERT_TRUE(SetWallpaper(source, shown, desktop, error)) << name << ": " << error;
        const std::string target = dir.File("data/wallpaper/") + name;
        ASSERT_EQ(desktop.Paths, std::vector<std::string>{target}) << name;
        EXPECT_EQ(TempFolder::Read(target), bytes) << name;
        EXPECT_EQ(Entries(dir.File("data/wallpaper")), std::vector<std::string>{name}) << name;
    }
}

TEST(WallpaperTest, OtherFilesAreWrittenAsBmpOfTheShownImage)
{
    struct Case {
        const char* File;
        const char* Target;
    } cases[] = {
        {"shot.png", "shot.bmp"},
        {"archive.tar.gz", "archive.tar.bmp"},
        {"noextension", "noextension.bmp"},
        {"bmp.jpg", "bmp.bmp"},
        {"", "wallpaper.bmp"},
        // Not on disk (deleted since).
        {"gone.bmp", "gone.bmp"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        ScopedEnv data("OCULANE_DATA_DIR", dir.File("data"));
        CWinBmp shown;
        Shown3x2(shown);
        FakeDesktop desktop;
        std::string error;
        const std::string current = *c.File ? dir.File(c.File) : "";
        ASSERT_TRUE(SetWallpaper(current, shown, desktop, error)) << c.File << ": " << error;
        const std::string target = dir.File("data/wallpaper/") + c.Target;
        ASSERT_EQ(desktop.Paths, std::vector<std::string>{target}) << c.File;

        CAutoDecoder decoder;
        CWinBmp back;
        decoder.DecodeFile(target, back, 32);
        EXPECT_EQ(decoder.GetLastFormat(), ImageFormat::BMP) << c.File;
        ASSERT_EQ(back.Width, 3);
        ASSERT_EQ(back.Height, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(back.Row32(y)[x] & 0xFFFFFF, shown.Row32(y)[x] & 0xFFFFFF) << c.File << " " << x << "," << y;
    }
}

TEST(WallpaperTest, AnEarlierWallpaperOfTheSameNameIsReplaced)
{
    TempFolder dir;
    ScopedEnv data("OCULANE_DATA_DIR", dir.File("data"));
    fs::create_directories(dir.File("data/wallpaper"));
    dir.Write("data/wallpaper/a.bmp", SomeBytes(5000, 1));
    dir.Write("data/wallpaper/b.bmp", SomeBytes(5000, 1));

    const std::vector<uint8_t> fresh = SomeBytes(100, 9);
    const std::string source = dir.Write("a.bmp", fresh);
    CWinBmp shown;
    Shown3x2(shown);
    FakeDesktop desktop;
    std::string error;
    ASSERT_TRUE(SetWallpaper(source, shown, desktop, error)) << error;
    EXPECT_EQ(TempFolder::Read(dir.File("data/wallpaper/a.bmp")), fresh);

    ASSERT_TRUE(SetWallpaper(dir.File("b.gif"), shown, desktop, error)) << error;
    EXPECT_EQ(TempFolder::Read(dir.File("data/wallpaper/b.bmp")).size(), 54u + 12u * 2u);
    EXPECT_EQ(Entries(dir.File("data/wallpaper")), (std::vector<std::string>{"a.bmp", "b.bmp"}));
}

TEST(WallpaperTest, FailuresLeaveNoFileAndDoNotAskTheDesktop)
{
    struct Case {
        const char* Name;
        const char* Current;  // in the test folder
        bool FolderIsAFile;   // the wallpaper folder cannot be created
        bool TargetIsAFolder; // the finished file cannot take the target's place
    } cases[] = {
        {"no folder, bmp", "x.bmp", true, false},
        {"no folder, png", "x.png", true, false},
        {"target taken, bmp", "x.bmp", false, true},
        {"target taken, png", "x.png", false, true},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        dir.Write("x.bmp", SomeBytes(2000, 4));
        std::string data = dir.File("data");
        if (c.FolderIsAFile) {
            dir.Write("plain", {1});
            data = dir.File("plain/data");
        }
        ScopedEnv env("OCULANE_DATA_DIR", data);
        if (c.TargetIsAFolder)
            fs::create_directories(data + "/wallpaper/x.bmp");
        CWinBmp shown;
        Shown3x2(shown);
        FakeDesktop desktop;
        std::string error;
        EXPECT_FALSE(SetWallpaper(dir.File(c.Current), shown, desktop, error)) << c.Name;
        EXPECT_FALSE(error.empty()) << c.Name;
        EXPECT_TRUE(desktop.Paths.empty()) << c.Name;
        if (c.TargetIsAFolder) {
            EXPECT_TRUE(fs::is_directory(data + "/wallpaper/x.bmp")) << c.Name;
            EXPECT_EQ(Entries(data + "/wallpaper"), std::vector<std::string>{"x.bmp"}) << c.Name;
        } else if (!c.FolderIsAFile) {
            EXPECT_TRUE(Entries(data + "/wallpaper").empty()) << c.Name;
        }
    }
}

TEST(WallpaperTest, DesktopRefusalIsPassedOn)
{
    TempFolder dir;
    ScopedEnv data("OCULANE_DATA_DIR", dir.File("data"));
    CWinBmp shown;
    Shown3x2(shown);
    FakeDesktop desktop;
    desktop.Accept = false;
    std::string error;
    EXPECT_FALSE(SetWallpaper(dir.File("pic.jpg"), shown, desktop, error));
    EXPECT_EQ(error, "The desktop said no.");
    EXPECT_EQ(desktop.Paths.size(), 1u);
}

// Stand-ins for the desktops' tools: each appends its name and arguments to a
// log, so the test sees exactly which commands ran with which arguments.
class DesktopTools {
public:
    DesktopTools() : m_Path("PATH", m_Dir.Path()), m_Log("OCULANE_TOOL_LOG", m_Dir.File("log")) {}

    void Add(const std::string& tool, const std::string& body = "")
    {
        const std::string path = m_Dir.File(tool);
        std::ofstream script(path);
        script << "#!/bin/sh\n"
                  "{ printf '%s' \"${0##*/}\"; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; echo; }"
                  " >> \"$OCULANE_TOOL_LOG\"\n"
               << body << "\n";
        script.close();
        chmod(path.c_str(), 0755);
    }
    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_Dir.File("log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    TempFolder m_Dir;
    ScopedEnv m_Path;
    ScopedEnv m_Log;
};

TEST(WallpaperTest, SystemDesktopRunsTheToolOfTheRunningDesktop)
{
    const std::string gnomeUri = "'file:///pics/my%20pic%27s.bmp'";
    const std::string xfceList =
        "printf '/backdrop/screen0/monitor0/workspace0/color-style\\n"
        "/backdrop/screen0/monitor0/workspace0/last-image\\n"
        "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\\n'";
    struct Case {
        const char* Desktop;
        const char* Tool;
        std::string Body;
        bool Ok;
        std::vector<std::string> Log;
    } cases[] = {
        {"GNOME", "gsettings", "", true,
         {"gsettings [set] [org.gnome.desktop.background] [picture-uri] [" + gnomeUri + "]",
          "gsettings [set] [org.gnome.desktop.background] [picture-uri-dark] [" + gnomeUri + "]"}},
        {"ubuntu:GNOME", "gsettings", "", true,
         {"gsettings [set] [org.gnome.desktop.background] [picture-uri] [" + gnomeUri + "]",
          "gsettings [set] [org.gnome.desktop.background] [picture-uri-dark] [" + gnomeUri + "]"}},
        // An older GNOME without the dark picture still succeeds.
        {"Unity", "gsettings", "case \"$3\" in *dark) exit 1;; esac", true,
         {"gsettings [set] [org.gnome.desktop.background] [picture-uri] [" + gnomeUri + "]",
          "gsettings [set] [org.gnome.desktop.background] [picture-uri-dark] [" + gnomeUri + "]"}},
        {"X-Cinnamon", "gsettings", "", true,
         {"gsettings [set] [org.cinnamon.desktop.background] [picture-uri] [" + gnomeUri + "]"}},
        {"KDE", "plasma-apply-wallpaperimage", "", true,
         {"plasma-apply-wallpaperimage [/pics/my pic's.bmp]"}},
        {"XFCE", "xfconf-query", "[ \"$3\" = -l ] && " + xfceList + "; exit 0", true,
         {"xfconf-query [-c] [xfce4-desktop] [-l]",
          "xfconf-query [-c] [xfce4-desktop] [-p] [/backdrop/screen0/monitor0/workspace0/last-image] [-s] "
          "[/pics/my pic's.bmp]",
          "xfconf-query [-c] [xfce4-desktop] [-p] [/backdrop/screen0/monitorHDMI-1/workspace1/last-image] [-s] "
          "[/pics/my pic's.bmp]"}},
        {"XFCE", "xfconf-query", "", false, {"xfconf-query [-c] [xfce4-desktop] [-l]"}},
        {"GNOME", "gsettings", "exit 1", false,
         {"gsettings [set] [org.gnome.desktop.background] [picture-uri] [" + gnomeUri + "]"}},
        {"KDE", "plasma-apply-wallpaperimage", "exit 3", false,
         {"plasma-apply-wallpaperimage [/pics/my pic's.bmp]"}},
        {"Sway", "gsettings", "", false, {}},
        {"KDE", "gsettings", "", false, {}},  // the desktop's own tool is missing
    };
    for (const Case& c : cases) {
        DesktopTools tools;
        tools.Add(c.Tool, c.Body);
        ScopedEnv desktopName("XDG_CURRENT_DESKTOP", c.Desktop);
        CSystemDesktop desktop;
        std::string error;
        EXPECT_EQ(desktop.SetWallpaper("/pics/my pic's.bmp", error), c.Ok) << c.Desktop << " " << c.Body;
        EXPECT_EQ(error.empty(), c.Ok) << c.Desktop;
        EXPECT_EQ(tools.Log(), c.Log) << c.Desktop << " " << c.Body;
        if (c.Log.empty()) {
            EXPECT_EQ(error, "No supported desktop found to set the wallpaper.");
        }
    }
}

TEST(WallpaperTest, SystemDesktopStopsAToolThatHangs)
{
    DesktopTools tools;
    tools.Add("plasma-apply-wallpaperimage", "exec /bin/sleep 30");
    ScopedEnv desktopName("XDG_CURRENT_DESKTOP", "KDE");
    CSystemDesktop desktop(300);
    std::string error;
    // Left alone, the tool would end with success after 30 seconds.
    EXPECT_FALSE(desktop.SetWallpaper("/pics/a.bmp", error));
    EXPECT_EQ(error, "The desktop did not answer in time.");
}

} // namespace
