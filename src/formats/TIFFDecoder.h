// TIFF files through libtiff, and the TIFF preview inside an EPS file (the
// source then stands at the preview's first byte). Files of one sample of up
// to 8 bits keep their palette; grey, RGB and Lab files are read sample by
// sample, everything else through libtiff's RGBA reader. Pictures are shown
// the way the orientation tag says.
#pragma once

#include "formats/ImageDecoder.h"

struct tiff;
class CTIFFSampleReader;

class CTIFFDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    // lastError is libtiff's last error text for this file, kept up to date
    // while the library runs.
    void ReadTrueColor(CBmp& bitmap, tiff* tif, const char* lastError);
    void ReadTrueColorOriented(CBmp& bitmap, tiff* tif, const char* lastError, void* rgbaImage, int orientation);
    void ReadSamples(CBmp& bitmap, CTIFFSampleReader& samples, tiff* tif, const char* lastError);
    void DoLoColor(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel, tiff* tif,
                          const char* lastError);
};
