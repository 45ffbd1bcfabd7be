#include "formats/AutoDecoder.h"

#include "base/LittleEndian.h"

CAutoDecoder::CAutoDecoder() = default;

CAutoDecoder::~CAutoDecoder() = default;

void CAutoDecoder::DecodeSource(CByteSource& source, CBmp& bitmap, int bitsPerPixel)
{
    ClearNotices();
    SetFileSize(0, 0);
    m_LastFormat = DetectFormat(source.GetName(), source.GetPosition(), source.Remaining(), source.Remaining());
    if (m_LastFormat == ImageFormat::Unknown)
        RaiseDecoderError(ErrUnknownFileType, "Unknown file type.");
    const FormatInfo* format = FindFormat(m_LastFormat);
    if (!format || !format->MakeDecoder)
        RaiseDecoderError(ErrUnknownFileType, "Unknown file type.");
    DecoderTrace(2, format->Trace);

    std::unique_ptr<CImageDecoder>& slot = m_Decoders[static_cast<size_t>(m_LastFormat)];
    if (!slot)
        slot = format->MakeDecoder();
    CImageDecoder* decoder = slot.get();
    decoder->SetAbortFlag(GetAbortFlag());
    decoder->SetReducedSize(m_ReducedWidth, m_ReducedHeight);
    if (m_LastFormat == ImageFormat::EPS) {
        // The TIFF decoder starts at the preview's first byte.
        const uint32_t offset = GetLE32(source.GetPosition() + 20);
        source.SkipBytes(offset);
    }
    try {
        decoder->DecodeSource(source, bitmap, bitsPerPixel);
    } catch (...) {
        m_Notices = decoder->GetNotices();
        throw;
    }
    m_Notices = decoder->GetNotices();
    SetFileSize(decoder->GetFileWidth(), decoder->GetFileHeight());
}
