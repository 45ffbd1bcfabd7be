// The normal map filter.
#include "ops/EditBmp.h"
#include "ops/FilterNormalMap.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"

#include <algorithm>
#include <cmath>

const char* const kNormalMapMethodNames[NormalMapMethodCount] = {
    "GrayScale", "Average", "Alpha", "Red", "Blue", "Green", "Max (R,G,B)", "Lightness", "ColorSpace"};

namespace {

// c / 255 for every byte, exactly as the division gives it.
struct UnitTable {
    double Values[256];
    UnitTable()
    {
        for (int i = 0; i < 256; ++i)
            Values[i] = double(i) / 255;
    }
};
const UnitTable kUnit;

template <int Method>
double Height(uint32_t pixel)
{
    const double* u = kUnit.Values;
    const double b = u[pixel & 0xFF], g = u[(pixel >> 8) & 0xFF], r = u[(pixel >> 16) & 0xFF], a = u[pixel >> 24];
    if constexpr (Method == NormalMapGrayScale)
        return 0.3 * r + 0.59 * g + 0.11 * b;
    else if constexpr (Method == NormalMapAverage)
        return (r + g + b) * (1.0 / 3);
    else if constexpr (Method == NormalMapAlpha)
        return a;
    else if constexpr (Method == NormalMapRed)
        return r;
    else if constexpr (Method == NormalMapBlue)
        return b;
    else if constexpr (Method == NormalMapGreen)
        return g;
    else if constexpr (Method == NormalMapMax)
        return std::max({r, g, b});
    else if constexpr (Method == NormalMapLightness)
        return (std::max({r, g, b}) + std::min({r, g, b})) / 2;
    else
        return 1 - (1 - r) * (1 - g) * (1 - b);
}

// trunc(v × 127 + 128) of a normal's component (-1..1): 1..255.
inline uint32_t Component(double v)
{
    return uint32_t(static_cast<int>(v * 127 + 128));
}

// Output pixels per run; the heights of a run live on the stack.
constexpr int kRun = 256;

template <int Method>
void MapRows(const CBmp& source, CBmp& target, double scale, int64_t y0, int64_t y1)
{
    const int width = source.Width, height = source.Height;
    double here[kRun + 1], below[kRun];
    for (int64_t y = y0; y < y1; ++y) {
        const uint32_t* row = source.Row32(int(y));
        const uint32_t* next = source.Row32(y + 1 < height ? int(y + 1) : 0);
        uint32_t* out = target.Row32(int(y));
        for (int x0 = 0; x0 < width; x0 += kRun) {
            const int count = std::min(kRun, width - x0);
            for (int i = 0; i < count; ++i) {
                here[i] = Height<Method>(row[x0 + i]) * scale;
                below[i] = Height<Method>(next[x0 + i]) * scale;
            }
            // The right neighbour of the last column is the first column.
            here[count] = Height<Method>(row[x0 + count < width ? x0 + count : 0]) * scale;
            for (int i = 0; i < count; ++i) {
                const double h0 = here[i];
                // (h0 - h1, h0 - h2, 1) is never shorter than 1, so it always normalises.
                const double nx = h0 - here[i + 1], ny = h0 - below[i];
                const double inverse = 1 / std::sqrt(nx * nx + ny * ny + 1);
                // |h0 × 255| stays below 2^28 within the scale limit; the alpha
                // is its low byte, as two's complement gives it for negative
                // heights.
                const uint32_t alpha = uint32_t(static_cast<int64_t>(h0 * 255) & 0xFF);
                out[x0 + i] =
                    Component(inverse) | Component(ny * inverse) << 8 | Component(nx * inverse) << 16 | alpha << 24;
            }
        }
    }
}

using MapRowsFunction = void (*)(const CBmp&, CBmp&, double, int64_t, int64_t);

constexpr MapRowsFunction kMapRows[NormalMapMethodCount] = {
    MapRows<0>, MapRows<1>, MapRows<2>, MapRows<3>, MapRows<4>, MapRows<5>, MapRows<6>, MapRows<7>, MapRows<8>};

} // namespace

bool IsNormalMapScale(double scale)
{
    return std::isfinite(scale) && std::fabs(scale) <= kNormalMapScaleLimit;
}

double NormalMapHeight(int method, uint32_t pixel)
{
    switch (method) {
    case NormalMapGrayScale: return Height<NormalMapGrayScale>(pixel);
    case NormalMapAverage: return Height<NormalMapAverage>(pixel);
    case NormalMapAlpha: return Height<NormalMapAlpha>(pixel);
    case NormalMapRed: return Height<NormalMapRed>(pixel);
    case NormalMapBlue: return Height<NormalMapBlue>(pixel);
    case NormalMapGreen: return Height<NormalMapGreen>(pixel);
    case NormalMapMax: return Height<NormalMapMax>(pixel);
    case NormalMapLightness: return Height<NormalMapLightness>(pixel);
    default: return Height<NormalMapColorSpace>(pixel);
    }
}

void NormalMapKernel(const CBmp& source, CBmp& target, int method, double scale)
{
    const MapRowsFunction rows = kMapRows[method];
    ParallelRows(source.Height, int64_t(source.Width) * 64,
                 [&](int64_t y0, int64_t y1) { rows(source, target, scale, y0, y1); });
}

void CEditBmp::normalMap(int method, double scale)
{
    if (method < 0 || method >= NormalMapMethodCount)
        throw CTextException(ErrFormat, "There is no such normal map method.");
    if (!IsNormalMapScale(scale))
        throw CTextException(ErrFormat, "The height scale factor must be a number from -1000000 to 1000000.");
    NormalMapKernel(image(), prepareResult(image().Width, image().Height), method, scale);
    commit();
}
