// CAutoDecoder: recognises a file's format (formats/FormatTable.h) and hands
// it to that format's decoder, made the first time it is needed; the decoder
// watches this one's abort flag.
#pragma once

#include "formats/FormatTable.h"
#include "formats/ImageDecoder.h"

#include <array>
#include <memory>

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
