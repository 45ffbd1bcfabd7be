// Intensity: the HSV value of each pixel scaled by a curve above an offset.
#include "ops/ColorKernels.h"
#include "ops/EditBmp.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The pixel with its value scaled to newValue, hue and saturation kept.
uint32_t WithValue(uint32_t pixel, int value, double newValue)
{
    const int blue = int(pixel & 0xFF), green = int((pixel >> 8) & 0xFF), red = int((pixel >> 16) & 0xFF);
    const int low = std::min({red, green, blue});
    const uint32_t alpha = pixel & kAlphaMask;
    if (value == low) {
        const uint32_t v = ClampTrunc(newValue);
        return alpha | v << 16 | v << 8 | v;
    }
    const int d = value - low;
    const double saturation = double(d) * 255 / value;
    double hue;
    if (value == red)
        hue = double(green - blue) / d;
    else if (value == green)
        hue = double(blue - red) / d + 2;
    else
        hue = double(red - green) / d + 4;
    double h = hue * 42.5;
    if (h < 0)
        h += 255;
    else if (h > 255)
        h -= 255;
    const double h6 = h * 6 / 255;
    const int sextant = int(h6);
    const double f = h6 - sextant;
    const double s = saturation / 255;
    const double p = newValue * (1 - s), q = newValue * (1 - s * f), u = newValue * (1 - s * (1 - f));
    double r, g, b;
    switch (sextant) {
    case 0: r = newValue, g = u, b = p; break;
    case 1: r = q, g = newValue, b = p; break;
    case 2: r = p, g = newValue, b = u; break;
    case 3: r = p, g = q, b = newValue; break;
    case 4: r = u, g = p, b = newValue; break;
    default: r = newValue, g = p, b = q; break;
    }
    return alpha | uint32_t(ClampTrunc(r)) << 16 | uint32_t(ClampTrunc(g)) << 8 | ClampTrunc(b);
}

} // namespace

void CEditBmp::intensity(double intensity, int offset, double exponent)
{
    // The new value depends on the old value alone: one factor per level.
    const double k = (intensity - 20) * 0.25 / std::pow(255.0, exponent);
    std::array<double, 256> newValue{};
    std::array<bool, 256> changes{};
    for (int v = 0; v < 256; ++v) {
        const double factor = v > offset ? 1 + k * std::pow(double(v - offset), exponent) : 1;
        newValue[v] = v * factor;
        // A factor of 1 keeps the pixel exactly; the way through hue and
        // saturation could lose a level to rounding.
        changes[v] = factor != 1;
    }
    MapPixels(image(), prepareResult(image().Width, image().Height), [&](uint32_t p) {
        const int value = int(std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}));
        return changes[value] ? WithValue(p, value, newValue[value]) : p;
    });
    commit();
}
