// Turns and mirrors that bring a picture stored in one of the eight EXIF
// orientations upright, as one exact pass over the pixels.
#pragma once

#include "image/WinBmp.h"

#include <memory>

// The upright copy of a 32-bit image stored in orientation (1 to 8); null
// when nothing is to be done (1, or a value outside 1 to 8). Orientations 5
// to 8 swap width and height. Throws CTextException (ErrNoMemory) when the
// copy cannot be had.
std::unique_ptr<CWinBmp> UprightCopy(const CBmp& image, int orientation);
