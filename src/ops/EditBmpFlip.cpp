// Flips, transpose and quarter turns: exact, every pixel moved whole.
#include "ops/EditBmp.h"
#include "ops/GeometryKernels.h"

#include "base/ParallelRows.h"

#include <algorithm>
#include <cstring>

namespace {

// Square tiles whose source and target rows both stay in the first-level
// cache while a tile is turned (64 × 64 × 4 bytes = 16 KiB each).
constexpr int kTile = 64;

// target(x, y) = source(column(y), row(x)), where column and row count from
// the end when reversed: transpose without reversal, quarter turns with one.
template <bool ReverseRows, bool ReverseColumns>
void TurnInTiles(const CBmp& source, CBmp& target)
{
    const int sourceWidth = source.Width, sourceHeight = source.Height;
    const int width = target.Width, height = target.Height;
    const int64_t bands = (int64_t(height) + kTile - 1) / kTile;
    ParallelRows(bands, int64_t(width) * kTile * 4, [&](int64_t firstBand, int64_t endBand) {
        const uint32_t* rows[kTile];
        for (int64_t band = firstBand; band < endBand; ++band) {
            const int y0 = static_cast<int>(band * kTile);
            const int y1 = std::min(height, y0 + kTile);
            for (int x0 = 0; x0 < width; x0 += kTile) {
                const int n = std::min(kTile, width - x0);
                for (int i = 0; i < n; ++i)
                    rows[i] = source.Row32(ReverseRows ? sourceHeight - 1 - (x0 + i) : x0 + i);
                for (int y = y0; y < y1; ++y) {
                    const int column = ReverseColumns ? sourceWidth - 1 - y : y;
                    uint32_t* out = target.Row32(y) + x0;
                    for (int i = 0; i < n; ++i)
                        out[i] = rows[i][column];
                }
            }
        }
    });
}

void MirrorRow(const uint32_t* in, uint32_t* out, int width)
{
    const uint32_t* p = in + width;
    for (int x = 0; x < width; ++x)
        out[x] = *--p;
}

} // namespace

void FlipRowsKernel(const CBmp& source, CBmp& target)
{
    const int height = source.Height;
    const size_t bytes = size_t(source.Width) * 4;
    ParallelRows(height, int64_t(bytes), [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y)
            std::memcpy(target.Row32(int(y)), source.Row32(int(height - 1 - y)), bytes);
    });
}

void FlipColumnsKernel(const CBmp& source, CBmp& target)
{
    const int width = source.Width;
    ParallelRows(source.Height, int64_t(width) * 4, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y)
            MirrorRow(source.Row32(int(y)), target.Row32(int(y)), width);
    });
}

void FlipBothKernel(const CBmp& source, CBmp& target)
{
    const int width = source.Width, height = source.Height;
    ParallelRows(height, int64_t(width) * 4, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y)
            MirrorRow(source.Row32(int(height - 1 - y)), target.Row32(int(y)), width);
    });
}

void TransposeKernel(const CBmp& source, CBmp& target)
{
    TurnInTiles<false, false>(source, target);
}

void TransverseKernel(const CBmp& source, CBmp& target)
{
    TurnInTiles<true, true>(source, target);
}

void QuarterTurnKernel(const CBmp& source, CBmp& target, int quarters)
{
    switch (quarters & 3) {
    case 1:
        TurnInTiles<true, false>(source, target);
        break;
    case 2:
        FlipBothKernel(source, target);
        break;
    case 3:
        TurnInTiles<false, true>(source, target);
        break;
    default:
        break;
    }
}

void CEditBmp::flipRows()
{
    FlipRowsKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}

void CEditBmp::flipColumns()
{
    FlipColumnsKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}

void CEditBmp::flipBoth()
{
    FlipBothKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}

bool CEditBmp::transpose()
{
    const int width = image().Width, height = image().Height;
    TransposeKernel(image(), prepareResult(height, width));
    commit();
    return width != height;
}
