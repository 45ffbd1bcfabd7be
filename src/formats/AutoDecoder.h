// CAutoDecoder: recognises a file's format from its first bytes (WMF and EMF
// from the extension) and hands it to that format's decoder.
#pragma once

#include "formats/ImageDecoder.h"

#include <array>
#include <memory>

enum class ImageFormat {
    Unknown,
    BMP,
    TGA,
    TIFF,
    PICT,
    JPEG,
    PNG,
    EPS,
    GIF,
    PCX,
    IFF,
    PNM,
    RAS,
    ICO,
    PSD,
    DDS,
    WMF,
    EMF,
    Count
};

// Short name of the format ("BMP", "TIFF preview in EPS" is "EPS").
const char* FormatName(ImageFormat format);

// Detection by content. header holds the first bytes of the file (no more
// than 526 are looked at; fewer may be given), fileSize is the whole length.
ImageFormat DetectFormat(const uint8_t* header, size_t headerSize, uint64_t fileSize);

// Detection including the extension rule for metafiles.
ImageFormat DetectFormat(const std::string& name, const uint8_t* header, size_t headerSize, uint64_t fileSize);

class CAutoDecoder : public CImageDecoder {
public:
    CAutoDecoder();
    ~CAutoDecoder() override;

    void DecodeSource(CByteSource& source, CBmp& bitmap, int bitsPerPixel) override;

    // Format of the last file given to DecodeSource (also when decoding failed).
    ImageFormat GetLastFormat() const { return m_LastFormat; }

private:
    std::array<std::unique_ptr<CImageDecoder>, static_cast<size_t>(ImageFormat::Count)> m_Decoders;
    ImageFormat m_LastFormat = ImageFormat::Unknown;
};
