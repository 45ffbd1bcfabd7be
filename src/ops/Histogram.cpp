#include "ops/Histogram.h"

#include "image/ColorHistogram.h"
#include "ops/ColorKernels.h"

bool ComputeLevelHistogram(const CBmp& image, LevelHistogram& histogram)
{
    histogram = LevelHistogram();
    CColorTable table;
    if (!table.Build(image, ColorLimit(image)))
        return false;
    auto& levels = histogram.Levels;
    for (const ColorHistItem& c : table.Colors()) {
        ++levels[LevelHistogram::kLuma][size_t(Luma(c.Red, c.Green, c.Blue))];
        ++levels[LevelHistogram::kRed][c.Red];
        ++levels[LevelHistogram::kGreen][c.Green];
        ++levels[LevelHistogram::kBlue][c.Blue];
    }
    return true;
}
