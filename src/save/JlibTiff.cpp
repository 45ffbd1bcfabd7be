// jlib's TIFF encoder (EncodeTIF of save/Jlib.h) over libtiff. libtiff seeks
// back to finish its header, so the file is built in memory and handed to
// the safe writer in one piece.
#include "save/Jlib.h"

#include "save/WriterFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

namespace {

// Rows per strip are chosen so a strip holds about this many bytes.
constexpr size_t kStripBytes = 256 * 1024;

// Grows with realloc, which moves a large block by remapping its pages
// instead of copying them, and never fills what is about to be written.
struct MemoryFile {
    uint8_t* Data = nullptr;
    uint64_t Size = 0;
    uint64_t Capacity = 0;
    uint64_t Offset = 0;
    ~MemoryFile() { std::free(Data); }

    bool Reserve(uint64_t capacity)
    {
        if (capacity <= Capacity)
            return true;
        if (capacity > SIZE_MAX)
            return false;
        auto* grown = static_cast<uint8_t*>(std::realloc(Data, static_cast<size_t>(capacity)));
        if (!grown)
            return false;
        Data = grown;
        Capacity = capacity;
        return true;
    }
};

// libtiff's handlers only record; nothing is shown or thrown from inside it.
int OnMessage(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

tmsize_t FileRead(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (count <= 0 || file->Offset >= file->Size)
        return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), file->Size - file->Offset));
    std::memcpy(buffer, file->Data + file->Offset, n);
    file->Offset += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t FileWrite(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (count <= 0)
        return 0;
    const uint64_t end = file->Offset + static_cast<uint64_t>(count);
    // Growing by half again keeps a long file's growth linear.
    if (end > file->Capacity && !file->Reserve(std::max(end, file->Capacity + file->Capacity / 2)))
        return -1;
    // A seek past the end leaves a gap that reads as zeros.
    if (file->Offset > file->Size)
        std::memset(file->Data + file->Size, 0, static_cast<size_t>(file->Offset - file->Size));
    std::memcpy(file->Data + file->Offset, buffer, static_cast<size_t>(count));
    file->Offset = end;
    file->Size = std::max(file->Size, end);
    return count;
}

toff_t FileSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->Offset;
    else if (whence == SEEK_END)
        base = file->Size;
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
    return static_cast<MemoryFile*>(handle)->Size;
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
        // Room for the whole image uncompressed: all that plain and PackBits
        // files need, more than LZW usually does; untouched pages cost nothing.
        const uint64_t raw = uint64_t(image.Width) * uint64_t(image.Height) * (HasAlpha(image.Layout) ? 4 : 3);
        if (!memory.Reserve(raw + raw / 64 + 65536))
            return false;
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
        file.Write(memory.Data, static_cast<size_t>(memory.Size));
        file.Commit();
        return true;
    } catch (...) {
        return false;
    }
}
