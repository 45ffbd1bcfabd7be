// Making an image the desktop wallpaper: the image is placed as a BMP file in
// the program's wallpaper folder, then the desktop is told to show it.
#pragma once

#include "platform/Desktop.h"

#include <string>

class CWinBmp;

// The "Set Wallpaper" command: an existing BMP file (by its extension) is
// copied into the wallpaper folder under its own name; otherwise the shown
// image is written there as name-without-extension + ".bmp" ("wallpaper.bmp"
// for an empty name). An existing file of that name is
// replaced only by a complete new one. Then the desktop is asked to show it.
// False with a short reason in error on any failure.
bool SetWallpaper(const std::string& currentFile, const CWinBmp& shown, IDesktop& desktop, std::string& error);
