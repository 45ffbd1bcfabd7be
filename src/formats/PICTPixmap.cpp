#include "formats/PICTPixmap.h"

#include "image/PackedPixels.h"

#include "formats/ImageDecoder.h"
#include "base/LittleEndian.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Rows whose byte count is below this are stored without packing.
constexpr uint32_t kMinPackedRowBytes = 8;
// Rows longer than this carry a 16-bit packed length instead of one byte.
constexpr uint32_t kMaxByteCountRow = 250;

enum class RowCoding {
    Raw,    // RowBytes bytes per row, as stored
    Packed, // a length, then PackBits data in units of 1 byte (2 at 16 bits)
    RawRGB, // 32-bit pixels without their pad byte: 3 × width bytes per row
};

struct RowPlan {
    RowCoding Coding = RowCoding::Raw;
    size_t RowBytes = 0;    // raw bytes per row, or the unpacked row for packed ones
    int LengthBytes = 0;    // size of a packed row's length field
    int Unit = 1;           // PackBits unit in bytes
    bool Chunky32 = false;  // raw 32-bit rows: A/x R G B per pixel instead of planes
};

[[noreturn]] void RaiseFormat(const char* format, int value)
{
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    RaiseDecoderError(ErrFormat, text);
}

RowPlan PlanRows(const PictRowLayout& layout)
{
    const int bits = layout.PixelSize;
    const uint64_t width = static_cast<uint64_t>(layout.Width);
    RowPlan plan;
    if (bits == 32) {
        if (layout.CmpCount != 3 && layout.CmpCount != 4)
            RaiseFormat("Illegal component count: %d", layout.CmpCount);
        if (layout.PackType == 1) {
            // No packing: whole pixels, alpha or pad byte first.
            plan.RowBytes = layout.RowBytes ? layout.RowBytes : 4 * width;
            plan.Chunky32 = true;
            if (plan.RowBytes < 4 * width)
                RaiseDecoderError(ErrFormat, "Row bytes too small for the image width.");
        } else if (layout.PackType == 2) {
            plan.Coding = RowCoding::RawRGB;
            plan.RowBytes = 3 * width;
        } else {
            // Components packed plane after plane; the stored row length
            // (4 bytes a pixel) decides the size of the length field.
            const uint64_t selector = layout.RowBytes ? layout.RowBytes : layout.CmpCount * width;
            plan.Coding = RowCoding::Packed;
            plan.RowBytes = static_cast<size_t>(layout.CmpCount * width);
            plan.LengthBytes = selector > kMaxByteCountRow ? 2 : 1;
        }
        return plan;
    }
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
        RaiseFormat("Illegal bpp value in unpackbits: %d\n", bits);
    plan.RowBytes = layout.RowBytes ? layout.RowBytes : (bits == 16 ? 2 * width : width);
    if ((width * bits + 7) / 8 > plan.RowBytes)
        RaiseDecoderError(ErrFormat, "Row bytes too small for the image width.");
    if (plan.RowBytes >= kMinPackedRowBytes && !(bits == 16 && layout.PackType == 1)) {
        plan.Coding = RowCoding::Packed;
        plan.LengthBytes = plan.RowBytes > kMaxByteCountRow ? 2 : 1;
        plan.Unit = bits == 16 ? 2 : 1;
    }
    return plan;
}

// Unpacks PackBits data into dst, never writing past capacity; data that
// would run past the row is dropped and a row the data leaves short is
// completed with zero bytes.
void UnpackBitsRow(const uint8_t* src, size_t length, uint8_t* dst, size_t capacity, int unit)
{
    size_t in = 0;
    size_t out = 0;
    while (in < length && out < capacity) {
        const unsigned flag = src[in++];
        if (flag < 128) {
            const size_t wanted = (flag + 1) * static_cast<size_t>(unit);
            const size_t n = std::min({wanted, length - in, capacity - out});
            std::memcpy(dst + out, src + in, n);
            in += wanted;
            out += n;
        } else if (flag > 128) {
            if (length - in < static_cast<size_t>(unit))
                break;
            const size_t n = std::min((257 - flag) * static_cast<size_t>(unit), capacity - out);
            if (unit == 1) {
                std::memset(dst + out, src[in], n);
            } else {
                const uint8_t pair[2] = {src[in], src[in + 1]};
                for (size_t k = 0; k < n; ++k)
                    dst[out + k] = pair[k & 1];
            }
            in += unit;
            out += n;
        }
    }
    if (out < capacity)
        std::memset(dst + out, 0, capacity - out);
}

// Hands out the stored bytes of one row after another.
class RowReader {
public:
    RowReader(const RowPlan& plan, CByteSource& source) :
        m_Plan(plan), m_Source(source), m_Scratch(plan.Coding == RowCoding::Packed ? plan.RowBytes : 0)
    {
    }

    const uint8_t* Next()
    {
        if (m_Plan.Coding != RowCoding::Packed)
            return m_Source.ReadBytes(m_Plan.RowBytes);
        const size_t length = m_Plan.LengthBytes == 1 ? m_Source.ReadByte() : m_Source.ReadBE16();
        const uint8_t* packed = m_Source.ReadBytes(length);
        UnpackBitsRow(packed, length, m_Scratch.data(), m_Scratch.size(), m_Plan.Unit);
        return m_Scratch.data();
    }

private:
    const RowPlan& m_Plan;
    CByteSource& m_Source;
    std::vector<uint8_t> m_Scratch;
};

void CombinePlanes(const uint8_t* row, int width, int cmpCount, uint32_t* dst)
{
    if (cmpCount == 4) {
        const uint8_t *a = row, *r = row + width, *g = r + width, *b = g + width;
        for (int x = 0; x < width; ++x)
            dst[x] = uint32_t(b[x]) | (uint32_t(g[x]) << 8) | (uint32_t(r[x]) << 16) | (uint32_t(a[x]) << 24);
    } else {
        const uint8_t *r = row, *g = r + width, *b = g + width;
        for (int x = 0; x < width; ++x)
            dst[x] = 0xFF000000u | uint32_t(b[x]) | (uint32_t(g[x]) << 8) | (uint32_t(r[x]) << 16);
    }
}

void CombineChunky(const uint8_t* row, int width, bool alpha, uint32_t* dst)
{
    for (int x = 0; x < width; ++x, row += 4)
        dst[x] = uint32_t(row[3]) | (uint32_t(row[2]) << 8) | (uint32_t(row[1]) << 16) |
                 (alpha ? uint32_t(row[0]) << 24 : 0xFF000000u);
}

void CombineRGB(const uint8_t* row, int width, uint32_t* dst)
{
    for (int x = 0; x < width; ++x, row += 3)
        dst[x] = 0xFF000000u | uint32_t(row[2]) | (uint32_t(row[1]) << 8) | (uint32_t(row[0]) << 16);
}

} // namespace

void CheckPictRows(const PictRowLayout& layout, const CByteSource& source)
{
    const RowPlan plan = PlanRows(layout);
    const uint64_t leastPerRow = plan.Coding == RowCoding::Packed ? plan.LengthBytes : plan.RowBytes;
    if (leastPerRow * static_cast<uint64_t>(layout.Height) > source.Remaining())
        RaiseDecoderError(ErrInternal, "Unexpected end of file.");
}

void unpackbits(const PictRowLayout& layout, CBmp& bitmap, CByteSource& source, const PaletteEntry* palette,
                const std::atomic<bool>* abort)
{
    const RowPlan plan = PlanRows(layout);
    uint32_t colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = PackPixel(palette[i]);
    RowReader rows(plan, source);
    const bool to32 = bitmap.BitsPerPixel == 32;
    for (int y = 0; y < layout.Height; ++y) {
        CheckAbandoned(abort);
        const uint8_t* row = rows.Next();
        if (to32)
            expandBuf(row, layout.Width, layout.PixelSize, bitmap.Row32(y), colors);
        else
            expandBuf8(row, layout.Width, layout.PixelSize, bitmap.Lines[y]);
    }
}

void UnpackDirectRows(const PictRowLayout& layout, CBmp& bitmap, CByteSource& source,
                      const std::atomic<bool>* abort)
{
    const RowPlan plan = PlanRows(layout);
    RowReader rows(plan, source);
    for (int y = 0; y < layout.Height; ++y) {
        CheckAbandoned(abort);
        const uint8_t* row = rows.Next();
        if (plan.Coding == RowCoding::RawRGB)
            CombineRGB(row, layout.Width, bitmap.Row32(y));
        else if (plan.Chunky32)
            CombineChunky(row, layout.Width, layout.CmpCount == 4, bitmap.Row32(y));
        else
            CombinePlanes(row, layout.Width, layout.CmpCount, bitmap.Row32(y));
    }
}

void expandBuf(const uint8_t* src, int width, int bits, uint32_t* dst, const uint32_t* colors)
{
    if (IndicesToColors(src, bits, width, colors, dst))
        return;
    switch (bits) {
    case 16:
        // x RRRRR GGGGG BBBBB, each component shifted up to eight bits.
        for (int x = 0; x < width; ++x) {
            const unsigned word = GetBE16(src + 2 * x);
            dst[x] = 0xFF000000u | ((word & 0x1F) << 3) | (((word >> 5) & 0x1F) << 11) | (((word >> 10) & 0x1F) << 19);
        }
        break;
    default:
        RaiseDecoderError(ErrFormat, "Bad bits per pixel in expandBuf.");
    }
}

void expandBuf8(const uint8_t* src, int width, int bits, uint8_t* dst)
{
    if (!UnpackIndices(src, bits, width, dst))
        RaiseDecoderError(ErrFormat, "Bad bits per pixel in expandBuf8.");
}
