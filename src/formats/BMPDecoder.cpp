#include "formats/BMPDecoder.h"

#include "base/LittleEndian.h"
#include "image/PackedPixels.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kInfoHeaderSize = 40;
constexpr int kPaletteCapacity = 256;

struct InfoHeader {
    uint32_t Size;
    int32_t Width;
    int32_t Height;
    uint16_t Planes;
    uint16_t BitCount;
    uint32_t Compression;
    uint32_t SizeImage;
    int32_t XPelsPerMeter;
    int32_t YPelsPerMeter;
    uint32_t ClrUsed;
    uint32_t ClrImportant;
};

InfoHeader ParseInfoHeader(const uint8_t* p)
{
    InfoHeader h;
    h.Size = GetLE32(p);
    h.Width = static_cast<int32_t>(GetLE32(p + 4));
    h.Height = static_cast<int32_t>(GetLE32(p + 8));
    h.Planes = GetLE16(p + 12);
    h.BitCount = GetLE16(p + 14);
    h.Compression = GetLE32(p + 16);
    h.SizeImage = GetLE32(p + 20);
    h.XPelsPerMeter = static_cast<int32_t>(GetLE32(p + 24));
    h.YPelsPerMeter = static_cast<int32_t>(GetLE32(p + 28));
    h.ClrUsed = GetLE32(p + 32);
    h.ClrImportant = GetLE32(p + 36);
    return h;
}

// Where decoded rows go: the file stores rows bottom-up unless the height is
// negative. Pixels are written either as indices (8-bit target) or as
// palette colours (32-bit target).
class RowWriter {
public:
    RowWriter(CBmp& bitmap, bool topDown, const PaletteEntry* palette, const std::atomic<bool>* abort) :
        m_Bitmap(bitmap), m_TopDown(topDown), m_Width(bitmap.Width), m_Is32(bitmap.BitsPerPixel == 32),
        m_Abort(abort)
    {
        for (int i = 0; i < kPaletteCapacity; ++i)
            m_Colors[i] = PackPixel(palette[i]);
    }

    // Destination of file row r (r = 0 is the first row in the file). Every
    // row (and every run) passes here, so this is where an abandoned decode stops.
    uint8_t* Row(int r) const
    {
        CheckAbandoned(m_Abort);
        return m_Bitmap.Lines[m_TopDown ? r : m_Bitmap.Height - 1 - r];
    }
    int Width() const { return m_Width; }
    bool Is32() const { return m_Is32; }
    uint32_t Color(uint8_t index) const { return m_Colors[index]; }
    const uint32_t* Colors() const { return m_Colors; }

    void Fill(uint8_t* row, int from, int to, uint8_t index) const
    {
        if (from >= to)
            return;
        if (m_Is32)
            std::fill(reinterpret_cast<uint32_t*>(row) + from, reinterpret_cast<uint32_t*>(row) + to,
                      m_Colors[index]);
        else
            std::memset(row + from, index, static_cast<size_t>(to - from));
    }
    void Put(uint8_t* row, int x, uint8_t index) const
    {
        if (m_Is32)
            reinterpret_cast<uint32_t*>(row)[x] = m_Colors[index];
        else
            row[x] = index;
    }

private:
    CBmp& m_Bitmap;
    bool m_TopDown;
    int m_Width;
    bool m_Is32;
    const std::atomic<bool>* m_Abort;
    uint32_t m_Colors[kPaletteCapacity];
};

// Palette rows at 1, 4 or 8 bits, as indices or as palette colours.
void DecodeIndexed(const RowWriter& out, const uint8_t* data, size_t stride, int rows, int bits)
{
    for (int r = 0; r < rows; ++r, data += stride) {
        uint8_t* row = out.Row(r);
        if (out.Is32())
            IndicesToColors(data, bits, out.Width(), out.Colors(), reinterpret_cast<uint32_t*>(row));
        else
            UnpackIndices(data, bits, out.Width(), row);
    }
}

void Decode24(const RowWriter& out, const uint8_t* data, size_t stride, int rows)
{
    DecoderTrace(2, "Decoding 24 bit per pixel bitmap.\n");
    const int w = out.Width();
    for (int r = 0; r < rows; ++r, data += stride) {
        uint32_t* dst = reinterpret_cast<uint32_t*>(out.Row(r));
        const uint8_t* src = data;
        for (int x = 0; x < w; ++x, src += 3)
            dst[x] = 0xFF000000u | uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16);
    }
}

void Decode32(const RowWriter& out, const uint8_t* data, size_t stride, int rows)
{
    DecoderTrace(2, "Decoding 32 bit per pixel bitmap.\n");
    const size_t bytes = size_t(4) * static_cast<size_t>(out.Width());
    for (int r = 0; r < rows; ++r, data += stride)
        std::memcpy(out.Row(r), data, bytes);
}

// Run-length data is read in byte pairs; the stream may end anywhere.
class RunReader {
public:
    RunReader(CByteSource& source) : m_Source(source) {}
    const uint8_t* Pair() { return m_Source.ReadBytes(2); }
    const uint8_t* Literal(size_t n) { return m_Source.ReadBytes(n); }
    void Skip(size_t n) { m_Source.SkipBytes(std::min(n, m_Source.Remaining())); }

private:
    CByteSource& m_Source;
};

// Pixels the stream never reaches take palette index 0.
void DecodeRle(const RowWriter& out, CByteSource& source, int rows, bool rle4)
{
    DecoderTrace(2, rle4 ? "Decoding RLE4-compressed bitmap.\n" : "Decoding RLE8-compressed bitmap.\n");
    RunReader in(source);
    const int w = out.Width();
    int r = 0;
    int x = 0;
    while (r < rows) {
        uint8_t* row = out.Row(r);
        const uint8_t* pair = in.Pair();
        const int count = pair[0];
        const int value = pair[1];
        if (count > 0) {
            const int n = std::min(count, w - x);
            if (!rle4) {
                out.Fill(row, x, x + n, static_cast<uint8_t>(value));
            } else {
                const uint8_t hi = static_cast<uint8_t>(value >> 4), lo = static_cast<uint8_t>(value & 0x0F);
                for (int i = 0; i < n; ++i)
                    out.Put(row, x + i, (i & 1) ? lo : hi);
            }
            x += n;
            continue;
        }
        if (value == 0) {
            out.Fill(row, x, w, 0);
            ++r;
            x = 0;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            RaiseDecoderError(ErrUnsupported, "Encountered delta escape.");
        } else {
            const size_t bytes = rle4 ? (size_t(value) + 1) / 2 : size_t(value);
            const uint8_t* literal = in.Literal(bytes);
            const int n = std::min(value, w - x);
            for (int i = 0; i < n; ++i) {
                const uint8_t index =
                    rle4 ? ((i & 1) ? (literal[i >> 1] & 0x0F) : (literal[i >> 1] >> 4)) : literal[i];
                out.Put(row, x + i, index);
            }
            x += n;
            if (bytes & 1)
                in.Skip(1);
        }
    }
    for (; r < rows; ++r, x = 0)
        out.Fill(out.Row(r), x, w, 0);
}

} // namespace

void CBMPDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    const uint8_t* fileHeader = source.ReadBytes(14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        RaiseDecoderError(ErrWrongSignature, "Bitmap decoder: This isn't a bitmap.");
    DecoderTrace(2, "Bitmap file signature found\n");
    const uint32_t fileSizeField = GetLE32(fileHeader + 2);

    const uint8_t* infoBytes = source.ReadBytes(kInfoHeaderSize);
    const InfoHeader info = ParseInfoHeader(infoBytes);
    if (info.Size != kInfoHeaderSize)
        RaiseDecoderError(ErrFormat, "Bitmap decoder: BITMAPINFOHEADER has wrong size.");
    DecoderTrace(2, "Bitmap header is ok.\n");

    const int fileDepth = info.BitCount;
    paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
    for (int i = 0; i < kPaletteCapacity; ++i)
        paletteOut[i] = PaletteEntry{0, 0, 0, 255};
    if (fileDepth <= 8) {
        DecoderTrace(3, "Reading palette.\n");
        // Entries past 256 are read over but cannot be addressed by any pixel.
        const uint64_t entries = info.ClrUsed ? info.ClrUsed : (uint64_t(1) << fileDepth);
        if (entries > source.Remaining() / 4)
            source.ReadBytes(source.Remaining() + 1); // raises: the palette leaves the file
        const uint8_t* p = source.ReadBytes(static_cast<size_t>(entries) * 4);
        const uint64_t kept = std::min<uint64_t>(entries, kPaletteCapacity);
        for (uint64_t i = 0; i < kept; ++i)
            paletteOut[i] = PaletteEntry{p[4 * i], p[4 * i + 1], p[4 * i + 2], 255};
    }

    // The size field may exceed the real length by up to 2 bytes.
    if (fileSizeField >= 2 && uint64_t(fileSizeField) - 2 > source.GetSize())
        source.ReadBytes(source.Remaining() + 1);

    if (fileDepth != 1 && fileDepth != 4 && fileDepth != 8 && fileDepth != 24 && fileDepth != 32)
        RaiseDecoderError(ErrFormat, "Decoding bmp: Illegal bpp value.");
    if (info.Width <= 0 || info.Height == 0 || info.Height == INT32_MIN)
        RaiseDecoderError(ErrFormat, "Bitmap decoder: Illegal image size.");
    const bool topDown = info.Height < 0;
    const int height = topDown ? -info.Height : info.Height;
    const bool rle = info.Compression != 0 && (fileDepth == 4 || fileDepth == 8);

    // Uncompressed rows must all be in the file before memory is taken for them.
    const uint64_t stride = static_cast<uint64_t>(StrideFor(info.Width, fileDepth));
    if (!rle && stride * uint64_t(height) > source.Remaining())
        source.ReadBytes(source.Remaining() + 1);

    // Rows are written as bytes or words: anything but an 8-bit request for a
    // palette file decodes at 32 bits.
    int depth = ChooseDepth(fileDepth, bitsPerPixel);
    if (depth != 8 || fileDepth > 8)
        depth = 32;
    CreateBitmap(bitmap, info.Width, height, depth, false);
    bitmap.SourceBitsPerPixel = fileDepth;
    if (depth == 8)
        bitmap.SetPalette(paletteOut.get());

    const RowWriter out(bitmap, topDown, paletteOut.get(), GetAbortFlag());
    if (rle) {
        DecodeRle(out, source, height, fileDepth == 4);
    } else {
        const uint8_t* data = source.ReadBytes(static_cast<size_t>(stride * uint64_t(height)));
        switch (fileDepth) {
        case 1:
            DecoderTrace(2, "Decoding 1 bit per pixel bitmap.\n");
            DecodeIndexed(out, data, stride, height, 1);
            break;
        case 4:
            DecoderTrace(2, "Decoding uncompressed 4 bit per pixel bitmap.\n");
            DecodeIndexed(out, data, stride, height, 4);
            break;
        case 8:
            DecoderTrace(2, "Decoding uncompressed 8 bit per pixel bitmap.\n");
            DecodeIndexed(out, data, stride, height, 8);
            break;
        case 24:
            Decode24(out, data, stride, height);
            break;
        case 32:
            Decode32(out, data, stride, height);
            break;
        }
    }
    DecoderTrace(3, "Decoding finished.\n");
}
