// The page arithmetic of printing: print units (0.01 inch), the print setup
// read from the settings, margins, page count, the thumbnail grid, where an
// image and its caption go, the caption texts and the files a job prints.
// Plain arithmetic; the printer glue (view/PrintPainter.h) draws by it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSettings;

// Page coordinates are print units, 0.01 inch, from the top left corner of
// the paper's printable area, y growing downwards.
constexpr int kPrintUnitsPerInch = 100;
// The longest margin or size the setup takes, in print units (1000 inches).
constexpr int kMaxPrintLength = 100000;
// Room around each thumbnail picture inside its cell, in print units.
constexpr int kThumbnailBorder = 5;

enum PrintSizeChoice { kPrintSizeDefault = 0, kPrintSizeFit = 1, kPrintSizeCustom = 2, kPrintSizeThumbnails = 3 };
// What a print command prints: the current image, each selected image on a
// page of its own, or a thumbnail index.
enum PrintMode { kPrintCurrent = 0, kPrintSelected = 1, kPrintIndex = 2 };
enum CaptionAlignment { kCaptionCentre = 0, kCaptionLeft = 1, kCaptionRight = 2 };
enum CaptionPosition { kCaptionTop = 0, kCaptionBottom = 1 };

// "Print Setup" as a job uses it. Lengths in print units.
struct PrintSetup {
    int VerticalPosition = 1;    // 0 top, 1 centre, 2 bottom
    int HorizontalPosition = 1;  // 0 left, 1 centre, 2 right
    bool CaptionPath = false;
    bool CaptionName = true;
    bool CaptionDimensions = true;
    bool CaptionFileSize = false;
    int Alignment = kCaptionCentre;
    int CaptionAt = kCaptionTop;
    int MarginLeft = 0, MarginRight = 0, MarginTop = 0, MarginBottom = 0;
    int CustomWidth = 0, CustomHeight = 0;  // 0 x 0: none chosen, the image's own size
    int ThumbnailWidth = 100, ThumbnailHeight = 100;
    int ThumbnailSource = 1;  // 0 all images in directory, 1 selected images only
    int Size = kPrintSizeDefault;
    int LengthUnit = 0;  // of the captions and the dialog: 0 pixels, 1 inches, 2 mm, 3 cm
    int SizeUnit = 0;    // of the file size caption: 0 bytes, 1 KB, 2 MB
};

// The setup kept in the settings; a value outside its limits (a file written
// elsewhere or damaged) reads as its default.
PrintSetup ReadPrintSetup(const CSettings& settings);
// Writes the setup back; the units belong to the options and stay.
void StorePrintSetup(const PrintSetup& setup, CSettings& settings);

// Lengths as typed in the unit of the options. A pixel is a print unit (an
// image at Default size prints at 100 pixels to the inch); inches,
// millimetres and centimetres convert exactly, rounded to the nearest unit.
int64_t LengthToPrintUnits(double value, int unit);
double PrintUnitsToLength(int64_t units, int unit);
// With 4 decimals, written only when one is not zero ("3", "2.5400").
std::string PrintLengthText(int64_t units, int unit);

struct PrintRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    double Width() const { return Right - Left; }
    double Height() const { return Bottom - Top; }
    bool operator==(const PrintRect&) const = default;
};

// A start of length along [start, end]: 0 at the start, 1 centred, 2 at the end.
double PlaceAlong(double start, double end, double length, int position);
// The left edge of a text in a line: aligned as asked, or at the line's left
// when it is wider than the line.
double AlignText(double textWidth, const PrintRect& line, int alignment);
// The image fitted into the box (the view's fit rule) and centred in it.
PrintRect FitPicture(const PrintRect& box, int imageWidth, int imageHeight);

struct PrintFile {
    std::string Path;  // empty for an image that has no file (pasted)
    uint64_t Size = 0;
};

// What the window offers a job to choose from.
struct PrintCandidates {
    PrintFile Current;
    std::vector<PrintFile> Selected;
    std::vector<PrintFile> Listed;
};

// A thumbnail job: the size is "Thumbnails".
bool IsThumbnailJob(const PrintSetup& setup);
// The files of a job: the current image for mode 0, every selected file for
// mode 1, and for the thumbnail index (mode 2 or size Thumbnails) the
// selected files or every listed one as the thumbnail source says. Preview
// asks with the same mode, so it shows the pages the print will have.
std::vector<PrintFile> PrintFiles(int mode, const PrintSetup& setup, const PrintCandidates& from);

// "300x200", "3.13x2.08 inches": the dimensions in the length unit.
std::string PrintDimensionsText(int width, int height, int unit);
// The caption line of a page: folder, name, dimensions and file size as
// switched on, joined by ", ".
std::string PrintCaptionText(const PrintSetup& setup, const PrintFile& file, int width, int height);

// Where one image of a page goes.
struct PlacedImage {
    PrintRect Caption;  // zero height without a caption
    PrintRect Image;
    bool LargerThanPaper = false;  // does not fit the printable area
};

struct ThumbnailCell {
    PrintRect Cell;
    PrintRect NameLine;        // zero height when the name is off
    PrintRect DimensionsLine;  // zero height when the dimensions are off
    PrintRect PictureBox;      // thumbnail width x height: the picture is fitted into it
};

class CPrintLayout {
public:
    // The paper's printable area is pageWidth x pageHeight print units; a
    // caption line is lineHeight print units high. Margins that leave less
    // than an inch are dropped for this layout only.
    CPrintLayout(const PrintSetup& setup, bool thumbnails, size_t imageCount, double pageWidth, double pageHeight,
                 double lineHeight);

    const PrintSetup& Setup() const { return m_Setup; }
    bool Thumbnails() const { return m_Thumbnails; }
    // The area inside the margins taken.
    const PrintRect& Printable() const { return m_Printable; }
    // Margins taken: left, top, right, bottom.
    const std::array<int, 4>& Margins() const { return m_Margins; }
    double CaptionHeight() const { return m_CaptionHeight; }
    int PageCount() const { return m_PageCount; }

    // A page with one image (mode 0 or 1) of this pixel size.
    PlacedImage PlaceImage(int imageWidth, int imageHeight) const;

    // Thumbnail pages.
    int Columns() const { return m_Columns; }
    int Rows() const { return m_Rows; }
    const PrintRect& Block() const { return m_Block; }
    // Images of page (from 0): the first one's index in the job and how many.
    size_t FirstImage(int page) const;
    size_t ImagesOnPage(int page) const;
    // The cell of the index-th image of a page, row by row.
    ThumbnailCell Cell(size_t index) const;

private:
    PrintSetup m_Setup;
    bool m_Thumbnails;
    size_t m_ImageCount;
    double m_LineHeight;
    PrintRect m_Printable;
    std::array<int, 4> m_Margins{};
    double m_CaptionHeight = 0;
    int m_PageCount = 0;
    int m_Columns = 1, m_Rows = 1;
    double m_CellWidth = 0, m_CellHeight = 0;
    PrintRect m_Block;
};
