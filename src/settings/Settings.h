// The settings record: every option and remembered dialog value of the program,
// with its defaults, kept in "oc18.set" in the config folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// "oc18.set" holds the values below in the order of their position numbers,
// little-endian: 4 bytes each, 8 for the two doubles, and a 32-bit byte count
// followed by the characters for the two strings. Position 1 is the format
// version (written as 180, not checked when reading).
//
// The older text file "oc.set" holds one line of decimal numbers separated by
// blanks: the integer values of positions 2 to 113 in order, without the emf,
// wmf, dds and psd association choices (6, 21, 22, 23), the string at 29 and
// the doubles at 63 and 64. Everything else keeps its current value.
class CSettings {
public:
    static constexpr int32_t kFileVersion = 180;
    static constexpr const char* kFileName = "oc18.set";
    static constexpr const char* kLegacyFileName = "oc.set";
    // Larger files are refused, and Save refuses to write one.
    static constexpr size_t kMaxFileSize = 1 << 20;

    // One flag per extension of the association list (formats/FormatTable.h),
    // in its order; the file layout fixes the count.
    static constexpr int kAssociationCount = 19;

    // A record with every default; the files live in ConfigFolder().
    CSettings() = default;
    // A record with every default whose files live in `folder`.
    explicit CSettings(std::string folder) : m_Folder(std::move(folder)) {}

    // Every value to its default; the folder stays.
    void SetDefaults();

    // Reads oc18.set; when it cannot be opened, the result of LoadLegacy().
    // A short or damaged file changes nothing and returns false.
    bool Load();
    // Writes oc18.set, creating the folder first. On failure the previous file
    // stays as it was.
    bool Save() const;
    // Reads the older oc.set; false (and nothing changes) when it is missing.
    bool LoadLegacy();

    // The same for an explicit file (no fallback to the older file).
    bool LoadFrom(const std::string& path);
    bool SaveTo(const std::string& path) const;
    bool LoadLegacyFrom(const std::string& path);

    // Values outside their range (SettingsRanges.h) and reals that are not
    // finite go back to their defaults. Reading either file does this.
    void ReplaceInvalidValues();

    // The file contents Save writes, and their reading: all or nothing.
    std::vector<uint8_t> ToFileBytes() const;
    bool FromFileBytes(const uint8_t* data, size_t size);

    // An empty folder means ConfigFolder(), asked at each use.
    void SetFolder(std::string folder) { m_Folder = std::move(folder); }
    std::string Folder() const;
    std::string FilePath() const;
    std::string LegacyFilePath() const;

    // Index into Associate[] of an extension ("jpg", ".JPG"), or -1.
    static int AssociationIndex(std::string_view extension);
    // The association choice of an extension, or nullptr when it has none.
    int32_t* FindAssociation(std::string_view extension);
    const int32_t* FindAssociation(std::string_view extension) const;

    // ---- Values of the file, by position ----
    int32_t PreviewPlacement = 0;     // 2: 0 upper left, 1 upper right, 2 centre
    int32_t AutoRefresh = 0;          // 3
    int32_t RenameSeriesChoice = 0;   // 4: 0 all files in directory, 1 selected files only
    int32_t Associate[kAssociationCount] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                            1, 1, 1, 1, 1, 1, 1, 1, 1};  // 5-23

    // Compare Directories
    int32_t CompareByName = 1;              // 24
    int32_t CompareByExtension = 1;         // 25
    int32_t CompareBySize = 1;              // 26
    int32_t CompareByDate = 1;              // 27
    int32_t CompareCaseSensitive = 1;       // 28
    std::string CompareExtension = "bmp";   // 29
    int32_t ComparePreviewSource = 1;       // 30
    int32_t ComparePreviewDestination = 1;  // 31

    // Print Setup; lengths in hundredths of an inch (a pixel prints as one)
    int32_t PrintVerticalPosition = 1;    // 32: 0 top, 1 centre, 2 bottom
    int32_t PrintHorizontalPosition = 1;  // 33: 0 left, 1 centre, 2 right
    int32_t PrintCaptionPath = 0;         // 34
    int32_t PrintCaptionName = 1;         // 35
    int32_t PrintCaptionFileSize = 0;     // 36
    int32_t PrintCaptionDimensions = 1;   // 37
    int32_t PrintCaptionAlignment = 0;    // 38: 0 centre, 1 left, 2 right
    int32_t PrintCaptionPosition = 0;     // 39: 0 top, 1 bottom
    int32_t PrintMarginLeft = 0;          // 40
    int32_t PrintMarginRight = 0;         // 41
    int32_t PrintMarginTop = 0;           // 42
    int32_t PrintMarginBottom = 0;        // 43
    int32_t PrintCustomWidth = 0;         // 44
    int32_t PrintCustomHeight = 0;        // 45
    int32_t PrintThumbnailWidth = 100;    // 46
    int32_t PrintThumbnailHeight = 100;   // 47
    int32_t PrintThumbnailSource = 1;     // 48: 0 all images, 1 selected only

    // Find Files
    int32_t FindGoToFile = 1;  // 49
    int32_t FindPreview = 1;   // 50

    // Image dialogs
    int32_t RotateQuality = 2;          // 51: 0 low, 1 anti-aliasing, 2 interpolation
    int32_t RotateAngle = 45;           // 52
    int32_t RotateDirection = 0;        // 53: 0 clockwise, 1 counter-clockwise
    int32_t ShearAntiAlias = 1;         // 54
    int32_t ShearAngle = 45;            // 55
    int32_t ShearCorner = 0;            // 56: 0 up-left, 1 down-left
    int32_t CanvasAnchor = 0;           // 57
    int32_t ResizeConstrain = 1;        // 58
    int32_t ColorBalanceRed = 0;        // 59
    int32_t ColorBalanceGreen = 0;      // 60
    int32_t ColorBalanceBlue = 0;       // 61
    int32_t ThresholdLevel = 128;       // 62
    double IntensityIntensity = 20.0;   // 63
    double IntensityExponent = 1.0;     // 64
    int32_t IntensityOffset = 128;      // 65

    // Convert
    int32_t ConvertFormat = 0;           // 66: index into the convert format list
    int32_t ConvertReplaceOriginal = 0;  // 67
    int32_t ConvertOverwrite = 0;        // 68: 0 ask, 1 replace, 2 rename, 3 skip

    // Save options
    int32_t JpegProgressive = 0;      // 69
    int32_t JpegOptimizeHuffman = 0;  // 70
    int32_t JpegQuality = 60;         // 71
    int32_t JpegSmoothing = 0;        // 72
    int32_t TiffCompression = 0;      // 73
    int32_t BmpDepth = 0;             // 74
    int32_t TiffParam = 60;           // 75
    int32_t PngInterlaced = 0;        // 76
    int32_t TgaRle = 0;               // 77
    int32_t TgaDepth = 0;             // 78
    int32_t PcxDepth = 0;             // 79
    int32_t GifInterlaced = 0;        // 80
    int32_t PictRle = 1;              // 81
    int32_t RasRle = 0;               // 82
    int32_t RasDepth = 0;             // 83

    // Options dialog: Browser
    int32_t EnablePreview = 1;           // 84
    int32_t PreviewEnlarge = 0;          // 85
    int32_t PreviewShrink = 1;           // 86
    int32_t BrowserFullPathInTitle = 1;  // 87
    int32_t HideNonImages = 1;           // 88
    // Filing
    int32_t SelectAfterCopyMove = 0;          // 89
    int32_t SelectAfterDelete = 0;            // 90
    int32_t SelectAfterConvert = 0;           // 91
    int32_t ConfirmCopyMove = 1;              // 92
    int32_t ConfirmMultipleDelete = 1;        // 93
    int32_t ConfirmSingleDelete = 1;          // 94
    int32_t ConfirmNonEmptyFolderDelete = 1;  // 95
    int32_t ConfirmEmptyFolderDelete = 1;     // 96
    int32_t UpperCaseExtension = 0;           // 97
    int32_t UseRecycleBin = 1;                // 98
    int32_t OverwriteExisting = 0;            // 99: 0 ask, 1 replace, 2 rename, 3 skip
    // Slide Show
    int32_t SlideDelayFlip = 1;  // 100
    int32_t SlideDelay = 3;      // 101: seconds
    int32_t SlidePosition = 0;   // 102: 0 centre, 1 upper left
    int32_t SlideImageSize = 0;  // 103: 0 best fit, 1 full size, 2 small
    int32_t SlideSequence = 0;   // 104: 0 forward, 1 backward, 2 random
    // Viewer
    int32_t ViewerEnlarge = 1;          // 105
    int32_t ViewerFullPathInTitle = 1;  // 106
    int32_t ViewerShrink = 1;           // 107
    // Misc
    int32_t SaveRecentFolders = 1;        // 108
    int32_t SaveSettings = 1;             // 109
    int32_t ShowPrintSetup = 1;           // 110
    int32_t AlwaysStartInHomeFolder = 0;  // 111
    int32_t FileSizeUnit = 0;             // 112: 0 bytes, 1 KB, 2 MB
    int32_t ImageSizeUnit = 0;            // 113: 0 pixels, 1 inches, 2 mm, 3 cm

    // File list
    int32_t ShowExtensionColumn = 1;   // 114
    int32_t ShowSizeColumn = 1;        // 115
    int32_t ShowDateColumn = 1;        // 116
    int32_t ShowAttributesColumn = 0;  // 117
    int32_t ShowTypeColumn = 0;        // 118
    int32_t SortKey = 1;               // 119: 1 name, 2 extension, 3 size, 4 date, 5 type
    int32_t ViewMode = 3;              // 120: 0 small icons, 1 large icons, 2 list, 3 details
    int32_t ShowHiddenFiles = 0;       // 121
    int32_t SortAscending = 1;         // 122
    int32_t FullRowSelect = 1;         // 123

    // Main window splitters, as fractions of the window
    float FolderTreeFraction = 0.25f;  // 124
    float PreviewFraction = 0.5f;      // 125

    int32_t DdsFlip = 0;            // 126
    int32_t DdsMipMaps = 0;         // 127
    int32_t DdsFormat = 2;          // 128: 2 DXT1, 4 DXT3, 6 DXT5
    int32_t NormalMapMethod = 1;    // 129
    float NormalMapScale = 1.0f;    // 130
    int32_t SolarizeThreshold = 128;  // 131
    std::string HomeFolder;         // 132

    // ---- Held for the session only, not in the file ----
    int32_t PrintSize = 0;                    // 0 default, 1 fit to page, 2 custom, 3 thumbnails
    int32_t BorderHorizontalOrientation = 1;  // 0 from left, 1 centered, 2 from right
    int32_t BorderVerticalOrientation = 1;    // 0 from top, 1 centered, 2 from bottom
    int32_t BorderOperation = 1;              // 0 crop by value, 1 add borders
    uint32_t BackgroundColor = 0;             // 0x00BBGGRR, shared by the fill dialogs

private:
    std::string m_Folder;
};
