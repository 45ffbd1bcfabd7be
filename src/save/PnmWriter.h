// Binary portable graymap (P5) and pixmap (P6) files, maxval 255.
#pragma once

#include <string>

class CBmp;

// Grey from each pixel's own colour (BT.601 luma, rounded); raises
// CTextException on failure.
void WritePGM(const std::string& path, const CBmp& bitmap);
// Red, green, blue per pixel.
void WritePPM(const std::string& path, const CBmp& bitmap);
