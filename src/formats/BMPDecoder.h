// Windows and OS/2 bitmap files: 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed, bit fields, RLE8, RLE4 and OS/2 RLE24, and JPEG or PNG stored inside.
#pragma once

#include "formats/ImageDecoder.h"

struct BmpHeader;

class CBMPDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    // Hands the bytes from offset on to the JPEG or PNG decoder.
    void DecodeEmbedded(CBmp& bitmap, int bitsPerPixel, CByteSource& source, size_t offset, const BmpHeader& info);
};
