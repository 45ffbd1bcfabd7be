// JPEG files through libjpeg(-turbo), read in place from the source's bytes.
// The PICT decoder hands embedded JPEG data to DecodeSource with the source
// positioned at the data's first byte; everything from there to the end of
// the source is offered to the library, and a successful decode leaves the
// source just past the bytes the library consumed.
#pragma once

#include "formats/ImageDecoder.h"

#include <memory>

class CJPEGDecoder : public CImageDecoder {
public:
    CJPEGDecoder();
    ~CJPEGDecoder() override;

protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    // The library's decompression object lives as long as the decoder and is
    // reused for every file.
    struct State;
    std::unique_ptr<State> m_State;
};
