// DirectDraw surfaces: uncompressed RGB/RGBA with any channel masks,
// luminance, and the block formats DXT1 to DXT5, BC4, BC5 and BC7 (also under
// the extended header), including cube maps laid out side by side.
#pragma once

#include "formats/ImageDecoder.h"

#include <cstdint>

class CDDSDecoder : public CImageDecoder {
public:
    // Surface kinds.
    enum Kind {
        KindRgba = 0,
        KindRgb = 1,
        KindDxt1,
        KindDxt2,
        KindDxt3,
        KindDxt4,
        KindDxt5,
        KindUnsupported,
        KindBc4,
        KindBc4Signed,
        KindBc5,
        KindBc5Signed,
        KindBc7,
    };

protected:
    void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                   CByteSource& source) override;

private:
    struct Header {
        uint32_t Size;
        uint32_t Flags;
        uint32_t Height;
        uint32_t Width;
        uint32_t PitchOrLinearSize;
        uint32_t Depth;
        uint32_t MipMapCount;
        uint32_t FormatSize;
        uint32_t FormatFlags;
        uint8_t FourCC[4];
        uint32_t RgbBitCount;
        uint32_t RedMask;
        uint32_t GreenMask;
        uint32_t BlueMask;
        uint32_t AlphaMask;
        uint32_t Caps;
        uint32_t Caps2;
    };

    void ReadHeader(CByteSource& source);
    // The extended header after the "DX10" code: its format becomes the kind
    // (uncompressed ones as channel masks), its cube and volume flags the caps.
    void ReadExtendedHeader(CByteSource& source);
    Kind KindOfFourCC() const;
    bool IsBlockKind() const { return m_Kind >= KindDxt1 && m_Kind != KindUnsupported; }
    bool KindHasAlpha() const { return m_Kind != KindRgb && (m_Kind < KindBc4 || m_Kind == KindBc7); }
    int SourceBits() const;
    // Bytes of one surface of the given size in the file's layout; saturates
    // instead of overflowing.
    uint64_t SurfaceSize(uint64_t width, uint64_t height, uint64_t depth) const;
    void ReadCubeMap(CBmp& bitmap, CByteSource& source);
    // Decodes one surface of the working size into columns left … left + width - 1.
    void DecodeSurface(CBmp& bitmap, const uint8_t* data, int left) const;
    void DecodeUncompressed(CBmp& bitmap, const uint8_t* data, int left) const;

    Header m_Header{};
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    uint32_t m_Depth = 1;
    Kind m_Kind = KindUnsupported;
    uint64_t m_DataSize = 0;
    int m_Face = 0;
};
