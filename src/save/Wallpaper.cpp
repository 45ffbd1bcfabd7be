#include "save/Wallpaper.h"

#include "base/FileName.h"
#include "base/TextException.h"
#include "image/WinBmp.h"
#include "platform/ConfigFolder.h"
#include "platform/SafeFile.h"

#include <new>
#include <sys/stat.h>

bool SetWallpaper(const std::string& currentFile, const CWinBmp& shown, IDesktop& desktop, std::string& error)
{
    error.clear();
    const std::string folder = WallpaperFolder();
    if (!EnsureFolder(folder)) {
        error = "Could not create the folder " + folder + ".";
        return false;
    }
    const std::string name = FileNamePart(currentFile);
    std::string target;
    struct stat st {};
    // A BMP file that is gone has only the shown image left to give.
    if (!name.empty() && EqualsNoCase(Extension(name), "bmp") && ::stat(currentFile.c_str(), &st) == 0) {
        target = JoinPath(folder, name);
        if (!CopySafely(currentFile, target, error))
            return false;
    } else {
        // A pasted image has no file name of its own.
        std::string base = NameWithoutExtension(name);
        if (base.empty())
            base = "wallpaper";
        target = JoinPath(folder, base + ".bmp");
        try {
            shown.SaveAsBMP(target);
        } catch (const CTextException&) {
            error = "Could not write " + target + ".";
            return false;
        } catch (const std::bad_alloc&) {
            error = "Could not write " + target + ".";
            return false;
        }
    }
    return desktop.SetWallpaper(target, error);
}
