// Sun rasterfiles: depths 1, 8, 24 and 32, plain or byte-encoded, with or
// without a colour map, decoded to 32 bits per pixel.
#pragma once

#include "formats/ImageDecoder.h"

class CRASDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
