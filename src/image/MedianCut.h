// Colour reduction to at most 256 colours: median cut over the distinct
// colours, then every pixel takes its nearest colour of the resulting map.
// The palette writers reduce a copy with QuantizeImage; --reduce-colors
// reduces the shown image.
#pragma once

#include "image/Bmp.h"
#include "image/ColorHistogram.h"

#include <array>
#include <cstdint>

constexpr int kMedianCutColors = 256;

// The colour map of the median cut: one representative per box, in box order
// (largest pixel sum first); entries past Count are black. Values lie in
// 0…maxval of the histogram the cut was made from.
struct ColorMap {
    std::array<PaletteEntry, kMedianCutColors> Entries{};
    int Count = 0;
};

// Splits the colours (reordered in place) into at most 256 boxes: each step
// splits the first box of two or more colours at the pixel median along the
// channel of largest range weighted by BT.601 luma (0.299 red, 0.587 green,
// 0.114 blue; ties go to blue, then green). A box is sorted by that channel,
// equal values by the other two in the order blue, green, red, so that every
// sort is a total order and the result never depends on the colours' prior
// order or on threads. Boxes are kept sorted by pixel sum, largest first,
// equal sums in the order they had. totalPixels is the first box's sum.
// Throws CTextException code 10 "Out of memory." when its tables cannot be had.
ColorMap MedianCut(ColorHistogram& colors, int64_t totalPixels, int maxval);

// The nearest entry of the map (smallest sum of squared channel differences,
// the lower index on ties) for a colour in the map's range.
int NearestColor(const ColorMap& map, uint8_t blue, uint8_t green, uint8_t red);

// Reduces the 32-bit source to at most 256 colours into target (32 bits,
// the source's size; it may be the source itself). Alpha is kept. While the
// image has more than min(width × height, 800000) colours the channels are
// first brought to fewer levels (maxval halved, down to 1 at least); the map
// is then scaled back to 0…255 with rounding, so few levels never turn dark.
// An image of at most 256 colours comes out unchanged. Throws CTextException
// (code 10) when memory runs out.
void QuantizeImage(const CBmp& source, CBmp& target);
