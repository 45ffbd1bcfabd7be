// IFF images: interleaved bitmaps ("FORM" … "ILBM") — colour-mapped or grey
// images of up to 10 planes, 24-plane true colour, extra half-brite and
// hold-and-modify, with colour registers changed per row (PCHG, SHAM, CTBL) —,
// chunky "PBM " images, and "RGB8"/"RGBN" run-length colour images; stored
// plain or compressed. Always decoded at 32 bits.
#pragma once

#include "formats/ImageDecoder.h"

class CIFFDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
