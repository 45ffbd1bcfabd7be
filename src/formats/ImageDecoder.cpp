#include "formats/ImageDecoder.h"

#include "image/WinBmp.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

std::mutex g_TraceMutex;
std::string g_TraceFile;
int g_TraceLevel = 0;

constexpr size_t kMaxMessage = 255;

} // namespace

CImageDecoder::~CImageDecoder()
{
    // A trace is set up for one decoder's life.
    std::lock_guard<std::mutex> lock(g_TraceMutex);
    g_TraceFile.clear();
}

void CImageDecoder::DecodeFile(const std::string& path, CBmp& bitmap, int bitsPerPixel)
{
    DecoderTrace(1, "--- Decoding file " + path + ". ---\n");
    CMappedFileSource source;
    const int result = source.Open(path);
    if (result != 0)
        RaiseDecoderError(result, "Opening " + path + " failed");
    DecodeSource(source, bitmap, bitsPerPixel);
}

void CImageDecoder::DecodeMemory(const std::string& name, const uint8_t* data, size_t size, CBmp& bitmap,
                                 int bitsPerPixel)
{
    DecoderTrace(1, "--- Decoding file " + name + ". ---\n");
    CByteSource source;
    source.Open(name, data, size);
    DecodeSource(source, bitmap, bitsPerPixel);
}

void CImageDecoder::DecodeSource(CByteSource& source, CBmp& bitmap, int bitsPerPixel)
{
    std::unique_ptr<PaletteEntry[]> palette;
    ClearNotices();
    SetFileSize(0, 0);
    ReadImage(bitmap, palette, bitsPerPixel, source);
    if (m_FileWidth == 0 && m_FileHeight == 0)
        SetFileSize(bitmap.Width, bitmap.Height);
}

void CImageDecoder::ReadImage(CBmp&, std::unique_ptr<PaletteEntry[]>&, int, CByteSource&) {}

void CImageDecoder::CreateBitmap(CBmp& bitmap, int64_t width, int64_t height, int bitsPerPixel,
                                 bool hasAlpha) const
{
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        RaiseDecoderError(ErrFormat, "Illegal image size.");
    const int64_t bytes = DibBlockSize(width, height, bitsPerPixel);
    if (bytes < 0 || static_cast<uint64_t>(bytes) > MaxImageBytes())
        RaiseDecoderError(ErrNoMemory, "Out of memory.");
    CheckAbort();
    try {
        bitmap.Create(static_cast<int>(width), static_cast<int>(height), bitsPerPixel, hasAlpha);
    } catch (const std::bad_alloc&) {
        RaiseDecoderError(ErrNoMemory, "Out of memory.");
    }
}

void RaiseAbandoned()
{
    DecoderTrace(1, "Decoding abandoned.\n");
    throw CDecodeAbandoned();
}

int ChooseDepth(int fileBitsPerPixel, int bitsPerPixel)
{
    if (bitsPerPixel != 0)
        return bitsPerPixel;
    return fileBitsPerPixel <= 8 ? 8 : 32;
}

void RaiseDecoderError(int code, const std::string& text)
{
    // "Decoder error: " and the line end must fit in the message as well.
    const size_t room = kMaxMessage - 16;
    std::string shortText = text.size() > room ? text.substr(0, room) : text;
    DecoderTrace(0, "Decoder error: " + shortText + "\n");
    throw CTextException(code, shortText);
}

void DecoderTrace(int level, const std::string& text)
{
    std::lock_guard<std::mutex> lock(g_TraceMutex);
    if (g_TraceFile.empty() || level > g_TraceLevel)
        return;
    if (FILE* f = std::fopen(g_TraceFile.c_str(), "a")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
}

void SetDecoderTrace(const std::string& file, int level)
{
    std::lock_guard<std::mutex> lock(g_TraceMutex);
    g_TraceFile = file;
    g_TraceLevel = level;
}

uint64_t MaxImageBytes()
{
    if (const char* text = std::getenv("OCULANE_MAX_IMAGE_BYTES"); text && *text) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(text, &end, 10);
        if (end && *end == '\0')
            return value;
    }
    return uint64_t(4) << 30;
}
