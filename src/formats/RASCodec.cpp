#include "formats/RASCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr uint32_t kTopBit = 0x80000000u;
constexpr int kMapCapacity = 256;
constexpr uint32_t kTwoColourMapBytes = 6;
constexpr uint32_t kFullMapBytes = 768;
constexpr uint8_t kEscape = 0x80;
// The best case of the byte encoding: three bytes for 256 bytes of image.
constexpr uint64_t kMaxRunBytes = 256;
constexpr uint64_t kRunCodeBytes = 3;

enum RasterType : uint32_t {
    kStandard = 1,
    kByteEncoded = 2,
    kRgbOrder = 3,
};

enum MapType : uint32_t {
    kNoMap = 0,
    kEqualRgb = 1,
    kRawMap = 2,
};

struct RasHeader {
    uint32_t Magic;
    uint32_t Width;
    uint32_t Height;
    uint32_t Depth;
    uint32_t Length;
    uint32_t Type;
    uint32_t MapType;
    uint32_t MapLength;
};

RasHeader ReadHeader(CByteSource& source)
{
    RasHeader h;
    h.Magic = source.ReadBE32();
    h.Width = source.ReadBE32();
    h.Height = source.ReadBE32();
    h.Depth = source.ReadBE32();
    h.Length = source.ReadBE32();
    h.Type = source.ReadBE32();
    h.MapType = source.ReadBE32();
    h.MapLength = source.ReadBE32();
    return h;
}

// Per-channel tables; entries the file's map leaves out are 0.
struct ColourMap {
    bool Present = false;
    uint8_t Red[kMapCapacity] = {};
    uint8_t Green[kMapCapacity] = {};
    uint8_t Blue[kMapCapacity] = {};

    uint32_t Color(uint8_t i) const { return PackPixel(Red[i], Green[i], Blue[i]); }
};

// The whole map is read over, also a remainder of a type-1 map that does
// not fill a last entry; indices from 256 on cannot be addressed.
ColourMap ReadColourMap(CByteSource& source, const RasHeader& header)
{
    ColourMap map;
    if (header.MapLength == 0)
        return map;
    if (header.MapType != kEqualRgb && header.MapType != kRawMap)
        RaiseDecoderError(ErrFormat, "Unable to skip colormap data");
    const uint8_t* p = source.ReadBytes(header.MapLength);
    map.Present = true;
    if (header.MapType == kEqualRgb) {
        const size_t entries = header.MapLength / 3;
        const size_t kept = std::min<size_t>(entries, kMapCapacity);
        std::memcpy(map.Red, p, kept);
        std::memcpy(map.Green, p + entries, kept);
        std::memcpy(map.Blue, p + 2 * entries, kept);
    } else {
        const size_t kept = std::min<size_t>(header.MapLength, kMapCapacity);
        std::memcpy(map.Red, p, kept);
        std::memcpy(map.Green, p, kept);
        std::memcpy(map.Blue, p, kept);
    }
    return map;
}

// Byte-encoded data: 0x80 0x00 is one 0x80, 0x80 n v is n + 1 copies of v.
// The code runs across row ends; a run past the last row is clipped. New
// codes start only within the data length; the file end bounds every read.
class ByteDecoder {
public:
    ByteDecoder(CByteSource& source, uint32_t length) :
        m_Source(source), m_In(source.GetPosition()), m_Stop(m_In + std::min<size_t>(length, source.Remaining())),
        m_End(source.GetStart() + source.GetSize())
    {
    }

    void Read(uint8_t* dst, size_t n)
    {
        while (n > 0) {
            if (m_Pending > 0) {
                const size_t k = std::min(m_Pending, n);
                std::memset(dst, m_Value, k);
                dst += k;
                n -= k;
                m_Pending -= k;
                continue;
            }
            if (m_In >= m_Stop)
                RaiseShort();
            const uint8_t b = *m_In++;
            if (b != kEscape) {
                *dst++ = b;
                --n;
                continue;
            }
            const uint8_t count = Next();
            if (count == 0) {
                *dst++ = kEscape;
                --n;
                continue;
            }
            m_Value = Next();
            m_Pending = size_t(count) + 1;
        }
    }

    void Finish() { m_Source.SkipBytes(static_cast<size_t>(m_In - m_Source.GetPosition())); }

private:
    uint8_t Next()
    {
        if (m_In == m_End)
            RaiseShort();
        return *m_In++;
    }

    // The data ends before the image does: the same failure as a cut file.
    void RaiseShort()
    {
        Finish();
        m_Source.ReadBytes(m_Source.Remaining() + 1);
    }

    CByteSource& m_Source;
    const uint8_t* m_In;
    const uint8_t* m_Stop;
    const uint8_t* m_End;
    size_t m_Pending = 0;
    uint8_t m_Value = 0;
};

void CheckMapForDepth(const RasHeader& header)
{
    bool standard;
    switch (header.Depth) {
    case 1:
        standard = (header.MapType == kNoMap && header.MapLength == 0) ||
                   (header.MapType == kEqualRgb && header.MapLength == kTwoColourMapBytes);
        break;
    case 8:
        // No map, a grey map and a type-1 map are all there is once the map has been read.
        standard = true;
        break;
    case 24:
    case 32:
        standard = header.MapType == kRawMap || header.MapLength == 0 || header.MapLength == kFullMapBytes;
        break;
    default:
        RaiseDecoderError(ErrFormat, "Can only handle depth 1, 8, 24, or 32.");
    }
    if (!standard)
        RaiseDecoderError(ErrFormat, "Rasterfile has a non-standard colormap.");
}

void ConvertRow(const uint8_t* src, uint32_t* dst, int width, const RasHeader& header, const ColourMap& map)
{
    switch (header.Depth) {
    case 1: {
        const uint32_t one = map.Present ? map.Color(1) : PackPixel(0, 0, 0);
        const uint32_t zero = map.Present ? map.Color(0) : PackPixel(255, 255, 255);
        for (int x = 0; x < width; ++x)
            dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? one : zero;
        break;
    }
    case 8:
        if (map.Present) {
            for (int x = 0; x < width; ++x)
                dst[x] = map.Color(src[x]);
        } else {
            for (int x = 0; x < width; ++x)
                dst[x] = PackPixel(src[x], src[x], src[x]);
        }
        break;
    default: {
        const int step = static_cast<int>(header.Depth / 8);
        src += step - 3; // 32 bits: one leading byte per pixel
        const int r = header.Type == kRgbOrder ? 0 : 2;
        const int b = 2 - r;
        if (map.Present) {
            for (int x = 0; x < width; ++x, src += step)
                dst[x] = PackPixel(map.Red[src[r]], map.Green[src[1]], map.Blue[src[b]]);
        } else {
            for (int x = 0; x < width; ++x, src += step)
                dst[x] = PackPixel(src[r], src[1], src[b]);
        }
        break;
    }
    }
}

} // namespace

void CRASDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    DecoderTrace(2, "Decoding RAS.\n");
    const RasHeader header = ReadHeader(source);
    if (header.Magic != kMagic)
        RaiseDecoderError(ErrWrongSignature, "Not a Sun rasterfile.");
    if (header.Width == 0 || (header.Width & kTopBit))
        RaiseDecoderError(ErrFormat, "Invalid width");
    if (header.Height == 0 || (header.Height & kTopBit))
        RaiseDecoderError(ErrFormat, "Invalid height");

    // Everything in the header is checked before memory is taken for the image.
    const ColourMap map = ReadColourMap(source, header);
    CheckMapForDepth(header);
    const bool encoded = header.Type == kByteEncoded;
    if (!encoded && header.Type != kStandard && header.Type != kRgbOrder)
        RaiseDecoderError(ErrFormat, "Unable to read in the image from the rasterfile.");

    // Rows are padded to 16 bits. The data must be able to fill them all:
    // compared by division, as the product may not fit 64 bits.
    const uint64_t rowBytes = 2 * ((uint64_t(header.Width) * header.Depth + 15) / 16);
    const uint64_t height = header.Height;
    uint64_t available = source.Remaining();
    if (encoded) {
        const uint64_t input = std::min<uint64_t>(uint64_t(header.Length) + 2, available);
        available = (input + kRunCodeBytes - 1) / kRunCodeBytes * kMaxRunBytes;
    }
    if (rowBytes > available / height)
        source.ReadBytes(source.Remaining() + 1); // raises the end-of-data failure

    CreateBitmap(bitmap, header.Width, header.Height, 32, false);
    bitmap.SourceBitsPerPixel = static_cast<int32_t>(header.Depth);

    const int w = bitmap.Width;
    const size_t stride = static_cast<size_t>(rowBytes);
    if (encoded) {
        std::vector<uint8_t> line(stride);
        ByteDecoder in(source, header.Length);
        for (int y = 0; y < bitmap.Height; ++y) {
            CheckAbort();
            in.Read(line.data(), stride);
            ConvertRow(line.data(), bitmap.Row32(y), w, header, map);
        }
        in.Finish();
    } else {
        for (int y = 0; y < bitmap.Height; ++y) {
            CheckAbort();
            ConvertRow(source.ReadBytes(stride), bitmap.Row32(y), w, header, map);
        }
    }
}
