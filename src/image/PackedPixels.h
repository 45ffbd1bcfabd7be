// Rows of palette indices packed 1, 2, 4 or 8 bits per pixel, most
// significant bits first, as BMP, icons, PICT, TIFF and DIBs store them.
#pragma once

#include <cstdint>
#include <cstring>

template <int Bits>
inline uint8_t PackedIndex(const uint8_t* row, int x)
{
    if constexpr (Bits == 8) {
        return row[x];
    } else {
        constexpr int perByte = 8 / Bits;
        constexpr unsigned mask = (1u << Bits) - 1;
        const int shift = (perByte - 1 - x % perByte) * Bits;
        return static_cast<uint8_t>((row[x / perByte] >> shift) & mask);
    }
}

// Calls put(x, index) for each pixel; false when bits is not 1, 2, 4 or 8.
template <typename Put>
inline bool ForEachPackedIndex(const uint8_t* row, int bits, int width, Put put)
{
    switch (bits) {
    case 1:
        for (int x = 0; x < width; ++x)
            put(x, PackedIndex<1>(row, x));
        return true;
    case 2:
        for (int x = 0; x < width; ++x)
            put(x, PackedIndex<2>(row, x));
        return true;
    case 4:
        for (int x = 0; x < width; ++x)
            put(x, PackedIndex<4>(row, x));
        return true;
    case 8:
        for (int x = 0; x < width; ++x)
            put(x, PackedIndex<8>(row, x));
        return true;
    default:
        return false;
    }
}

// One index byte per pixel.
inline bool UnpackIndices(const uint8_t* row, int bits, int width, uint8_t* out)
{
    if (bits == 8) {
        std::memcpy(out, row, static_cast<size_t>(width));
        return true;
    }
    return ForEachPackedIndex(row, bits, width, [out](int x, uint8_t i) { out[x] = i; });
}

// One colour word per pixel from a 256-entry table.
inline bool IndicesToColors(const uint8_t* row, int bits, int width, const uint32_t* colors, uint32_t* out)
{
    return ForEachPackedIndex(row, bits, width, [out, colors](int x, uint8_t i) { out[x] = colors[i]; });
}
