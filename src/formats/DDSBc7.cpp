#include "formats/DDSBc7.h"

#include <algorithm>

namespace {

struct Mode {
    int Subsets;
    int PartitionBits;
    int RotationBits;
    int IndexSelectionBits;
    int ColorBits;
    int AlphaBits;
    int EndpointPBits; // one p-bit per endpoint
    int SharedPBits;   // one p-bit per subset
    int IndexBits;
    int SecondIndexBits;
};

constexpr Mode kModes[8] = {
    {3, 4, 0, 0, 4, 0, 1, 0, 3, 0}, {2, 6, 0, 0, 6, 0, 0, 1, 3, 0}, {3, 6, 0, 0, 5, 0, 0, 0, 2, 0},
    {2, 6, 0, 0, 7, 0, 1, 0, 2, 0}, {1, 0, 2, 1, 5, 6, 0, 0, 2, 3}, {1, 0, 2, 0, 7, 8, 0, 0, 2, 2},
    {1, 0, 0, 0, 7, 7, 1, 0, 4, 0}, {2, 6, 0, 0, 5, 5, 1, 0, 2, 0},
};

// Two-subset partitions: bit i says which subset pixel i belongs to.
constexpr uint16_t kPartitions2[64] = {
    0xCCCC, 0x8888, 0xEEEE, 0xECC8, 0xC880, 0xFEEC, 0xFEC8, 0xEC80, 0xC800, 0xFFEC, 0xFE80, 0xE800, 0xFFE8,
    0xFF00, 0xFFF0, 0xF000, 0xF710, 0x008E, 0x7100, 0x08CE, 0x008C, 0x7310, 0x3100, 0x8CCE, 0x088C, 0x3110,
    0x6666, 0x366C, 0x17E8, 0x0FF0, 0x718E, 0x399C, 0xAAAA, 0xF0F0, 0x5A5A, 0x33CC, 0x3C3C, 0x55AA, 0x9696,
    0xA55A, 0x73CE, 0x13C8, 0x324C, 0x3BDC, 0x6996, 0xC33C, 0x9966, 0x0660, 0x0272, 0x04E4, 0x4E40, 0x2720,
    0xC936, 0x936C, 0x39C6, 0x639C, 0x9336, 0x9CC6, 0x817E, 0xE718, 0xCCF0, 0x0FCC, 0x7744, 0xEE22,
};

// Three-subset partitions: two bits per pixel, pixel i at bits 2i.
constexpr uint32_t Row3(const char (&s)[17])
{
    uint32_t v = 0;
    for (int i = 0; i < 16; ++i)
        v |= uint32_t(s[i] - '0') << (2 * i);
    return v;
}

constexpr uint32_t kPartitions3[64] = {
    Row3("0011001102212222"), Row3("0001001122112221"), Row3("0000200122112211"), Row3("0222002200110111"),
    Row3("0000000011221122"), Row3("0011001100220022"), Row3("0022002211111111"), Row3("0011001122112211"),
    Row3("0000000011112222"), Row3("0000111111112222"), Row3("0000111122222222"), Row3("0012001200120012"),
    Row3("0112011201120112"), Row3("0122012201220122"), Row3("0011011211221222"), Row3("0011200122002220"),
    Row3("0001001101121122"), Row3("0111001120012200"), Row3("0000112211221122"), Row3("0022002200221111"),
    Row3("0111011102220222"), Row3("0001000122212221"), Row3("0000001101220122"), Row3("0000110022102210"),
    Row3("0122012200110000"), Row3("0012001211222222"), Row3("0110122112210110"), Row3("0000011012211221"),
    Row3("0022110211020022"), Row3("0110011020022222"), Row3("0011012201220011"), Row3("0000200022112221"),
    Row3("0000000211221222"), Row3("0222002200120011"), Row3("0011001200220222"), Row3("0120012001200120"),
    Row3("0000111122220000"), Row3("0120120120120120"), Row3("0120201212010120"), Row3("0011220011220011"),
    Row3("0011112222000011"), Row3("0101010122222222"), Row3("0000000021212121"), Row3("0022112200221122"),
    Row3("0022001100220011"), Row3("0220122102201221"), Row3("0101222222220101"), Row3("0000212121212121"),
    Row3("0101010101012222"), Row3("0222011102220111"), Row3("0002111200021112"), Row3("0000211221122112"),
    Row3("0222011101110222"), Row3("0002111211120002"), Row3("0110011001102222"), Row3("0000000021122112"),
    Row3("0110011022222222"), Row3("0022001100110022"), Row3("0022112211220022"), Row3("0000000000002112"),
    Row3("0002000100020001"), Row3("0222122202221222"), Row3("0101222222222222"), Row3("0111201122012220"),
};

// The pixel of each subset whose index is stored with one bit less (subset 0: pixel 0).
constexpr uint8_t kAnchor2[64] = {
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 2,  8,  2,  2,  8,
    8,  15, 2,  8,  2,  2,  8,  8,  2,  2,  15, 15, 6,  8,  2,  8,  15, 15, 2,  8,  2,  2,
    2,  15, 15, 6,  6,  2,  6,  8,  15, 15, 2,  2,  15, 15, 15, 15, 15, 2,  2,  15,
};
constexpr uint8_t kAnchor3a[64] = {
    3, 3,  15, 15, 8,  3,  15, 15, 8,  8,  6,  6,  6,  5,  3,  3,  3,  3,  8,  15, 3, 3,
    6, 10, 5,  8,  8,  6,  8,  5,  15, 15, 8,  15, 3,  5,  6,  10, 8,  15, 15, 3,  15, 5,
    15, 15, 15, 15, 3, 15, 5,  5,  5,  8,  5,  10, 5,  10, 8,  13, 15, 12, 3,  3,
};
constexpr uint8_t kAnchor3b[64] = {
    15, 8,  8,  3,  15, 15, 3,  8,  15, 15, 15, 15, 15, 15, 15, 8,  15, 8,  15, 3,  15, 8,
    15, 8,  3,  15, 6,  10, 15, 15, 10, 8,  15, 3,  15, 10, 10, 8,  9,  10, 6,  15, 8,  15,
    3,  6,  6,  8,  15, 3,  15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 3,  15, 15, 8,
};

constexpr uint8_t kWeights2[4] = {0, 21, 43, 64};
constexpr uint8_t kWeights3[8] = {0, 9, 18, 27, 37, 46, 55, 64};
constexpr uint8_t kWeights4[16] = {0, 4, 9, 13, 17, 21, 26, 30, 34, 38, 43, 47, 51, 55, 60, 64};

const uint8_t* Weights(int bits)
{
    return bits == 2 ? kWeights2 : bits == 3 ? kWeights3 : kWeights4;
}

// Reads the block's 128 bits from the lowest up.
class BitReader {
public:
    explicit BitReader(const uint8_t* block)
    {
        for (int i = 0; i < 8; ++i) {
            m_Low |= uint64_t(block[i]) << (8 * i);
            m_High |= uint64_t(block[8 + i]) << (8 * i);
        }
    }

    uint32_t Read(int count)
    {
        if (count == 0)
            return 0;
        uint32_t v;
        if (m_Position >= 64)
            v = uint32_t(m_High >> (m_Position - 64));
        else if (m_Position + count <= 64)
            v = uint32_t(m_Low >> m_Position);
        else
            v = uint32_t((m_Low >> m_Position) | (m_High << (64 - m_Position)));
        m_Position += count;
        return v & ((1u << count) - 1);
    }

private:
    uint64_t m_Low = 0;
    uint64_t m_High = 0;
    int m_Position = 0;
};

int SubsetOf(const Mode& mode, int partition, int pixel)
{
    if (mode.Subsets == 2)
        return (kPartitions2[partition] >> pixel) & 1;
    if (mode.Subsets == 3)
        return (kPartitions3[partition] >> (2 * pixel)) & 3;
    return 0;
}

bool IsAnchor(const Mode& mode, int partition, int pixel)
{
    if (pixel == 0)
        return true;
    if (mode.Subsets == 2)
        return pixel == kAnchor2[partition];
    if (mode.Subsets == 3)
        return pixel == kAnchor3a[partition] || pixel == kAnchor3b[partition];
    return false;
}

// A value of bits width (with its p-bit, if any) widened to 8 bits by repeating its top bits.
uint32_t Widen(uint32_t value, int bits)
{
    value <<= 8 - bits;
    return value | (value >> bits);
}

uint32_t Interpolate(uint32_t e0, uint32_t e1, uint32_t weight)
{
    return ((64 - weight) * e0 + weight * e1 + 32) >> 6;
}

} // namespace

void DecodeBc7Block(const uint8_t* block, uint32_t out[16])
{
    int m = 0;
    while (m < 8 && !((block[0] >> m) & 1))
        ++m;
    if (m == 8) {
        std::fill(out, out + 16, 0xFF000000u);
        return;
    }
    const Mode& mode = kModes[m];
    BitReader bits(block);
    bits.Read(m + 1);
    const int partition = static_cast<int>(bits.Read(mode.PartitionBits));
    const uint32_t rotation = bits.Read(mode.RotationBits);
    const uint32_t indexSelection = bits.Read(mode.IndexSelectionBits);

    // endpoints[subset * 2 + end][channel], channels red, green, blue, alpha.
    uint32_t endpoints[6][4] = {};
    const int ends = 2 * mode.Subsets;
    for (int c = 0; c < 3; ++c)
        for (int e = 0; e < ends; ++e)
            endpoints[e][c] = bits.Read(mode.ColorBits);
    for (int e = 0; e < ends; ++e)
        endpoints[e][3] = mode.AlphaBits ? bits.Read(mode.AlphaBits) : 255;

    int colorBits = mode.ColorBits;
    int alphaBits = mode.AlphaBits;
    if (mode.EndpointPBits || mode.SharedPBits) {
        uint32_t p[6];
        if (mode.EndpointPBits) {
            for (int e = 0; e < ends; ++e)
                p[e] = bits.Read(1);
        } else {
            for (int s = 0; s < mode.Subsets; ++s)
                p[2 * s] = p[2 * s + 1] = bits.Read(1);
        }
        for (int e = 0; e < ends; ++e)
            for (int c = 0; c < (alphaBits ? 4 : 3); ++c)
                endpoints[e][c] = (endpoints[e][c] << 1) | p[e];
        ++colorBits;
        if (alphaBits)
            ++alphaBits;
    }
    for (int e = 0; e < ends; ++e) {
        for (int c = 0; c < 3; ++c)
            endpoints[e][c] = Widen(endpoints[e][c], colorBits);
        if (alphaBits)
            endpoints[e][3] = Widen(endpoints[e][3], alphaBits);
    }

    uint32_t index[16];
    for (int i = 0; i < 16; ++i)
        index[i] = bits.Read(IsAnchor(mode, partition, i) ? mode.IndexBits - 1 : mode.IndexBits);
    uint32_t second[16] = {};
    if (mode.SecondIndexBits)
        for (int i = 0; i < 16; ++i)
            second[i] = bits.Read(i == 0 ? mode.SecondIndexBits - 1 : mode.SecondIndexBits);

    // Colour from one index set and alpha from the other; the selection bit swaps them.
    const uint32_t* colorIndex = indexSelection ? second : index;
    const uint32_t* alphaIndex = mode.SecondIndexBits && !indexSelection ? second : index;
    const uint8_t* colorWeights = Weights(indexSelection ? mode.SecondIndexBits : mode.IndexBits);
    const uint8_t* alphaWeights =
        Weights(mode.SecondIndexBits ? (indexSelection ? mode.IndexBits : mode.SecondIndexBits) : mode.IndexBits);

    for (int i = 0; i < 16; ++i) {
        const int s = SubsetOf(mode, partition, i);
        const uint32_t* e0 = endpoints[2 * s];
        const uint32_t* e1 = endpoints[2 * s + 1];
        const uint32_t cw = colorWeights[colorIndex[i]];
        const uint32_t aw = alphaWeights[alphaIndex[i]];
        uint32_t c[4] = {Interpolate(e0[0], e1[0], cw), Interpolate(e0[1], e1[1], cw), Interpolate(e0[2], e1[2], cw),
                         Interpolate(e0[3], e1[3], aw)};
        if (rotation != 0)
            std::swap(c[3], c[rotation - 1]);
        out[i] = c[2] | (c[1] << 8) | (c[0] << 16) | (c[3] << 24);
    }
}
