// Windows metafiles (WMF, with or without the placeable header) and enhanced
// metafiles (EMF). Our own record player draws the picture at its natural
// size on a white raster; the kind of file comes from the name's extension.
#pragma once

#include "formats/ImageDecoder.h"

class CMetafileDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;
};
