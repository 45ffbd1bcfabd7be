// Windows bitmap files.
#pragma once

#include <string>

class CBmp;

// depth 24: bottom-up rows of blue, green, red (alpha dropped). Depth 8: a
// 256-entry colour table (the image's colours, reduced to 256 when it has
// more, then the grey ramp) and one index byte per pixel. Any other depth
// raises code 7 "Internal error.". Failures raise CTextException.
void WriteBMP(const std::string& path, const CBmp& bitmap, int depth);
