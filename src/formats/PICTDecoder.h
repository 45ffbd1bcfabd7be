// Macintosh PICT files, versions 1 and 2. Vector drawing is not rendered:
// the opcode stream is walked up to its first bitmap, pixel map or embedded
// QuickTime JPEG, and that raster becomes the image.
#pragma once

#include "formats/ImageDecoder.h"

#include <memory>

class CJPEGDecoder;

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
    struct Picture;
    struct RasterInfo;

    int ReadVersion(CByteSource& source);
    unsigned ReadOpcode(Picture& pict);
    // Handles one opcode; true once a raster has been decoded.
    bool DoOpcode(Picture& pict, unsigned opcode);
    bool DoTableOpcode(Picture& pict, unsigned opcode);
    void ReadBitMap(Picture& pict, unsigned rowBytes, bool region);
    void ReadPixMap(Picture& pict, unsigned rowBytes, bool region);
    void ReadDirectBits(Picture& pict, bool region);
    void DecodeRaster(Picture& pict, const RasterInfo& raster);
    void ReadQuickTime(Picture& pict);

    CJPEGDecoder* m_JpegDecoder;
    std::unique_ptr<CJPEGDecoder> m_OwnJpegDecoder;
};
