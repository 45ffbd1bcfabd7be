#include "image/AreaScale.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Weights above this are scaled down to it, so a weight fits 16 bits (the
// multiplications of the row loop stay 16 x 16), the column sums of a row stay
// below 2^23 and the full sums below 2^38.
constexpr uint64_t kMaxWeightTotal = 1u << 15;
// Below this many source pixels a second thread costs more than it saves.
constexpr int64_t kThreadedPixels = int64_t(4) << 20;

// For each output position along one axis, the source positions it covers
// and how much of each (integer weights with a fixed total per output).
struct AxisWeights {
    std::vector<int> First;      // first source position of output i
    std::vector<int> Count;      // number of source positions
    std::vector<int> Offset;     // index of the first weight in Weights
    std::vector<uint32_t> Weights;
    uint32_t Total = 0;
    uint32_t Full = 0;  // weight of a source position wholly inside an output; 0 when rescaled
};

AxisWeights BuildWeights(int sourceSize, int targetSize)
{
    AxisWeights axis;
    // Work in units where a source pixel is targetSize/g long and a target
    // pixel sourceSize/g long: every overlap is then a whole number.
    const int64_t g = std::gcd(int64_t(sourceSize), int64_t(targetSize));
    const int64_t sourceLength = targetSize / g;
    const int64_t targetLength = sourceSize / g;
    const bool rescale = uint64_t(targetLength) > kMaxWeightTotal;
    axis.Total = rescale ? uint32_t(kMaxWeightTotal) : uint32_t(targetLength);
    axis.Full = rescale ? 0 : uint32_t(std::min(sourceLength, targetLength));
    axis.First.resize(size_t(targetSize));
    axis.Count.resize(size_t(targetSize));
    axis.Offset.resize(size_t(targetSize));
    for (int i = 0; i < targetSize; ++i) {
        const int64_t begin = i * targetLength;
        const int64_t end = begin + targetLength;
        const int64_t first = begin / sourceLength;
        const int64_t last = std::min<int64_t>((end - 1) / sourceLength, sourceSize - 1);
        axis.First[size_t(i)] = int(first);
        axis.Count[size_t(i)] = int(last - first + 1);
        axis.Offset[size_t(i)] = int(axis.Weights.size());
        int64_t covered = 0;
        uint64_t given = 0;
        for (int64_t s = first; s <= last; ++s) {
            const int64_t overlap = std::min(end, (s + 1) * sourceLength) - std::max(begin, s * sourceLength);
            covered += overlap;
            if (!rescale) {
                axis.Weights.push_back(uint32_t(overlap));
                continue;
            }
            // Scale the running total, not each weight, so the scaled weights
            // still add up exactly.
            const uint64_t upTo = uint64_t(covered) * kMaxWeightTotal / uint64_t(targetLength);
            axis.Weights.push_back(uint32_t(upTo - given));
            given = upTo;
        }
    }
    return axis;
}

// floor(n / d) as a multiply and shift, exact for n < 2^61 and d < 2^63.
struct Divider {
    explicit Divider(uint64_t divisor) : d(divisor)
    {
        int log = 63;
        while (!(d >> log & 1))
            --log;
        if ((d & (d - 1)) == 0) {
            shift = log;
            multiplier = 0;
            return;
        }
        shift = 63 + log - 1;
        multiplier = uint64_t(((unsigned __int128)1 << shift) / d) + 1;
    }
    uint64_t operator()(uint64_t n) const
    {
        if (multiplier == 0)
            return n >> shift;
        return uint64_t(((unsigned __int128)n * multiplier) >> shift);
    }
    uint64_t d;
    uint64_t multiplier = 0;
    int shift = 0;
};

struct Job {
    const CBmp* Source;
    const AxisWeights* Columns;
    const AxisWeights* Rows;
    uint8_t* Target;
    int64_t TargetStride;
    int TargetWidth;
    bool Premultiply;
};

// The row loops are plain loops over bytes so the compiler turns them into
// vector code. Most source rows lie wholly inside one target row and carry
// the same weight: those are only added up (no multiplication) and weighed
// once per target row.

// Where the platform can pick a function by processor at load time, the row
// loops also come in a 256-bit vector version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define ROW_KERNEL
#endif

ROW_KERNEL void WeighRow(uint32_t* sums, const uint8_t* line, size_t n, uint16_t weight, bool first)
{
    if (first) {
        for (size_t i = 0; i < n; ++i)
            sums[i] = uint32_t(weight) * uint16_t(line[i]);
    } else {
        for (size_t i = 0; i < n; ++i)
            sums[i] += uint32_t(weight) * uint16_t(line[i]);
    }
}

ROW_KERNEL void AddRow(uint16_t* counts, const uint8_t* line, size_t n, bool first)
{
    if (first) {
        for (size_t i = 0; i < n; ++i)
            counts[i] = line[i];
    } else {
        for (size_t i = 0; i < n; ++i)
            counts[i] = uint16_t(counts[i] + line[i]);
    }
}

ROW_KERNEL void WeighCounts(uint32_t* sums, const uint16_t* counts, size_t n, uint16_t weight, bool first)
{
    if (first) {
        for (size_t i = 0; i < n; ++i)
            sums[i] = uint32_t(weight) * counts[i];
    } else {
        for (size_t i = 0; i < n; ++i)
            sums[i] += uint32_t(weight) * counts[i];
    }
}

// A row with its colours multiplied by their alpha (rounded division by 255).
ROW_KERNEL void PremultiplyRow(uint8_t* out, const uint8_t* in, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i, in += 4, out += 4) {
        const uint32_t a = in[3];
        for (int c = 0; c < 3; ++c) {
            const uint32_t v = in[c] * a + 128;
            out[c] = uint8_t((v + (v >> 8)) >> 8);
        }
        out[3] = uint8_t(a);
    }
}

// 257 rows of 255 still fit 16 bits.
constexpr int kMaxCountedRows = 257;

// Rows [rowBegin, rowEnd) of the target: sum the covered source rows into one
// full-width row, then reduce that row across. sums and counts have room for
// one source row of channels, and so has premultiplied when the job asks for
// it; nothing is allocated here, so it cannot throw on a helper thread.
void ScaleRows(const Job& job, uint32_t* sums, uint16_t* counts, uint8_t* premultiplied, int rowBegin,
               int rowEnd) noexcept
{
    const CBmp& src = *job.Source;
    const size_t rowBytes = size_t(src.Width) * 4;
    const AxisWeights& rows = *job.Rows;
    const AxisWeights& columns = *job.Columns;
    const uint64_t total = uint64_t(rows.Total) * columns.Total;
    const Divider divide(total);
    const uint64_t half = total / 2;
    const uint16_t full = uint16_t(rows.Full);

    for (int y = rowBegin; y < rowEnd; ++y) {
        const int first = rows.First[size_t(y)];
        const int count = rows.Count[size_t(y)];
        const uint32_t* weights = rows.Weights.data() + rows.Offset[size_t(y)];
        bool haveSums = false;
        int counted = 0;
        auto flushCounts = [&] {
            WeighCounts(sums, counts, rowBytes, full, !haveSums);
            haveSums = true;
            counted = 0;
        };
        for (int k = 0; k < count; ++k) {
            const uint8_t* line = src.Lines[first + k];
            if (job.Premultiply) {
                PremultiplyRow(premultiplied, line, size_t(src.Width));
                line = premultiplied;
            }
            if (full != 0 && weights[k] == full) {
                AddRow(counts, line, rowBytes, counted == 0);
                if (++counted == kMaxCountedRows)
                    flushCounts();
            } else {
                WeighRow(sums, line, rowBytes, uint16_t(weights[k]), !haveSums);
                haveSums = true;
            }
        }
        if (counted > 0)
            flushCounts();

        uint8_t* out = job.Target + int64_t(y) * job.TargetStride;
        for (int x = 0; x < job.TargetWidth; ++x) {
            const uint32_t* in = sums + size_t(columns.First[size_t(x)]) * 4;
            const uint32_t* cw = columns.Weights.data() + columns.Offset[size_t(x)];
            const int n = columns.Count[size_t(x)];
            uint64_t b = 0, g = 0, r = 0, a = 0;
            for (int k = 0; k < n; ++k, in += 4) {
                const uint64_t w = cw[k];
                b += w * in[0];
                g += w * in[1];
                r += w * in[2];
                a += w * in[3];
            }
            out[0] = uint8_t(divide(b + half));
            out[1] = uint8_t(divide(g + half));
            out[2] = uint8_t(divide(r + half));
            out[3] = uint8_t(divide(a + half));
            out += 4;
        }
    }
}

} // namespace

void AreaDownscale(const CBmp& src, int dstWidth, int dstHeight, uint8_t* dst, int64_t dstStride, bool premultiply,
                   bool oneThread)
{
    if (src.BitsPerPixel != 32)
        throw std::invalid_argument("area scaling needs a 32-bit image");
    if (dstWidth <= 0 || dstHeight <= 0 || src.Width <= 0 || src.Height <= 0 || !src.Lines || !dst)
        return;
    const AxisWeights columns = BuildWeights(src.Width, dstWidth);
    const AxisWeights rows = BuildWeights(src.Height, dstHeight);
    const Job job{&src, &columns, &rows, dst, dstStride, dstWidth, premultiply};

    const size_t rowBytes = size_t(src.Width) * 4;
    const int64_t pixels = int64_t(src.Width) * src.Height;
    const bool threaded = !oneThread && pixels >= kThreadedPixels && dstHeight >= 2 && std::thread::hardware_concurrency() >= 2;
    std::vector<uint32_t> sums(threaded ? rowBytes * 2 : rowBytes);
    std::vector<uint16_t> counts(threaded ? rowBytes * 2 : rowBytes);
    std::vector<uint8_t> premultiplied(premultiply ? (threaded ? rowBytes * 2 : rowBytes) : 0);
    uint8_t* scratch = premultiply ? premultiplied.data() : nullptr;
    if (!threaded) {
        ScaleRows(job, sums.data(), counts.data(), scratch, 0, dstHeight);
        return;
    }
    const int middle = dstHeight / 2;
    std::thread helper;
    try {
        helper = std::thread(ScaleRows, std::cref(job), sums.data() + rowBytes, counts.data() + rowBytes,
                             scratch ? scratch + rowBytes : nullptr, middle, dstHeight);
    } catch (const std::system_error&) {
        ScaleRows(job, sums.data(), counts.data(), scratch, 0, dstHeight);
        return;
    }
    ScaleRows(job, sums.data(), counts.data(), scratch, 0, middle);
    helper.join();
}
