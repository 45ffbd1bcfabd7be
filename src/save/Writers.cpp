#include "save/Writers.h"

#include "base/FileName.h"
#include "formats/FormatTable.h"
#include "image/WinBmp.h"
#include "save/BmpWriter.h"
#include "save/DdsWriter.h"
#include "save/GifWriter.h"
#include "save/IffWriter.h"
#include "save/JpegWriter.h"
#include "save/PcxWriter.h"
#include "save/PictWriter.h"
#include "save/PngWriter.h"
#include "save/PnmWriter.h"
#include "save/RasWriter.h"
#include "save/SaveOptions.h"
#include "save/TgaWriter.h"
#include "save/TiffWriter.h"

namespace {

using Write = void (*)(const std::string& path, const CBmp& bitmap, const SaveOptions& options);

// Every writer reads 32-bit pixels; any other image is widened first.
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

void Png(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WritePNG(path, bitmap, o.Interlaced);
}

void Bmp(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteBMP(path, bitmap, o.Depth);
}

void Tga(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteTGA(path, bitmap, o.Rle, o.Depth);
}

void Jpeg(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteJPEG(path, bitmap, o.JpegQuality, o.JpegSmoothing, o.JpegOptimizeHuffman, o.JpegProgressive);
}

void Tiff(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteTIFF(path, bitmap, 24, o.TiffCompression, o.TiffParam);
}

// One row serves the family: a ".pgm" name is a graymap, any other a pixmap.
void Pnm(const std::string& path, const CBmp& bitmap, const SaveOptions&)
{
    if (EqualsNoCase(Extension(path), "pgm"))
        WritePGM(path, bitmap);
    else
        WritePPM(path, bitmap);
}

void Pcx(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WritePCX(path, bitmap, o.Depth);
}

void Ras(const std::string& path, const CBmp& bitmap, const SaveOptions& o)
{
    WriteRAS(path, bitmap, o.Depth, o.Rle);
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

void RegisterWriters()
{
    SetFormatWriter(ImageFormat::PNG, Adapt<Png>);
    SetFormatWriter(ImageFormat::BMP, Adapt<Bmp>);
    SetFormatWriter(ImageFormat::TGA, Adapt<Tga>);
    SetFormatWriter(ImageFormat::JPEG, Adapt<Jpeg>);
    SetFormatWriter(ImageFormat::TIFF, Adapt<Tiff>);
    SetFormatWriter(ImageFormat::PNM, Adapt<Pnm>);
    SetFormatWriter(ImageFormat::PCX, Adapt<Pcx>);
    SetFormatWriter(ImageFormat::RAS, Adapt<Ras>);
    SetFormatWriter(ImageFormat::GIF, Adapt<Gif>);
    SetFormatWriter(ImageFormat::IFF, Adapt<Iff>);
    SetFormatWriter(ImageFormat::PICT, Adapt<Pict>);
    SetFormatWriter(ImageFormat::DDS, Adapt<Dds>);
}
