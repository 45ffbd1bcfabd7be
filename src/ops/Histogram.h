// The level histogram of the Colors menu's "Histogram...": for each level of
// luma, red, green and blue, how many distinct colours have it (not how many
// pixels).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class CBmp;

struct LevelHistogram {
    // In the order of the dialog's list: "Luminocity", "Red", "Green", "Blue".
    enum Channel { kLuma = 0, kRed = 1, kGreen = 2, kBlue = 3, kChannels = 4 };
    std::array<std::array<int64_t, 256>, kChannels> Levels{};
};

// Fills the histogram of a 32-bit image (luma as the colour operations
// define it, ColorKernels.h); false, with every counter 0, when
// the image has more colours than its limit (min(width × height, 800000)).
// Throws CTextException code 10 when the colour table cannot be had.
bool ComputeLevelHistogram(const CBmp& image, LevelHistogram& histogram);
