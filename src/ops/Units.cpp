#include "ops/Units.h"

#include "base/TextException.h"

#include <algorithm>
#include <cmath>

const char* const kTextCannotCrop = "Can't crop image.";

namespace {

// Pixels per unit as the dialogs have always converted: a screen of 96 pixels
// per inch, with the rounding of the factors kept.
constexpr double kInchesPerPixel = 0.01041667;
constexpr double kPixelsPerInch = 95.99996928;
constexpr double kMillimetresPerPixel = 0.2645836;
constexpr double kPixelsPerMillimetre = 3.7795237;
constexpr double kCentimetresPerPixel = 0.02645836;

} // namespace

const char* UnitName(int unit)
{
    switch (unit) {
    case UnitInches:
        return "inches";
    case UnitMillimetres:
        return "mm";
    case UnitCentimetres:
        return "cm";
    default:
        return "pixels";
    }
}

int UnitDecimals(int unit)
{
    return unit == UnitInches || unit == UnitMillimetres || unit == UnitCentimetres ? 4 : 0;
}

double PixelsToUnit(double pixels, int unit)
{
    switch (unit) {
    case UnitInches:
        return pixels * kInchesPerPixel;
    case UnitMillimetres:
        return pixels * kMillimetresPerPixel;
    case UnitCentimetres:
        return pixels * kMillimetresPerPixel * 0.1;
    default:
        return pixels;
    }
}

int64_t UnitToPixels(double value, int unit)
{
    double pixels = value;
    switch (unit) {
    case UnitInches:
        pixels = value * kPixelsPerInch;
        break;
    case UnitMillimetres:
        pixels = value * kPixelsPerMillimetre;
        break;
    case UnitCentimetres:
        pixels = value / kCentimetresPerPixel;
        break;
    default:
        break;
    }
    if (std::isnan(pixels))
        return 0;
    constexpr double kLimit = 1e15;
    return std::llround(std::clamp(pixels, -kLimit, kLimit));
}

double ProportionalHeight(double newWidth, int width, int height)
{
    return width > 0 ? newWidth * (double(height) / double(width)) : newWidth;
}

double ProportionalWidth(double newHeight, int width, int height)
{
    return height > 0 ? newHeight / (double(height) / double(width)) : newHeight;
}

int BorderAnchor(int horizontal, int vertical)
{
    static const int kAnchors[9] = {8, 7, 6, 5, 0, 4, 3, 2, 1};
    const int h = std::clamp(horizontal, 0, 2), v = std::clamp(vertical, 0, 2);
    return kAnchors[h + 3 * v];
}

CanvasChange BordersOrCrop(int width, int height, double horizontal, double vertical, int horizontalOrientation,
                           int verticalOrientation, bool addBorders, int unit)
{
    const double sign = addBorders ? 1.0 : -1.0;
    const double newWidth = PixelsToUnit(width, unit) + sign * horizontal;
    const double newHeight = PixelsToUnit(height, unit) + sign * vertical;
    if (!addBorders && (newWidth < 0 || newHeight < 0))
        throw CTextException(ErrFormat, kTextCannotCrop);
    CanvasChange change;
    change.Width = UnitToPixels(newWidth, unit);
    change.Height = UnitToPixels(newHeight, unit);
    change.Anchor = BorderAnchor(horizontalOrientation, verticalOrientation);
    return change;
}

int RotationAngle(int angle, int direction)
{
    return direction == 1 ? 360 - angle : angle;
}
