#include "formats/AutoDecoder.h"

#include "base/FileName.h"
#include "formats/BMPDecoder.h"
#include "formats/DDSCodec.h"
#include "formats/GIFCodec.h"
#include "formats/ICODecoder.h"
#include "formats/IFFCodec.h"
#include "formats/JPEGDecoder.h"
#include "formats/MetafileDecoder.h"
#include "formats/PCXCodec.h"
#include "formats/PICTDecoder.h"
#include "formats/PNGDecoder.h"
#include "formats/PNMCodec.h"
#include "formats/PSDDecoder.h"
#include "formats/RASCodec.h"
#include "formats/TGADecoder.h"
#include "formats/TIFFDecoder.h"
#include "base/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kDetectBytes = 526;

struct FormatInfo {
    const char* Name;
    const char* Trace;
};

const FormatInfo kFormats[] = {
    {"unknown", ""},
    {"BMP", "Windows bitmap recognized.\n"},
    {"TGA", "TGA file recognized.\n"},
    {"TIFF", "TIFF file recognized.\n"},
    {"PICT", "Mac PICT recognized.\n"},
    {"JPEG", "JPEG file recognized.\n"},
    {"PNG", "PNG file recognized.\n"},
    {"EPS", "TIFF preview in EPS file recognized.\n"},
    {"GIF", "GIF file recognized.\n"},
    {"PCX", "PCX file recognized.\n"},
    {"IFF", "IFF file recognized.\n"},
    {"PNM", "PPM file recognized.\n"},
    {"RAS", "RAS file recognized.\n"},
    {"ICO", "ICO file recognized.\n"},
    {"PSD", "PSD file recognized.\n"},
    {"DDS", "DDS file recognized.\n"},
    {"WMF", "WMF file recognized.\n"},
    {"EMF", "EMF file recognized.\n"},
};
static_assert(std::size(kFormats) == static_cast<size_t>(ImageFormat::Count));

bool Is(const uint8_t* b, const char* text)
{
    return std::memcmp(b, text, std::strlen(text)) == 0;
}

bool IsAnyOf(uint8_t value, std::initializer_list<uint8_t> set)
{
    return std::find(set.begin(), set.end(), value) != set.end();
}

} // namespace

const char* FormatName(ImageFormat format)
{
    return kFormats[static_cast<size_t>(format)].Name;
}

ImageFormat DetectFormat(const uint8_t* header, size_t headerSize, uint64_t fileSize)
{
    // Short files are compared as if padded with zeros.
    uint8_t b[kDetectBytes] = {};
    std::memcpy(b, header, std::min(headerSize, kDetectBytes));

    if (b[0] == 'B' && b[1] == 'M')
        return ImageFormat::BMP;
    if (b[1] <= 1 && IsAnyOf(b[2], {0, 1, 2, 3, 9, 10, 11}) && IsAnyOf(b[7], {0, 8, 15, 16, 24, 32}) &&
        IsAnyOf(b[16], {8, 15, 16, 24, 32}))
        return ImageFormat::TGA;
    if ((b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2A && b[3] == 0x00) ||
        (b[0] == 0x4D && b[1] == 0x4D && b[2] == 0x00 && b[3] == 0x2A))
        return ImageFormat::TIFF;
    if (fileSize > 540 && ((b[522] == 0x00 && b[523] == 0x11 && b[524] == 0x02 && b[525] == 0xFF) ||
                           (b[522] == 0x00 && b[523] == 0x11 && b[524] == 0x01) ||
                           (b[522] == 0x11 && b[523] == 0x01 && b[524] == 0x01 && b[525] == 0x00)))
        return ImageFormat::PICT;
    if (b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return ImageFormat::JPEG;
    if (b[0] == 0x89 && Is(b + 1, "PNG"))
        return ImageFormat::PNG;
    if (((b[0] == 0xC5 && b[1] == 0xD0 && b[2] == 0xD3 && b[3] == 0xC6) ||
         (b[0] == 0xC6 && b[1] == 0xD3 && b[2] == 0xD0 && b[3] == 0xC5)) &&
        GetLE32(b + 20) != 0 && GetLE32(b + 24) != 0)
        return ImageFormat::EPS;
    if (Is(b, "GIF8") && (Is(b + 4, "7a") || Is(b + 4, "9a")))
        return ImageFormat::GIF;
    if (b[0] == 0x0A && b[2] == 0x01)
        return ImageFormat::PCX;
    if (Is(b, "FORM") && Is(b + 8, "ILBM"))
        return ImageFormat::IFF;
    if (b[0] == 'P' && b[1] >= '1' && b[1] <= '6')
        return ImageFormat::PNM;
    if (b[0] == 0x59 && b[1] == 0xA6 && b[2] == 0x6A && b[3] == 0x95)
        return ImageFormat::RAS;
    if (GetLE16(b) == 0 && GetLE16(b + 2) == 1)
        return ImageFormat::ICO;
    if (Is(b, "8BPS"))
        return ImageFormat::PSD;
    if (Is(b, "DDS "))
        return ImageFormat::DDS;
    return ImageFormat::Unknown;
}

ImageFormat DetectFormat(const std::string& name, const uint8_t* header, size_t headerSize, uint64_t fileSize)
{
    const std::string ext = Extension(name);
    if (EqualsNoCase(ext, "wmf"))
        return ImageFormat::WMF;
    if (EqualsNoCase(ext, "emf"))
        return ImageFormat::EMF;
    return DetectFormat(header, headerSize, fileSize);
}

CAutoDecoder::CAutoDecoder()
{
    auto slot = [this](ImageFormat format) -> std::unique_ptr<CImageDecoder>& {
        return m_Decoders[static_cast<size_t>(format)];
    };
    auto jpeg = std::make_unique<CJPEGDecoder>();
    slot(ImageFormat::BMP) = std::make_unique<CBMPDecoder>();
    slot(ImageFormat::TGA) = std::make_unique<CTGADecoder>();
    slot(ImageFormat::TIFF) = std::make_unique<CTIFFDecoder>();
    slot(ImageFormat::PICT) = std::make_unique<CPICTDecoder>(jpeg.get());
    slot(ImageFormat::JPEG) = std::move(jpeg);
    slot(ImageFormat::PNG) = std::make_unique<CPNGDecoder>();
    slot(ImageFormat::EPS) = std::make_unique<CTIFFDecoder>();
    slot(ImageFormat::GIF) = std::make_unique<CGIFDecoder>();
    slot(ImageFormat::PCX) = std::make_unique<CPCXDecoder>();
    slot(ImageFormat::IFF) = std::make_unique<CIFFDecoder>();
    slot(ImageFormat::PNM) = std::make_unique<CPNMDecoder>();
    slot(ImageFormat::RAS) = std::make_unique<CRASDecoder>();
    slot(ImageFormat::ICO) = std::make_unique<CICODecoder>();
    slot(ImageFormat::PSD) = std::make_unique<CPSDDecoder>();
    slot(ImageFormat::DDS) = std::make_unique<CDDSDecoder>();
    slot(ImageFormat::WMF) = std::make_unique<CMetafileDecoder>();
    slot(ImageFormat::EMF) = std::make_unique<CMetafileDecoder>();
}

CAutoDecoder::~CAutoDecoder() = default;

void CAutoDecoder::DecodeSource(CByteSource& source, CBmp& bitmap, int bitsPerPixel)
{
    ClearNotices();
    m_LastFormat = DetectFormat(source.GetName(), source.GetPosition(), source.Remaining(), source.Remaining());
    if (m_LastFormat == ImageFormat::Unknown)
        RaiseDecoderError(ErrUnknownFileType, "Unknown file type.");
    DecoderTrace(2, kFormats[static_cast<size_t>(m_LastFormat)].Trace);

    CImageDecoder* decoder = m_Decoders[static_cast<size_t>(m_LastFormat)].get();
    if (!decoder)
        RaiseDecoderError(ErrUnknownFileType, "Unknown file type.");
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
}
