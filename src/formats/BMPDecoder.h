// Windows bitmap files with the 40-byte information header: 1, 4, 8, 24 and
// 32 bits per pixel, uncompressed, RLE8 and RLE4.
#pragma once

#include "formats/ImageDecoder.h"

class CBMPDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
