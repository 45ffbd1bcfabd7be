// The seven convolution filters: one routine, a kernel each.
#include "ops/EditBmp.h"
#include "ops/FilterKernels.h"
#include "ops/FilterWindow.h"

#include "base/ParallelRows.h"
#include "base/TextException.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

int WeightSum(const ConvolutionKernel& kernel)
{
    int sum = 0;
    for (int i = 0; i < kernel.Size * kernel.Size; ++i)
        sum += std::abs(kernel.Weights[i]);
    return sum;
}

// Every sum the kernel can give, offset by 255 × the weight sum, mapped to
// the clamped channel value: the division runs once per possible sum, not
// once per channel.
std::vector<uint8_t> ResultTable(const ConvolutionKernel& kernel, int bound)
{
    std::vector<uint8_t> table(size_t(2 * bound + 1));
    for (int sum = -bound; sum <= bound; ++sum) {
        const int value = kernel.Divisor != 0 ? kernel.Offset + sum / kernel.Divisor : sum + kernel.Offset;
        table[size_t(sum + bound)] = uint8_t(std::clamp(value, 0, 255));
    }
    return table;
}

// sums[i] += the row's weighted bytes i, i + 4, ... (one weight per column).
// Sums fit 16 bits (IsConvolutionKernel), so the compiler works on eight or
// more channels per instruction and the sums stay exact; a wider vector unit
// is used where the processor has one.
__attribute__((target_clones("avx2", "default"))) void Accumulate3(int16_t* sums, const uint8_t* row, int bytes,
                                                                    int16_t w0, int16_t w1, int16_t w2)
{
    for (int i = 0; i < bytes; ++i)
        sums[i] = int16_t(sums[i] + w0 * row[i] + w1 * row[i + 4] + w2 * row[i + 8]);
}

__attribute__((target_clones("avx2", "default"))) void Accumulate5(int16_t* sums, const uint8_t* row, int bytes,
                                                                    const int16_t* w)
{
    const int16_t w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3], w4 = w[4];
    for (int i = 0; i < bytes; ++i)
        sums[i] = int16_t(sums[i] + w0 * row[i] + w1 * row[i + 4] + w2 * row[i + 8] + w3 * row[i + 12] +
                          w4 * row[i + 16]);
}

template <int Pad>
void ConvolveRows(const CBmp& source, CBmp& target, const ConvolutionKernel& kernel, const uint8_t* table, int bound,
                  int64_t y0, int64_t y1)
{
    constexpr int N = 2 * Pad + 1;
    using Window = FilterWindow<Pad>;
    Window window;
    alignas(64) int16_t sums[Window::kRun * 4];
    const int width = source.Width;
    for (int64_t y = y0; y < y1; ++y) {
        uint32_t* out = target.Row32(int(y));
        const uint32_t* in = source.Row32(int(y));
        for (int x0 = 0; x0 < width; x0 += Window::kRun) {
            const int count = std::min(Window::kRun, width - x0);
            const int bytes = count * 4;
            window.Load(source, int(y), x0, count);
            std::fill(sums, sums + bytes, int16_t(0));
            for (int r = 0; r < N; ++r) {
                const int* w = kernel.Weights + r * N;
                bool any = false;
                for (int j = 0; j < N; ++j)
                    any = any || w[j] != 0;
                if (!any)
                    continue;
                const uint8_t* row = window.Row(r - Pad);
                if constexpr (N == 3) {
                    Accumulate3(sums, row, bytes, int16_t(w[0]), int16_t(w[1]), int16_t(w[2]));
                } else {
                    const int16_t w5[5] = {int16_t(w[0]), int16_t(w[1]), int16_t(w[2]), int16_t(w[3]), int16_t(w[4])};
                    Accumulate5(sums, row, bytes, w5);
                }
            }
            uint8_t* o = reinterpret_cast<uint8_t*>(out + x0);
            const uint8_t* a = reinterpret_cast<const uint8_t*>(in + x0);
            const uint8_t* t = table + bound;
            for (int i = 0; i < count; ++i) {
                o[4 * i] = t[sums[4 * i]];
                o[4 * i + 1] = t[sums[4 * i + 1]];
                o[4 * i + 2] = t[sums[4 * i + 2]];
                o[4 * i + 3] = a[4 * i + 3];
            }
        }
    }
}

} // namespace

void ConvolveKernel(const CBmp& source, CBmp& target, const ConvolutionKernel& kernel)
{
    if (!IsConvolutionKernel(kernel))
        throw CTextException(ErrUnsupported, "The filter's kernel is not supported.");
    const int bound = 255 * WeightSum(kernel);
    const std::vector<uint8_t> table = ResultTable(kernel, bound);
    const int n = kernel.Size;
    ParallelRows(source.Height, int64_t(source.Width) * 4 * n * n, [&](int64_t y0, int64_t y1) {
        if (n == 3)
            ConvolveRows<1>(source, target, kernel, table.data(), bound, y0, y1);
        else
            ConvolveRows<2>(source, target, kernel, table.data(), bound, y0, y1);
    });
}

// The menu's kernels all fit the 16-bit sums.
static_assert(IsConvolutionKernel(kBlurKernel) && IsConvolutionKernel(kSoftenKernel) &&
              IsConvolutionKernel(kGaussian3Kernel) && IsConvolutionKernel(kGaussian5Kernel) &&
              IsConvolutionKernel(kSharpenKernel) && IsConvolutionKernel(kFindEdgeKernel) &&
              IsConvolutionKernel(kEmbossKernel));

void CEditBmp::blur()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kBlurKernel);
    commit();
}

void CEditBmp::soften()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kSoftenKernel);
    commit();
}

void CEditBmp::gaussian3()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kGaussian3Kernel);
    commit();
}

void CEditBmp::gaussian5()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kGaussian5Kernel);
    commit();
}

void CEditBmp::sharpen()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kSharpenKernel);
    commit();
}

void CEditBmp::findEdge()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kFindEdgeKernel);
    commit();
}

void CEditBmp::emboss()
{
    ConvolveKernel(image(), prepareResult(image().Width, image().Height), kEmbossKernel);
    commit();
}
