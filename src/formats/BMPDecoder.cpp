#include "formats/BMPDecoder.h"

#include "formats/BMPHeader.h"
#include "formats/ChannelMask.h"
#include "formats/JPEGDecoder.h"
#include "formats/PNGDecoder.h"
#include "base/LittleEndian.h"
#include "image/PackedPixels.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kPaletteCapacity = 256;

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
    // True-colour runs (32-bit target only).
    void FillColour(uint8_t* row, int from, int to, uint32_t colour) const
    {
        if (from < to)
            std::fill(reinterpret_cast<uint32_t*>(row) + from, reinterpret_cast<uint32_t*>(row) + to, colour);
    }
    void PutColour(uint8_t* row, int x, uint32_t colour) const { reinterpret_cast<uint32_t*>(row)[x] = colour; }

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

// Pixels given by bit masks (16 or 32 bits); narrow channels are widened by
// repeating their bits. Without an alpha mask the pixels are opaque.
struct MaskedLayout {
    ChannelMask Red, Green, Blue, Alpha;
};

template <int Bytes>
void DecodeMasked(const RowWriter& out, const uint8_t* data, size_t stride, int rows, const MaskedLayout& m)
{
    DecoderTrace(2, Bytes == 2 ? "Decoding 16 bit per pixel bitmap.\n" : "Decoding 32 bit per pixel bitmap.\n");
    const int w = out.Width();
    const bool alpha = m.Alpha.Present();
    for (int r = 0; r < rows; ++r, data += stride) {
        uint32_t* dst = reinterpret_cast<uint32_t*>(out.Row(r));
        const uint8_t* src = data;
        for (int x = 0; x < w; ++x, src += Bytes) {
            const uint32_t p = Bytes == 2 ? GetLE16(src) : GetLE32(src);
            const uint32_t a = alpha ? m.Alpha.Get(p) : 255u;
            dst[x] = uint32_t(m.Blue.Get(p)) | (uint32_t(m.Green.Get(p)) << 8) | (uint32_t(m.Red.Get(p)) << 16) |
                     (a << 24);
        }
    }
}

// A 32-bit file of the 108- or 124-byte header without masks: its fourth
// bytes are alpha when they differ between pixels; when they are all alike
// they carry nothing and the image is opaque. Returns whether alpha is kept.
bool SettleFourthByte(CBmp& bitmap)
{
    const uint32_t first = bitmap.Row32(0)[0] >> 24;
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            if ((row[x] >> 24) != first)
                return true;
    }
    for (int y = 0; y < bitmap.Height; ++y) {
        uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            row[x] |= 0xFF000000u;
    }
    return false;
}

// An alpha mask whose alpha is 0 in every pixel was written without thought
// for alpha: the image is shown opaque rather than not at all. Returns
// whether alpha is kept.
bool SettleMaskAlpha(CBmp& bitmap)
{
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            if (row[x] >> 24)
                return true;
    }
    for (int y = 0; y < bitmap.Height; ++y) {
        uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x)
            row[x] |= 0xFF000000u;
    }
    return false;
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

enum class RleKind { Rle4, Rle8, Rle24 };

inline uint32_t Bgr(const uint8_t* p)
{
    return PackPixel(p[2], p[1], p[0]);
}

// Pixels the stream never reaches, whether skipped by a delta or left after
// an early end, take palette index 0 (black for RLE24, which has no palette).
void DecodeRle(const RowWriter& out, CByteSource& source, int rows, RleKind kind)
{
    const bool rle4 = kind == RleKind::Rle4;
    const bool rle24 = kind == RleKind::Rle24;
    DecoderTrace(2, rle4    ? "Decoding RLE4-compressed bitmap.\n"
                    : rle24 ? "Decoding RLE24-compressed bitmap.\n"
                            : "Decoding RLE8-compressed bitmap.\n");
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
            if (rle24) {
                // The pair holds the count and blue; green and red follow.
                const uint8_t* gr = in.Literal(2);
                out.FillColour(row, x, x + n, PackPixel(gr[1], gr[0], static_cast<uint8_t>(value)));
            } else if (!rle4) {
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
            // Delta: dx pixels right and dy rows up, the skipped pixels at index 0.
            const uint8_t* move = in.Literal(2);
            const int dx = move[0];
            const int dy = move[1];
            if (dy > 0) {
                out.Fill(row, x, w, 0);
                for (int k = 1; k < dy && r + k < rows; ++k)
                    out.Fill(out.Row(r + k), 0, w, 0);
                r += dy;
                if (r >= rows)
                    break;
                out.Fill(out.Row(r), 0, x, 0);
            }
            const int to = std::min(w, x + dx);
            out.Fill(out.Row(r), x, to, 0);
            x = to;
        } else {
            const size_t bytes = rle4 ? (size_t(value) + 1) / 2 : rle24 ? size_t(value) * 3 : size_t(value);
            const uint8_t* literal = in.Literal(bytes);
            const int n = std::min(value, w - x);
            for (int i = 0; i < n && rle24; ++i)
                out.PutColour(row, x + i, Bgr(literal + 3 * i));
            for (int i = 0; i < n && !rle24; ++i) {
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

MaskedLayout MasksFor(const BmpHeader& info)
{
    // Without bit fields, or with none that give a colour: 5-5-5 at 16 bits,
    // 8-8-8 at 32.
    uint32_t red = info.Masks[0], green = info.Masks[1], blue = info.Masks[2], alpha = info.Masks[3];
    if (!info.HasMasks || (red | green | blue) == 0) {
        const bool sixteen = info.BitCount == 16;
        red = sixteen ? 0x7C00u : 0xFF0000u;
        green = sixteen ? 0x03E0u : 0x00FF00u;
        blue = sixteen ? 0x001Fu : 0x0000FFu;
        alpha = info.HasMasks ? alpha : 0;
    }
    return MaskedLayout{ChannelMask(red), ChannelMask(green), ChannelMask(blue), ChannelMask(alpha)};
}

} // namespace

void CBMPDecoder::ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                            CByteSource& source)
{
    const BmpHeader info = ReadBmpHeader(source);
    const size_t headersEnd = source.GetOffset();
    const int fileDepth = info.BitCount;
    // The file header says where the pixels start; an offset inside the
    // headers or past the end is taken as missing: the pixels follow the palette.
    const bool offsetKnown = info.DataOffset >= headersEnd && info.DataOffset <= source.GetSize();

    // JPEG and PNG files stored whole in place of the pixels; palette depths
    // keep reading other codes as run lengths.
    const bool embedded = (info.Compression == kBmpPng || (info.Compression == kBmpJpeg && !info.Os2)) &&
                          fileDepth != 4 && fileDepth != 8;
    if (embedded) {
        DecodeEmbedded(bitmap, bitsPerPixel, source, offsetKnown ? info.DataOffset : headersEnd, info);
        return;
    }

    paletteOut = std::make_unique<PaletteEntry[]>(kPaletteCapacity);
    for (int i = 0; i < kPaletteCapacity; ++i)
        paletteOut[i] = PaletteEntry{0, 0, 0, 255};
    if (fileDepth <= 8) {
        DecoderTrace(3, "Reading palette.\n");
        // Entries past 256 are read over but cannot be addressed by any pixel.
        const uint64_t entrySize = static_cast<uint64_t>(info.PaletteEntryBytes);
        uint64_t entries = info.ColorsUsed ? info.ColorsUsed : (uint64_t(1) << fileDepth);
        // A palette shorter than the depth needs ends where the pixels start.
        if (offsetKnown && info.DataOffset >= source.GetOffset())
            entries = std::min<uint64_t>(entries, (info.DataOffset - source.GetOffset()) / entrySize);
        if (entries > source.Remaining() / entrySize)
            source.ReadBytes(source.Remaining() + 1); // raises: the palette leaves the file
        const uint8_t* p = source.ReadBytes(static_cast<size_t>(entries * entrySize));
        const uint64_t kept = std::min<uint64_t>(entries, kPaletteCapacity);
        for (uint64_t i = 0; i < kept; ++i, p += entrySize)
            paletteOut[i] = PaletteEntry{p[0], p[1], p[2], 255};
    }

    // The size field may exceed the real length by up to 2 bytes.
    if (info.FileSize >= 2 && uint64_t(info.FileSize) - 2 > source.GetSize())
        source.ReadBytes(source.Remaining() + 1);

    if (fileDepth != 1 && fileDepth != 4 && fileDepth != 8 && fileDepth != 16 && fileDepth != 24 &&
        fileDepth != 32)
        RaiseDecoderError(ErrFormat, "Decoding bmp: Illegal bpp value.");
    if (info.Os2 && info.Compression == kBmpBitFields && fileDepth == 1)
        RaiseDecoderError(ErrUnsupported, "Bitmap decoder: Huffman-compressed bitmaps are not supported.");
    if (info.Width <= 0 || info.Height == 0 || info.Height == INT32_MIN)
        RaiseDecoderError(ErrFormat, "Bitmap decoder: Illegal image size.");
    const bool topDown = info.Height < 0;
    const int height = topDown ? -info.Height : info.Height;
    const bool rle24 = info.Os2 && info.Compression == kBmpJpeg && fileDepth == 24;
    const bool rle = rle24 || (info.Compression != kBmpRgb && (fileDepth == 4 || fileDepth == 8));
    const bool masked = fileDepth == 16 || (fileDepth == 32 && info.HasMasks);

    // The pixels are read from their own cursor, which may start before the
    // palette's end as well as after it.
    CByteSource pixels;
    const size_t pixelStart = offsetKnown ? info.DataOffset : source.GetOffset();
    pixels.Open(source.GetName(), source.GetStart() + pixelStart, source.GetSize() - pixelStart);
    // Uncompressed rows must all be in the file before memory is taken for them.
    const uint64_t stride = static_cast<uint64_t>(StrideFor(info.Width, fileDepth));
    if (!rle && stride * uint64_t(height) > pixels.Remaining())
        pixels.ReadBytes(pixels.Remaining() + 1);

    // Rows are written as bytes or words: anything but an 8-bit request for a
    // palette file decodes at 32 bits.
    int depth = ChooseDepth(fileDepth, bitsPerPixel);
    if (depth != 8 || fileDepth > 8)
        depth = 32;
    const MaskedLayout masks = masked ? MasksFor(info) : MaskedLayout{};
    const bool maskAlpha = masked && masks.Alpha.Present();
    CreateBitmap(bitmap, info.Width, height, depth, maskAlpha);
    bitmap.SourceBitsPerPixel = fileDepth;
    if (depth == 8)
        bitmap.SetPalette(paletteOut.get());

    const RowWriter out(bitmap, topDown, paletteOut.get(), GetAbortFlag());
    if (rle) {
        DecodeRle(out, pixels, height,
                  rle24 ? RleKind::Rle24 : fileDepth == 4 ? RleKind::Rle4 : RleKind::Rle8);
    } else {
        const uint8_t* data = pixels.ReadBytes(static_cast<size_t>(stride * uint64_t(height)));
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
        case 16:
            DecodeMasked<2>(out, data, stride, height, masks);
            break;
        case 24:
            Decode24(out, data, stride, height);
            break;
        case 32:
            if (masked)
                DecodeMasked<4>(out, data, stride, height, masks);
            else
                Decode32(out, data, stride, height);
            break;
        }
        if (fileDepth == 32 && !masked && info.HeaderSize >= 108)
            bitmap.HasAlpha = SettleFourthByte(bitmap);
        else if (maskAlpha)
            bitmap.HasAlpha = SettleMaskAlpha(bitmap);
    }
    DecoderTrace(3, "Decoding finished.\n");
}

void CBMPDecoder::DecodeEmbedded(CBmp& bitmap, int bitsPerPixel, CByteSource& source, size_t offset,
                                 const BmpHeader& info)
{
    const bool png = info.Compression == kBmpPng;
    DecoderTrace(2, png ? "Decoding PNG stored in a bitmap.\n" : "Decoding JPEG stored in a bitmap.\n");
    size_t length = source.GetSize() - offset;
    if (info.SizeImage != 0 && info.SizeImage < length)
        length = info.SizeImage;
    CByteSource inner;
    inner.Open(source.GetName(), source.GetStart() + offset, length);
    std::unique_ptr<CImageDecoder> decoder;
    if (png)
        decoder = std::make_unique<CPNGDecoder>();
    else
        decoder = std::make_unique<CJPEGDecoder>();
    decoder->SetAbortFlag(GetAbortFlag());
    decoder->DecodeSource(inner, bitmap, bitsPerPixel);
    for (const std::string& notice : decoder->GetNotices())
        AddNotice(notice);
}
