// The colour adjustments that treat each channel or each pixel alone.
#include "ops/ColorKernels.h"
#include "ops/ColorRange.h"
#include "ops/EditBmp.h"

#include <algorithm>
#include <cmath>
#include <cstring>

ChannelTable BrightnessTable(double x)
{
    ChannelTable table{};
    for (int c = 0; c < 256; ++c)
        table[c] = uint8_t(x >= 0 ? c + int(x * (255 - c)) : int((1 + x) * c));
    return table;
}

ChannelTable GammaTable(double g)
{
    ChannelTable table{};
    // g = 0 would divide by zero: everything black instead.
    if (g == 0)
        return table;
    const double exponent = 1 / g;
    for (int i = 1; i < 256; ++i)
        table[i] = ClampTrunc(255 * std::pow(i / 255.0, exponent) + 0.5);
    return table;
}

int CEditBmp::gamma(double g)
{
    if (!(g >= 0 && g <= 2))
        return -1;
    const ChannelTable table = GammaTable(g);
    MapChannels(image(), prepareResult(image().Width, image().Height), table);
    commit();
    return 0;
}

int CEditBmp::brightness(int v)
{
    if (v < -100 || v > 100)
        return -1;
    const ChannelTable table = BrightnessTable(v * 0.01);
    MapChannels(image(), prepareResult(image().Width, image().Height), table);
    commit();
    return 0;
}

void CEditBmp::colourBalance(int red, int green, int blue)
{
    const ChannelTable r = BrightnessTable(std::clamp(red, -100, 100) * 0.01);
    const ChannelTable g = BrightnessTable(std::clamp(green, -100, 100) * 0.01);
    const ChannelTable b = BrightnessTable(std::clamp(blue, -100, 100) * 0.01);
    MapChannels(image(), prepareResult(image().Width, image().Height), r, g, b);
    commit();
}

int CEditBmp::contrast(int v)
{
    if (v < -100 || v > 100)
        return -1;
    CWinBmp& target = prepareResult(image().Width, image().Height);
    const CWinBmp& source = image();
    const ColorMeanRange range =
        DistinctMeanRange(source, std::min(int64_t(source.Width) * source.Height, kContrastColorLimit));
    if (range.TooManyColors)
        return -2;
    if (range.Low == range.High) {
        // One mean intensity gives no range to stretch: the pixels stay, and
        // it is still an operation that Undo takes back.
        MapPixels(source, target, [](uint32_t p) { return p; });
        commit();
        return 0;
    }
    // The percentage as a single-precision constant, the target range in
    // extended precision: 100 gives 253, not 254.
    const float percent = 0.01f;
    int h = 0;
    if (v < 0)
        h = std::max(1, int(127 - (long double)(-v) * percent * 127));
    else
        h = std::min(255, int((long double)v * percent * 127 + 127));
    const float scale = float(h) / float(range.High - range.Low);
    const int offset = int((255 - h) / 2 - range.Low * double(scale));
    ChannelTable table{};
    for (int c = 0; c < 256; ++c)
        table[c] = ClampTrunc(offset + c * double(scale));
    MapChannels(source, target, table);
    commit();
    return 0;
}

void CEditBmp::invert()
{
    MapPixels(image(), prepareResult(image().Width, image().Height), [](uint32_t p) { return p ^ 0x00FFFFFFu; });
    commit();
}

void CEditBmp::grayShades()
{
    MapPixels(image(), prepareResult(image().Width, image().Height), [](uint32_t p) {
        const uint32_t y = uint32_t(LumaOf(p));
        return (p & kAlphaMask) | y << 16 | y << 8 | y;
    });
    commit();
}

void CEditBmp::swapRedBlue()
{
    MapPixels(image(), prepareResult(image().Width, image().Height),
              [](uint32_t p) { return (p & 0xFF00FF00u) | (p & 0xFF) << 16 | ((p >> 16) & 0xFF); });
    commit();
}

void CEditBmp::threshold(int level)
{
    MapPixels(image(), prepareResult(image().Width, image().Height),
              [level](uint32_t p) { return (p & kAlphaMask) | (LumaOf(p) >= level ? 0x00FFFFFFu : 0u); });
    commit();
}

void CEditBmp::solarize(int threshold)
{
    ChannelTable table{};
    for (int c = 0; c < 256; ++c)
        table[c] = uint8_t(c > threshold ? 255 - c : c);
    MapChannels(image(), prepareResult(image().Width, image().Height), table);
    commit();
}
