#include "formats/PNGDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

namespace {

constexpr int kPaletteCapacity = 256;
// Limits on what a file may make libpng allocate or keep; the pixel memory
// itself is capped when the bitmap is created.
constexpr png_uint_32 kMaxWidth = 1000000;
constexpr png_uint_32 kMaxHeight = 1000000;
constexpr png_uint_32 kMaxCachedChunks = 1000;
constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;
// Rows read per call into the library; an abandoned decode is noticed between calls.
constexpr png_uint_32 kRowBatch = 16;

// Text of the source's own end-of-data failure: the read callback runs inside
// libpng and may not throw, so it raises the same failure through this record.
constexpr const char* kEndOfData = "Unexpected end of file.";

// Everything the library calls back into, and what the steps report. The
// first failure recorded wins; libpng's own errors are code 2.
struct PngJob {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    size_t Offset = 0;
    int Code = 0;
    char Text[256] = {};

    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    int Interlace = 0;
    bool HasTransparency = false;
    // Plain RGB rows are read as they are and widened to blue, green, red,
    // 255 by us in one pass, instead of libpng's separate swap and filler passes.
    bool WidenRgb = false;
    int PaletteCount = 0;
    png_color Palette[kPaletteCapacity] = {};
    size_t RowBytes = 0;
    int Passes = 1; // 7 for an interlaced file, every row is read once a pass
};

void OnError(png_structp png, png_const_charp message)
{
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    if (job->Code == 0) {
        job->Code = ErrFormat;
        std::snprintf(job->Text, sizeof(job->Text), "%s", message ? message : "");
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t count)
{
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (count > job->Size - job->Offset) {
        job->Code = ErrInternal;
        std::snprintf(job->Text, sizeof(job->Text), "%s", kEndOfData);
        png_error(png, kEndOfData);
    }
    std::memcpy(out, job->Data + job->Offset, count);
    job->Offset += count;
}

// The steps below return false after a library error (recorded in the job).
// Their locals are plain values: a longjmp out of libpng skips no destructor.

bool ReadInfoStep(PngJob* job)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    png_structp png = job->Png;
    png_set_user_limits(png, kMaxWidth, kMaxHeight);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_read_fn(png, job, OnRead);
#ifdef PNG_IGNORE_ADLER32
    // Every IDAT chunk carries its own CRC; the zlib checksum on top of it
    // costs a pass over all the pixel data and guards nothing more.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, job->Info);
    png_get_IHDR(png, job->Info, &job->Width, &job->Height, &job->BitDepth, &job->ColorType, &job->Interlace,
                 nullptr, nullptr);
    job->HasTransparency = png_get_valid(png, job->Info, PNG_INFO_tRNS) != 0;
    png_colorp palette = nullptr;
    int count = 0;
    if (job->ColorType == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(png, job->Info, &palette, &count) && palette) {
        job->PaletteCount = count < kPaletteCapacity ? count : kPaletteCapacity;
        std::memcpy(job->Palette, palette, sizeof(png_color) * static_cast<size_t>(job->PaletteCount));
    }
    return true;
}

// Rows come out either as one byte per pixel (8-bit target) or as blue,
// green, red and alpha or filler (32-bit target).
bool TransformStep(PngJob* job, bool to32, bool alpha)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    png_structp png = job->Png;
    if (job->BitDepth == 16)
        png_set_strip_16(png);
    if (to32) {
        // A transparency chunk of an alpha-less type becomes an alpha channel.
        const bool trns = job->HasTransparency;
        switch (job->ColorType) {
        case PNG_COLOR_TYPE_GRAY:
            png_set_gray_to_rgb(png);
            png_set_expand_gray_1_2_4_to_8(png);
            if (trns)
                png_set_tRNS_to_alpha(png);
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            png_set_gray_to_rgb(png);
            png_set_expand(png);
            break;
        case PNG_COLOR_TYPE_PALETTE:
            // Expanding the palette brings its transparency along as alpha.
            png_set_palette_to_rgb(png);
            break;
        case PNG_COLOR_TYPE_RGB:
            if (trns)
                png_set_tRNS_to_alpha(png);
            else if (job->Interlace == PNG_INTERLACE_NONE)
                job->WidenRgb = true;
            break;
        default:
            break;
        }
        if (!job->WidenRgb) {
            png_set_bgr(png);
            if (!alpha)
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        }
    } else if (job->BitDepth < 8) {
        png_set_packing(png);
    }
    job->Passes = png_set_interlace_handling(png);
    png_read_update_info(png, job->Info);
    job->RowBytes = png_get_rowbytes(png, job->Info);
    return true;
}

// Red, green, blue bytes at the start of the row become 0xFFRRGGBB words;
// working from the right end, no byte is overwritten before it is read.
void WidenRgbRow(png_bytep row, png_uint_32 width)
{
    uint32_t* out = reinterpret_cast<uint32_t*>(row);
    for (png_uint_32 x = width; x-- > 0;) {
        const png_bytep p = row + size_t(3) * x;
        out[x] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
    }
}

// Rows [first, end) of the current pass; the passes of an interlaced file
// each go over every row, adding their pixels to it.
bool ReadRowsStep(PngJob* job, png_bytepp rows, png_uint_32 first, png_uint_32 end)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    for (png_uint_32 y = first; y < end; ++y) {
        png_read_row(job->Png, rows[y], nullptr);
        if (job->WidenRgb)
            WidenRgbRow(rows[y], job->Width);
    }
    return true;
}

bool ReadEndStep(PngJob* job)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    png_read_end(job->Png, nullptr);
    return true;
}

// Frees the library's structures on every way out of the decode.
struct PngStructs {
    PngJob& Job;
    ~PngStructs()
    {
        if (Job.Png)
            png_destroy_read_struct(&Job.Png, Job.Info ? &Job.Info : nullptr, nullptr);
    }
};

[[noreturn]] void RaiseJobError(const PngJob& job)
{
    RaiseDecoderError(job.Code ? job.Code : ErrFormat, job.Text);
}

} // namespace

void CPNGDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    PngJob job;
    job.Data = source.GetPosition();
    job.Size = source.Remaining();
    PngStructs structs{job};
    job.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.Png)
        job.Info = png_create_info_struct(job.Png);
    if (!job.Png || !job.Info)
        RaiseDecoderError(ErrNoMemory, "Out of memory.");

    m_Texts.clear();
    if (!ReadInfoStep(&job))
        RaiseJobError(job);
    png_textp texts = nullptr;
    const int textCount = png_get_text(job.Png, job.Info, &texts, nullptr);
    for (int i = 0; i < textCount && texts; ++i)
        if (texts[i].compression == PNG_TEXT_COMPRESSION_NONE && texts[i].key && texts[i].text)
            m_Texts.emplace_back(texts[i].key, std::string(texts[i].text, texts[i].text_length));

    // The table of colour types: file depth for SourceBitsPerPixel, and whether
    // the pixels carry alpha (only the types with an alpha channel do).
    int fileDepth = 8;
    bool alpha = false;
    bool paletteFile = false;
    switch (job.ColorType) {
    case PNG_COLOR_TYPE_GRAY:
        DecoderTrace(2, "Decoding greyscale PNG.\n");
        paletteFile = true;
        break;
    case PNG_COLOR_TYPE_PALETTE:
        DecoderTrace(2, "Decoding palette PNG.\n");
        paletteFile = true;
        break;
    case PNG_COLOR_TYPE_RGB:
        DecoderTrace(2, "Decoding RGB PNG.\n");
        fileDepth = 24;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        DecoderTrace(2, "Decoding greyscale PNG with alpha.\n");
        alpha = true;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        DecoderTrace(2, "Decoding RGBA PNG.\n");
        fileDepth = 32;
        alpha = true;
        break;
    default:
        RaiseDecoderError(ErrFormat, "Unknown PNG colour type.");
    }
    // Transparency of a grey, palette or RGB image is alpha; such an image
    // decodes at 32 bits whatever was asked for, as indices cannot carry it.
    if (job.HasTransparency && !alpha) {
        alpha = true;
        paletteFile = false;
    }
    // Only grey and palette files can be written as indices; any other
    // request than 8 bits decodes at 32.
    const int depth = paletteFile && ChooseDepth(8, bitsPerPixel) == 8 ? 8 : 32;

    if (!TransformStep(&job, depth == 32, alpha))
        RaiseJobError(job);

    CreateBitmap(bitmap, job.Width, job.Height, depth, alpha);
    bitmap.SourceBitsPerPixel = fileDepth;
    const size_t pixelBytes = job.WidenRgb ? 3 : static_cast<size_t>(depth / 8);
    if (job.RowBytes != static_cast<size_t>(bitmap.Width) * pixelBytes)
        RaiseDecoderError(ErrInternal, "PNG rows do not fit the bitmap.");

    if (depth == 8) {
        paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
        for (int i = 0; i < kPaletteCapacity; ++i)
            paletteOut[i] = PaletteEntry{0, 0, 0, 255};
        if (job.ColorType == PNG_COLOR_TYPE_GRAY) {
            const int bits = job.BitDepth < 8 ? job.BitDepth : 8;
            const int n = 1 << bits;
            for (int i = 0; i < n; ++i) {
                const auto v = static_cast<uint8_t>(i * 255 / (n - 1));
                paletteOut[i] = PaletteEntry{v, v, v, 255};
            }
        } else {
            for (int i = 0; i < job.PaletteCount; ++i)
                paletteOut[i] = PaletteEntry{job.Palette[i].blue, job.Palette[i].green, job.Palette[i].red, 255};
        }
        bitmap.SetPalette(paletteOut.get());
    }

    for (int pass = 0; pass < job.Passes; ++pass) {
        for (png_uint_32 y = 0; y < job.Height;) {
            CheckAbort();
            const png_uint_32 end = y + std::min(kRowBatch, job.Height - y);
            if (!ReadRowsStep(&job, bitmap.Lines.get(), y, end))
                RaiseJobError(job);
            y = end;
        }
    }
    if (!ReadEndStep(&job))
        RaiseJobError(job);
    source.SkipBytes(job.Offset);
    DecoderTrace(3, "Decoding finished.\n");
}
