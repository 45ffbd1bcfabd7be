// The pixel work of the geometry operations, as plain functions from a
// source to a target bitmap, for CEditBmp, dialog previews and the command
// line alike. Both bitmaps are 32-bit; the target must already have the size
// the matching *Size function (or the kernel's comment) gives, and must not be
// the source. Pixels move whole (alpha with the colour); fill pixels are
// opaque. Rows are spread over threads (base/ParallelRows.h).
#pragma once

#include "image/Bmp.h"

#include <cstdint>

// Rows in reverse order (the top row becomes the bottom row). Same size.
void FlipRowsKernel(const CBmp& source, CBmp& target);
// Each row mirrored left to right. Same size.
void FlipColumnsKernel(const CBmp& source, CBmp& target);
// Both at once, which is also the half turn. Same size.
void FlipBothKernel(const CBmp& source, CBmp& target);
// Target pixel (x, y) is source pixel (y, x). Target is H × W.
void TransposeKernel(const CBmp& source, CBmp& target);
// Target pixel (x, y) is source pixel (W - 1 - y, H - 1 - x). Target is H × W.
void TransverseKernel(const CBmp& source, CBmp& target);
// Quarter turns clockwise: 1 (H × W), 2 (W × H) or 3 (H × W).
void QuarterTurnKernel(const CBmp& source, CBmp& target, int quarters);

// The size of a rotation by a residual angle (|degrees| ≤ 45, counter-
// clockwise positive) of a width × height image, and the shear amounts of the
// three-shear rotation that go with it.
struct RotationGeometry {
    double Tan = 0;    // |tan(φ/2)|
    double Sin = 0;    // |sin φ|
    int64_t M = 0;     // width after the first shear
    int64_t O = 0;     // offset of the vertical shear
    int64_t A = 0;     // output height
    int64_t B = 0;     // offset of the second shear
    int64_t Width = 0; // output width
    bool Positive = false;  // φ > 0
};
RotationGeometry RotationSize(int64_t width, int64_t height, double degrees);

// Rotation by the residual of RotationSize (same degrees) as three shears by
// whole pixels; target is geometry.Width × geometry.A.
void ShearRotateKernel(const CBmp& source, CBmp& target, const RotationGeometry& geometry, uint32_t fillPixel);
// Rotation by the same residual sampling the nearest-below source pixel of
// each target pixel; same target size.
void DirectRotateKernel(const CBmp& source, CBmp& target, double degrees, uint32_t fillPixel);

// Horizontal shear: width of the result, and the kernel. corner 0 (up-left)
// shifts the top row furthest, 1 (down-left) the bottom row; 0 < degrees < 90.
double ShearWidth(int64_t width, int64_t height, double degrees);
void ShearKernel(const CBmp& source, CBmp& target, double degrees, int corner, uint32_t fillPixel);

// Resampling to the target's size: box averages when both sides shrink,
// bilinear otherwise (ResizeKernel chooses).
void BoxShrinkKernel(const CBmp& source, CBmp& target);
void BilinearKernel(const CBmp& source, CBmp& target);
void ResizeKernel(const CBmp& source, CBmp& target);

// Where the old image goes in a new canvas (anchors 0 to 8 as the Canvas Size
// dialog numbers them), and the copy: source pixel (x, y) lands at
// (x + left, y + top) when inside the target; the rest is fill.
void CanvasOffset(int64_t width, int64_t height, int64_t newWidth, int64_t newHeight, int anchor, int64_t& left,
                  int64_t& top);
void CanvasKernel(const CBmp& source, CBmp& target, int64_t left, int64_t top, uint32_t fillPixel);
