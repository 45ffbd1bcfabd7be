// The range of mean intensities over the distinct colours of an image, as the
// contrast adjustment needs it.
#pragma once

#include "image/Bmp.h"

#include <cstdint>

struct ColorMeanRange {
    bool TooManyColors = false;  // more distinct colours than the limit: nothing else is set
    int64_t Colors = 0;          // distinct colours (blue, green, red; alpha ignored)
    int Low = 0;                 // min and max of (R + G + B) / 3, both starting from
    int High = 0;                // the luma of the first colour of the colour histogram
};

// The colours are counted by the colour table of the count and the histogram
// (image/ColorHistogram.h); the first colour of their list order is found
// without building that list. Throws as CColorTable does.
ColorMeanRange DistinctMeanRange(const CBmp& image, int64_t maxColors);
