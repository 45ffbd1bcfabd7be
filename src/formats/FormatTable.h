// The one list of the file formats the program knows: how each is
// recognised, the extensions that belong to it, the decoder that reads it and
// the writer that writes it. Detection order, the Open and Save As filters,
// the "Hide non-images" filter and the file associations all come from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CBmp;
class CImageDecoder;

// In detection order: formats recognised by content are tried in this order.
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

struct FormatExtension {
    const char* Text;    // lower case, without the dot
    int Association;     // position in the settings' association list; -1 none
    bool CountsAsImage;  // kept in the list by "Hide non-images"
};

// Writes a bitmap to a file in one format with that format's options (the
// saving code defines them); failures are CTextException.
struct SaveOptions;
using FormatWriteFunction = void (*)(const CBmp& bitmap, const std::string& path, const SaveOptions& options);

struct FormatInfo {
    enum Detection { ByContent, ByExtension };

    ImageFormat Id;
    const char* Name;   // short name ("BMP"; the TIFF preview in EPS is "EPS")
    const char* Trace;  // trace line when a file is recognised
    Detection DetectedBy;
    // ByContent: whether the first bytes (at least kDetectBytes, zero-padded)
    // of a file of fileSize bytes are this format.
    bool (*Sniff)(const uint8_t* header, uint64_t fileSize);
    std::span<const FormatExtension> Extensions;
    std::unique_ptr<CImageDecoder> (*MakeDecoder)();
    FormatWriteFunction Write;  // null while the format cannot be written
};

// How many first bytes of a file detection looks at.
constexpr size_t kDetectBytes = 526;

// Every format, in ImageFormat order (Unknown excluded).
std::span<const FormatInfo> Formats();
// The row of a format; nullptr for Unknown.
const FormatInfo* FindFormat(ImageFormat format);
// The format an extension (with or without its dot, any case) belongs to.
ImageFormat FormatOfExtension(std::string_view extension);

// Short name of the format ("unknown" for Unknown).
const char* FormatName(ImageFormat format);

// Detection by content. header holds the first bytes of the file (no more
// than kDetectBytes are looked at; fewer may be given), fileSize is the whole length.
ImageFormat DetectFormat(const uint8_t* header, size_t headerSize, uint64_t fileSize);
// Detection including the formats recognised by their extension.
ImageFormat DetectFormat(const std::string& name, const uint8_t* header, size_t headerSize, uint64_t fileSize);

// Every extension the program reads, in table order (for the Open filter).
std::vector<std::string> ReadableExtensions();
// Whether "Hide non-images" keeps a file with this extension (no dot).
bool IsImageExtension(std::string_view extension);
// The extensions of the association list, in its order (the settings file
// stores one flag per position).
std::vector<std::string> AssociationExtensions();
// Position of an extension (with or without its dot) in the association list; -1 none.
int AssociationIndex(std::string_view extension);

// The saving code fills in the writers when it starts.
void SetFormatWriter(ImageFormat format, FormatWriteFunction write);
