// The desktop's wallpaper setting and the folder the program keeps its
// wallpaper files in.
#pragma once

#include <string>

// The desktop's wallpaper setting.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // Shows the file as wallpaper; false with a short reason in error.
    virtual bool SetWallpaper(const std::string& path, std::string& error) = 0;
};

// The running desktop, found from $XDG_CURRENT_DESKTOP: GNOME and its kin
// through gsettings, Cinnamon through its own schema, KDE Plasma through
// plasma-apply-wallpaperimage, Xfce through xfconf-query. The tools run
// without a shell and are stopped when they take longer than the time limit.
class CSystemDesktop : public IDesktop {
public:
    explicit CSystemDesktop(int timeoutMilliseconds = 5000) : m_TimeoutMs(timeoutMilliseconds) {}
    bool SetWallpaper(const std::string& path, std::string& error) override;

private:
    int m_TimeoutMs;
};

// OCULANE_DATA_DIR/wallpaper when set, else $XDG_DATA_HOME/oculane/wallpaper,
// else ~/.local/share/oculane/wallpaper. The folder may not exist yet.
std::string WallpaperFolder();
