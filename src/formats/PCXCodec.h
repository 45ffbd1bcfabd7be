// ZSoft PCX images: 1-bit images of 1 to 4 planes, 2-, 4- and 8-bit
// colour-mapped images and 24-bit images stored as three 8-bit planes, all
// decoded to 32 bits per pixel.
#pragma once

#include "formats/ImageDecoder.h"

class CPCXDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
