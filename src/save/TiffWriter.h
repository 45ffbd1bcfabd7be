// TIFF files through jlib: 8 bits per sample, RGB, or RGBA when the image
// has alpha.
#pragma once

#include <string>

class CBmp;

// depth 24 is the only one written (any other raises code 7 "Internal
// error."); compression 0 none, 1 PackBits, 2 LZW; param goes to jlib
// unchanged. A failure raises CTextException code 12 "Error writing image.".
void WriteTIFF(const std::string& path, const CBmp& bitmap, int depth, int compression, int param);
