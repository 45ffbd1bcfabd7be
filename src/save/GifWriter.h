// GIF files: one "GIF87a" image with a global colour table of at most 256
// colours, rows in order or interlaced.
#pragma once

#include <string>

class CBmp;

// Writes a 32-bit bitmap; an image of more than 256 colours is reduced first
// (median cut). An image wider or higher than 65 535 is refused before a
// file is made (code 6). Failures raise CTextException.
void WriteGIF(const std::string& path, const CBmp& bitmap, bool interlaced);
