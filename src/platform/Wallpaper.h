// Making an image the desktop wallpaper: the image is placed as a BMP file in
// the program's wallpaper folder, then the desktop is told to show it.
#pragma once

#include <string>

class CWinBmp;

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

// The "Set Wallpaper" command: an existing BMP file (by its extension) is
// copied into the wallpaper folder under its own name; otherwise the shown
// image is written there as name-without-extension + ".bmp" ("wallpaper.bmp"
// for an empty name). An existing file of that name is
// replaced only by a complete new one. Then the desktop is asked to show it.
// False with a short reason in error on any failure.
bool SetWallpaper(const std::string& currentFile, const CWinBmp& shown, IDesktop& desktop, std::string& error);
