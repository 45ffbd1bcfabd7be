// Smooth resizing by area averaging: every output pixel is the exact mean of
// the source area it covers. Used to show large images shrunk without
// aliasing; exact for integer ratios.
#pragma once

#include "image/Bmp.h"

#include <cstdint>

// Resizes a 32-bit image (blue, green, red, alpha) to dstWidth x dstHeight
// into dst, rows top-down dstStride bytes apart. All four channels are
// averaged. With premultiply, every colour is weighted by its pixel's alpha
// and written premultiplied, so the colour of transparent pixels does not
// bleed into their neighbours. Meant for shrinking; enlarging works but only
// repeats pixels. Throws std::invalid_argument when src is not 32-bit; does
// nothing for an empty source or target. A large image is shared with a
// second thread unless oneThread (for a caller that keeps the other core
// busy itself).
void AreaDownscale(const CBmp& src, int dstWidth, int dstHeight, uint8_t* dst, int64_t dstStride,
                   bool premultiply = false, bool oneThread = false);
