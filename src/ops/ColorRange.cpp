#include "ops/ColorRange.h"

#include "image/ColorHistogram.h"
#include "ops/ColorKernels.h"

#include <algorithm>

ColorMeanRange DistinctMeanRange(const CBmp& image, int64_t maxColors)
{
    CColorTable table;
    if (!table.Build(image, maxColors))
        return ColorMeanRange{true, maxColors + 1, 0, 0};
    const ColorHistogram& colors = table.Colors();
    ColorMeanRange range;
    range.Colors = int64_t(colors.size());
    if (colors.empty())
        return range;
    // The first colour of the list order: the lowest bucket, and in it the
    // colour that appeared last (first appearance order runs forward here).
    int firstBucket = 1 << 30;
    const ColorHistItem* first = &colors.front();
    int low = 255, high = 0;
    for (const ColorHistItem& c : colors) {
        const int mean = (int(c.Blue) + int(c.Green) + int(c.Red)) / 3;
        low = std::min(low, mean);
        high = std::max(high, mean);
        const int bucket = ColorBucket(c.Blue, c.Green, c.Red);
        if (bucket <= firstBucket) {
            firstBucket = bucket;
            first = &c;
        }
    }
    const int luma = LumaOf(uint32_t(first->Blue) | uint32_t(first->Green) << 8 | uint32_t(first->Red) << 16);
    range.Low = std::min(low, luma);
    range.High = std::max(high, luma);
    return range;
}
