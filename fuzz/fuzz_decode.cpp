// Fuzz entry point: every decoder reachable through CAutoDecoder from a block
// of memory. The first byte picks the name's extension, so the metafile
// decoders (chosen by extension) are reachable as well.
#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"

#include <cstdint>
#include <cstdlib>
#include <new>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Keep hostile sizes well inside the fuzzer's memory limit.
    setenv("OCULANE_MAX_IMAGE_BYTES", "16777216", 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const char* const kNames[] = {"fuzz.img", "fuzz.wmf", "fuzz.emf", "fuzz"};
    const char* name = kNames[data[0] % 4];
    CAutoDecoder decoder;
    CWinBmp bitmap;
    for (int depth : {32, 0}) {
        try {
            decoder.DecodeMemory(name, data + 1, size - 1, bitmap, depth);
            // Touch every row so a wrong row table or size shows up.
            volatile uint32_t sum = 0;
            for (int y = 0; y < bitmap.Height; ++y)
                sum = sum + bitmap.Lines[y][0] + bitmap.Lines[y][bitmap.BytesPerLine() - 1];
        } catch (const CTextException&) {
        } catch (const std::bad_alloc&) {
        }
    }
    return 0;
}
