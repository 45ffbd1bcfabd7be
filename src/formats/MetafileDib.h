// Device-independent bitmaps inside metafile records, turned into cairo
// surfaces for blits and pattern brushes.
#pragma once

#include "formats/MetafileCanvas.h"

#include <cstddef>
#include <cstdint>

namespace metafile {

struct DibSurface {
    SurfacePtr Surface; // null when the bitmap is damaged, unsupported or too large
    int Width = 0;
    int Height = 0;
    bool BottomUp = false;
};

struct DibOptions {
    uint32_t Usage = 0;       // 0 colour table of RGB quads, 1 of palette indices
    bool KeepAlpha = false;   // 32-bit pixels keep their (premultiplied) alpha
    bool Invert = false;      // for NOTSRCCOPY
    int64_t KeyColor = -1;    // COLORREF drawn transparent (TransparentBlt), -1 none
};

// Header and colour table in one place, rows in another (EMF records).
DibSurface DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                     const DibOptions& options, const LogPalette& palette);

// Points blit.Info and blit.Bits into a packed DIB; false when the header or
// colour table does not fit.
bool SplitPackedDib(const uint8_t* dib, size_t size, uint32_t usage, DibBlit& blit);

// Header, colour table and rows in one block (WMF records, pattern brushes).
DibSurface DecodePackedDib(const uint8_t* dib, size_t size, const DibOptions& options, const LogPalette& palette);

} // namespace metafile
