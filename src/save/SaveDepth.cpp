#include "save/SaveDepth.h"

#include "save/SaveImage.h"

int ChooseSaveDepth(int code, bool useImageDepth, int bitsPerPixel, int rememberedIndex)
{
    switch (code) {
    case kSaveBmp:
    case kSavePcx:
    case kSaveRas:
        // The raster dialog offers 32 bits too; it writes 24.
        if (useImageDepth)
            return bitsPerPixel > 8 ? 24 : 8;
        return rememberedIndex != 0 ? 24 : 8;
    case kSaveTga:
        if (useImageDepth)
            return bitsPerPixel <= 8 ? 8 : bitsPerPixel == 32 ? 32 : 24;
        return rememberedIndex == 1 ? 24 : rememberedIndex == 2 ? 32 : 8;
    default:
        return 24;
    }
}
