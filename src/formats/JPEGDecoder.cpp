#include "formats/JPEGDecoder.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs stdio's FILE declared before it, and jerror.h needs jpeglib.h.
#include <jpeglib.h>
#include <jerror.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's extended colour spaces are needed (blue-green-red-alpha output)"
#endif

namespace {

// Rows handed to the library per call; CMYK rows are converted in these batches
// while they are still in the cache, and an abandoned decode is noticed between them.
constexpr JDIMENSION kRowBatch = 16;
// A progressive file can hold an endless series of tiny scans that each cost a
// pass over the whole coefficient buffer; real files use a few dozen at most.
constexpr int kMaxScans = 1000;

// The library's error manager plus the jump back into our own frame. libjpeg
// never sees a C++ exception: its fatal-error hook records the message and
// longjmps to the setjmp of the step that called the library.
struct ErrorManager {
    jpeg_error_mgr Pub;
    jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX + 64];
    // The first warning of the current decode ("Corrupt JPEG data: ...") and
    // how many there were; they become a notice instead of going to stderr.
    char Warning[JMSG_LENGTH_MAX + 64];
    long Warnings;
};

// Everything the library needs across calls, for the decoder's whole life.
struct JpegContext {
    jpeg_decompress_struct Info;
    ErrorManager Error;
    jpeg_source_mgr Source;
    jpeg_progress_mgr Progress;
    bool Created;
    // Plain replication of chroma samples: faster, and set for the decoder's life.
    bool FastUpsampling;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void ErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// Warnings (level -1) are collected; trace messages (level >= 0) are dropped,
// and so are stray bytes between markers, which many cameras write and which
// lose nothing of the picture.
void EmitMessage(j_common_ptr info, int level)
{
    if (level >= 0 || info->err->msg_code == JWRN_EXTRANEOUS_DATA)
        return;
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    if (error->Warnings++ == 0)
        (*info->err->format_message)(info, error->Warning);
    info->err->num_warnings++;
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// The whole input is in the buffer from the start, so the library only asks
// for more when the file is cut short: supply an end-of-image marker so that
// what is there decodes.
boolean FillInputBuffer(j_decompress_ptr info)
{
    WARNMS(info, JWRN_JPEG_EOF);
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = sizeof(kEndOfImage);
    return TRUE;
}

// A damaged marker length may ask to skip past the end: stop at the end, and
// the next read supplies the end-of-image marker.
void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = info->src;
    const size_t n = std::min(static_cast<size_t>(count), src->bytes_in_buffer);
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
}

void ProgressMonitor(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        auto* error = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(error->Message, sizeof(error->Message), "Too many scans in JPEG file (more than %d)",
                      kMaxScans);
        std::longjmp(error->Jump, 1);
    }
}

// The steps below each return false after a library error, with the message in
// the error manager. Their locals are plain values: a longjmp out of the
// library skips no destructor.

bool CreateStep(JpegContext* s)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_create_decompress(&s->Info);
    return true;
}

bool ReadHeaderStep(JpegContext* s)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_read_header(&s->Info, TRUE);
    return true;
}

bool OutputSizeStep(JpegContext* s)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_calc_output_dimensions(&s->Info);
    return true;
}

// The largest reduction of 1/2, 1/4 or 1/8 that leaves the image at least
// the size it has fitted into a box of width x height (1 for no box, or for
// an image the box would enlarge).
unsigned ReducedScale(JDIMENSION imageWidth, JDIMENSION imageHeight, int width, int height)
{
    if (width <= 0 || height <= 0 || imageWidth == 0 || imageHeight == 0)
        return 1;
    const double fit = std::min(double(width) / imageWidth, double(height) / imageHeight);
    unsigned scale = 1;
    while (scale < 8 && fit * (scale * 2) <= 1.0)
        scale *= 2;
    return scale;
}

bool StartStep(JpegContext* s)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_start_decompress(&s->Info);
    return true;
}

// Reads rows until output_scanline reaches end; rows[i] receives row i.
bool ReadRowsStep(JpegContext* s, JSAMPARRAY rows, JDIMENSION end)
{
    if (setjmp(s->Error.Jump))
        return false;
    while (s->Info.output_scanline < end) {
        const JDIMENSION y = s->Info.output_scanline;
        if (jpeg_read_scanlines(&s->Info, rows + y, end - y) == 0) {
            // Only a suspending source returns no rows; ours never suspends.
            std::snprintf(s->Error.Message, sizeof(s->Error.Message), "JPEG library delivered no rows");
            return false;
        }
    }
    return true;
}

bool FinishStep(JpegContext* s)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_finish_decompress(&s->Info);
    return true;
}

inline uint8_t Div255(unsigned v)
{
    v += 128;
    return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

// Four-component rows, converted in place to blue, green, red, 255. Adobe's
// applications store the components inverted and mark the file with their
// APP14 segment; other writers store plain CMYK.
void CmykRowsToRgb(uint8_t* const* rows, int count, int width, bool inverted)
{
    for (int r = 0; r < count; ++r) {
        uint8_t* p = rows[r];
        uint32_t* out = reinterpret_cast<uint32_t*>(p);
        for (int x = 0; x < width; ++x, p += 4) {
            unsigned c = p[0], m = p[1], yy = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                yy = 255 - yy;
                k = 255 - k;
            }
            out[x] = PackPixel(Div255(c * k), Div255(m * k), Div255(yy * k), 255);
        }
    }
}

} // namespace

struct CJPEGDecoder::State : JpegContext {};

CJPEGDecoder::CJPEGDecoder() : m_State(new State{})
{
    State* s = m_State.get();
    s->Info.err = jpeg_std_error(&s->Error.Pub);
    s->Error.Pub.error_exit = ErrorExit;
    s->Error.Pub.emit_message = EmitMessage;
    s->FastUpsampling = true;
    s->Created = CreateStep(s);
    if (!s->Created)
        return;
    s->Source.init_source = InitSource;
    s->Source.fill_input_buffer = FillInputBuffer;
    s->Source.skip_input_data = SkipInputData;
    s->Source.resync_to_restart = jpeg_resync_to_restart;
    s->Source.term_source = TermSource;
    s->Progress.progress_monitor = ProgressMonitor;
}

CJPEGDecoder::~CJPEGDecoder()
{
    if (m_State->Created)
        jpeg_destroy_decompress(&m_State->Info);
}

void CJPEGDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                             CByteSource& source)
{
    State* s = m_State.get();
    if (!s->Created)
        RaiseDecoderError(ErrNoMemory, "Out of memory.");
    jpeg_decompress_struct& info = s->Info;
    auto fail = [s]() { RaiseDecoderError(ErrUnsupported, std::string(s->Error.Message) + "\n"); };

    s->Error.Warnings = 0;
    s->Error.Warning[0] = 0;
    s->Source.next_input_byte = source.GetPosition();
    s->Source.bytes_in_buffer = source.Remaining();
    info.src = &s->Source;
    info.progress = &s->Progress;
    // Progressive files keep every coefficient of the image in memory: hold
    // the library to the same cap as the pixels. It has no backing store, so
    // a file that needs more fails instead of allocating.
    info.mem->max_memory_to_use = static_cast<long>(std::min<uint64_t>(MaxImageBytes(), LONG_MAX));

    try {
        if (!ReadHeaderStep(s))
            fail();
        if (s->FastUpsampling)
            info.do_fancy_upsampling = FALSE;
        info.dct_method = JDCT_FLOAT;

        const J_COLOR_SPACE fileSpace = info.jpeg_color_space;
        const bool grey = info.out_color_space == JCS_GRAYSCALE;
        const bool fourComponents = fileSpace == JCS_CMYK || fileSpace == JCS_YCCK;
        int depth = 32;
        if (grey) {
            DecoderTrace(2, "Decoding greyscale JPEG.\n");
            // The bitmap holds bytes or words: any request but 8 decodes at 32 bits.
            depth = ChooseDepth(8, bitsPerPixel) == 8 ? 8 : 32;
            info.out_color_space = depth == 8 ? JCS_GRAYSCALE : JCS_EXT_BGRA;
        } else if (fourComponents) {
            DecoderTrace(2, "Decoding four-component JPEG.\n");
            // The library turns YCCK into CMYK; the rest is ours.
            info.out_color_space = JCS_CMYK;
        } else {
            DecoderTrace(2, "Decoding colour JPEG.\n");
            // The alpha byte of this layout is filled with 255 by the library.
            info.out_color_space = JCS_EXT_BGRA;
        }

        info.scale_num = 1;
        info.scale_denom = ReducedScale(info.image_width, info.image_height, m_ReducedWidth, m_ReducedHeight);
        if (!OutputSizeStep(s))
            fail();
        SetFileSize(static_cast<int>(std::min<JDIMENSION>(info.image_width, INT_MAX)),
                    static_cast<int>(std::min<JDIMENSION>(info.image_height, INT_MAX)));
        CreateBitmap(bitmap, info.output_width, info.output_height, depth, false);
        bitmap.SourceBitsPerPixel = grey ? 8 : 24;

        if (!StartStep(s))
            fail();
        if (info.output_width != static_cast<JDIMENSION>(bitmap.Width) ||
            info.output_height != static_cast<JDIMENSION>(bitmap.Height) ||
            int64_t(info.output_width) * info.output_components > bitmap.BytesPerLine())
            RaiseDecoderError(ErrInternal, "JPEG output does not fit the bitmap.");

        const bool inverted = fourComponents && info.saw_Adobe_marker;
        const JDIMENSION height = info.output_height;
        for (JDIMENSION y = 0; y < height;) {
            CheckAbort();
            const JDIMENSION end = std::min(height, y + kRowBatch);
            if (!ReadRowsStep(s, bitmap.Lines.get(), end))
                fail();
            if (fourComponents)
                CmykRowsToRgb(bitmap.Lines.get() + y, static_cast<int>(end - y), bitmap.Width, inverted);
            y = end;
        }
        if (!FinishStep(s))
            fail();
    } catch (...) {
        // Leaves the object ready for the next file.
        jpeg_abort_decompress(&info);
        throw;
    }

    if (s->Error.Warnings == 1)
        AddNotice(s->Error.Warning);
    else if (s->Error.Warnings > 1)
        AddNotice(std::string(s->Error.Warning) + " (" + std::to_string(s->Error.Warnings - 1) +
                  (s->Error.Warnings == 2 ? " more warning)" : " more warnings)"));

    // The supplied end-of-image marker is not part of the file.
    const auto next = reinterpret_cast<uintptr_t>(s->Source.next_input_byte);
    const auto first = reinterpret_cast<uintptr_t>(source.GetPosition());
    if (next >= first && next - first <= source.Remaining())
        source.SkipBytes(next - first);
    else
        source.SkipBytes(source.Remaining());
    DecoderTrace(3, "Decoding finished.\n");
}
