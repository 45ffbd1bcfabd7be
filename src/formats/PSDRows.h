// Turns one row of a Photoshop document's merged planes into pixels, by
// colour mode and sample size (1, 8 or 16 bits, the high byte first).
#pragma once

#include <cstdint>

// How the planes make a pixel: through a colour table from plane 0 (grey,
// indexed, duotone, multichannel), with plane 1 as alpha; RGB from planes
// 0-2, with plane 3 as alpha; CMYK from planes 0-3 (stored as 255 - ink),
// with plane 4 as alpha; or one bit per pixel, 1 black.
enum class PsdRowKind { Table, TableAlpha, Rgb, Rgba, Cmyk, Cmyka, Bits };

using PsdRowPutter = void (*)(uint32_t* dst, const uint8_t* const* planes, const uint32_t* colors, int width);

// depth is 1 (Bits only), 8 or 16.
PsdRowPutter ChoosePsdRowPutter(PsdRowKind kind, int depth);

// Planes a row kind reads.
int PsdRowPlanes(PsdRowKind kind);
