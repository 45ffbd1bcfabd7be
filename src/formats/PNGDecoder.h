// PNG files through libpng, read in place from the source's bytes: every
// colour type and bit depth, interlaced or not.
#pragma once

#include "formats/ImageDecoder.h"

class CPNGDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
