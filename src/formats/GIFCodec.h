// GIF files ("GIF87a", "GIF89a"): palette images in LZW-compressed blocks,
// plain or interlaced, with global and local colour tables.
#pragma once

#include "formats/GIFLzw.h"
#include "formats/ImageDecoder.h"

#include <array>

class CGIFDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    // Red, green and blue of 256 entries; entries the file does not give are black.
    struct ColourMap {
        std::array<uint8_t, 256> Red{}, Green{}, Blue{};
    };

    // Decodes the image behind a "," into the bitmap, or, for an image that a
    // later one replaces, only runs through its data.
    void ReadOneImage(CBmp& bitmap, PaletteEntry* palette, int depth, int fileBitsPerPixel, bool keep,
                      CByteSource& source);

    ColourMap m_GlobalMap;
    ColourMap m_LocalMap;
    CGIFLzwReader m_Lzw;
};
