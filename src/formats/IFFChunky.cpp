#include "formats/IFFChunky.h"

#include "formats/ImageDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

// The longest run a packet can give: a count in the word after two zero counts.
constexpr uint64_t kLongestRun = 0xFFFF;

} // namespace

void UnpackByteRun1(CByteSource& body, uint8_t* dst, size_t size)
{
    size_t x = 0;
    while (x < size) {
        const uint8_t control = body.ReadByte();
        if (control < 128) {
            const size_t n = size_t(control) + 1;
            if (n > size - x)
                RaiseDecoderError(ErrUnsupported, "Error doing ByteRun decompression");
            std::memcpy(dst + x, body.ReadBytes(n), n);
            x += n;
        } else if (control > 128) {
            const size_t n = 257 - size_t(control);
            if (n > size - x)
                RaiseDecoderError(ErrUnsupported, "Error doing ByteRun decompression");
            std::memset(dst + x, body.ReadByte(), n);
            x += n;
        }
        // 128 is a no-op.
    }
}

CIffPbmRows::CIffPbmRows(CByteSource& body, int width, int height, bool compressed,
                         const std::atomic<bool>* abort) :
    m_Body(body), m_RowBytes((size_t(width) + 1) & ~size_t(1)), m_Compressed(compressed), m_Abort(abort)
{
    // Some writers leave odd rows unpadded; only an unpacked body tells.
    if (!compressed && (width & 1) && body.Remaining() == uint64_t(width) * uint64_t(height))
        m_RowBytes = size_t(width);
    if (compressed)
        m_Row.resize(m_RowBytes);
}

const uint8_t* CIffPbmRows::Next()
{
    CheckAbandoned(m_Abort);
    if (!m_Compressed)
        return m_Body.ReadBytes(m_RowBytes);
    UnpackByteRun1(m_Body, m_Row.data(), m_Row.size());
    return m_Row.data();
}

uint64_t CIffPbmRows::LeastBody(int width, int height, bool compressed)
{
    const uint64_t row = compressed ? 2 * ((uint64_t(width) + 1 + 127) / 128) : uint64_t(width);
    return row * uint64_t(height);
}

void DecodeIffRgbPackets(CBmp& bitmap, CByteSource& body, bool nibbles, const std::atomic<bool>* abort)
{
    uint32_t colour = 0;
    uint64_t left = 0; // pixels the current packet still owes
    for (int y = 0; y < bitmap.Height; ++y) {
        CheckAbandoned(abort);
        uint32_t* dst = bitmap.Row32(y);
        int x = 0;
        while (x < bitmap.Width) {
            if (left == 0) {
                unsigned count;
                if (nibbles) {
                    const uint16_t w = body.ReadBE16();
                    colour = PackPixel(uint8_t((w >> 12) * 17), uint8_t(((w >> 8) & 15) * 17),
                                       uint8_t(((w >> 4) & 15) * 17));
                    count = w & 7;
                } else {
                    const uint8_t* p = body.ReadBytes(4);
                    colour = PackPixel(p[0], p[1], p[2]);
                    count = p[3] & 0x7F;
                }
                // The genlock bit is not a colour; a count of 0 is continued in a byte, then a word.
                if (count == 0) {
                    count = body.ReadByte();
                    if (count == 0)
                        count = body.ReadBE16();
                }
                left = count;
                continue;
            }
            const int n = static_cast<int>(std::min<uint64_t>(left, uint64_t(bitmap.Width - x)));
            std::fill_n(dst + x, n, colour);
            x += n;
            left -= uint64_t(n);
        }
    }
}

uint64_t LeastRgbPacketBody(uint64_t pixels, bool nibbles)
{
    const uint64_t packet = (nibbles ? 2 : 4) + 3;
    return (pixels + kLongestRun - 1) / kLongestRun * packet;
}
