// PNG files through libpng: 8 bits per channel, RGB, or RGBA when the image
// has alpha.
#pragma once

#include <string>

class CBmp;

// interlaced selects Adam7. Failures raise CTextException.
void WritePNG(const std::string& path, const CBmp& bitmap, bool interlaced);
