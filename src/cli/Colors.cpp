#include "cli/Colors.h"

#include "base/TextException.h"
#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"
#include "ops/ColorCount.h"

#include <cstdio>
#include <new>

int RunColors(const std::string& file)
{
    CAutoDecoder decoder;
    CWinBmp bitmap;
    try {
        decoder.DecodeFile(file, bitmap, 32);
    } catch (const CTextException& e) {
        std::fprintf(stderr, "oculane-cli: %s: error %d: %s\n", file.c_str(), e.GetCode(), e.GetText().c_str());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "oculane-cli: %s: error %d: Out of memory.\n", file.c_str(), int(ErrNoMemory));
        return 1;
    }
    for (const std::string& notice : decoder.GetNotices())
        std::fprintf(stderr, "%s: %s\n", file.c_str(), notice.c_str());
    try {
        std::printf("%s\n", ColourCountMessage(CountColours(bitmap)).c_str());
    } catch (const CTextException& e) {
        std::fprintf(stderr, "oculane-cli: %s: Error counting colors: %s\n", file.c_str(), e.GetText().c_str());
        return 1;
    }
    return 0;
}
