#include "save/IffWriter.h"

#include "base/TextException.h"
#include "image/Bmp.h"
#include "save/PaletteImage.h"
#include "save/WriterFile.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char* kWriteError = "Error writing image.";
constexpr size_t kMaxPacket = 128;
// Readers take a chunk size with its top bit set as no size at all.
constexpr uint64_t kMaxChunk = 0x7FFFFFFF;
// "ILBM" and the chunk headers and bodies of BMHD and CAMG, the headers of
// CMAP and BODY.
constexpr uint64_t kFormOverhead = 60;

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

void PutId(std::vector<uint8_t>& out, const char* id)
{
    out.insert(out.end(), id, id + 4);
}

// The plane rows of one image row: plane p holds bit p of each index, bit 7
// of a byte for its first pixel. planes has n × rowBytes bytes.
void SplitPlanes(const uint8_t* indices, int width, int n, size_t rowBytes, uint8_t* planes)
{
    std::memset(planes, 0, size_t(n) * rowBytes);
    for (int x = 0; x < width; ++x) {
        const uint8_t mask = uint8_t(0x80 >> (x & 7));
        const uint8_t index = indices[x];
        for (int p = 0; p < n; ++p)
            if (index & (1 << p))
                planes[size_t(p) * rowBytes + size_t(x >> 3)] |= mask;
    }
}

} // namespace

size_t EncodeByteRun1(const uint8_t* bytes, size_t size, uint8_t* out)
{
    uint8_t* o = out;
    size_t x = 0;
    size_t literal = 0;  // bytes x − literal … x − 1 wait for their packet
    auto flushLiteral = [&] {
        while (literal > 0) {
            const size_t n = literal < kMaxPacket ? literal : kMaxPacket;
            *o++ = uint8_t(n - 1);
            std::memcpy(o, bytes + x - literal, n);
            o += n;
            literal -= n;
        }
    };
    while (x < size) {
        size_t run = 1;
        while (x + run < size && run < kMaxPacket && bytes[x + run] == bytes[x])
            ++run;
        if (run >= 3) {
            flushLiteral();
            *o++ = uint8_t(257 - run);
            *o++ = bytes[x];
        } else {
            literal += run;
        }
        x += run;
    }
    flushLiteral();
    return size_t(o - out);
}

void WriteIFF(const std::string& path, const CBmp& bitmap, int compression)
{
    CheckImageSize(bitmap, kMaxSide16, kMaxSide16);
    if (compression != 0 && compression != 1)
        throw CTextException(ErrInternal, "Internal error.");
    const CPaletteImage image(bitmap);
    const int count = image.Count();
    const int n = PaletteBits(count);
    const int width = bitmap.Width, height = bitmap.Height;
    const size_t rowBytes = 2 * ((size_t(width) + 15) / 16);
    const uint64_t cmapSize = 3 * uint64_t(count);
    const uint64_t cmapPadded = cmapSize + (cmapSize & 1);

    std::vector<uint8_t> indices(static_cast<size_t>(width));
    std::vector<uint8_t> planes(size_t(n) * rowBytes);
    std::vector<uint8_t> packed(size_t(n) * (rowBytes + rowBytes / kMaxPacket + 1));
    auto encode = [&](int y) -> size_t {
        image.IndexRow(y, indices.data());
        SplitPlanes(indices.data(), width, n, rowBytes, planes.data());
        if (compression == 0)
            return planes.size();
        size_t size = 0;
        for (int p = 0; p < n; ++p)
            size += EncodeByteRun1(planes.data() + size_t(p) * rowBytes, rowBytes, packed.data() + size);
        return size;
    };
    uint64_t body = uint64_t(rowBytes) * uint64_t(n) * uint64_t(height);
    if (compression == 1) {
        // Chunk sizes lead their data: pack once to measure, again to write.
        body = 0;
        for (int y = 0; y < height; ++y)
            body += encode(y);
    }
    const uint64_t bodyPadded = body + (body & 1);
    const uint64_t form = kFormOverhead + cmapPadded + bodyPadded;
    if (form > kMaxChunk)
        throw CTextException(ErrUnsupported, "Image is too large for this file format.");

    std::vector<uint8_t> head;
    PutId(head, "FORM");
    PutBE32(head, uint32_t(form));
    PutId(head, "ILBM");
    PutId(head, "BMHD");
    PutBE32(head, 20);
    PutBE16(head, uint32_t(width));
    PutBE16(head, uint32_t(height));
    PutBE32(head, 0);  // origin
    head.push_back(uint8_t(n));
    head.push_back(0);  // no mask
    head.push_back(uint8_t(compression));
    head.push_back(0);
    PutBE16(head, 0);  // transparent colour
    head.push_back(10);
    head.push_back(10);
    PutBE16(head, uint32_t(width));
    PutBE16(head, uint32_t(height));
    PutId(head, "CMAP");
    PutBE32(head, uint32_t(cmapPadded));
    for (const ColorHistItem& c : image.Palette()) {
        head.push_back(c.Red);
        head.push_back(c.Green);
        head.push_back(c.Blue);
    }
    if (cmapSize & 1)
        head.push_back(0);
    PutId(head, "CAMG");
    PutBE32(head, 4);
    PutBE32(head, 0);
    PutId(head, "BODY");
    PutBE32(head, uint32_t(body));

    CWriterFile file(path, kWriteError);
    file.Write(head.data(), head.size());
    for (int y = 0; y < height; ++y) {
        const size_t size = encode(y);
        file.Write(compression == 0 ? planes.data() : packed.data(), size);
    }
    if (body & 1) {
        const uint8_t pad = 0;
        file.Write(&pad, 1);
    }
    file.Commit();
}
