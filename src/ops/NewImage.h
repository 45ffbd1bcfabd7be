// The size checks of every operation that makes an image: a result must hold
// at least one pixel and fit the pixel-memory cap (OCULANE_MAX_IMAGE_BYTES),
// and both are refused before anything is allocated.
#pragma once

#include "image/Bmp.h"

#include <cstdint>

// The refusal texts (CTextException codes ErrFormat and ErrNoMemory).
extern const char* const kTextBelowOnePixel;
extern const char* const kTextOutOfMemory;

// Throws CTextException when width × height cannot be a 32-bit image.
void CheckNewImageSize(int64_t width, int64_t height);
// A size computed in reals as a whole number of pixels, saturating instead of
// overflowing (NaN counts as 0), for CheckNewImageSize to judge.
int64_t PixelCount(double value);
// Checks, then (re-)creates the bitmap as a 32-bit image; a failed allocation
// is CTextException(ErrNoMemory, "Out of memory.") too.
void CreateNewImage(CBmp& bitmap, int64_t width, int64_t height, bool hasAlpha);
