// GIF files ("GIF87a", "GIF89a"): palette images in LZW-compressed blocks,
// plain or interlaced, with global and local colour tables. The still
// picture is the first image on its logical screen, transparency as alpha.
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

    // What the blocks before the first image tell about it.
    struct Screen {
        int Width = 0;
        int Height = 0;
        int FileBitsPerPixel = 8;
        int BitsPerPixel = 0;
        uint8_t Background = 0; // index
        int Transparent = -1;   // index, or -1 for none
    };

    // Decodes the image behind the first "," onto the logical screen.
    void ReadFirstImage(CBmp& bitmap, PaletteEntry* palette, const Screen& screen, CByteSource& source);

    ColourMap m_GlobalMap;
    ColourMap m_LocalMap;
    CGIFLzwReader m_Lzw;
};
