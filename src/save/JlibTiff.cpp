// jlib's TIFF encoder (EncodeTIF of save/Jlib.h) over libtiff. libtiff seeks
// back to finish its header, so the file is built in memory and handed to
// the safe writer in one piece.
#include "save/Jlib.h"

#include "save/WriterFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

namespace {

// Rows per strip are chosen so a strip holds about this many bytes.
constexpr size_t kStripBytes = 256 * 1024;

struct MemoryFile {
    std::vector<uint8_t> Data;
    uint64_t Offset = 0;
};

// libtiff's handlers only record; nothing is shown or thrown from inside it.
int OnMessage(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

tmsize_t FileRead(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (count <= 0 || file->Offset >= file->Data.size())
        return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), file->Data.size() - file->Offset));
    std::memcpy(buffer, file->Data.data() + file->Offset, n);
    file->Offset += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t FileWrite(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (count <= 0)
        return 0;
    const uint64_t end = file->Offset + static_cast<uint64_t>(count);
    try {
        if (end > file->Data.size()) {
            // Growing by half again keeps the copying of a long file linear.
            if (end > file->Data.capacity())
                file->Data.reserve(std::max<uint64_t>(end, file->Data.capacity() + file->Data.capacity() / 2));
            file->Data.resize(static_cast<size_t>(end));
        }
    } catch (...) {
        return -1;
    }
    std::memcpy(file->Data.data() + file->Offset, buffer, static_cast<size_t>(count));
    file->Offset = end;
    return count;
}

toff_t FileSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->Offset;
    else if (whence == SEEK_END)
        base = file->Data.size();
    // Offsets are unsigned; libtiff seeks only forward from a base.
    file->Offset = base + offset;
    return static_cast<toff_t>(file->Offset);
}

int FileClose(thandle_t)
{
    return 0;
}

toff_t FileSize(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->Data.size();
}

int FileMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void FileUnmap(thandle_t, void*, toff_t) {}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

bool HasAlpha(JlibLayout layout)
{
    return layout == JlibLayout::Rgba || layout == JlibLayout::Bgra;
}

// One row as red, green, blue and, with alpha, alpha.
void PackRow(const uint8_t* in, uint8_t* out, int width, JlibLayout layout)
{
    switch (layout) {
    case JlibLayout::Rgb:
        std::memcpy(out, in, size_t(3) * size_t(width));
        break;
    case JlibLayout::Rgba:
        std::memcpy(out, in, size_t(4) * size_t(width));
        break;
    case JlibLayout::Bgrx:
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        break;
    case JlibLayout::Bgra:
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
        break;
    }
}

bool Encode(TIFF* tif, const JlibRows& image, uint16_t compression)
{
    const bool alpha = HasAlpha(image.Layout);
    const uint16_t samples = alpha ? 4 : 3;
    const size_t rowBytes = size_t(samples) * size_t(image.Width);
    const uint32_t rowsPerStrip = static_cast<uint32_t>(std::max<size_t>(1, kStripBytes / rowBytes));
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.Width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.Height)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, compression) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::min<uint32_t>(rowsPerStrip, image.Height));
    // Differences of neighbouring samples make photographs far smaller.
    if (ok && compression == COMPRESSION_LZW)
        ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (ok && alpha) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        ok = TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    std::vector<uint8_t> row(rowBytes);
    for (int y = 0; ok && y < image.Height; ++y) {
        PackRow(image.Rows[y], row.data(), image.Width, image.Layout);
        ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
    }
    return ok && TIFFWriteDirectory(tif);
}

} // namespace

bool EncodeTIF(const std::string& path, const JlibRows& image, int compression)
{
    static const uint16_t kCompressions[] = {COMPRESSION_NONE, COMPRESSION_PACKBITS, COMPRESSION_LZW};
    if (compression < 0 || compression > 2 || image.Width <= 0 || image.Height <= 0 || !image.Rows)
        return false;
    try {
        // Made first, so that a target that may not be replaced is refused
        // before any encoding.
        CWriterFile file(path, "Error writing image.");
        MemoryFile memory;
        std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
        if (!options)
            return false;
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnMessage, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnMessage, nullptr);
        std::unique_ptr<TIFF, TiffDeleter> tif(TIFFClientOpenExt("jlib", "w", &memory, FileRead, FileWrite, FileSeek,
                                                                 FileClose, FileSize, FileMap, FileUnmap,
                                                                 options.get()));
        if (!tif || !Encode(tif.get(), image, kCompressions[compression]))
            return false;
        tif.reset();
        file.Write(memory.Data.data(), memory.Data.size());
        file.Commit();
        return true;
    } catch (...) {
        return false;
    }
}
