// Macintosh PICT files, versions 1 and 2. Vector drawing is not rendered:
// the bitmaps and pixel maps of the opcode stream are drawn at their places
// in the picture frame, or an embedded QuickTime JPEG becomes the image.
#pragma once

#include "formats/ImageDecoder.h"

#include <memory>

class CJPEGDecoder;
struct PictRect;

class CPICTDecoder : public CImageDecoder {
public:
    // Embedded JPEG data is handed to jpegDecoder (the caller's, kept alive
    // by the caller); without one the decoder makes its own when needed.
    explicit CPICTDecoder(CJPEGDecoder* jpegDecoder = nullptr);
    ~CPICTDecoder() override;

protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    struct Band;
    struct Picture;
    struct RasterInfo;

    int ReadVersion(CByteSource& source, PictRect& frame);
    unsigned ReadOpcode(Picture& pict);
    // Handles one opcode; true once the picture is complete.
    bool DoOpcode(Picture& pict, unsigned opcode);
    bool DoTableOpcode(Picture& pict, unsigned opcode);
    void ReadBitMap(Picture& pict, unsigned rowBytes, bool region);
    void ReadPixMap(Picture& pict, unsigned rowBytes, bool region);
    void ReadDirectBits(Picture& pict, bool region);
    void DecodeRaster(Picture& pict, const RasterInfo& raster);
    void ComposeBands(Picture& pict);
    void ReadQuickTime(Picture& pict);

    CJPEGDecoder* m_JpegDecoder;
    std::unique_ptr<CJPEGDecoder> m_OwnJpegDecoder;
};
