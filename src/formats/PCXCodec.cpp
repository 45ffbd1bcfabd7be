#include "formats/PCXCodec.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 128;
constexpr int kHeaderPaletteEntries = 16;
constexpr int kPaletteCapacity = 256;
constexpr uint8_t kPaletteSignature = 0x0C;
constexpr uint8_t kRunFlag = 0xC0;
constexpr uint8_t kRunCountMask = 0x3F;
// The best case of the run-length code: two bytes for 63 bytes of image.
constexpr uint64_t kMaxRunBytes = 63;
constexpr int kMaxOneBitPlanes = 4;

struct PcxHeader {
    uint8_t Manufacturer;
    uint8_t Version;
    uint8_t Encoding;
    uint8_t BitsPerPixel;
    uint16_t XMin;
    uint16_t YMin;
    uint16_t XMax;
    uint16_t YMax;
    uint16_t HorizontalResolution;
    uint16_t VerticalResolution;
    const uint8_t* Palette; // 16 entries of red, green, blue
    uint8_t Planes;
    uint16_t BytesPerLine;
    uint16_t PaletteInfo;
};

PcxHeader ReadHeader(CByteSource& source)
{
    const uint8_t* p = source.ReadBytes(kHeaderSize);
    PcxHeader h;
    h.Manufacturer = p[0];
    h.Version = p[1];
    h.Encoding = p[2];
    h.BitsPerPixel = p[3];
    h.XMin = GetLE16(p + 4);
    h.YMin = GetLE16(p + 6);
    h.XMax = GetLE16(p + 8);
    h.YMax = GetLE16(p + 10);
    h.HorizontalResolution = GetLE16(p + 12);
    h.VerticalResolution = GetLE16(p + 14);
    h.Palette = p + 16;
    h.Planes = p[65];
    h.BytesPerLine = GetLE16(p + 66);
    h.PaletteInfo = GetLE16(p + 68);
    return h;
}

// The run-length data of the whole image, handed out in pieces: runs may
// cross row and plane ends. Parses the mapped bytes in place and gives the
// position back to the source when done.
class RunDecoder {
public:
    RunDecoder(CByteSource& source, uint64_t imageBytes) :
        m_Source(source), m_In(source.GetPosition()), m_End(source.GetStart() + source.GetSize()),
        m_Left(imageBytes)
    {
    }

    void Read(uint8_t* dst, size_t n)
    {
        if (m_Pending > 0) {
            const size_t k = std::min(m_Pending, n);
            std::memset(dst, m_Value, k);
            dst += k;
            n -= k;
            m_Pending -= k;
        }
        while (n > 0) {
            const uint8_t b = Next();
            if (b < kRunFlag) {
                *dst++ = b;
                --n;
                --m_Left;
                continue;
            }
            const size_t count = b & kRunCountMask;
            if (count > m_Left)
                RaiseDecoderError(ErrUnsupported, "Repeat count spans end of image.");
            const uint8_t value = Next();
            m_Left -= count;
            const size_t k = std::min(count, n);
            std::memset(dst, value, k);
            dst += k;
            n -= k;
            m_Pending = count - k;
            m_Value = value;
        }
    }

    void Finish() { m_Source.SkipBytes(static_cast<size_t>(m_In - m_Source.GetPosition())); }

private:
    uint8_t Next()
    {
        if (m_In == m_End) {
            Finish();
            m_Source.ReadBytes(1); // raises the end-of-data failure
        }
        return *m_In++;
    }

    CByteSource& m_Source;
    const uint8_t* m_In;
    const uint8_t* m_End;
    uint64_t m_Left;
    size_t m_Pending = 0;
    uint8_t m_Value = 0;
};

// Index of pixel x in a row of 1, 2, 4 or 8 bits per pixel, most significant bits first.
inline uint8_t PackedIndex(const uint8_t* row, int x, int bits)
{
    const int bit = x * bits;
    const int shift = 8 - bits - (bit & 7);
    return static_cast<uint8_t>((row[bit >> 3] >> shift) & ((1 << bits) - 1));
}

void BuildColors(const uint8_t* rgb, int entries, uint32_t* colors)
{
    for (int i = 0; i < entries; ++i)
        colors[i] = PackPixel(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
}

} // namespace

void CPCXDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    DecoderTrace(2, "Decoding PCX.\n");
    const PcxHeader header = ReadHeader(source);
    const int bits = header.BitsPerPixel;
    const int planes = header.Planes;
    // 1 bit with no plane at all has only index 0: header palette entry 0.
    if (bits == 1) {
        if (planes > kMaxOneBitPlanes)
            RaiseDecoderError(ErrUnsupported, "Can't handle image with more then 4 planes");
    } else if (!((bits == 2 || bits == 4 || bits == 8) && (planes == 1 || planes == 3))) {
        RaiseDecoderError(ErrUnsupported, "Can't handle image");
    }
    // Refused before any memory is taken for the image.
    if (bits != 8 && bits != 1 && planes == 3)
        RaiseDecoderError(ErrUnsupported, "Can't handle more then 1 bit per pixel");

    const int64_t width = int64_t(header.XMax) - header.XMin + 1;
    const int64_t height = int64_t(header.YMax) - header.YMin + 1;
    const uint64_t bytesPerLine = header.BytesPerLine;
    // A plane row must hold the whole width, or pixels would come from the next row.
    if (planes > 0 && width > 0 && bytesPerLine * 8 < uint64_t(width) * uint64_t(bits))
        RaiseDecoderError(ErrFormat, "Bytes per line too small for the image width.");
    const uint64_t imageBytes = uint64_t(planes) * bytesPerLine * uint64_t(std::max<int64_t>(height, 0));
    if (imageBytes * 2 > uint64_t(source.Remaining()) * kMaxRunBytes)
        source.ReadBytes(source.Remaining() + 1); // raises: the data cannot fill the image

    CreateBitmap(bitmap, width, height, 32, false);
    bitmap.SourceBitsPerPixel = bits == 8 ? planes * 8 : bits;

    const bool trailingPalette = header.Version == 5 && bits == 8 && planes == 1;
    uint32_t colors[kPaletteCapacity];
    std::fill(colors, colors + kPaletteCapacity, PackPixel(0, 0, 0));
    BuildColors(header.Palette, kHeaderPaletteEntries, colors);
    // A two-colour image whose colours are the same would show nothing: such
    // files carry no palette and are black on white.
    if (bits == 1 && planes == 1 && colors[0] == colors[1]) {
        colors[0] = PackPixel(0, 0, 0);
        colors[1] = PackPixel(255, 255, 255);
    }

    const int w = bitmap.Width;
    const int h = bitmap.Height;
    const size_t planeBytes = static_cast<size_t>(bytesPerLine);
    std::vector<uint8_t> line(planeBytes * static_cast<size_t>(planes));
    RunDecoder rle(source, imageBytes);
    for (int y = 0; y < h; ++y) {
        CheckAbort();
        rle.Read(line.data(), line.size());
        const uint8_t* src = line.data();
        uint32_t* dst = bitmap.Row32(y);
        if (trailingPalette) {
            // Indices wait in the row until the palette after the data is read.
            std::memcpy(dst, src, static_cast<size_t>(w));
        } else if (bits == 8 && planes == 3) {
            const uint8_t* green = src + planeBytes;
            const uint8_t* blue = green + planeBytes;
            for (int x = 0; x < w; ++x)
                dst[x] = PackPixel(src[x], green[x], blue[x]);
        } else if (bits == 8) {
            for (int x = 0; x < w; ++x)
                dst[x] = colors[src[x]];
        } else if (planes == 1) {
            for (int x = 0; x < w; ++x)
                dst[x] = colors[PackedIndex(src, x, bits)];
        } else {
            for (int x = 0; x < w; ++x) {
                int index = 0;
                for (int p = 0; p < planes; ++p)
                    index |= ((src[p * planeBytes + (x >> 3)] >> (7 - (x & 7))) & 1) << p;
                dst[x] = colors[index];
            }
        }
    }
    rle.Finish();

    if (trailingPalette) {
        if (source.ReadByte() != kPaletteSignature)
            RaiseDecoderError(ErrWrongSignature, "Bad color map signature.");
        BuildColors(source.ReadBytes(3 * kPaletteCapacity), kPaletteCapacity, colors);
        for (int y = 0; y < h; ++y) {
            CheckAbort();
            uint32_t* row = bitmap.Row32(y);
            const uint8_t* indices = bitmap.Lines[y];
            // Backwards, so no index is overwritten before it is read.
            for (int x = w - 1; x >= 0; --x)
                row[x] = colors[indices[x]];
        }
    }
}
