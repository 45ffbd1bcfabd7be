#include "save/PictWriter.h"

#include "image/Bmp.h"
#include "save/PaletteImage.h"
#include "save/WriterFile.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* kWriteError = "Error writing image.";
constexpr int kMaxWidth = 16383;   // row bytes keep their top two bits for flags
constexpr int kMaxHeight = 32767;  // rectangles are signed
constexpr int kMaxPacket = 128;

void PutBE16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
    PutBE16(out, v >> 16);
    PutBE16(out, v);
}

void PutRect(std::vector<uint8_t>& out, int width, int height)
{
    PutBE32(out, 0);
    PutBE16(out, uint32_t(height));
    PutBE16(out, uint32_t(width));
}

// PackBits built from the right end, as the Macintosh packs: packets are
// formed right to left into the end of out and so come out in file order.
size_t PackBits(const uint8_t* row, int width, uint8_t* out, size_t capacity)
{
    size_t p = capacity;
    int literal = 0;  // pixels x + 1 … x + literal wait for their packet
    auto flushLiteral = [&](int first) {
        if (literal == 0)
            return;
        p -= size_t(literal);
        std::memcpy(out + p, row + first, size_t(literal));
        out[--p] = uint8_t(literal - 1);
        literal = 0;
    };
    int x = width - 1;
    while (x >= 0) {
        int start = x;
        while (start > 0 && row[start - 1] == row[x])
            --start;
        int run = x - start + 1;
        if (run >= 3) {
            flushLiteral(x + 1);
            while (run > 0) {
                const int n = run < kMaxPacket ? run : kMaxPacket;
                out[--p] = row[x];
                out[--p] = uint8_t(257 - n);
                run -= n;
            }
        } else {
            for (int i = x; i >= start; --i) {
                ++literal;
                if (literal == kMaxPacket)
                    flushLiteral(i);
            }
        }
        x = start - 1;
    }
    flushLiteral(0);
    const size_t size = capacity - p;
    std::memmove(out, out + p, size);
    return size;
}

size_t LiteralPackets(const uint8_t* row, int width, uint8_t* out)
{
    uint8_t* o = out;
    for (int x = 0; x < width; x += kMaxPacket) {
        const int n = width - x < kMaxPacket ? width - x : kMaxPacket;
        *o++ = uint8_t(n - 1);
        std::memcpy(o, row + x, size_t(n));
        o += n;
    }
    return size_t(o - out);
}

// Everything before the rows; the picture size (offset 512) is left 0.
std::vector<uint8_t> Header(const CPaletteImage& image, int width, int height)
{
    std::vector<uint8_t> h(512, 0);
    PutBE16(h, 0);
    PutRect(h, width, height);
    PutBE16(h, 0x0011);
    PutBE16(h, 0x02FF);
    PutBE16(h, 0x0C00);
    PutBE32(h, 0xFFFFFFFF);
    PutBE32(h, 0);
    PutBE32(h, 0);
    PutBE32(h, uint32_t(width) << 16);
    PutBE32(h, uint32_t(height) << 16);
    PutBE32(h, 0);
    PutBE16(h, 0x0001);  // clip region
    PutBE16(h, 10);
    PutRect(h, width, height);
    PutBE16(h, 0x0098);  // PackBitsRect
    PutBE16(h, 0x8000 | uint32_t(width));
    PutRect(h, width, height);
    PutBE16(h, 0);           // version
    PutBE16(h, 0);           // pack type
    PutBE32(h, 0);           // pack size
    PutBE32(h, 72u << 16);   // resolution
    PutBE32(h, 72u << 16);
    PutBE16(h, 0);  // pixel type
    PutBE16(h, 8);  // pixel size
    PutBE16(h, 1);  // components
    PutBE16(h, 8);  // component size
    PutBE32(h, 0);  // plane bytes
    PutBE32(h, 0);  // colour table handle
    PutBE32(h, 0);
    PutBE32(h, 0);  // colour table seed
    PutBE16(h, 0);  // flags
    PutBE16(h, uint32_t(image.Count() - 1));
    for (int j = 0; j < image.Count(); ++j) {
        const ColorHistItem& c = image.Palette()[size_t(j)];
        PutBE16(h, uint32_t(j));
        PutBE16(h, c.Red * 257u);
        PutBE16(h, c.Green * 257u);
        PutBE16(h, c.Blue * 257u);
    }
    PutRect(h, width, height);  // source
    PutRect(h, width, height);  // destination
    PutBE16(h, 0);              // copy
    return h;
}

} // namespace

size_t EncodePictRow(const uint8_t* indices, int width, bool rle, uint8_t* out)
{
    if (width < 8) {
        std::memcpy(out, indices, size_t(width));
        return size_t(width);
    }
    const size_t countBytes = width > 250 ? 2 : 1;
    const size_t packed = rle ? PackBits(indices, width, out + countBytes, PictRowBound(width) - countBytes)
                              : LiteralPackets(indices, width, out + countBytes);
    if (countBytes == 2) {
        out[0] = uint8_t(packed >> 8);
        out[1] = uint8_t(packed);
    } else {
        out[0] = uint8_t(packed);
    }
    return countBytes + packed;
}

void WritePICT(const std::string& path, const CBmp& bitmap, bool rle)
{
    CheckImageSize(bitmap, kMaxWidth, kMaxHeight);
    const CPaletteImage image(bitmap);
    const int width = bitmap.Width, height = bitmap.Height;
    std::vector<uint8_t> indices(static_cast<size_t>(width));
    std::vector<uint8_t> packed(PictRowBound(width));
    auto encode = [&](int y) {
        image.IndexRow(y, indices.data());
        return EncodePictRow(indices.data(), width, rle, packed.data());
    };
    // The picture size leads the file: the rows are packed once to measure
    // them, and again to write them, rather than held in memory.
    uint64_t data = 0;
    for (int y = 0; y < height; ++y)
        data += encode(y);
    const uint64_t pad = data & 1;
    std::vector<uint8_t> head = Header(image, width, height);
    // The field keeps the low 16 bits of the length after the 512 zero bytes.
    const uint64_t size = head.size() - 512 + data + pad + 2;
    head[512] = uint8_t(size >> 8);
    head[513] = uint8_t(size);

    CWriterFile file(path, kWriteError);
    file.Write(head.data(), head.size());
    for (int y = 0; y < height; ++y)
        file.Write(packed.data(), encode(y));
    const uint8_t end[3] = {0, 0x00, 0xFF};
    file.Write(end + 1 - pad, size_t(2 + pad));
    file.Commit();
}
