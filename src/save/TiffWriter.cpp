#include "save/TiffWriter.h"

#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/Jlib.h"

void WriteTIFF(const std::string& path, const CBmp& bitmap, int depth, int compression, int /*param*/)
{
    if (depth != 24)
        throw CTextException(ErrInternal, "Internal error.");
    const JlibRows rows{bitmap.Lines.get(), bitmap.Width, bitmap.Height,
                        bitmap.HasAlpha ? JlibLayout::Bgra : JlibLayout::Bgrx};
    if (!EncodeTIF(path, rows, compression))
        throw CTextException(ErrWriteFailure, "Error writing image.");
}
