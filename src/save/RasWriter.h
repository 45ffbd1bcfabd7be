// Sun rasterfiles, plain or byte-encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CBmp;

// depth 24: blue, green, red per pixel; depth 8: a 768-byte colour map (the
// image's colours, reduced to 256 when it has more) and one index byte per
// pixel. Rows padded to 16 bits. Any other depth raises code 7 "Internal
// error.". Failures raise CTextException.
void WriteRAS(const std::string& path, const CBmp& bitmap, int depth, bool rle);

// The byte encoding over a whole data block, fed in pieces (runs continue
// across them): 0x80 escapes, runs of up to 256 equal bytes.
class CRasEncoder {
public:
    void Feed(const uint8_t* data, size_t size);
    // Ends the last run.
    void Finish();
    // Codes produced so far; the caller writes or counts and clears them.
    std::vector<uint8_t> Output;

private:
    void Emit();

    uint8_t m_Value = 0;
    size_t m_Run = 0;
};

// The 32-byte header: magic, width, height, depth, data length, type (1
// standard, 2 byte-encoded), colour-map type and length, big-endian.
void FillRasHeader(uint8_t* header, int width, int height, int depth, uint32_t length, bool rle, uint32_t mapType,
                   uint32_t mapLength);
