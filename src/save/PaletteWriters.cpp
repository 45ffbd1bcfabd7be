#include "save/PaletteWriters.h"

#include "formats/FormatTable.h"
#include "image/WinBmp.h"
#include "save/DdsWriter.h"
#include "save/GifWriter.h"
#include "save/IffWriter.h"
#include "save/PictWriter.h"
#include "save/SaveOptions.h"

namespace {

using Write = void (*)(const std::string& path, const CBmp& bitmap, const SaveOptions& options);

// The writers read 32-bit pixels; any other image is widened first.
template <Write write>
void Adapt(const CBmp& bitmap, const std::string& path, const SaveOptions& options)
{
    if (bitmap.BitsPerPixel == 32) {
        write(path, bitmap, options);
        return;
    }
    CWinBmp wide;
    wide.CopyFrom(bitmap, 32);
    write(path, wide, options);
}

void Gif(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteGIF(path, bitmap, o.Interlaced);
}

// The save dialog has no IFF options; --rle packs the rows.
void Iff(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteIFF(path, bitmap, o.Rle ? 1 : 0);
}

void Pict(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WritePICT(path, bitmap, o.Rle);
}

void Dds(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteDDS(path, bitmap, o.DdsFormat, o.DdsFlip, o.DdsMipMaps);
}

} // namespace

void RegisterPaletteWriters()
{
    SetFormatWriter(ImageFormat::GIF, Adapt<Gif>);
    SetFormatWriter(ImageFormat::IFF, Adapt<Iff>);
    SetFormatWriter(ImageFormat::PICT, Adapt<Pict>);
    SetFormatWriter(ImageFormat::DDS, Adapt<Dds>);
}
