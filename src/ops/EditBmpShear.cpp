// Horizontal shear: each row shifted right by a whole number of pixels.
#include "ops/EditBmp.h"
#include "ops/GeometryKernels.h"
#include "ops/NewImage.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

double ShearTangent(double degrees)
{
    return std::fabs(std::tan(degrees * std::numbers::pi / 180.0));
}

} // namespace

double ShearWidth(int64_t width, int64_t height, double degrees)
{
    return std::trunc(double(height) * ShearTangent(degrees) + double(width) + 0.999999);
}

void ShearKernel(const CBmp& source, CBmp& target, double degrees, int corner, uint32_t fillPixel)
{
    const double g = ShearTangent(degrees);
    const int width = source.Width, height = source.Height, newWidth = target.Width;
    ParallelRows(height, int64_t(newWidth) * 4, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            // Up-Left moves the top row furthest, Down-Left the bottom row.
            const double shift = corner != 0 ? g * double(y) : g * double(height - y);
            const int n = static_cast<int>(std::clamp<double>(std::trunc(shift), 0, newWidth - width));
            uint32_t* out = target.Row32(int(y));
            std::fill_n(out, n, fillPixel);
            std::memcpy(out + n, source.Row32(int(y)), size_t(width) * 4);
            std::fill(out + n + width, out + newWidth, fillPixel);
        }
    });
}

bool CEditBmp::shear(double degrees, int corner, bool antiAlias, ColorRef fill)
{
    if (!(degrees > 0 && degrees < 90))
        return false;
    if (corner != 0 && corner != 1)
        throw CTextException(ErrFormat, "The corner must be 0 (up-left) or 1 (down-left).");
    const int width = image().Width, height = image().Height;
    const int64_t newWidth = PixelCount(ShearWidth(width, height, degrees));
    ShearKernel(image(), prepareResult(newWidth, height), degrees, corner, FillPixel(fill));
    commit();
    return newWidth != width;
}
