// Canvas size: the image placed on a new canvas by one of nine anchors; the
// margins get the fill colour and what falls outside is cropped.
#include "ops/EditBmp.h"
#include "ops/GeometryKernels.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"

#include <algorithm>
#include <cstring>

void CanvasOffset(int64_t width, int64_t height, int64_t newWidth, int64_t newHeight, int anchor, int64_t& left,
                  int64_t& top)
{
    // Halves truncate toward zero, also when the canvas shrinks.
    const int64_t dx = newWidth - width, dy = newHeight - height;
    // Per anchor: horizontal and vertical placement, 0 start, 1 middle, 2 end.
    static const int kPlace[9][2] = {{1, 1}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    const int* place = kPlace[anchor >= 0 && anchor < 9 ? anchor : 0];
    auto offset = [](int64_t difference, int where) { return where == 0 ? 0 : where == 1 ? difference / 2 : difference; };
    left = offset(dx, place[0]);
    top = offset(dy, place[1]);
}

void CanvasKernel(const CBmp& source, CBmp& target, int64_t left, int64_t top, uint32_t fillPixel)
{
    const int64_t width = source.Width, height = source.Height, newWidth = target.Width;
    // Target columns [begin, end) take source columns from begin - left.
    const int64_t begin = std::clamp<int64_t>(left, 0, newWidth);
    const int64_t end = std::clamp<int64_t>(left + width, begin, newWidth);
    ParallelRows(target.Height, newWidth * 4, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            uint32_t* out = target.Row32(int(y));
            const int64_t sourceRow = y - top;
            if (sourceRow < 0 || sourceRow >= height || begin == end) {
                std::fill_n(out, newWidth, fillPixel);
                continue;
            }
            std::fill(out, out + begin, fillPixel);
            std::memcpy(out + begin, source.Row32(int(sourceRow)) + (begin - left), size_t(end - begin) * 4);
            std::fill(out + end, out + newWidth, fillPixel);
        }
    });
}

bool CEditBmp::canvas(int64_t width, int64_t height, int anchor, ColorRef fill)
{
    if (anchor < 0 || anchor > 8)
        throw CTextException(ErrFormat, "The anchor must be 0 to 8.");
    const int oldWidth = image().Width, oldHeight = image().Height;
    int64_t left = 0, top = 0;
    CanvasOffset(oldWidth, oldHeight, width, height, anchor, left, top);
    CanvasKernel(image(), prepareResult(width, height), left, top, FillPixel(fill));
    commit();
    return width != oldWidth || height != oldHeight;
}
