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

// The colour histogram lists its colours by bucket, (B × 33023 + G × 30013 +
// R × 27011) mod 20023, and within a bucket the colour that appeared last
// first; the first colour is found without building that list. A flat set of
// all 2^24 colours (2 MiB, std::bad_alloc when it cannot be had) counts them.
ColorMeanRange DistinctMeanRange(const CBmp& image, int64_t maxColors);
