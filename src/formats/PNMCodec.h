// The portable bitmap family: PBM, PGM and PPM, plain (text) and raw
// (binary), decoded to 32 bits per pixel with samples scaled from the file's
// maxval to 0-255.
#pragma once

#include "formats/ImageDecoder.h"

class CPNMDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
