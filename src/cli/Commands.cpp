#include "cli/Commands.h"

#include "cli/PamWriter.h"
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
