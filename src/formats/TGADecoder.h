// Truevision TGA files: colour-mapped, true-colour and greyscale images at 8,
// 15, 16 (grey with alpha too), 24 and 32 bits per pixel, uncompressed or
// run-length encoded, stored from any of the four corners.
#pragma once

#include "formats/ImageDecoder.h"

class CTGADecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
