// The filters that pick rather than weigh: erode, dilate, contour, median.
#include "ops/EditBmp.h"
#include "ops/FilterKernels.h"
#include "ops/FilterWindow.h"

#include "base/ParallelRows.h"

#include <algorithm>
#include <cstring>

namespace {

using Window3 = FilterWindow<1>;

// Runs body(window, y, x0, count, out) over every run of every row.
template <class Body>
void ForEachRun(const CBmp& source, CBmp& target, int64_t costPerPixel, Body body)
{
    const int width = source.Width;
    ParallelRows(source.Height, int64_t(width) * costPerPixel, [&](int64_t y0, int64_t y1) {
        Window3 window;
        for (int64_t y = y0; y < y1; ++y)
            for (int x0 = 0; x0 < width; x0 += Window3::kRun) {
                const int count = std::min(Window3::kRun, width - x0);
                window.Load(source, int(y), x0, count);
                uint32_t* out = target.Row32(int(y)) + x0;
                body(window, count, out);
                KeepAlpha(source.Row32(int(y)) + x0, out, count);
            }
    });
}

// The 2 × 2 window reaching left and up: the pixel, (x-1, y), (x, y-1), (x-1, y-1).
template <bool Maximum>
void Morphology(const CBmp& source, CBmp& target)
{
    ForEachRun(source, target, 16, [](const Window3& w, int count, uint32_t* out) {
        const uint8_t* up = w.Row(-1);
        const uint8_t* row = w.Row(0);
        uint8_t* o = reinterpret_cast<uint8_t*>(out);
        // Byte i of the run's pixel is at i + 4 in the window; its left neighbour at i.
        for (int i = 0; i < count * 4; ++i) {
            if constexpr (Maximum)
                o[i] = std::max(std::max(row[i], row[i + 4]), std::max(up[i], up[i + 4]));
            else
                o[i] = std::min(std::min(row[i], row[i + 4]), std::min(up[i], up[i + 4]));
        }
    });
}

// 19 exchanges that leave the middle of nine values in v[4].
inline void SortPair(int16_t& a, int16_t& b)
{
    const int16_t low = std::min(a, b);
    b = std::max(a, b);
    a = low;
}

inline int16_t MiddleOfNine(int16_t v[9])
{
    SortPair(v[1], v[2]); SortPair(v[4], v[5]); SortPair(v[7], v[8]);
    SortPair(v[0], v[1]); SortPair(v[3], v[4]); SortPair(v[6], v[7]);
    SortPair(v[1], v[2]); SortPair(v[4], v[5]); SortPair(v[7], v[8]);
    SortPair(v[0], v[3]); SortPair(v[5], v[8]); SortPair(v[4], v[7]);
    SortPair(v[3], v[6]); SortPair(v[1], v[4]); SortPair(v[2], v[5]);
    SortPair(v[4], v[7]); SortPair(v[4], v[2]); SortPair(v[6], v[4]);
    SortPair(v[4], v[2]);
    return v[4];
}

// Contour of one run: byte i of the output from bytes i, i + 4, i + 8 of
// the three window rows.
__attribute__((target_clones("avx2", "default"))) void ContourRun(const uint8_t* up, const uint8_t* row,
                                                                   const uint8_t* down, int bytes, uint8_t* o)
{
    for (int i = 0; i < bytes; ++i) {
        const int16_t centre = row[i + 4];
        // Column by column, each top to bottom: the order matters, since m
        // becomes the value and not the difference.
        const int16_t v[9] = {up[i], row[i], down[i], up[i + 4], row[i + 4], down[i + 4],
                              up[i + 8], row[i + 8], down[i + 8]};
        int16_t m = 0;
        for (int k = 0; k < 9; ++k)
            m = int16_t(v[k] - centre) > m ? v[k] : m;
        o[i] = uint8_t(255 - m);
    }
}

// The middle of the nine ranks of each pixel of a run, from the keys of the
// three window rows (key × 16, see MedianKernel).
__attribute__((target_clones("avx2", "default"))) void MiddleRanks(const int16_t* up, const int16_t* row,
                                                                    const int16_t* down, int count, int16_t* chosen)
{
    for (int i = 0; i < count; ++i) {
        int16_t v[9] = {up[i],     int16_t(up[i + 1] | 1),   int16_t(up[i + 2] | 2),
                        int16_t(row[i] | 3),   int16_t(row[i + 1] | 4),  int16_t(row[i + 2] | 5),
                        int16_t(down[i] | 6),  int16_t(down[i + 1] | 7), int16_t(down[i + 2] | 8)};
        chosen[i] = MiddleOfNine(v);
    }
}

} // namespace

void ErodeKernel(const CBmp& source, CBmp& target)
{
    Morphology<false>(source, target);
}

void DilateKernel(const CBmp& source, CBmp& target)
{
    Morphology<true>(source, target);
}

void ContourKernel(const CBmp& source, CBmp& target)
{
    ForEachRun(source, target, 36, [](const Window3& w, int count, uint32_t* out) {
        ContourRun(w.Row(-1), w.Row(0), w.Row(1), count * 4, reinterpret_cast<uint8_t*>(out));
    });
}

void MedianKernel(const CBmp& source, CBmp& target)
{
    ForEachRun(source, target, 48, [](const Window3& w, int count, uint32_t* out) {
        // Key × 16 + the neighbour's place in reading order: all nine differ,
        // ties go by place, and the place of the winner is in the low bits.
        alignas(64) int16_t keys[3][Window3::kRun + 2];
        for (int r = 0; r < 3; ++r) {
            const uint8_t* row = w.Row(r - 1);
            for (int i = 0; i < count + 2; ++i) {
                const int key = (601 * row[4 * i + 1] + 306 * row[4 * i + 2] + 117 * row[4 * i]) >> 10;
                keys[r][i] = int16_t(key << 4);
            }
        }
        alignas(64) int16_t chosen[Window3::kRun];
        MiddleRanks(keys[0], keys[1], keys[2], count, chosen);
        for (int i = 0; i < count; ++i) {
            const int place = chosen[i] & 15;
            const uint8_t* pixel = w.Row(place / 3 - 1) + 4 * (i + place % 3);
            std::memcpy(out + i, pixel, 4);
        }
    });
}

void CEditBmp::erode()
{
    ErodeKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}

void CEditBmp::dilate()
{
    DilateKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}

void CEditBmp::contour()
{
    ContourKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}

void CEditBmp::median()
{
    MedianKernel(image(), prepareResult(image().Width, image().Height));
    commit();
}
