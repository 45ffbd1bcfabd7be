// Rotation by any whole angle: the exact quarter or half turn first, then the
// remainder of at most 45 degrees, where the size formula below holds.
#include "ops/EditBmp.h"
#include "ops/GeometryKernels.h"
#include "ops/NewImage.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Target rows are worked in bands, and each band in column spans, so the
// slanted run of source pixels a span reads stays in the cache for the next
// row of the band.
constexpr int kBandRows = 32;
constexpr int kSpanColumns = 256;

template <typename RowSpan>
void ForEachSpan(CBmp& target, const RowSpan& span)
{
    const int width = target.Width, height = target.Height;
    const int64_t bands = (int64_t(height) + kBandRows - 1) / kBandRows;
    ParallelRows(bands, int64_t(width) * kBandRows * 4, [&](int64_t firstBand, int64_t endBand) {
        for (int64_t band = firstBand; band < endBand; ++band) {
            const int y0 = static_cast<int>(band * kBandRows);
            const int y1 = std::min(height, y0 + kBandRows);
            for (int x0 = 0; x0 < width; x0 += kSpanColumns) {
                const int x1 = std::min(width, x0 + kSpanColumns);
                for (int y = y0; y < y1; ++y)
                    span(target.Row32(y), y, x0, x1);
            }
        }
    });
}

int64_t Trunc(double value)
{
    return static_cast<int64_t>(value);
}

} // namespace

RotationGeometry RotationSize(int64_t width, int64_t height, double degrees)
{
    const double phi = degrees * std::numbers::pi / 180.0;
    RotationGeometry g;
    g.Positive = phi > 0;
    g.Tan = std::fabs(std::tan(phi / 2));
    g.Sin = std::fabs(std::sin(phi));
    const double w = double(width), h = double(height);
    g.M = Trunc(h * g.Tan + w + 0.999999);
    g.O = Trunc(double(g.M - width) * g.Sin);
    const int64_t v = Trunc(double(g.M) * g.Sin + h + 0.999999);
    g.A = v - 2 * g.O;
    g.B = Trunc(double(v - height - g.O) * g.Tan);
    g.Width = Trunc(double(g.A) * g.Tan + double(g.M) + 0.999999 - double(2 * g.B));
    return g;
}

// The three shears composed: a first horizontal shear of the source rows
// into an m × H image T1, a vertical shear of T1's columns into an m × A image
// T2, and a second horizontal shear of T2's rows into the target. Following
// each target pixel back through the three shifts gives the same pixels as
// making T1 and T2, without their memory.
void ShearRotateKernel(const CBmp& source, CBmp& target, const RotationGeometry& g, uint32_t fillPixel)
{
    const int width = source.Width, height = source.Height;
    const int m = static_cast<int>(g.M), a = static_cast<int>(g.A);
    // Shift of source row y in T1.
    std::vector<int> rowShift(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rowShift[size_t(y)] = static_cast<int>(Trunc(g.Positive ? g.Tan * y : g.Tan * (height - y)));
    // Shift of T1's column x in T2.
    std::vector<int> columnShift(static_cast<size_t>(m));
    for (int x = 0; x < m; ++x)
        columnShift[size_t(x)] =
            static_cast<int>(Trunc(g.Positive ? g.Sin * (m - x) : g.Sin * x) - g.O);
    ForEachSpan(target, [&](uint32_t* out, int y, int x0, int x1) {
        // Shift of T2's row y in the target.
        const int shift = static_cast<int>(Trunc(g.Positive ? g.Tan * y : g.Tan * (a - y)) - g.B);
        for (int x = x0; x < x1; ++x) {
            uint32_t pixel = fillPixel;
            const int x2 = x - shift;
            if (x2 >= 0 && x2 < m) {
                const int y1 = y - columnShift[size_t(x2)];
                if (y1 >= 0 && y1 < height) {
                    const int xs = x2 - rowShift[size_t(y1)];
                    if (xs >= 0 && xs < width)
                        pixel = source.Row32(y1)[xs];
                }
            }
            out[x] = pixel;
        }
    });
}

void DirectRotateKernel(const CBmp& source, CBmp& target, double degrees, uint32_t fillPixel)
{
    const double phi = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(phi), s = std::sin(phi);
    const int width = source.Width, height = source.Height;
    const double halfWidth = width / 2, halfHeight = height / 2;
    const int targetHalfWidth = target.Width / 2, targetHalfHeight = target.Height / 2;
    ForEachSpan(target, [&](uint32_t* out, int y, int x0, int x1) {
        const double dy = y - targetHalfHeight;
        for (int x = x0; x < x1; ++x) {
            const double dx = x - targetHalfWidth;
            const double fx = dx * c - dy * s + halfWidth;
            const double fy = dx * s + dy * c + halfHeight;
            // Truncation toward zero: (-1, 0) samples column or row 0.
            uint32_t pixel = fillPixel;
            if (fx > -1 && fx < width && fy > -1 && fy < height)
                pixel = source.Row32(static_cast<int>(fy))[static_cast<int>(fx)];
            out[x] = pixel;
        }
    });
}

bool CEditBmp::rotate(int degrees, int quality, ColorRef fill)
{
    if (degrees < 1 || degrees > 359)
        throw CTextException(ErrFormat, "The angle must be 1 to 359 degrees.");
    if (quality < 0 || quality > 2)
        throw CTextException(ErrFormat, "The quality must be 0, 1 or 2.");
    // Clockwise quarter turns, and the remainder counter-clockwise positive.
    int quarters = 0, residual = -degrees;
    if (degrees > 315)
        residual = 360 - degrees;
    else if (degrees > 45) {
        quarters = (degrees + 44) / 90;
        residual = 90 * quarters - degrees;
    }
    const CWinBmp& source = image();
    const int width = source.Width, height = source.Height;
    const int64_t turnedWidth = quarters % 2 ? height : width;
    const int64_t turnedHeight = quarters % 2 ? width : height;
    if (residual == 0) {
        QuarterTurnKernel(source, prepareResult(turnedWidth, turnedHeight), quarters);
    } else {
        const RotationGeometry g = RotationSize(turnedWidth, turnedHeight, residual);
        CheckNewImageSize(g.Width, g.A);
        CWinBmp turned;
        const CBmp* rotated = &source;
        if (quarters != 0) {
            CreateNewImage(turned, turnedWidth, turnedHeight, source.HasAlpha);
            QuarterTurnKernel(source, turned, quarters);
            rotated = &turned;
        }
        CWinBmp& target = prepareResult(g.Width, g.A);
        if (quality == 2)
            DirectRotateKernel(*rotated, target, residual, FillPixel(fill));
        else
            ShearRotateKernel(*rotated, target, g, FillPixel(fill));
    }
    commit();
    return image().Width != width || image().Height != height;
}
