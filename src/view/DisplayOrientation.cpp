#include "view/DisplayOrientation.h"

#include "image/Bmp.h"

void OrientForDisplay(const std::string& path, CBmp& image)
{
    // Filled in with the EXIF reader.
    (void)path;
    (void)image;
}
