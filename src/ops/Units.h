// The arithmetic of the size dialogs (Resize, Canvas Size, Add Borders /
// Crop By Value, Rotate), without the dialogs: lengths in the unit of the
// options, the proportions of Resize, the borders-or-crop size and anchor,
// and the clockwise rotation angle.
#pragma once

#include <cstdint>

// The length units of the options, by their stored value.
enum LengthUnit {
    UnitPixels = 0,
    UnitInches = 1,
    UnitMillimetres = 2,
    UnitCentimetres = 3,
};

// "pixels", "inches", "mm", "cm" (pixels for an unknown unit, as everywhere here).
const char* UnitName(int unit);
// Decimals a computed length is written with: none in pixels, 4 otherwise.
int UnitDecimals(int unit);
double PixelsToUnit(double pixels, int unit);
// Rounded to the nearest pixel, so a length shown with 4 decimals comes back
// as the pixels it was made from; saturates far beyond any image size.
int64_t UnitToPixels(double value, int unit);

// Constrain proportions: the other side for an edited one, keeping the ratio
// of the size the dialog opened with.
double ProportionalHeight(double newWidth, int width, int height);
double ProportionalWidth(double newHeight, int width, int height);

// Orientation indices of Add Borders / Crop By Value: horizontal 0 from left,
// 1 centered, 2 from right; vertical 0 from top, 1 centered, 2 from bottom.
// The canvas anchor that adds or removes the amount on those sides.
int BorderAnchor(int horizontal, int vertical);

struct CanvasChange {
    int64_t Width = 0;
    int64_t Height = 0;
    int Anchor = 0;
};
// The canvas for adding borders (addBorders) or cropping by the amounts in
// the unit: the size in the unit plus or minus the amounts, in pixels. A crop
// below zero throws CTextException(ErrFormat, "Can't crop image."); a result
// of 0 pixels is left to the canvas operation to refuse.
CanvasChange BordersOrCrop(int width, int height, double horizontal, double vertical, int horizontalOrientation,
                           int verticalOrientation, bool addBorders, int unit);
extern const char* const kTextCannotCrop;

// The clockwise angle of the Rotate dialog: direction 0 clockwise, 1 counter-clockwise.
int RotationAngle(int angle, int direction);
