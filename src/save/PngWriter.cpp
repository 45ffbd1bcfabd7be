#include "save/PngWriter.h"

#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/WriterFile.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

namespace {

// zlib's own default. Level 9 over filtered rows of a smooth photograph
// runs into zlib's longest match chains: about 14 times the time for files
// some 8% smaller (a 24-megapixel photograph took minutes).
constexpr int kZlibLevel = 6;
// libpng hands compressed data to the file in pieces of this size.
constexpr size_t kCompressionBuffer = 256 * 1024;
constexpr const char* kWriteError = "Error writing image.";

// What the library calls back into and what the steps report. A failed
// write to the file is remembered, so it is reported as a write failure
// whatever step libpng was in.
struct PngJob {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    CWriterFile* File = nullptr;
    bool WriteFailed = false;
};

void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, size_t size)
{
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (!job->File->TryWrite(data, size)) {
        job->WriteFailed = true;
        png_error(png, "write failed");
    }
}

// The file's data is flushed once, when it is committed.
void OnFlush(png_structp) {}

// The steps below return false after a library error. Their locals are
// plain values: a longjmp out of libpng skips no destructor.

bool HeaderStep(PngJob* job, png_uint_32 width, png_uint_32 height, bool alpha, bool interlaced, png_textp texts,
                int textCount)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    png_structp png = job->Png;
    png_set_write_fn(png, job, OnWrite, OnFlush);
    png_set_compression_level(png, kZlibLevel);
    png_set_compression_buffer_size(png, kCompressionBuffer);
    png_set_IHDR(png, job->Info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (textCount > 0)
        png_set_text(png, job->Info, texts, textCount);
    png_write_info(png, job->Info);
    // Rows go in as they are in memory: blue, green, red and alpha or an unused byte.
    png_set_bgr(png);
    if (!alpha)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    return true;
}

// Each pass of an interlaced image takes its pixels from the whole rows.
bool RowsStep(PngJob* job, uint8_t* const* lines, int height)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    const int passes = png_set_interlace_handling(job->Png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y)
            png_write_row(job->Png, lines[y]);
    return true;
}

bool EndStep(PngJob* job)
{
    if (setjmp(png_jmpbuf(job->Png)))
        return false;
    png_write_end(job->Png, nullptr);
    return true;
}

struct PngStructs {
    PngJob& Job;
    ~PngStructs()
    {
        if (Job.Png)
            png_destroy_write_struct(&Job.Png, Job.Info ? &Job.Info : nullptr);
    }
};

[[noreturn]] void Raise(const PngJob& job, int code, const char* text)
{
    if (job.WriteFailed)
        throw CTextException(ErrWriteFailure, kWriteError);
    throw CTextException(code, text);
}

} // namespace

void WritePNG(const std::string& path, const CBmp& bitmap, bool interlaced, const PngTextChunks& texts,
              const SafeWriteOptions& fileOptions)
{
    CheckImageSize(bitmap, PNG_USER_WIDTH_MAX, PNG_USER_HEIGHT_MAX);
    // Built before any library frame: the library only reads them.
    std::vector<png_text> chunks(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(texts[i].first.c_str());
        chunks[i].text = const_cast<char*>(texts[i].second.c_str());
        chunks[i].text_length = texts[i].second.size();
    }
    CWriterFile file(path, kWriteError, fileOptions);
    PngJob job;
    job.File = &file;
    PngStructs structs{job};
    job.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.Png)
        job.Info = png_create_info_struct(job.Png);
    if (!job.Png || !job.Info)
        throw CTextException(ErrNoMemory, "Out of memory");

    if (!HeaderStep(&job, static_cast<png_uint_32>(bitmap.Width), static_cast<png_uint_32>(bitmap.Height),
                    bitmap.HasAlpha, interlaced, chunks.data(), static_cast<int>(chunks.size())))
        Raise(job, ErrInternal, "LibPng problem");
    if (!RowsStep(&job, bitmap.Lines.get(), bitmap.Height))
        Raise(job, ErrWriteFailure,
              interlaced ? "Problem while writing image data." : "LibPng problem while writing row.");
    if (!EndStep(&job))
        Raise(job, ErrInternal, "Error on final libpng call.");
    file.Commit();
}
