// Resampling to a new size: box averages when both sides shrink, bilinear
// interpolation otherwise. Every channel, alpha included, is resampled alike.
#include "ops/EditBmp.h"
#include "ops/GeometryKernels.h"

#include "base/ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The source span [first, last] of each target position for a shrink of
// count positions to newCount, by the single-precision scale newCount/count.
// Rounding can take the last span one past the end; it is held inside.
void BoxSpans(int count, int newCount, std::vector<int>& first, std::vector<int>& last)
{
    const float scale = float(newCount) / float(count);
    first.resize(size_t(newCount));
    last.resize(size_t(newCount));
    for (int i = 0; i < newCount; ++i) {
        const int64_t begin = static_cast<int64_t>(float(i) / scale);
        const int64_t end = static_cast<int64_t>(std::ceil(float(i + 1) / scale)) - 1;
        first[size_t(i)] = static_cast<int>(std::clamp<int64_t>(begin, 0, count - 1));
        last[size_t(i)] = static_cast<int>(std::clamp<int64_t>(end, first[size_t(i)], count - 1));
    }
}

// The two source positions of each target position for bilinear sampling,
// and the weight of the second.
struct LinearSpan {
    int First;
    int Second;
    float Weight;
};

std::vector<LinearSpan> LinearSpans(int count, int newCount)
{
    const float scale = float(count) / float(newCount);
    std::vector<LinearSpan> spans(static_cast<size_t>(newCount));
    for (int i = 0; i < newCount; ++i) {
        const float f = float(i) * scale;
        const int first = std::min(static_cast<int>(f), count - 1);
        spans[size_t(i)] = LinearSpan{first, std::min(first + 1, count - 1), f - float(first)};
    }
    return spans;
}

// Exact truncating division of block sums by the block's area. A block sum
// below 2^32 is divided by multiplying with a rounded-up 2^64 / area, exact
// for such sums; the area rarely changes from one block to the next, so its
// reciprocal is kept. Larger blocks divide plainly.
class AreaDivider {
public:
    void SetDivisor(uint64_t area)
    {
        if (area == m_Area)
            return;
        m_Area = area;
        m_Fast = area >= 2 && area <= UINT32_MAX / 255;
        m_Reciprocal = m_Fast ? UINT64_MAX / area + 1 : 0;
    }
    uint64_t operator()(uint64_t sum) const
    {
        if (m_Fast)
            return uint64_t((unsigned __int128)sum * m_Reciprocal >> 64);
        return m_Area == 1 ? sum : sum / m_Area;
    }

private:
    uint64_t m_Area = 0;
    uint64_t m_Reciprocal = 0;
    bool m_Fast = false;
};

uint32_t Channel(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

uint32_t ToByte(float value)
{
    return static_cast<uint32_t>(std::clamp(value, 0.0f, 255.0f));
}

} // namespace

void BoxShrinkKernel(const CBmp& source, CBmp& target)
{
    const int newWidth = target.Width;
    std::vector<int> firstColumn, lastColumn, firstRow, lastRow;
    BoxSpans(source.Width, newWidth, firstColumn, lastColumn);
    BoxSpans(source.Height, target.Height, firstRow, lastRow);
    const int64_t rowCost = int64_t(source.Width) * 4 * (source.Height / target.Height + 1);
    ParallelRows(target.Height, rowCost, [&](int64_t y0, int64_t y1) {
        AreaDivider divide;
        for (int64_t y = y0; y < y1; ++y) {
            const int top = firstRow[size_t(y)], bottom = lastRow[size_t(y)];
            const uint64_t rows = uint64_t(bottom - top + 1);
            uint32_t* out = target.Row32(int(y));
            // One block at a time: its rows are read side by side, and the
            // next block continues each of them where this one stopped.
            for (int x = 0; x < newWidth; ++x) {
                const int left = firstColumn[size_t(x)], right = lastColumn[size_t(x)];
                uint64_t b = 0, g = 0, r = 0, a = 0;
                for (int row = top; row <= bottom; ++row) {
                    const uint32_t* in = source.Row32(row);
                    for (int c = left; c <= right; ++c) {
                        const uint32_t p = in[c];
                        b += p & 0xFF;
                        g += (p >> 8) & 0xFF;
                        r += (p >> 16) & 0xFF;
                        a += p >> 24;
                    }
                }
                // Dividing by the columns and then by the rows, both
                // truncating, is dividing by the area once.
                divide.SetDivisor(uint64_t(right - left + 1) * rows);
                out[x] = PackPixel(uint8_t(divide(r)), uint8_t(divide(g)), uint8_t(divide(b)), uint8_t(divide(a)));
            }
        }
    });
}

void BilinearKernel(const CBmp& source, CBmp& target)
{
    const int newWidth = target.Width;
    const std::vector<LinearSpan> columns = LinearSpans(source.Width, newWidth);
    const std::vector<LinearSpan> rows = LinearSpans(source.Height, target.Height);
    ParallelRows(target.Height, int64_t(newWidth) * 8, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            const LinearSpan& row = rows[size_t(y)];
            const uint32_t* upper = source.Row32(row.First);
            const uint32_t* lower = source.Row32(row.Second);
            const float dy = row.Weight, dy1 = 1.0f - dy;
            uint32_t* out = target.Row32(int(y));
            // Down a source column, each channel truncated to a byte.
            auto down = [&](int column) {
                const uint32_t p0 = upper[column], p1 = lower[column];
                uint32_t pixel = 0;
                for (int shift = 0; shift < 32; shift += 8)
                    pixel |= ToByte(dy1 * float(Channel(p0, shift)) + dy * float(Channel(p1, shift))) << shift;
                return pixel;
            };
            // Neighbouring target pixels share source columns: each column
            // goes down once per row.
            int leftColumn = -1, rightColumn = -1;
            uint32_t left = 0, right = 0;
            for (int x = 0; x < newWidth; ++x) {
                const LinearSpan& column = columns[size_t(x)];
                if (column.First != leftColumn) {
                    left = column.First == rightColumn ? right : down(column.First);
                    leftColumn = column.First;
                    rightColumn = -1;
                }
                if (column.Second != rightColumn) {
                    right = column.Second == leftColumn ? left : down(column.Second);
                    rightColumn = column.Second;
                }
                // Then across.
                const float dx = column.Weight, dx1 = 1.0f - dx;
                uint32_t pixel = 0;
                for (int shift = 0; shift < 32; shift += 8)
                    pixel |= ToByte(dx * float(Channel(right, shift)) + dx1 * float(Channel(left, shift))) << shift;
                out[x] = pixel;
            }
        }
    });
}

void ResizeKernel(const CBmp& source, CBmp& target)
{
    if (target.Width == source.Width && target.Height == source.Height) {
        // Bilinear sampling onto the same size reproduces every pixel.
        const size_t bytes = size_t(source.Width) * 4;
        ParallelRows(source.Height, int64_t(bytes), [&](int64_t y0, int64_t y1) {
            for (int64_t y = y0; y < y1; ++y)
                std::memcpy(target.Row32(int(y)), source.Row32(int(y)), bytes);
        });
    } else if (target.Width < source.Width && target.Height < source.Height) {
        BoxShrinkKernel(source, target);
    } else {
        BilinearKernel(source, target);
    }
}

bool CEditBmp::resize(int64_t width, int64_t height)
{
    const int oldWidth = image().Width, oldHeight = image().Height;
    ResizeKernel(image(), prepareResult(width, height));
    commit();
    return width != oldWidth || height != oldHeight;
}
