// PNG files through libpng, read in place from the source's bytes: every
// colour type and bit depth, interlaced or not.
#pragma once

#include "formats/ImageDecoder.h"

#include <string>
#include <utility>
#include <vector>

class CPNGDecoder : public CImageDecoder {
public:
    // Keyword and text of the tEXt chunks before the image data of the last
    // file decoded (as far as its decode got).
    const std::vector<std::pair<std::string, std::string>>& GetTexts() const { return m_Texts; }

protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    std::vector<std::pair<std::string, std::string>> m_Texts;
};
