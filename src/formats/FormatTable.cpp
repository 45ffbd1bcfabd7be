#include "formats/FormatTable.h"

#include "base/FileName.h"
#include "base/LittleEndian.h"
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

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

namespace {

bool Is(const uint8_t* b, const char* text)
{
    return std::memcmp(b, text, std::strlen(text)) == 0;
}

bool IsAnyOf(uint8_t value, std::initializer_list<uint8_t> set)
{
    return std::find(set.begin(), set.end(), value) != set.end();
}

// The signatures. Each looks at a zero-padded block of kDetectBytes bytes.
bool SniffBMP(const uint8_t* b, uint64_t)
{
    return b[0] == 'B' && b[1] == 'M';
}

bool SniffTGA(const uint8_t* b, uint64_t)
{
    return b[1] <= 1 && IsAnyOf(b[2], {0, 1, 2, 3, 9, 10, 11}) && IsAnyOf(b[7], {0, 8, 15, 16, 24, 32}) &&
           IsAnyOf(b[16], {8, 15, 16, 24, 32});
}

// Classic TIFF (version 42), or BigTIFF (version 43 with 8-byte offsets).
bool SniffTIFF(const uint8_t* b, uint64_t)
{
    return (b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2A && b[3] == 0x00) ||
           (b[0] == 0x4D && b[1] == 0x4D && b[2] == 0x00 && b[3] == 0x2A) ||
           (b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2B && b[3] == 0x00 && b[4] == 0x08 && b[5] == 0x00) ||
           (b[0] == 0x4D && b[1] == 0x4D && b[2] == 0x00 && b[3] == 0x2B && b[4] == 0x00 && b[5] == 0x08);
}

// A PICT file starts with a 512-byte header the format leaves free; the
// picture's version opcode follows its size and frame.
bool SniffPICT(const uint8_t* b, uint64_t fileSize)
{
    return fileSize > 540 && ((b[522] == 0x00 && b[523] == 0x11 && b[524] == 0x02 && b[525] == 0xFF) ||
                              (b[522] == 0x00 && b[523] == 0x11 && b[524] == 0x01) ||
                              (b[522] == 0x11 && b[523] == 0x01 && b[524] == 0x01 && b[525] == 0x00));
}

bool SniffJPEG(const uint8_t* b, uint64_t)
{
    return b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

bool SniffPNG(const uint8_t* b, uint64_t)
{
    return b[0] == 0x89 && Is(b + 1, "PNG");
}

// A DOS EPS binary header with a TIFF preview (offset and length non-zero).
bool SniffEPS(const uint8_t* b, uint64_t)
{
    return ((b[0] == 0xC5 && b[1] == 0xD0 && b[2] == 0xD3 && b[3] == 0xC6) ||
            (b[0] == 0xC6 && b[1] == 0xD3 && b[2] == 0xD0 && b[3] == 0xC5)) &&
           GetLE32(b + 20) != 0 && GetLE32(b + 24) != 0;
}

bool SniffGIF(const uint8_t* b, uint64_t)
{
    return Is(b, "GIF8") && (Is(b + 4, "7a") || Is(b + 4, "9a"));
}

bool SniffPCX(const uint8_t* b, uint64_t)
{
    return b[0] == 0x0A && b[2] == 0x01;
}

bool SniffIFF(const uint8_t* b, uint64_t)
{
    return Is(b, "FORM") && (Is(b + 8, "ILBM") || Is(b + 8, "PBM ") || Is(b + 8, "RGB8") || Is(b + 8, "RGBN"));
}

bool SniffPNM(const uint8_t* b, uint64_t)
{
    return b[0] == 'P' && b[1] >= '1' && b[1] <= '6';
}

bool SniffRAS(const uint8_t* b, uint64_t)
{
    return b[0] == 0x59 && b[1] == 0xA6 && b[2] == 0x6A && b[3] == 0x95;
}

// Resource type 1 is an icon, 2 a cursor (the same images with a hotspot).
bool SniffICO(const uint8_t* b, uint64_t)
{
    return GetLE16(b) == 0 && (GetLE16(b + 2) == 1 || GetLE16(b + 2) == 2);
}

bool SniffPSD(const uint8_t* b, uint64_t)
{
    return Is(b, "8BPS");
}

bool SniffDDS(const uint8_t* b, uint64_t)
{
    return Is(b, "DDS ");
}

template <class Decoder>
std::unique_ptr<CImageDecoder> Make()
{
    return std::make_unique<Decoder>();
}

// Extensions with their association position (the settings file keeps one
// flag per position, so these numbers never change) and whether "Hide
// non-images" keeps them.
constexpr FormatExtension kBMP[] = {{"bmp", 0, true}, {"dib", -1, true}, {"rle", -1, true}};
constexpr FormatExtension kTGA[] = {{"tga", 14, true}};
constexpr FormatExtension kTIFF[] = {{"tif", 15, true}, {"tiff", -1, false}};
constexpr FormatExtension kPICT[] = {{"pct", 8, true}, {"pict", -1, true}};
constexpr FormatExtension kJPEG[] = {{"jpg", 6, true}, {"jpeg", -1, false}};
constexpr FormatExtension kPNG[] = {{"png", 11, true}};
constexpr FormatExtension kEPS[] = {{"eps", 2, true}};
constexpr FormatExtension kGIF[] = {{"gif", 3, true}};
constexpr FormatExtension kPCX[] = {{"pcx", 9, true}};
constexpr FormatExtension kIFF[] = {{"iff", 5, true}, {"ilbm", -1, true}};
constexpr FormatExtension kPNM[] = {{"pbm", 7, true}, {"pgm", 10, true}, {"ppm", 12, true}};
constexpr FormatExtension kRAS[] = {{"ras", 13, true}};
constexpr FormatExtension kICO[] = {{"ico", 4, true}, {"cur", -1, true}};
constexpr FormatExtension kPSD[] = {{"psd", 18, true}};
constexpr FormatExtension kDDS[] = {{"dds", 17, true}};
constexpr FormatExtension kWMF[] = {{"wmf", 16, true}};
constexpr FormatExtension kEMF[] = {{"emf", 1, true}};

constexpr size_t kFormatCount = static_cast<size_t>(ImageFormat::Count) - 1;

std::array<FormatInfo, kFormatCount>& Table()
{
    using F = ImageFormat;
    constexpr auto C = FormatInfo::ByContent;
    constexpr auto E = FormatInfo::ByExtension;
    static std::array<FormatInfo, kFormatCount> table = {{
        {F::BMP, "BMP", "Windows bitmap recognized.\n", C, SniffBMP, kBMP, Make<CBMPDecoder>, nullptr},
        {F::TGA, "TGA", "TGA file recognized.\n", C, SniffTGA, kTGA, Make<CTGADecoder>, nullptr},
        {F::TIFF, "TIFF", "TIFF file recognized.\n", C, SniffTIFF, kTIFF, Make<CTIFFDecoder>, nullptr},
        {F::PICT, "PICT", "Mac PICT recognized.\n", C, SniffPICT, kPICT, Make<CPICTDecoder>, nullptr},
        {F::JPEG, "JPEG", "JPEG file recognized.\n", C, SniffJPEG, kJPEG, Make<CJPEGDecoder>, nullptr},
        {F::PNG, "PNG", "PNG file recognized.\n", C, SniffPNG, kPNG, Make<CPNGDecoder>, nullptr},
        {F::EPS, "EPS", "TIFF preview in EPS file recognized.\n", C, SniffEPS, kEPS, Make<CTIFFDecoder>, nullptr},
        {F::GIF, "GIF", "GIF file recognized.\n", C, SniffGIF, kGIF, Make<CGIFDecoder>, nullptr},
        {F::PCX, "PCX", "PCX file recognized.\n", C, SniffPCX, kPCX, Make<CPCXDecoder>, nullptr},
        {F::IFF, "IFF", "IFF file recognized.\n", C, SniffIFF, kIFF, Make<CIFFDecoder>, nullptr},
        {F::PNM, "PNM", "PPM file recognized.\n", C, SniffPNM, kPNM, Make<CPNMDecoder>, nullptr},
        {F::RAS, "RAS", "RAS file recognized.\n", C, SniffRAS, kRAS, Make<CRASDecoder>, nullptr},
        {F::ICO, "ICO", "ICO file recognized.\n", C, SniffICO, kICO, Make<CICODecoder>, nullptr},
        {F::PSD, "PSD", "PSD file recognized.\n", C, SniffPSD, kPSD, Make<CPSDDecoder>, nullptr},
        {F::DDS, "DDS", "DDS file recognized.\n", C, SniffDDS, kDDS, Make<CDDSDecoder>, nullptr},
        {F::WMF, "WMF", "WMF file recognized.\n", E, nullptr, kWMF, Make<CMetafileDecoder>, nullptr},
        {F::EMF, "EMF", "EMF file recognized.\n", E, nullptr, kEMF, Make<CMetafileDecoder>, nullptr},
    }};
    return table;
}

bool Matches(const FormatExtension& entry, std::string_view extension)
{
    if (!extension.empty() && extension.front() == '.')
        extension.remove_prefix(1);
    return !extension.empty() && EqualsNoCase(extension, entry.Text);
}

} // namespace

std::span<const FormatInfo> Formats()
{
    return Table();
}

const FormatInfo* FindFormat(ImageFormat format)
{
    const size_t index = static_cast<size_t>(format);
    if (index == 0 || index > kFormatCount)
        return nullptr;
    return &Table()[index - 1];
}

ImageFormat FormatOfExtension(std::string_view extension)
{
    for (const FormatInfo& format : Formats())
        for (const FormatExtension& entry : format.Extensions)
            if (Matches(entry, extension))
                return format.Id;
    return ImageFormat::Unknown;
}

const char* FormatName(ImageFormat format)
{
    const FormatInfo* info = FindFormat(format);
    return info ? info->Name : "unknown";
}

ImageFormat DetectFormat(const uint8_t* header, size_t headerSize, uint64_t fileSize)
{
    // Short files are compared as if padded with zeros.
    uint8_t b[kDetectBytes] = {};
    std::memcpy(b, header, std::min(headerSize, kDetectBytes));
    for (const FormatInfo& format : Formats())
        if (format.DetectedBy == FormatInfo::ByContent && format.Sniff(b, fileSize))
            return format.Id;
    return ImageFormat::Unknown;
}

ImageFormat DetectFormat(const std::string& name, const uint8_t* header, size_t headerSize, uint64_t fileSize)
{
    const ImageFormat byName = FormatOfExtension(Extension(name));
    if (byName != ImageFormat::Unknown && FindFormat(byName)->DetectedBy == FormatInfo::ByExtension)
        return byName;
    return DetectFormat(header, headerSize, fileSize);
}

std::vector<std::string> ReadableExtensions()
{
    std::vector<std::string> list;
    for (const FormatInfo& format : Formats())
        if (format.MakeDecoder)
            for (const FormatExtension& entry : format.Extensions)
                list.emplace_back(entry.Text);
    return list;
}

bool IsImageExtension(std::string_view extension)
{
    for (const FormatInfo& format : Formats())
        for (const FormatExtension& entry : format.Extensions)
            if (entry.CountsAsImage && !extension.empty() && EqualsNoCase(extension, entry.Text))
                return true;
    return false;
}

std::vector<std::string> AssociationExtensions()
{
    std::vector<std::string> list;
    for (const FormatInfo& format : Formats())
        for (const FormatExtension& entry : format.Extensions)
            if (entry.Association >= 0) {
                if (list.size() <= static_cast<size_t>(entry.Association))
                    list.resize(entry.Association + 1);
                list[entry.Association] = entry.Text;
            }
    return list;
}

int AssociationIndex(std::string_view extension)
{
    for (const FormatInfo& format : Formats())
        for (const FormatExtension& entry : format.Extensions)
            if (entry.Association >= 0 && Matches(entry, extension))
                return entry.Association;
    return -1;
}

void SetFormatWriter(ImageFormat format, FormatWriteFunction write)
{
    const size_t index = static_cast<size_t>(format);
    if (index == 0 || index > kFormatCount)
        return;
    Table()[index - 1].Write = write;
}
