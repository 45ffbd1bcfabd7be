// jlib's JPEG encoder (EncodeJPG of save/Jlib.h) over libjpeg-turbo.
#include "save/Jlib.h"

#include "save/WriterFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

// jpeglib.h needs stdio's FILE declared before it, and jerror.h needs jpeglib.h.
#include <jpeglib.h>
#include <jerror.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's extended colour spaces are needed (blue-green-red input)"
#endif

namespace {

constexpr size_t kOutputBuffer = 256 * 1024;
// Rows handed to the library per call.
constexpr int kRowBatch = 16;

// libjpeg never sees a C++ exception: its fatal-error hook longjmps back to
// the setjmp of the step that called the library (the default one exits).
struct ErrorManager {
    jpeg_error_mgr Pub;
    jmp_buf Jump;
};

struct JpegJob {
    jpeg_compress_struct Info;
    ErrorManager Error;
    jpeg_destination_mgr Destination;
    CWriterFile* File;
    bool Created;
    JOCTET Buffer[kOutputBuffer];
};

void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->Jump, 1);
}

void OutputMessage(j_common_ptr) {}

JpegJob* JobOf(j_compress_ptr info)
{
    return static_cast<JpegJob*>(info->client_data);
}

void InitDestination(j_compress_ptr info)
{
    JpegJob* job = JobOf(info);
    job->Destination.next_output_byte = job->Buffer;
    job->Destination.free_in_buffer = kOutputBuffer;
}

// A failed write ends the compression through the error hook.
boolean EmptyOutputBuffer(j_compress_ptr info)
{
    JpegJob* job = JobOf(info);
    if (!job->File->TryWrite(job->Buffer, kOutputBuffer))
        ERREXIT(info, JERR_FILE_WRITE);
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    JpegJob* job = JobOf(info);
    if (!job->File->TryWrite(job->Buffer, kOutputBuffer - job->Destination.free_in_buffer))
        ERREXIT(info, JERR_FILE_WRITE);
}

// The steps below return false after a library error; their locals are
// plain values, so the longjmp skips no destructor.

bool CreateStep(JpegJob* job)
{
    if (setjmp(job->Error.Jump))
        return false;
    jpeg_create_compress(&job->Info);
    job->Created = true;
    return true;
}

bool CompressStep(JpegJob* job, const JlibRows* image, const JpegSettings* settings)
{
    if (setjmp(job->Error.Jump))
        return false;
    jpeg_compress_struct* info = &job->Info;
    info->client_data = job;
    info->dest = &job->Destination;
    info->image_width = static_cast<JDIMENSION>(image->Width);
    info->image_height = static_cast<JDIMENSION>(image->Height);
    switch (image->Layout) {
    case JlibLayout::Rgb:
        info->in_color_space = JCS_RGB;
        info->input_components = 3;
        break;
    case JlibLayout::Rgba:
        info->in_color_space = JCS_EXT_RGBX;
        info->input_components = 4;
        break;
    case JlibLayout::Bgrx:
    case JlibLayout::Bgra:
        info->in_color_space = JCS_EXT_BGRX;
        info->input_components = 4;
        break;
    }
    jpeg_set_defaults(info);
    jpeg_set_quality(info, std::clamp(settings->Quality, 0, 100), TRUE);
    info->smoothing_factor = std::clamp(settings->Smoothing, 0, 100);
    info->optimize_coding = settings->OptimizeHuffman ? TRUE : FALSE;
    if (settings->Progressive)
        jpeg_simple_progression(info);
    jpeg_start_compress(info, TRUE);
    JSAMPROW rows[kRowBatch];
    while (info->next_scanline < info->image_height) {
        const JDIMENSION first = info->next_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, info->image_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(image->Rows[first + i]);
        jpeg_write_scanlines(info, rows, count);
    }
    jpeg_finish_compress(info);
    return true;
}

struct JobCleanup {
    JpegJob& Job;
    ~JobCleanup()
    {
        if (Job.Created)
            jpeg_destroy_compress(&Job.Info);
    }
};

} // namespace

bool EncodeJPG(const std::string& path, const JlibRows& image, const JpegSettings& settings)
{
    if (image.Width <= 0 || image.Height <= 0 || image.Width > JPEG_MAX_DIMENSION ||
        image.Height > JPEG_MAX_DIMENSION || !image.Rows)
        return false;
    try {
        CWriterFile file(path, "Error writing image.");
        auto job = std::make_unique<JpegJob>();
        job->File = &file;
        job->Created = false;
        job->Info.err = jpeg_std_error(&job->Error.Pub);
        job->Error.Pub.error_exit = ErrorExit;
        job->Error.Pub.output_message = OutputMessage;
        job->Destination.init_destination = InitDestination;
        job->Destination.empty_output_buffer = EmptyOutputBuffer;
        job->Destination.term_destination = TermDestination;
        JobCleanup cleanup{*job};
        if (!CreateStep(job.get()) || !CompressStep(job.get(), &image, &settings))
            return false;
        file.Commit();
        return true;
    } catch (...) {
        return false;
    }
}
