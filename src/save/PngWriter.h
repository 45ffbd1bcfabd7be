// PNG files through libpng: 8 bits per channel, RGB, or RGBA when the image
// has alpha.
#pragma once

#include "platform/SafeFile.h"

#include <string>
#include <utility>
#include <vector>

class CBmp;

// Keyword and Latin-1 text of a tEXt chunk.
using PngTextChunks = std::vector<std::pair<std::string, std::string>>;

// interlaced selects Adam7; texts go before the image data. Failures raise
// CTextException.
void WritePNG(const std::string& path, const CBmp& bitmap, bool interlaced, const PngTextChunks& texts = {},
              const SafeWriteOptions& file = {});
