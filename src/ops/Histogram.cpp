#include "ops/Histogram.h"

#include "image/ColorHistogram.h"

int LumaLevel(int red, int green, int blue)
{
    return int(0.299 * red + 0.587 * green + 0.114 * blue + 0.5);
}

bool ComputeLevelHistogram(const CBmp& image, LevelHistogram& histogram)
{
    histogram = LevelHistogram();
    CColorTable table;
    if (!table.Build(image, ColorLimit(image)))
        return false;
    auto& levels = histogram.Levels;
    for (const ColorHistItem& c : table.Colors()) {
        ++levels[LevelHistogram::kLuma][size_t(LumaLevel(c.Red, c.Green, c.Blue))];
        ++levels[LevelHistogram::kRed][c.Red];
        ++levels[LevelHistogram::kGreen][c.Green];
        ++levels[LevelHistogram::kBlue][c.Blue];
    }
    return true;
}
