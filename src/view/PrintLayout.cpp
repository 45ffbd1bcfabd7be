#include "view/PrintLayout.h"

#include "base/FileName.h"
#include "browser/NumberFormat.h"
#include "browser/StatusTexts.h"
#include "settings/Settings.h"
#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Room for rounding in the divisions of page lengths, far below any length
// that could be drawn.
constexpr double kSlack = 1e-6;

int Within(int value, int low, int high, int fallback)
{
    return value >= low && value <= high ? value : fallback;
}

// A margin is taken only when at least an inch of the page remains.
int TakeMargin(int margin, double& length)
{
    if (margin > 0 && length - margin >= kPrintUnitsPerInch) {
        length -= margin;
        return margin;
    }
    return 0;
}

const char* LengthSuffix(int unit)
{
    switch (unit) {
    case kLengthInches:
        return " inches";
    case kLengthMillimetres:
        return " mm";
    case kLengthCentimetres:
        return " cm";
    default:
        return "";
    }
}

// An image's pixels in the length unit, by the same factors as the status bar.
double PixelsInUnit(int pixels, int unit)
{
    switch (unit) {
    case kLengthInches:
        return pixels * 0.01041667;
    case kLengthMillimetres:
        return pixels * 0.2645836;
    case kLengthCentimetres:
        return pixels * 0.2645836 * 0.1;
    default:
        return pixels;
    }
}

} // namespace

PrintSetup ReadPrintSetup(const CSettings& s)
{
    const PrintSetup d;
    PrintSetup p;
    p.VerticalPosition = Within(s.PrintVerticalPosition, 0, 2, d.VerticalPosition);
    p.HorizontalPosition = Within(s.PrintHorizontalPosition, 0, 2, d.HorizontalPosition);
    p.CaptionPath = s.PrintCaptionPath != 0;
    p.CaptionName = s.PrintCaptionName != 0;
    p.CaptionDimensions = s.PrintCaptionDimensions != 0;
    p.CaptionFileSize = s.PrintCaptionFileSize != 0;
    p.Alignment = Within(s.PrintCaptionAlignment, 0, 2, d.Alignment);
    p.CaptionAt = Within(s.PrintCaptionPosition, 0, 1, d.CaptionAt);
    p.MarginLeft = Within(s.PrintMarginLeft, 0, kMaxPrintLength, d.MarginLeft);
    p.MarginRight = Within(s.PrintMarginRight, 0, kMaxPrintLength, d.MarginRight);
    p.MarginTop = Within(s.PrintMarginTop, 0, kMaxPrintLength, d.MarginTop);
    p.MarginBottom = Within(s.PrintMarginBottom, 0, kMaxPrintLength, d.MarginBottom);
    // A custom size is both sides or none.
    if (s.PrintCustomWidth >= 1 && s.PrintCustomWidth <= kMaxPrintLength && s.PrintCustomHeight >= 1 &&
        s.PrintCustomHeight <= kMaxPrintLength) {
        p.CustomWidth = s.PrintCustomWidth;
        p.CustomHeight = s.PrintCustomHeight;
    }
    p.ThumbnailWidth = Within(s.PrintThumbnailWidth, 1, kMaxPrintLength, d.ThumbnailWidth);
    p.ThumbnailHeight = Within(s.PrintThumbnailHeight, 1, kMaxPrintLength, d.ThumbnailHeight);
    p.ThumbnailSource = Within(s.PrintThumbnailSource, 0, 1, d.ThumbnailSource);
    p.Size = Within(s.PrintSize, 0, 3, d.Size);
    p.LengthUnit = Within(s.ImageSizeUnit, 0, 3, d.LengthUnit);
    p.SizeUnit = Within(s.FileSizeUnit, 0, 2, d.SizeUnit);
    return p;
}

void StorePrintSetup(const PrintSetup& p, CSettings& s)
{
    s.PrintVerticalPosition = p.VerticalPosition;
    s.PrintHorizontalPosition = p.HorizontalPosition;
    s.PrintCaptionPath = p.CaptionPath ? 1 : 0;
    s.PrintCaptionName = p.CaptionName ? 1 : 0;
    s.PrintCaptionDimensions = p.CaptionDimensions ? 1 : 0;
    s.PrintCaptionFileSize = p.CaptionFileSize ? 1 : 0;
    s.PrintCaptionAlignment = p.Alignment;
    s.PrintCaptionPosition = p.CaptionAt;
    s.PrintMarginLeft = p.MarginLeft;
    s.PrintMarginRight = p.MarginRight;
    s.PrintMarginTop = p.MarginTop;
    s.PrintMarginBottom = p.MarginBottom;
    s.PrintCustomWidth = p.CustomWidth;
    s.PrintCustomHeight = p.CustomHeight;
    s.PrintThumbnailWidth = p.ThumbnailWidth;
    s.PrintThumbnailHeight = p.ThumbnailHeight;
    s.PrintThumbnailSource = p.ThumbnailSource;
    s.PrintSize = p.Size;
}

int64_t LengthToPrintUnits(double value, int unit)
{
    double units = value;
    switch (unit) {
    case kLengthInches:
        units = value * kPrintUnitsPerInch;
        break;
    case kLengthMillimetres:
        units = value * kPrintUnitsPerInch / 25.4;
        break;
    case kLengthCentimetres:
        units = value * kPrintUnitsPerInch * 10 / 25.4;
        break;
    default:
        break;
    }
    if (!std::isfinite(units))
        return units > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    constexpr double kLimit = 1e15;
    return std::llround(std::clamp(units, -kLimit, kLimit));
}

double PrintUnitsToLength(int64_t units, int unit)
{
    const double v = static_cast<double>(units);
    switch (unit) {
    case kLengthInches:
        return v / kPrintUnitsPerInch;
    case kLengthMillimetres:
        return v * 25.4 / kPrintUnitsPerInch;
    case kLengthCentimetres:
        return v * 2.54 / kPrintUnitsPerInch;
    default:
        return v;
    }
}

std::string PrintLengthText(int64_t units, int unit)
{
    return FormatNumber(PrintUnitsToLength(units, unit), 4);
}

double PlaceAlong(double start, double end, double length, int position)
{
    switch (position) {
    case 0:
        return start;
    case 2:
        return end - length;
    default:
        return start + (end - start - length) / 2;
    }
}

double AlignText(double textWidth, const PrintRect& line, int alignment)
{
    if (textWidth > line.Width())
        return line.Left;
    switch (alignment) {
    case kCaptionLeft:
        return line.Left;
    case kCaptionRight:
        return line.Right - textWidth;
    default:
        return line.Left + (line.Width() - textWidth) / 2;
    }
}

PrintRect FitPicture(const PrintRect& box, int imageWidth, int imageHeight)
{
    int w = 0, h = 0;
    const double boxWidth = std::max(0.0, std::floor(box.Width() + kSlack));
    const double boxHeight = std::max(0.0, std::floor(box.Height() + kSlack));
    FitSize(imageWidth, imageHeight, static_cast<int>(std::min(boxWidth, 1e9)),
            static_cast<int>(std::min(boxHeight, 1e9)), w, h);
    PrintRect r;
    r.Left = PlaceAlong(box.Left, box.Right, w, 1);
    r.Top = PlaceAlong(box.Top, box.Bottom, h, 1);
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
    return r;
}

bool IsThumbnailJob(const PrintSetup& setup)
{
    return setup.Size == kPrintSizeThumbnails;
}

std::vector<PrintFile> PrintFiles(int mode, const PrintSetup& setup, const PrintCandidates& from)
{
    if (mode == kPrintIndex || IsThumbnailJob(setup))
        return setup.ThumbnailSource == 1 ? from.Selected : from.Listed;
    if (mode == kPrintSelected)
        return from.Selected;
    return {from.Current};
}

std::string PrintDimensionsText(int width, int height, int unit)
{
    return FormatNumber(PixelsInUnit(width, unit), 2) + "x" + FormatNumber(PixelsInUnit(height, unit), 2) +
           LengthSuffix(unit);
}

std::string PrintCaptionText(const PrintSetup& setup, const PrintFile& file, int width, int height)
{
    std::vector<std::string> parts;
    if (!file.Path.empty()) {
        const std::string folder = FolderPart(file.Path), name = FileNamePart(file.Path);
        if (setup.CaptionPath && setup.CaptionName)
            parts.push_back(JoinPath(folder, name));
        else if (setup.CaptionPath)
            parts.push_back(folder);
        else if (setup.CaptionName)
            parts.push_back(name);
    }
    if (setup.CaptionDimensions)
        parts.push_back(PrintDimensionsText(width, height, setup.LengthUnit));
    if (setup.CaptionFileSize && !file.Path.empty())
        parts.push_back(FileSizeText(file.Size, setup.SizeUnit));
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

CPrintLayout::CPrintLayout(const PrintSetup& setup, bool thumbnails, size_t imageCount, double pageWidth,
                           double pageHeight, double lineHeight)
    : m_Setup(setup), m_Thumbnails(thumbnails), m_ImageCount(imageCount), m_LineHeight(std::max(lineHeight, 0.0))
{
    double width = std::max(pageWidth, 0.0), height = std::max(pageHeight, 0.0);
    m_Margins[0] = TakeMargin(setup.MarginLeft, width);
    m_Margins[2] = TakeMargin(setup.MarginRight, width);
    m_Margins[1] = TakeMargin(setup.MarginTop, height);
    m_Margins[3] = TakeMargin(setup.MarginBottom, height);
    m_Printable = {double(m_Margins[0]), double(m_Margins[1]), m_Margins[0] + width, m_Margins[1] + height};

    if (!thumbnails) {
        const bool caption = setup.CaptionPath || setup.CaptionName || setup.CaptionDimensions || setup.CaptionFileSize;
        m_CaptionHeight = caption ? m_LineHeight : 0;
        m_PageCount = static_cast<int>(std::min<size_t>(imageCount, std::numeric_limits<int>::max()));
        return;
    }
    m_CaptionHeight = ((setup.CaptionName ? 1 : 0) + (setup.CaptionDimensions ? 1 : 0)) * m_LineHeight;
    m_CellWidth = setup.ThumbnailWidth + 2.0 * kThumbnailBorder;
    m_CellHeight = m_CaptionHeight + setup.ThumbnailHeight + 2.0 * kThumbnailBorder;
    m_Columns = static_cast<int>(std::clamp(std::floor(width / m_CellWidth + kSlack), 1.0, 1e6));
    m_Rows = static_cast<int>(std::clamp(std::floor(height / m_CellHeight + kSlack), 1.0, 1e6));
    const size_t perPage = size_t(m_Columns) * size_t(m_Rows);
    m_PageCount = static_cast<int>(std::min<size_t>((imageCount + perPage - 1) / perPage,
                                                    std::numeric_limits<int>::max()));
    const double blockWidth = m_Columns * m_CellWidth, blockHeight = m_Rows * m_CellHeight;
    m_Block.Left = PlaceAlong(m_Printable.Left, m_Printable.Right, blockWidth, setup.HorizontalPosition);
    m_Block.Top = PlaceAlong(m_Printable.Top, m_Printable.Bottom, blockHeight, setup.VerticalPosition);
    m_Block.Right = m_Block.Left + blockWidth;
    m_Block.Bottom = m_Block.Top + blockHeight;
}

PlacedImage CPrintLayout::PlaceImage(int imageWidth, int imageHeight) const
{
    PlacedImage placed;
    PrintRect area = m_Printable;
    placed.Caption = area;
    if (m_Setup.CaptionAt == kCaptionBottom) {
        placed.Caption.Top = area.Bottom - m_CaptionHeight;
        area.Bottom = placed.Caption.Top;
    } else {
        placed.Caption.Bottom = area.Top + m_CaptionHeight;
        area.Top = placed.Caption.Bottom;
    }

    double w = imageWidth, h = imageHeight;
    if (m_Setup.Size == kPrintSizeFit) {
        const PrintRect fitted = FitPicture(area, imageWidth, imageHeight);
        w = fitted.Width();
        h = fitted.Height();
    } else if (m_Setup.Size == kPrintSizeCustom && m_Setup.CustomWidth > 0 && m_Setup.CustomHeight > 0) {
        w = m_Setup.CustomWidth;
        h = m_Setup.CustomHeight;
    }
    placed.LargerThanPaper = w > area.Width() + kSlack || h > area.Height() + kSlack;
    placed.Image.Left = PlaceAlong(area.Left, area.Right, w, m_Setup.HorizontalPosition);
    placed.Image.Top = PlaceAlong(area.Top, area.Bottom, h, m_Setup.VerticalPosition);
    placed.Image.Right = placed.Image.Left + w;
    placed.Image.Bottom = placed.Image.Top + h;
    return placed;
}

size_t CPrintLayout::FirstImage(int page) const
{
    if (page < 0)
        return m_ImageCount;
    const size_t perPage = m_Thumbnails ? size_t(m_Columns) * size_t(m_Rows) : 1;
    return std::min(size_t(page) * perPage, m_ImageCount);
}

size_t CPrintLayout::ImagesOnPage(int page) const
{
    const size_t perPage = m_Thumbnails ? size_t(m_Columns) * size_t(m_Rows) : 1;
    return std::min(perPage, m_ImageCount - FirstImage(page));
}

ThumbnailCell CPrintLayout::Cell(size_t index) const
{
    ThumbnailCell c;
    const size_t column = index % size_t(m_Columns), row = index / size_t(m_Columns);
    c.Cell.Left = m_Block.Left + double(column) * m_CellWidth;
    c.Cell.Top = m_Block.Top + double(row) * m_CellHeight;
    c.Cell.Right = c.Cell.Left + m_CellWidth;
    c.Cell.Bottom = c.Cell.Top + m_CellHeight;

    // The captions above or below the picture area, one line each.
    const bool top = m_Setup.CaptionAt != kCaptionBottom;
    double y = top ? c.Cell.Top : c.Cell.Bottom - m_CaptionHeight;
    const double pictureTop = top ? c.Cell.Top + m_CaptionHeight : c.Cell.Top;
    auto line = [&](bool on) {
        PrintRect r{c.Cell.Left + kThumbnailBorder, y, c.Cell.Right - kThumbnailBorder, y};
        if (on) {
            r.Bottom = y + m_LineHeight;
            y = r.Bottom;
        }
        return r;
    };
    c.NameLine = line(m_Setup.CaptionName);
    c.DimensionsLine = line(m_Setup.CaptionDimensions);
    c.PictureBox.Left = c.Cell.Left + kThumbnailBorder;
    c.PictureBox.Top = pictureTop + kThumbnailBorder;
    c.PictureBox.Right = c.PictureBox.Left + m_Setup.ThumbnailWidth;
    c.PictureBox.Bottom = c.PictureBox.Top + m_Setup.ThumbnailHeight;
    return c;
}
