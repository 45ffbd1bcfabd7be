// Texts of the title bar and the status panes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum SizeUnit { kSizeBytes = 0, kSizeKB = 1, kSizeMB = 2 };
enum LengthUnit { kLengthPixels = 0, kLengthInches = 1, kLengthMillimetres = 2, kLengthCentimetres = 3 };

constexpr const char* kInitialSelectionText = "0 of 0 (0 KB)";
constexpr const char* kInitialFreeSpaceText = "Free Disk Space:";
constexpr const char* kInitialStateText = "Done";
constexpr const char* kLoadingText = "  Loading image...";
constexpr const char* kUnknownFormatText = "  Unknown format";
constexpr const char* kDoneText = "  Done";
constexpr const char* kNoPreviewText = " Done";

// " 3 of 10 (12 KB)" in browser mode.
std::string SelectionSummaryText(size_t selected, size_t rows, uint64_t selectedBytes, int sizeUnit);
// " 4/10" in viewer mode; " 0/0" when nothing is selected (index < 0).
std::string ViewerPositionText(long index, size_t rows);
// " Free Disk Space: 12 MB"
std::string FreeSpaceText(uint64_t freeBytes, int sizeUnit);
// "  Loaded in 1.234 s"
std::string LoadedInText(int64_t milliseconds);
// "640x480x24bpp"
std::string ViewerImageText(int width, int height, int bitsPerPixel);
// "640x480, 24 bpp" in the length unit (non-pixel units with two decimals).
std::string ImageDimensionsText(int width, int height, int bitsPerPixel, int lengthUnit);
// "1.500 KB" in the size unit with three decimals.
std::string FileSizeText(uint64_t bytes, int sizeUnit);
// "Oculane" or "Oculane - [folder/name]".
std::string TitleText(bool showsImage, const std::string& folder, const std::string& name);
