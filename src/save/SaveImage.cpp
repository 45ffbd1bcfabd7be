#include "save/SaveImage.h"

#include "base/FileName.h"
#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/SaveDepth.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cctype>
#include <new>

const char* const kSavingText = "  Saving image...";
const char* const kSaveDoneText = "  Done";
const char* const kCantSaveText = "Can't save file.";

namespace {

using F = ImageFormat;
using D = SaveDialog;

constexpr SaveFormatRow kRows[] = {
    {kSaveBmp, "bmp", "Windows Bitmap", F::BMP, D::Bmp, true},
    {kSaveJpeg, "jpg", "JPEG", F::JPEG, D::Jpeg, true},
    {kSavePng, "png", "Portable Network Graphics", F::PNG, D::Png, true},
    {kSavePpm, "ppm", "Portable Pixmap", F::PNM, D::None, true},
    {kSavePgm, "pgm", "Portable Graymap", F::PNM, D::None, true},
    {kSaveTga, "tga", "TrueVision Targa", F::TGA, D::Tga, true},
    {kSavePcx, "pcx", "ZSoft Paintbrush", F::PCX, D::Pcx, true},
    {kSaveGif, "gif", "Graphics Interchange Format", F::GIF, D::Gif, true},
    {kSaveIff, "iff", "Interchange File Format", F::IFF, D::None, true},
    {kSavePict, "pct", "Macintosh PICT", F::PICT, D::Pict, true},
    {kSaveRas, "ras", "Sun Rasterfile", F::RAS, D::Ras, true},
    {kSaveTiff, "tif", "Tag Image File Format", F::TIFF, D::Tiff, true},
    {kSaveDds, "dds", "DirectDraw Surface", F::DDS, D::Dds, false},
};

// Other spellings that name the same formats.
constexpr struct {
    const char* Extension;
    int Code;
} kAliases[] = {{"jpeg", kSaveJpeg}, {"tiff", kSaveTiff}};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::span<const SaveFormatRow> SaveFormats()
{
    return kRows;
}

const SaveFormatRow* FindSaveFormat(int code)
{
    for (const SaveFormatRow& row : kRows)
        if (row.Code == code)
            return &row;
    return nullptr;
}

const SaveFormatRow* SaveFormatOfExtension(std::string_view extension)
{
    if (!extension.empty() && extension.front() == '.')
        extension.remove_prefix(1);
    if (extension.empty())
        return nullptr;
    for (const SaveFormatRow& row : kRows)
        if (EqualsNoCase(extension, row.Extension))
            return &row;
    for (const auto& alias : kAliases)
        if (EqualsNoCase(extension, alias.Extension))
            return FindSaveFormat(alias.Code);
    return nullptr;
}

std::string SaveFilterText(const SaveFormatRow& row)
{
    return std::string(row.Description) + " (*." + row.Extension + ")";
}

std::string ConvertListText(const SaveFormatRow& row)
{
    return std::string(row.Description) + " (" + Upper(row.Extension) + ")";
}

std::string WithExtensionCase(const std::string& path, bool upperCase)
{
    const std::string extension = Extension(FileNamePart(path));
    if (extension.empty())
        return path;
    return path.substr(0, path.size() - extension.size()) + (upperCase ? Upper(extension) : Lower(extension));
}

SaveOptions MakeSaveOptions(int code, const CSettings& s, int bitsPerPixel, bool useImageDepth)
{
    SaveOptions o;
    o.JpegQuality = std::clamp(int(s.JpegQuality), 0, 100);
    o.JpegSmoothing = std::clamp(int(s.JpegSmoothing), 0, 100);
    o.JpegOptimizeHuffman = s.JpegOptimizeHuffman != 0;
    o.JpegProgressive = s.JpegProgressive != 0;
    o.TiffCompression = std::clamp(int(s.TiffCompression), 0, 2);
    o.TiffParam = s.TiffParam;
    o.DdsFormat = s.DdsFormat == 4 || s.DdsFormat == 6 ? s.DdsFormat : 2;
    o.DdsFlip = s.DdsFlip != 0;
    o.DdsMipMaps = s.DdsMipMaps != 0;
    int index = 0;
    switch (code) {
    case kSaveBmp: index = s.BmpDepth; break;
    case kSavePcx: index = s.PcxDepth; break;
    case kSaveRas: index = s.RasDepth; o.Rle = s.RasRle != 0; break;
    case kSaveTga: index = s.TgaDepth; o.Rle = s.TgaRle != 0; break;
    case kSavePict: o.Rle = s.PictRle != 0; break;
    case kSavePng: o.Interlaced = s.PngInterlaced != 0; break;
    case kSaveGif: o.Interlaced = s.GifInterlaced != 0; break;
    default: break;
    }
    o.Depth = ChooseSaveDepth(code, useImageDepth, bitsPerPixel, index);
    return o;
}

std::string NoWriterText(const std::string& path)
{
    const std::string extension = Extension(FileNamePart(path));
    if (extension.empty())
        return "Can't save '" + FileNamePart(path) + "': the name needs an extension for the format, such as .png.";
    return "Can't save '" + FileNamePart(path) + "': files of type ." + extension + " cannot be written.";
}

bool SaveImage(const std::string& path, int code, bool showOptions, bool keepImageDepth, const CBmp& bitmap,
               CSettings& settings, ISaveFeedback& feedback)
{
    feedback.Status(kSavingText);
    const SaveFormatRow* format = FindSaveFormat(code);
    const FormatInfo* info = format ? FindFormat(format->Format) : nullptr;
    if (!info || !info->Write) {
        // Nothing to write with: said so, never reported as saved.
        feedback.Message(format ? "Can't save file: " + std::string(format->Description) +
                                      " files cannot be written."
                                : NoWriterText(path));
        return false;
    }
    const bool dialog = showOptions && format->Dialog != SaveDialog::None;
    if (dialog && !feedback.ShowOptions(*format, settings))
        return false;
    const SaveOptions options = MakeSaveOptions(code, settings, bitmap.BitsPerPixel, keepImageDepth && !dialog);
    bool written = true;
    feedback.BeginWrite();
    try {
        info->Write(bitmap, path, options);
    } catch (const CTextException&) {
        written = false;
    } catch (const std::bad_alloc&) {
        written = false;
    }
    feedback.EndWrite();
    if (!written) {
        feedback.Message(kCantSaveText);
        return false;
    }
    feedback.Status(kSaveDoneText);
    return true;
}
