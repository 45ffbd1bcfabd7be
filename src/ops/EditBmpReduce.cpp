// Colour reduction of the shown image: the median cut the palette writers use.
#include "ops/EditBmp.h"

#include "image/MedianCut.h"

void CEditBmp::reduceColours()
{
    CWinBmp& target = prepareResult(image().Width, image().Height);
    QuantizeImage(image(), target);
    // At most 256 colours now: what a palette file of this image would hold.
    target.SourceBitsPerPixel = 8;
    commit();
}
