#include "formats/TIFFDecoder.h"

#include "formats/TIFFOrientation.h"
#include "formats/TIFFSampleReader.h"

#include "image/PackedPixels.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include <tiffio.h>

namespace {

constexpr int kPaletteCapacity = 256;
constexpr size_t kMessageSize = 256;
// The RGBA reader is called for bands of at least this many rows (whole
// strips or tiles), so an abandoned decode is noticed between bands.
constexpr uint32_t kBandRows = 64;

// The bytes libtiff reads, and the last error it reported (one record per
// decode, so decoders on different threads do not share it).
struct MemoryClient {
    const uint8_t* Data = nullptr;
    uint64_t Size = 0;
    uint64_t Offset = 0;
    char LastError[kMessageSize] = {};
};

// libtiff's handlers only record or trace text; nothing is thrown through the library.
int OnError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* client = static_cast<MemoryClient*>(user);
    std::vsnprintf(client->LastError, sizeof(client->LastError), format, args);
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char* format, va_list args)
{
    char text[kMessageSize];
    std::vsnprintf(text, sizeof(text), format, args);
    try {
        DecoderTrace(2, std::string("Warning in LIBTIFF: ") + text + "\n");
    } catch (...) {
        // A trace that cannot be written is no reason to stop decoding.
    }
    return 1;
}

tmsize_t ClientRead(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* client = static_cast<MemoryClient*>(handle);
    if (count <= 0 || client->Offset >= client->Size)
        return 0;
    const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), client->Size - client->Offset);
    std::memcpy(buffer, client->Data + client->Offset, static_cast<size_t>(n));
    client->Offset += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t ClientWrite(thandle_t handle, void*, tmsize_t)
{
    auto* client = static_cast<MemoryClient*>(handle);
    std::snprintf(client->LastError, sizeof(client->LastError), "Function disabled.");
    return 0;
}

toff_t ClientSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* client = static_cast<MemoryClient*>(handle);
    const auto delta = static_cast<int64_t>(offset);
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(client->Offset);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(client->Size);
    else if (static_cast<uint64_t>(offset) > static_cast<uint64_t>(INT64_MAX))
        return static_cast<toff_t>(-1);
    if (whence != SEEK_SET && ((delta > 0 && delta > INT64_MAX - base) || base + delta < 0))
        return static_cast<toff_t>(-1);
    const int64_t target = whence == SEEK_SET ? delta : base + delta;
    client->Offset = static_cast<uint64_t>(target);
    return static_cast<toff_t>(target);
}

int ClientClose(thandle_t)
{
    return 0;
}

toff_t ClientSize(thandle_t handle)
{
    return static_cast<MemoryClient*>(handle)->Size;
}

// The bytes are in memory already, so libtiff may read strips and tiles in
// place. It only reads through the mapping; its unmapped path also rejects
// valid tiled files whose tiles reach past the image.
int ClientMap(thandle_t handle, void** base, toff_t* size)
{
    auto* client = static_cast<MemoryClient*>(handle);
    *base = const_cast<uint8_t*>(client->Data);
    *size = client->Size;
    return 1;
}

void ClientUnmap(thandle_t, void*, toff_t) {}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffDeleter>;

[[noreturn]] void RaiseLibraryError(const char* lastError, const char* fallback)
{
    RaiseDecoderError(ErrWrongSignature, lastError[0] ? lastError : fallback);
}

inline uint32_t AbgrToArgb(uint32_t p)
{
    return (p & 0xFF00FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu);
}

// The RGBA reader delivers premultiplied colour; bitmaps hold it straight.
void Unpremultiply(uint32_t* row, int width)
{
    for (int x = 0; x < width; ++x) {
        const uint32_t p = row[x];
        const uint32_t a = p >> 24;
        if (a == 255)
            continue;
        if (a == 0) {
            row[x] = 0;
            continue;
        }
        auto straight = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
        row[x] = (a << 24) | (straight((p >> 16) & 0xFF) << 16) | (straight((p >> 8) & 0xFF) << 8) | straight(p & 0xFF);
    }
}

// Scanline samples of any width up to 8 bits, most significant bits first,
// to one index byte per pixel. line has one readable byte past its end.
void ExpandSamples(const uint8_t* line, uint8_t* row, int width, int bits)
{
    if (!UnpackIndices(line, bits, width, row)) {
        const unsigned mask = (1u << bits) - 1;
        for (int x = 0; x < width; ++x) {
            const size_t bit = size_t(x) * size_t(bits);
            const unsigned pair = (unsigned(line[bit >> 3]) << 8) | line[(bit >> 3) + 1];
            row[x] = static_cast<uint8_t>((pair >> (16 - bits - (bit & 7))) & mask);
        }
    }
}

// Rows per call of the RGBA reader: whole strips or tiles, so none is decoded
// twice, and at least kBandRows.
uint32_t BandRows(TIFF* tif, uint32_t rows)
{
    uint32_t unit = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    if (unit == 0 || unit > rows)
        unit = rows;
    return unit >= kBandRows ? unit : std::min(rows, unit * ((kBandRows + unit - 1) / unit));
}

} // namespace

void CTIFFDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                             CByteSource& source)
{
    MemoryClient client;
    client.Data = source.GetPosition();
    // Everything from the current position on is TIFF data (for an EPS
    // preview, from the preview's first byte to the end of the file).
    client.Size = source.Remaining();

    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options)
        RaiseDecoderError(ErrNoMemory, "Out of memory.");
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &client);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, nullptr);
    // No single allocation inside libtiff may exceed what a bitmap may take.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                        static_cast<tmsize_t>(std::min<uint64_t>(MaxImageBytes(), INT64_MAX)));

    const TiffPtr tif(TIFFClientOpenExt("MemSource", "r", &client, ClientRead, ClientWrite, ClientSeek, ClientClose,
                                        ClientSize, ClientMap, ClientUnmap, options.get()));
    if (!tif)
        RaiseLibraryError(client.LastError, "Cannot open TIFF data.");

    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    const int fileDepth = int(bitsPerSample) * int(samplesPerPixel);

    // Indices are kept for one sample of up to 8 bits when 0, 1 or 8 bits are
    // asked for; any other request is written at 32 bits. Tiled files have no
    // scanlines to read and go through the RGBA reader as well.
    const bool lowColor = samplesPerPixel == 1 && bitsPerSample >= 1 && bitsPerSample <= 8 &&
                          (bitsPerPixel == 0 || bitsPerPixel == 1 || bitsPerPixel == 8) && !TIFFIsTiled(tif.get());
    // Grey, RGB and Lab files of simple layouts are read sample by sample, so
    // that 16-bit samples round, alpha stays straight and layouts the RGBA
    // reader refuses still read; plain 8-bit files keep the faster RGBA reader.
    CTIFFSampleReader samples;
    if (lowColor)
        DoLoColor(bitmap, paletteOut, bitsPerPixel, tif.get(), client.LastError);
    else if (samples.Setup(tif.get()) && !samples.IsPlain())
        ReadSamples(bitmap, samples, tif.get(), client.LastError);
    else
        ReadTrueColor(bitmap, tif.get(), client.LastError);
    bitmap.SourceBitsPerPixel = fileDepth;
    DecoderTrace(3, "Decoding finished.\n");
}

void CTIFFDecoder::ReadTrueColor(CBmp& bitmap, tiff* tif, const char* lastError)
{
    char reason[1024] = {};
    TIFFRGBAImage image;
    if (!TIFFRGBAImageOK(tif, reason) || !TIFFRGBAImageBegin(&image, tif, 0, reason))
        RaiseLibraryError(lastError, reason);
    struct ImageEnd {
        TIFFRGBAImage& Image;
        ~ImageEnd() { TIFFRGBAImageEnd(&Image); }
    } imageEnd{image};

    DecoderTrace(2, "Decoding TIFF through the RGBA reader.\n");
    if (image.orientation != ORIENTATION_TOPLEFT) {
        ReadTrueColorOriented(bitmap, tif, lastError, &image, image.orientation);
        return;
    }
    CreateBitmap(bitmap, image.width, image.height, 32, image.alpha != 0);
    const int w = bitmap.Width;
    const int h = bitmap.Height;
    const int64_t rowBytes = int64_t(w) * 4;

    // The reader delivers the bottom row first, which is how the bitmap keeps
    // its rows in memory: read straight into it when its rows are one block.
    const bool direct = bitmap.BytesPerLine() == rowBytes &&
                        (h == 1 || bitmap.Lines[0] == bitmap.Lines[h - 1] + rowBytes * (h - 1));
    std::unique_ptr<uint32_t[]> scratch;
    uint32_t* raster = nullptr;
    if (direct) {
        raster = reinterpret_cast<uint32_t*>(bitmap.Lines[h - 1]);
    } else {
        scratch.reset(new (std::nothrow) uint32_t[size_t(w) * size_t(h)]);
        if (!scratch)
            RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
        raster = scratch.get();
    }

    // The reader fills each band bottom-up, so the file's first band, the top
    // of the picture, lies at the end of the raster.
    const uint32_t rows = static_cast<uint32_t>(h);
    const uint32_t band = BandRows(tif, rows);
    for (uint32_t first = 0, n = 0; first < rows; first += n) {
        CheckAbort();
        n = std::min(band, rows - first);
        image.row_offset = static_cast<int>(first);
        if (!TIFFRGBAImageGet(&image, raster + size_t(rows - first - n) * size_t(w), image.width, n))
            RaiseLibraryError(lastError, "Reading TIFF image failed.");
    }

    // Raster pixels are bytes red, green, blue, alpha; ours blue, green, red, alpha.
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = raster + size_t(h - 1 - y) * size_t(w);
        uint32_t* dst = bitmap.Row32(y);
        for (int x = 0; x < w; ++x)
            dst[x] = AbgrToArgb(src[x]);
        if (image.alpha)
            Unpremultiply(dst, w);
    }
}

void CTIFFDecoder::ReadTrueColorOriented(CBmp& bitmap, tiff* tif, const char* lastError, void* rgbaImage,
                                         int orientation)
{
    TIFFRGBAImage& image = *static_cast<TIFFRGBAImage*>(rgbaImage);
    // Asking for the file's own orientation gives the rows as stored, top
    // first; they are then placed where the tag says.
    image.req_orientation = static_cast<uint16_t>(orientation);
    const CTIFFOrientedRows placer(orientation, image.width, image.height);
    CreateBitmap(bitmap, placer.Width(), placer.Height(), 32, image.alpha != 0);

    const uint32_t w = image.width;
    const uint32_t rows = image.height;
    const uint32_t band = BandRows(tif, rows);
    std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[size_t(w) * size_t(band)]);
    if (!raster)
        RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
    for (uint32_t first = 0, n = 0; first < rows; first += n) {
        CheckAbort();
        n = std::min(band, rows - first);
        image.row_offset = static_cast<int>(first);
        if (!TIFFRGBAImageGet(&image, raster.get(), w, n))
            RaiseLibraryError(lastError, "Reading TIFF image failed.");
        for (uint32_t r = 0; r < n; ++r) {
            uint32_t* row = raster.get() + size_t(r) * w;
            for (uint32_t x = 0; x < w; ++x)
                row[x] = AbgrToArgb(row[x]);
            if (image.alpha)
                Unpremultiply(row, static_cast<int>(w));
            placer.Put32(bitmap, first + r, row);
        }
    }
}

void CTIFFDecoder::ReadSamples(CBmp& bitmap, CTIFFSampleReader& samples, tiff* tif, const char* lastError)
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    DecoderTrace(2, "Decoding TIFF samples.\n");
    const CTIFFOrientedRows placer(orientation, width, height);
    CreateBitmap(bitmap, placer.Width(), placer.Height(), 32, samples.HasAlpha());
    samples.Read(GetAbortFlag(), lastError,
                 [&](uint32_t y, const uint32_t* pixels) { placer.Put32(bitmap, y, pixels); });
}

void CTIFFDecoder::DoLoColor(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel, tiff* tif,
                             const char* lastError)
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    const CTIFFOrientedRows placer(orientation, width, height);

    // Bilevel files stay packed in a 1-bit bitmap unless 8 bits are asked for.
    const int depth = bits == 1 && bitsPerPixel != 8 ? 1 : 8;
    DecoderTrace(2, depth == 1 ? "Decoding bilevel TIFF.\n" : "Decoding palette or greyscale TIFF.\n");
    CreateBitmap(bitmap, placer.Width(), placer.Height(), depth, false);

    paletteOut.reset(new (std::nothrow) PaletteEntry[kPaletteCapacity]);
    if (!paletteOut)
        RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF palette.");
    for (int i = 0; i < kPaletteCapacity; ++i)
        paletteOut[i] = PaletteEntry{0, 0, 0, 255};
    const int n = 1 << bits;
    const int step = 255 / (n - 1);
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (photometric == PHOTOMETRIC_PALETTE && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
        // Some writers store 8-bit values in the 16-bit map.
        bool eightBit = true;
        for (int i = 0; i < n && eightBit; ++i)
            eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
        auto scale = [eightBit](uint16_t v) { return static_cast<uint8_t>(eightBit ? v : uint32_t(v) * 255 / 65535); };
        for (int i = 0; i < n; ++i)
            paletteOut[i] = PaletteEntry{scale(blue[i]), scale(green[i]), scale(red[i]), 255};
    } else {
        if (photometric != PHOTOMETRIC_MINISBLACK && photometric != PHOTOMETRIC_MINISWHITE)
            DecoderTrace(2, "unexpected PhotometricInterpretation in CTIFFDecoder::DoLoColor()");
        // Anything but min-is-white (a palette file without its map included)
        // is shown as a black-to-white ramp.
        const bool reversed = photometric == PHOTOMETRIC_MINISWHITE;
        for (int i = 0; i < n; ++i) {
            const auto v = static_cast<uint8_t>(step * (reversed ? n - 1 - i : i));
            paletteOut[i] = PaletteEntry{v, v, v, 255};
        }
    }

    const int64_t lineSize = TIFFScanlineSize64(tif);
    const int64_t needed = (int64_t(width) * bits + 7) / 8;
    if (lineSize < needed)
        RaiseLibraryError(lastError, "TIFF scanline size is wrong.");
    std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[static_cast<size_t>(lineSize) + 1]);
    if (!line)
        RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
    line[static_cast<size_t>(lineSize)] = 0;

    const int w = static_cast<int>(width);
    std::unique_ptr<uint8_t[]> turned;
    if (!placer.IsIdentity() && depth == 8) {
        turned.reset(new (std::nothrow) uint8_t[width]);
        if (!turned)
            RaiseDecoderError(ErrNoMemory, "Out of memory allocating TIFF buffer.");
    }
    for (uint32_t y = 0; y < height; ++y) {
        CheckAbort();
        if (TIFFReadScanline(tif, line.get(), y, 0) < 0)
            RaiseLibraryError(lastError, "Reading TIFF scanline failed.");
        if (placer.IsIdentity() && depth == 1) {
            std::memcpy(bitmap.Lines[y], line.get(), static_cast<size_t>(needed));
        } else if (placer.IsIdentity()) {
            ExpandSamples(line.get(), bitmap.Lines[y], w, bits);
        } else if (depth == 1) {
            placer.Put1(bitmap, y, line.get());
        } else {
            ExpandSamples(line.get(), turned.get(), w, bits);
            placer.Put8(bitmap, y, turned.get());
        }
    }
    bitmap.SetPalette(paletteOut.get());
}
