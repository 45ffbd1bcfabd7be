#include "browser/StatusTexts.h"
#include "base/FileName.h"

#include "browser/NumberFormat.h"
#include "platform/ConfigFolder.h"

namespace {

// Whole units of a size, as the selection and free-space panes show them.
std::string WholeSizeText(uint64_t bytes, int sizeUnit)
{
    switch (sizeUnit) {
    case kSizeKB:
        return FormatNumber(static_cast<double>(bytes >> 10), 3) + " KB";
    case kSizeMB:
        return FormatNumber(static_cast<double>(bytes >> 20), 3) + " MB";
    default:
        return std::to_string(bytes) + " bytes";
    }
}

std::string LengthText(int pixels, int lengthUnit)
{
    switch (lengthUnit) {
    case kLengthInches:
        return FormatNumber(pixels * 0.01041667, 2);
    case kLengthMillimetres:
        return FormatNumber(pixels * 0.2645836, 2);
    case kLengthCentimetres:
        return FormatNumber(pixels * 0.2645836 * 0.1, 2);
    default:
        return std::to_string(pixels);
    }
}

} // namespace

std::string SelectionSummaryText(size_t selected, size_t rows, uint64_t selectedBytes, int sizeUnit)
{
    std::string text = " ";
    text += std::to_string(selected) + " of " + std::to_string(rows) + " (" + WholeSizeText(selectedBytes, sizeUnit);
    return text + ")";
}

std::string ViewerPositionText(long index, size_t rows)
{
    if (index < 0)
        return " 0/0";
    std::string text = " ";
    return text + std::to_string(index + 1) + "/" + std::to_string(rows);
}

std::string FreeSpaceText(uint64_t freeBytes, int sizeUnit)
{
    return " Free Disk Space: " + WholeSizeText(freeBytes, sizeUnit);
}

std::string LoadedInText(int64_t milliseconds)
{
    return "  Loaded in " + FormatNumber(static_cast<double>(milliseconds) / 1000.0, 3) + " s";
}

std::string ViewerImageText(int width, int height, int bitsPerPixel)
{
    return std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bitsPerPixel) + "bpp";
}

std::string ImageDimensionsText(int width, int height, int bitsPerPixel, int lengthUnit)
{
    return LengthText(width, lengthUnit) + "x" + LengthText(height, lengthUnit) + ", " +
           std::to_string(bitsPerPixel) + " bpp";
}

std::string FileSizeText(uint64_t bytes, int sizeUnit)
{
    const double value = static_cast<double>(bytes);
    switch (sizeUnit) {
    case kSizeKB:
        return FormatNumber(value * 0.0009765625, 3) + " KB";
    case kSizeMB:
        return FormatNumber(value * 0.00000095367431640625, 3) + " MB";
    default:
        return FormatNumber(value, 3) + " bytes";
    }
}

std::string TitleText(bool showsImage, const std::string& folder, const std::string& name)
{
    if (!showsImage)
        return "Oculane";
    return "Oculane - [" + JoinPath(folder, name) + "]";
}
