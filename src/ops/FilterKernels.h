// The pixel work of the Filter menu, as plain functions from a source to a
// target bitmap of the same size (both 32-bit, never the same bitmap). Every
// filter writes the blue, green and red bytes and keeps the source's alpha
// byte (the normal map alone writes all four). A neighbour outside the image
// counts as black; nothing is replicated from the edge. Rows are spread over
// threads (base/ParallelRows.h) and every row depends on the source alone, so
// the result is the same for any thread count, noise and jitter included.
#pragma once

#include "image/Bmp.h"

#include <cstdint>

// n × n integer weights, row-major from the top-left neighbour; each channel
// becomes offset + sum / divisor (truncated toward zero), or sum + offset
// when divisor is 0, clamped to 0..255.
struct ConvolutionKernel {
    int Size;  // 3 or 5
    int Weights[25];
    int Divisor;
    int Offset;
};

// True when the kernel can be applied: size 3 or 5 and every sum fits 16 bits
// (the weights' magnitudes add up to at most 128), as the menu's kernels do.
constexpr bool IsConvolutionKernel(const ConvolutionKernel& kernel)
{
    if (kernel.Size != 3 && kernel.Size != 5)
        return false;
    int sum = 0;
    for (int i = 0; i < kernel.Size * kernel.Size; ++i) {
        if (kernel.Weights[i] < -128 || kernel.Weights[i] > 128)
            return false;
        sum += kernel.Weights[i] < 0 ? -kernel.Weights[i] : kernel.Weights[i];
    }
    return sum <= 128;
}

inline constexpr ConvolutionKernel kBlurKernel{3, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0};
inline constexpr ConvolutionKernel kSoftenKernel{3, {1, 1, 1, 1, 8, 1, 1, 1, 1}, 16, 0};
inline constexpr ConvolutionKernel kGaussian3Kernel{3, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16, 0};
inline constexpr ConvolutionKernel kGaussian5Kernel{
    5, {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8, 4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0}, 52, 0};
inline constexpr ConvolutionKernel kSharpenKernel{3, {-1, -1, -1, -1, 15, -1, -1, -1, -1}, 7, 0};
// 255 - (8 × centre - the eight neighbours).
inline constexpr ConvolutionKernel kFindEdgeKernel{3, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, -1, 255};
// 127 + lower-left neighbour - upper-right neighbour.
inline constexpr ConvolutionKernel kEmbossKernel{3, {0, 0, -1, 0, 0, 0, 1, 0, 0}, 0, 127};

// Refuses a kernel that fails IsConvolutionKernel (CTextException). Allocates
// a table of at most 64 KiB first (std::bad_alloc).
void ConvolveKernel(const CBmp& source, CBmp& target, const ConvolutionKernel& kernel);

// Minimum (erode) or maximum (dilate) per channel over the pixel and its
// left, upper and upper-left neighbours; erode blackens the top row and the
// left column.
void ErodeKernel(const CBmp& source, CBmp& target);
void DilateKernel(const CBmp& source, CBmp& target);

// Per channel with ctr the pixel's value: m = 0, then over the 3 × 3
// neighbours column by column (left column first, each top to bottom) m
// becomes v wherever v - ctr > m; the channel becomes 255 - m.
void ContourKernel(const CBmp& source, CBmp& target);

// The whole colour ranked fifth of the nine 3 × 3 neighbours by the luma key
// (601 G + 306 R + 117 B) >> 10. Equal keys rank in reading order (upper row
// first, each row left to right), so the choice is one fixed neighbour.
void MedianKernel(const CBmp& source, CBmp& target);

// The uniform numbers 0..32767 that noise and jitter draw: a generator per
// row, started from the seed and the row number, so rows can be made in any
// order on any thread.
class FilterRowRandom {
public:
    FilterRowRandom(uint32_t seed, int row);
    // 64 random bits; the filters take 15-bit numbers from them.
    uint64_t Next();

private:
    uint64_t m_State;
};

// Each channel (blue, green, red) plus trunc(amount × (r / 32767 - 0.5)),
// clamped, with r drawn per channel.
void AddNoiseKernel(const CBmp& source, CBmp& target, int amount, uint32_t seed);
// Each pixel takes the colour of the pixel at a random offset of about
// ±amount / 2 (±amount at the extremes of the draw), or keeps its own when
// that lies outside.
void JitterKernel(const CBmp& source, CBmp& target, int amount, uint32_t seed);
