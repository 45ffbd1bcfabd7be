// Windows icon and cursor files: the first image of the directory, found through
// its directory entry, at 1, 4, 8, 16, 24 or 32 bits (bit fields and headers up
// to 124 bytes as in bitmap files) or stored as PNG. The AND mask becomes the
// alpha channel of images that have none of their own.
#pragma once

#include "formats/ImageDecoder.h"
#include "formats/PNGDecoder.h"

class CICODecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    CPNGDecoder m_PngDecoder;
};
