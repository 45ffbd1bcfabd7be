// Windows bitmap files.
#pragma once

#include <string>

class CBmp;

// depth 24: bottom-up rows of blue, green, red (alpha dropped). Depth 8 is
// the palette writers' layout; any other depth raises code 7 "Internal
// error.". Failures raise CTextException.
void WriteBMP(const std::string& path, const CBmp& bitmap, int depth);
