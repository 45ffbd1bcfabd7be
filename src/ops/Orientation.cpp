#include "ops/Orientation.h"

#include "formats/ExifOrientation.h"
#include "ops/GeometryKernels.h"
#include "ops/NewImage.h"

std::unique_ptr<CWinBmp> UprightCopy(const CBmp& image, int orientation)
{
    if (orientation <= kOrientNormal || orientation > kOrientTurnLeft || image.BitsPerPixel != 32 || !image.Lines)
        return nullptr;
    const bool swapsSides = orientation >= kOrientTranspose;
    auto upright = std::make_unique<CWinBmp>();
    CreateNewImage(*upright, swapsSides ? image.Height : image.Width, swapsSides ? image.Width : image.Height,
                   image.HasAlpha);
    upright->SourceBitsPerPixel = image.SourceBitsPerPixel;
    switch (orientation) {
    case kOrientMirrorColumns: FlipColumnsKernel(image, *upright); break;
    case kOrientHalfTurn: FlipBothKernel(image, *upright); break;
    case kOrientMirrorRows: FlipRowsKernel(image, *upright); break;
    case kOrientTranspose: TransposeKernel(image, *upright); break;
    case kOrientTurnRight: QuarterTurnKernel(image, *upright, 1); break;
    case kOrientTransverse: TransverseKernel(image, *upright); break;
    case kOrientTurnLeft: QuarterTurnKernel(image, *upright, 3); break;
    default: break;
    }
    return upright;
}
