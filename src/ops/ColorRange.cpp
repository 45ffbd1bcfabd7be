#include "ops/ColorRange.h"

#include "ops/ColorKernels.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int kBuckets = 20023;

int Bucket(uint32_t pixel)
{
    const int blue = int(pixel & 0xFF), green = int((pixel >> 8) & 0xFF), red = int((pixel >> 16) & 0xFF);
    return (blue * 33023 + green * 30013 + red * 27011) % kBuckets;
}

} // namespace

ColorMeanRange DistinctMeanRange(const CBmp& image, int64_t maxColors)
{
    // One bit per colour: a colour met for the first time is a new list entry.
    auto seen = std::make_unique<uint64_t[]>(size_t(1) << 18);
    ColorMeanRange range;
    int firstBucket = kBuckets;
    uint32_t first = 0;
    int low = 255, high = 0;
    const int width = image.Width;
    for (int y = 0; y < image.Height; ++y) {
        const uint32_t* row = image.Row32(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t color = row[x] & 0xFFFFFF;
            uint64_t& word = seen[color >> 6];
            const uint64_t bit = uint64_t(1) << (color & 63);
            if (word & bit)
                continue;
            word |= bit;
            if (++range.Colors > maxColors)
                return ColorMeanRange{true, range.Colors, 0, 0};
            const int mean = (int(color & 0xFF) + int((color >> 8) & 0xFF) + int(color >> 16)) / 3;
            low = std::min(low, mean);
            high = std::max(high, mean);
            // New colours go to the head of their bucket, so a later one
            // in the same bucket comes first.
            const int bucket = Bucket(color);
            if (bucket <= firstBucket) {
                firstBucket = bucket;
                first = color;
            }
        }
    }
    if (range.Colors == 0)
        return range;
    const int luma = LumaOf(first);
    range.Low = std::min(low, luma);
    range.High = std::max(high, luma);
    return range;
}
