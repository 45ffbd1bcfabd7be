// The normal map: a height from every pixel by one of nine methods, times a
// height scale factor; the slope of that height field becomes the colour and
// the scaled height the alpha byte.
#pragma once

#include "image/Bmp.h"

// The methods in the order of the dialog's buttons.
enum NormalMapMethod {
    NormalMapGrayScale,
    NormalMapAverage,
    NormalMapAlpha,
    NormalMapRed,
    NormalMapBlue,
    NormalMapGreen,
    NormalMapMax,
    NormalMapLightness,
    NormalMapColorSpace,
    NormalMapMethodCount
};

// The dialog's label of each method ("GrayScale" ... "ColorSpace").
extern const char* const kNormalMapMethodNames[NormalMapMethodCount];

// The factors accepted, either way: beyond this every slope of one level is
// already steeper than 1000 : 1, and the height stays exact in a double.
constexpr double kNormalMapScaleLimit = 1000000;
// A finite scale within the limit.
bool IsNormalMapScale(double scale);

// The height of a pixel word (0..1) by a method of NormalMapMethod.
double NormalMapHeight(int method, uint32_t pixel);

// Writes all four bytes of every target pixel. Heights come from the pixel,
// its right neighbour and the one below, wrapping around at the last column
// and row so the map tiles; everything is computed in double. method and
// scale must be valid (the caller checks).
void NormalMapKernel(const CBmp& source, CBmp& target, int method, double scale);
