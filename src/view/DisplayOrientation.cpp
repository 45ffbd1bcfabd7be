#include "view/DisplayOrientation.h"

#include "formats/ExifOrientation.h"
#include "image/WinBmp.h"
#include "ops/Orientation.h"

namespace {

// Every turn works on whole 32-bit pixels.
void MakeTurnable(CBmp& image)
{
    if (image.BitsPerPixel != 32)
        image.CopyFrom(image, 32);
}

} // namespace

int OrientForDisplay(const std::string& path, CBmp& image)
{
    const int orientation = ReadExifOrientationOfFile(path);
    if (orientation == kOrientNormal || !image.Lines)
        return orientation;
    MakeTurnable(image);
    if (std::unique_ptr<CWinBmp> upright = UprightCopy(image, orientation))
        image.CopyFrom(*upright);
    return orientation;
}

int OrientForDisplay(const std::string& path, std::unique_ptr<CWinBmp>& image)
{
    const int orientation = ReadExifOrientationOfFile(path);
    if (orientation == kOrientNormal || !image || !image->Lines)
        return orientation;
    MakeTurnable(*image);
    if (std::unique_ptr<CWinBmp> upright = UprightCopy(*image, orientation))
        image = std::move(upright);
    return orientation;
}
