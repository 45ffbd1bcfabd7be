#include "cli/Commands.h"

#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"
#include "platform/SafeFile.h"

#include <cstdio>
#include <new>

namespace {

void PrintNotices(const CAutoDecoder& decoder, const std::string& file)
{
    for (const std::string& notice : decoder.GetNotices())
        std::fprintf(stderr, "%s: %s\n", file.c_str(), notice.c_str());
}

bool Decode(CAutoDecoder& decoder, const std::string& file, CWinBmp& bitmap, int& code, std::string& text)
{
    try {
        decoder.DecodeFile(file, bitmap, 32);
        return true;
    } catch (const CTextException& e) {
        code = e.GetCode();
        text = e.GetText();
    } catch (const std::bad_alloc&) {
        code = ErrNoMemory;
        text = "Out of memory.";
    }
    return false;
}

// PAM stores red, green, blue, alpha top-down.
bool WritePam(const CBmp& bitmap, CSafeFileWriter* file, FILE* stream)
{
    char header[128];
    const int n = std::snprintf(header, sizeof header,
                                "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                                bitmap.Width, bitmap.Height);
    auto write = [&](const void* data, size_t size) {
        return file ? file->Write(data, size) : std::fwrite(data, 1, size, stream) == size;
    };
    if (!write(header, static_cast<size_t>(n)))
        return false;
    std::vector<uint8_t> row(size_t(4) * static_cast<size_t>(bitmap.Width));
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint32_t* src = bitmap.Row32(y);
        uint8_t* dst = row.data();
        for (int x = 0; x < bitmap.Width; ++x, dst += 4) {
            const uint32_t p = src[x];
            dst[0] = static_cast<uint8_t>(p >> 16);
            dst[1] = static_cast<uint8_t>(p >> 8);
            dst[2] = static_cast<uint8_t>(p);
            dst[3] = bitmap.HasAlpha ? static_cast<uint8_t>(p >> 24) : 255;
        }
        if (!write(row.data(), row.size()))
            return false;
    }
    return true;
}

} // namespace

int RunInfo(const std::vector<std::string>& files)
{
    CAutoDecoder decoder;
    CWinBmp bitmap;
    int status = 0;
    for (const std::string& file : files) {
        int code = 0;
        std::string text;
        if (Decode(decoder, file, bitmap, code, text)) {
            std::printf("%s\t%s\t%d\t%d\t%d\t%d\n", file.c_str(), FormatName(decoder.GetLastFormat()), bitmap.Width,
                        bitmap.Height, bitmap.SourceBitsPerPixel, bitmap.HasAlpha ? 1 : 0);
        } else {
            std::printf("%s\terror\t%d\t%s\n", file.c_str(), code, text.c_str());
            status = 1;
        }
        PrintNotices(decoder, file);
    }
    return status;
}

int RunDump(const std::string& file, const std::string& out)
{
    CAutoDecoder decoder;
    CWinBmp bitmap;
    int code = 0;
    std::string text;
    if (!Decode(decoder, file, bitmap, code, text)) {
        std::fprintf(stderr, "oculane-cli: %s: error %d: %s\n", file.c_str(), code, text.c_str());
        PrintNotices(decoder, file);
        return 1;
    }
    PrintNotices(decoder, file);
    if (out == "-") {
        if (!WritePam(bitmap, nullptr, stdout) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "oculane-cli: writing to standard output failed\n");
            return 1;
        }
        return 0;
    }
    CSafeFileWriter writer;
    if (!writer.Open(out) || !WritePam(bitmap, &writer, nullptr) || !writer.Commit()) {
        std::fprintf(stderr, "oculane-cli: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
