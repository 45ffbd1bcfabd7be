// IFF interleaved bitmaps ("FORM" … "ILBM"): colour-mapped or grey images of
// up to 10 planes, 24-plane true colour, extra half-brite and hold-and-modify,
// stored plain or ByteRun1-compressed. Always decoded at 32 bits.
#pragma once

#include "formats/ImageDecoder.h"

class CIFFDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
