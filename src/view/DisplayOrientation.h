// Turns a decoded picture upright the way its file's EXIF orientation says
// it is meant to be shown. Only the shown copy turns; the file is never touched.
#pragma once

#include <string>

class CBmp;

// Reads path's orientation (JPEG EXIF; 1 when there is none or it cannot be
// read) and turns image accordingly.
void OrientForDisplay(const std::string& path, CBmp& image);
