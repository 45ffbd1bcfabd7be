// Photoshop documents ("8BPS"): the merged image stored after the layer
// section — bitmap, greyscale, duotone, multichannel, indexed, RGB or CMYK,
// with alpha where the file gives the merged image transparency — 1, 8 or
// 16 bits per channel, raw or PackBits. Layers are read only to be checked
// and counted.
#pragma once

#include "formats/ImageDecoder.h"
#include "formats/PSDRows.h"

#include <array>
#include <cstdint>
#include <vector>

class CPSDDecoder : public CImageDecoder {
protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    struct Header {
        uint16_t Version = 0;
        uint16_t Channels = 0;
        uint32_t Rows = 0;
        uint32_t Columns = 0;
        uint16_t Depth = 0;
        uint16_t Mode = 0;
    };

    struct LayerChannel {
        int16_t Id;
        uint32_t Length;
    };

    struct Layer {
        int32_t Top, Left, Bottom, Right;
        std::vector<LayerChannel> Channels;
        uint8_t BlendSignature[4];
        uint8_t BlendKey[4];
        uint8_t Opacity, Clipping, Flags;
        uint32_t ExtraLength;
    };

    // Where the merged image is found and how it is stored.
    struct Composite {
        int Compression = 0;
        int Used = 0;              // planes that reach the pixels
        size_t RowBytes = 0;       // one unpacked row of one plane
        const uint8_t* Planes[5] = {}; // raw: plane starts; PackBits: first packed row of each plane
        const uint8_t* Counts = nullptr; // PackBits: the byte-count table
    };

    void ReadHeader(CByteSource& source);
    void ReadColorModeData(CByteSource& source);
    void ReadResources(CByteSource& source);
    // Returns the layer section's length when the merged image lies behind it, else 0.
    uint32_t ReadLayers(CByteSource& source);
    Composite LocateComposite(CByteSource& source, uint32_t layerSectionLength, int usedPlanes) const;
    void DecodeComposite(CBmp& bitmap, const Composite& composite, PsdRowPutter put) const;

    Header m_Header;
    bool m_HasColorTable = false;
    std::array<uint32_t, 256> m_Colors{}; // colour table as pixel words
    std::vector<Layer> m_Layers;
    bool m_MergedAlpha = false; // the first extra channel is the merged image's transparency
};
