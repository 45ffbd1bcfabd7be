// Lays the bands of a PICT (the pixel maps and bitmaps it draws, each at its
// destination rectangle) out on one bitmap of the picture frame's size.
#pragma once

#include "image/Bmp.h"

#include <cstdint>
#include <vector>

// A QuickDraw rectangle; right and bottom lie just outside it.
struct PictRect {
    int Top = 0;
    int Left = 0;
    int Bottom = 0;
    int Right = 0;
    int64_t Width() const { return int64_t(Right) - Left; }
    int64_t Height() const { return int64_t(Bottom) - Top; }
    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool operator==(const PictRect&) const = default;
};

// Where one band goes: Source (in the coordinates of Bounds, the band's own
// pixels) is drawn into Destination (in the coordinates of the frame).
struct PictPlacement {
    PictRect Bounds;
    PictRect Source;
    PictRect Destination;
};

// The bitmap the bands are drawn on: Size pixels showing the frame rectangle
// Origin, each frame unit ScaleX × ScaleY pixels.
struct PictCanvasLayout {
    int Width = 0;
    int Height = 0;
    int OriginLeft = 0;
    int OriginTop = 0;
    double ScaleX = 1.0;
    double ScaleY = 1.0;
};

// True when a picture of this one band is that band as it stands: it fills
// the frame whole (the band may hold more pixels than the frame's 72-dpi units).
bool PictBandIsWholePicture(const PictRect& frame, const PictPlacement& band);

// The canvas for these bands. Bands finer than 72 dpi keep their pixels: the
// frame is scaled by the first band's resolution. A frame far larger than
// the bands' pixels could justify is cut to the rectangle the bands cover;
// code 2 when even that is too large.
PictCanvasLayout PlanPictCanvas(const PictRect& frame, const std::vector<PictPlacement>& bands);

// Draws the band (8 bits with its palette, or 32 bits) into a 32-bit canvas,
// scaled to its destination and clipped to the canvas, unless that would
// take more than budget pixels. Returns the pixels it took (0 when skipped).
uint64_t DrawPictBand(CBmp& canvas, const PictCanvasLayout& layout, const CBmp& band, const PictPlacement& place,
                      uint64_t budget);

// How many pixels all bands together may draw: enough to paint a canvas many
// times over, little enough that a picture of endless stacked bands ends.
uint64_t PictDrawBudget(const PictCanvasLayout& layout);
