// The pixel depth a save writes for the formats that take one (BMP, PCX, Sun
// raster, TGA), from the image or from the remembered dialog index.
#pragma once

// code: a save code (save/SaveImage.h). useImageDepth: the image decides
// (Save keeps what the image is); otherwise the remembered index does (after
// the options dialog, or for Convert). Formats without a depth get 24.
int ChooseSaveDepth(int code, bool useImageDepth, int bitsPerPixel, int rememberedIndex);
