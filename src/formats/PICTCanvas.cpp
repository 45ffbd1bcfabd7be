#include "formats/PICTCanvas.h"

#include "formats/ImageDecoder.h"

#include <algorithm>
#include <cmath>

namespace {

// A canvas may be this many times larger than all band pixels together, plus
// a fixed allowance, before a frame is taken to lie about the picture's size.
constexpr uint64_t kCanvasPerBandPixel = 16;
constexpr uint64_t kCanvasAllowance = uint64_t(16) << 20;

int64_t ToCanvas(int value, int origin, double scale)
{
    return std::llround((double(value) - origin) * scale);
}

// For each canvas position in [from, to): the band pixel it shows, or -1.
std::vector<int> MapAxis(int64_t from, int64_t to, int64_t canvasSize, int64_t sourceStart, int64_t sourceSize,
                         int64_t bandSize)
{
    const int64_t first = std::max<int64_t>(from, 0);
    const int64_t last = std::min<int64_t>(to, canvasSize);
    std::vector<int> map;
    if (last <= first)
        return map;
    map.reserve(size_t(last - first));
    const int64_t span = to - from;
    for (int64_t c = first; c < last; ++c) {
        const int64_t s = sourceStart + (c - from) * sourceSize / span;
        map.push_back(s >= 0 && s < bandSize ? int(s) : -1);
    }
    return map;
}

} // namespace

bool PictBandIsWholePicture(const PictRect& frame, const PictPlacement& band)
{
    return frame.IsEmpty() || (band.Destination == frame && band.Source == band.Bounds);
}

PictCanvasLayout PlanPictCanvas(const PictRect& frame, const std::vector<PictPlacement>& bands)
{
    uint64_t bandPixels = 0;
    PictRect covered;
    for (const PictPlacement& b : bands) {
        bandPixels += uint64_t(std::max<int64_t>(b.Bounds.Width(), 0)) * uint64_t(std::max<int64_t>(b.Bounds.Height(), 0));
        if (b.Destination.IsEmpty())
            continue;
        if (covered.IsEmpty()) {
            covered = b.Destination;
        } else {
            covered.Top = std::min(covered.Top, b.Destination.Top);
            covered.Left = std::min(covered.Left, b.Destination.Left);
            covered.Bottom = std::max(covered.Bottom, b.Destination.Bottom);
            covered.Right = std::max(covered.Right, b.Destination.Right);
        }
    }
    const uint64_t limit = kCanvasPerBandPixel * bandPixels + kCanvasAllowance;

    double scaleX = 1.0;
    double scaleY = 1.0;
    if (!bands.empty()) {
        const PictPlacement& first = bands.front();
        if (!first.Source.IsEmpty() && !first.Destination.IsEmpty()) {
            scaleX = std::max(1.0, double(first.Source.Width()) / double(first.Destination.Width()));
            scaleY = std::max(1.0, double(first.Source.Height()) / double(first.Destination.Height()));
        }
    }
    struct Choice {
        PictRect Area;
        double ScaleX, ScaleY;
    };
    for (const Choice& c : {Choice{frame, scaleX, scaleY}, Choice{frame, 1.0, 1.0}, Choice{covered, 1.0, 1.0}}) {
        if (c.Area.IsEmpty())
            continue;
        const double width = std::round(double(c.Area.Width()) * c.ScaleX);
        const double height = std::round(double(c.Area.Height()) * c.ScaleY);
        if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX || width * height > double(limit))
            continue;
        return PictCanvasLayout{int(width), int(height), c.Area.Left, c.Area.Top, c.ScaleX, c.ScaleY};
    }
    RaiseDecoderError(ErrFormat, "Illegal image size.");
}

uint64_t PictDrawBudget(const PictCanvasLayout& layout)
{
    return kCanvasPerBandPixel * uint64_t(layout.Width) * uint64_t(layout.Height) + kCanvasAllowance;
}

uint64_t DrawPictBand(CBmp& canvas, const PictCanvasLayout& layout, const CBmp& band, const PictPlacement& place,
                      uint64_t budget)
{
    const PictRect& src = place.Source;
    const PictRect& dst = place.Destination;
    if (src.IsEmpty() || dst.IsEmpty())
        return 0;
    const int64_t left = ToCanvas(dst.Left, layout.OriginLeft, layout.ScaleX);
    const int64_t right = ToCanvas(dst.Right, layout.OriginLeft, layout.ScaleX);
    const int64_t top = ToCanvas(dst.Top, layout.OriginTop, layout.ScaleY);
    const int64_t bottom = ToCanvas(dst.Bottom, layout.OriginTop, layout.ScaleY);
    if (right <= left || bottom <= top)
        return 0;
    const int64_t clippedWidth = std::min<int64_t>(right, canvas.Width) - std::max<int64_t>(left, 0);
    const int64_t clippedHeight = std::min<int64_t>(bottom, canvas.Height) - std::max<int64_t>(top, 0);
    if (clippedWidth <= 0 || clippedHeight <= 0)
        return 0;
    const uint64_t cost = uint64_t(clippedWidth) * uint64_t(clippedHeight);
    if (cost > budget)
        return 0;
    const std::vector<int> columns = MapAxis(left, right, canvas.Width, int64_t(src.Left) - place.Bounds.Left,
                                             src.Width(), band.Width);
    const std::vector<int> rows = MapAxis(top, bottom, canvas.Height, int64_t(src.Top) - place.Bounds.Top,
                                          src.Height(), band.Height);
    if (columns.empty() || rows.empty())
        return 0;
    const int64_t firstColumn = std::max<int64_t>(left, 0);
    const int64_t firstRow = std::max<int64_t>(top, 0);
    uint32_t colours[256];
    if (band.BitsPerPixel == 8)
        for (int i = 0; i < 256; ++i)
            colours[i] = PackPixel(band.Palette[i]);
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r] < 0)
            continue;
        uint32_t* out = canvas.Row32(int(firstRow + int64_t(r))) + firstColumn;
        if (band.BitsPerPixel == 8) {
            const uint8_t* in = band.Lines[rows[r]];
            for (size_t c = 0; c < columns.size(); ++c)
                if (columns[c] >= 0)
                    out[c] = colours[in[columns[c]]];
        } else {
            const uint32_t* in = band.Row32(rows[r]);
            for (size_t c = 0; c < columns.size(); ++c)
                if (columns[c] >= 0)
                    out[c] = in[columns[c]];
        }
    }
    return cost;
}
