#include "formats/IFFLineColours.h"

#include "formats/ByteSource.h"
#include "formats/ImageDecoder.h"
#include "base/LittleEndian.h"

#include <algorithm>

namespace {

constexpr uint16_t kCompressionHuffman = 1;
constexpr uint16_t kSmallLineChanges = 1;
constexpr uint16_t kBigLineChanges = 2;
constexpr size_t kShamRegisters = 16;

// A 4-bit gun spread over 0…255.
uint8_t Gun4(unsigned value)
{
    return static_cast<uint8_t>((value & 15) * 17);
}

} // namespace

bool UnpackPchgHuffman(const uint8_t* tree, size_t treeBytes, const uint8_t* bits, size_t bitBytes, uint8_t* out,
                       size_t size)
{
    const size_t words = treeBytes / 2;
    if (words == 0)
        return size == 0;
    auto word = [tree](size_t i) { return static_cast<int16_t>(GetBE16(tree + 2 * i)); };
    const size_t root = words - 1;
    size_t node = root;
    size_t written = 0;
    for (size_t byte = 0; byte < bitBytes && written < size; ++byte) {
        for (int bit = 7; bit >= 0 && written < size; --bit) {
            if ((bits[byte] >> bit) & 1) {
                // The node's own word: a byte, or the distance back to the next node.
                const int w = word(node);
                if (w >= 0) {
                    out[written++] = static_cast<uint8_t>(w);
                    node = root;
                } else {
                    const size_t back = size_t(-w) / 2;
                    if (back == 0 || back > node)
                        return false;
                    node -= back;
                }
            } else {
                // The word before it: a byte marked with 0x100, or the next node.
                if (node == 0)
                    return false;
                --node;
                const int w = word(node);
                if (w > 0 && (w & 0x100)) {
                    out[written++] = static_cast<uint8_t>(w);
                    node = root;
                }
            }
        }
    }
    return written == size;
}

bool CIffLineColours::ReadPchg(const uint8_t* data, size_t size)
{
    std::vector<Change> changes;
    try {
        CByteSource chunk;
        chunk.Open("PCHG", data, size);
        const uint8_t* h = chunk.ReadBytes(20);
        const uint16_t compression = GetBE16(h);
        const uint16_t flags = GetBE16(h + 2);
        const int startLine = static_cast<int16_t>(GetBE16(h + 4));
        const uint16_t lineCount = GetBE16(h + 6);
        if (compression > kCompressionHuffman || !(flags & (kSmallLineChanges | kBigLineChanges)))
            return false;

        std::vector<uint8_t> unpacked;
        CByteSource lines;
        if (compression == kCompressionHuffman) {
            const uint32_t treeBytes = chunk.ReadBE32();
            const uint32_t originalSize = chunk.ReadBE32();
            const uint8_t* tree = chunk.ReadBytes(treeBytes);
            // Every byte takes at least one bit.
            if (uint64_t(originalSize) > uint64_t(chunk.Remaining()) * 8)
                return false;
            unpacked.resize(originalSize);
            if (!UnpackPchgHuffman(tree, treeBytes, chunk.GetPosition(), chunk.Remaining(), unpacked.data(),
                                   unpacked.size()))
                return false;
            lines.Open("PCHG", unpacked.data(), unpacked.size());
        } else {
            lines.Open("PCHG", chunk.GetPosition(), chunk.Remaining());
        }

        const uint8_t* mask = lines.ReadBytes((size_t(lineCount) + 31) / 32 * 4);
        for (unsigned i = 0; i < lineCount; ++i) {
            if (!((mask[i / 8] >> (7 - i % 8)) & 1))
                continue;
            const int row = startLine + int(i);
            if (flags & kSmallLineChanges) {
                const unsigned low = lines.ReadByte();
                const unsigned high = lines.ReadByte();
                for (unsigned k = 0; k < low + high; ++k) {
                    const uint16_t w = lines.ReadBE16();
                    const uint16_t reg = static_cast<uint16_t>((w >> 12) + (k < low ? 0 : 16));
                    changes.push_back({row, reg, Gun4(w >> 8), Gun4(w >> 4), Gun4(w)});
                }
            } else {
                const unsigned count = lines.ReadBE16();
                for (unsigned k = 0; k < count; ++k) {
                    // Register, then alpha, red, blue, green.
                    const uint8_t* c = lines.ReadBytes(6);
                    changes.push_back({row, GetBE16(c), c[3], c[5], c[4]});
                }
            }
        }
    } catch (const CTextException&) {
        DecoderTrace(1, "PCHG chunk cut short: ignored.\n");
        return false;
    }
    m_Changes.insert(m_Changes.end(), changes.begin(), changes.end());
    std::stable_sort(m_Changes.begin(), m_Changes.end(), [](const Change& a, const Change& b) { return a.Row < b.Row; });
    m_Next = 0;
    return true;
}

bool CIffLineColours::ReadSham(const uint8_t* data, size_t size, int height)
{
    // A version word, then the rows.
    return size >= 2 && ReadRowPalettes(data + 2, size - 2, height);
}

bool CIffLineColours::ReadCtbl(const uint8_t* data, size_t size, int height)
{
    return ReadRowPalettes(data, size, height);
}

bool CIffLineColours::ReadRowPalettes(const uint8_t* data, size_t size, int height)
{
    if (height <= 0)
        return false;
    const size_t palettes = size / (2 * kShamRegisters);
    if (palettes == 0)
        return false;
    // Half as many palettes as rows: each serves two rows.
    const int rowsPerPalette = palettes < size_t(height) && 2 * palettes >= size_t(height) ? 2 : 1;
    const uint8_t* p = data;
    std::vector<Change> changes;
    for (size_t i = 0; i < palettes && int64_t(i) * rowsPerPalette < height; ++i)
        for (size_t r = 0; r < kShamRegisters; ++r, p += 2) {
            const uint16_t w = GetBE16(p);
            changes.push_back({int(i) * rowsPerPalette, uint16_t(r), Gun4(w >> 8), Gun4(w >> 4), Gun4(w)});
        }
    m_Changes = std::move(changes);
    m_Next = 0;
    return true;
}
