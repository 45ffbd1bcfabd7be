// JPEG files through jlib.
#pragma once

#include <string>

class CBmp;

// quality and smoothing 0-100; alpha is dropped. A failure raises
// CTextException code 12 "Error writing image.".
void WriteJPEG(const std::string& path, const CBmp& bitmap, int quality, int smoothing, bool optimizeHuffman,
               bool progressive);
