#include "ops/NewImage.h"

#include "base/TextException.h"
#include "formats/ImageDecoder.h"
#include "image/WinBmp.h"

#include <cmath>
#include <new>

const char* const kTextBelowOnePixel = "The new image would be smaller than one pixel.";
const char* const kTextOutOfMemory = "Out of memory.";

void CheckNewImageSize(int64_t width, int64_t height)
{
    if (width < 1 || height < 1)
        throw CTextException(ErrFormat, kTextBelowOnePixel);
    if (width > INT32_MAX || height > INT32_MAX)
        throw CTextException(ErrNoMemory, kTextOutOfMemory);
    const int64_t bytes = DibBlockSize(width, height, 32);
    if (bytes < 0 || static_cast<uint64_t>(bytes) > MaxImageBytes())
        throw CTextException(ErrNoMemory, kTextOutOfMemory);
}

int64_t PixelCount(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= 9.0e18)
        return INT64_MAX;
    return static_cast<int64_t>(value);
}

void CreateNewImage(CBmp& bitmap, int64_t width, int64_t height, bool hasAlpha)
{
    CheckNewImageSize(width, height);
    try {
        bitmap.Create(static_cast<int>(width), static_cast<int>(height), 32, hasAlpha);
    } catch (const std::bad_alloc&) {
        throw CTextException(ErrNoMemory, kTextOutOfMemory);
    }
}
