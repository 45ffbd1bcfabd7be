#include "save/JpegWriter.h"

#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/Jlib.h"

void WriteJPEG(const std::string& path, const CBmp& bitmap, int quality, int smoothing, bool optimizeHuffman,
               bool progressive)
{
    JpegSettings settings;
    settings.Quality = quality;
    settings.Smoothing = smoothing;
    settings.OptimizeHuffman = optimizeHuffman;
    settings.Progressive = progressive;
    // The rows go to the encoder as they are; it skips the fourth byte itself.
    const JlibRows rows{bitmap.Lines.get(), bitmap.Width, bitmap.Height, JlibLayout::Bgrx};
    if (!EncodeJPG(path, rows, settings))
        throw CTextException(ErrWriteFailure, "Error writing image.");
}
