// Add Noise and Jitter: random changes, repeatable from a seed.
#include "ops/EditBmp.h"
#include "ops/FilterKernels.h"

#include "base/ParallelRows.h"

#include <algorithm>
#include <array>

namespace {

// The menu's amounts.
constexpr int kNoiseAmount = 50;
constexpr int kJitterAmount = 2;

constexpr int kRandomMax = 32767;

uint64_t Mix(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// trunc(scale × (r / 32767 - 0.5)) for every r, computed once.
std::array<int16_t, kRandomMax + 1> Offsets(double scale)
{
    std::array<int16_t, kRandomMax + 1> table{};
    for (int r = 0; r <= kRandomMax; ++r)
        table[size_t(r)] = int16_t(static_cast<int>(scale * (double(r) / kRandomMax - 0.5)));
    return table;
}

// The i-th 15-bit number of a draw.
inline int Part(uint64_t bits, int i)
{
    return int((bits >> (15 * i)) & kRandomMax);
}

} // namespace

FilterRowRandom::FilterRowRandom(uint32_t seed, int row) : m_State(Mix(uint64_t(seed) << 32 | uint32_t(row))) {}

uint64_t FilterRowRandom::Next()
{
    m_State += 0x9E3779B97F4A7C15ull;
    return Mix(m_State);
}

void AddNoiseKernel(const CBmp& source, CBmp& target, int amount, uint32_t seed)
{
    const auto offsets = Offsets(amount);
    const int width = source.Width;
    ParallelRows(source.Height, int64_t(width) * 8, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            FilterRowRandom random(seed, int(y));
            const uint8_t* in = reinterpret_cast<const uint8_t*>(source.Row32(int(y)));
            uint8_t* out = reinterpret_cast<uint8_t*>(target.Row32(int(y)));
            for (int x = 0; x < width; ++x) {
                // One draw gives the three numbers, blue first.
                const uint64_t bits = random.Next();
                for (int c = 0; c < 3; ++c)
                    out[4 * x + c] = uint8_t(std::clamp(in[4 * x + c] + offsets[size_t(Part(bits, c))], 0, 255));
                out[4 * x + 3] = in[4 * x + 3];
            }
        }
    });
}

void JitterKernel(const CBmp& source, CBmp& target, int amount, uint32_t seed)
{
    const auto offsets = Offsets(2.0 * amount);
    const int width = source.Width, height = source.Height;
    ParallelRows(height, int64_t(width) * 8, [&](int64_t y0, int64_t y1) {
        for (int64_t y = y0; y < y1; ++y) {
            FilterRowRandom random(seed, int(y));
            const uint32_t* in = source.Row32(int(y));
            uint32_t* out = target.Row32(int(y));
            for (int x = 0; x < width; ++x) {
                // r1 then r2: r1 moves across, r2 down.
                const uint64_t bits = random.Next();
                const int dx = offsets[size_t(Part(bits, 0))];
                const int dy = offsets[size_t(Part(bits, 1))];
                const int sx = x + dx, sy = int(y) + dy;
                uint32_t colour = in[x];
                if (sx >= 0 && sx < width && sy >= 0 && sy < height)
                    colour = source.Row32(sy)[sx];
                out[x] = (colour & 0x00FFFFFFu) | (in[x] & 0xFF000000u);
            }
        }
    });
}

void CEditBmp::addNoise(uint32_t seed)
{
    AddNoiseKernel(image(), prepareResult(image().Width, image().Height), kNoiseAmount, seed);
    commit();
}

void CEditBmp::jitter(uint32_t seed)
{
    JitterKernel(image(), prepareResult(image().Width, image().Height), kJitterAmount, seed);
    commit();
}
