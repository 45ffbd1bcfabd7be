// Turns a decoded picture upright the way its file's EXIF orientation says
// it is meant to be shown. Only the shown copy turns; the file is never touched.
#pragma once

#include <memory>
#include <string>

class CBmp;
class CWinBmp;

// Reads path's orientation (JPEG EXIF; 1 when there is none or it cannot be
// read) and turns image accordingly. Returns the orientation that was read.
int OrientForDisplay(const std::string& path, CBmp& image);
// The same, replacing the bitmap by its upright copy instead of copying the
// pixels back (what the viewer uses: one pass instead of two).
int OrientForDisplay(const std::string& path, std::unique_ptr<CWinBmp>& image);
