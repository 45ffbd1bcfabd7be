// DirectDraw surface files compressed as DXT1, DXT3 or DXT5.
#pragma once

#include <string>

class CBmp;

// format: 2 (DXT1), 4 (DXT3) or 6 (DXT5); any other raises code 7 "Error
// writing dds header." before a file is made. flip stores the rows bottom
// up; mipMaps adds the chain of halved levels down to 1 × 1. A bitmap
// without HasAlpha is written opaque. Failures raise CTextException.
void WriteDDS(const std::string& path, const CBmp& bitmap, int format, bool flip, bool mipMaps);
