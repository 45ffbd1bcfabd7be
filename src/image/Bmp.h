// CBmp: the one in-memory image of the program. Every decoder fills one, every
// operation and writer reads one. Pixel memory belongs to the subclass
// (CWinBmp); this class owns the description and the depth conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Four bytes in memory order blue, green, red, alpha.
struct PaletteEntry {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
    uint8_t Alpha;
};
static_assert(sizeof(PaletteEntry) == 4);

// 32-bit pixels are read and written as little-endian words 0xAARRGGBB.
inline uint32_t PackPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    return uint32_t(b) | (uint32_t(g) << 8) | (uint32_t(r) << 16) | (uint32_t(a) << 24);
}
inline uint32_t PackPixel(const PaletteEntry& e)
{
    return PackPixel(e.Red, e.Green, e.Blue, e.Alpha);
}

// Stride of a row: pixel bytes (a partial byte counts at 1 bit) rounded up to 4.
// Byte counts of a bitmap are 64-bit throughout: a row within the pixel cap can
// be longer than 2^31 bytes even though its width fits an int.
int64_t StrideFor(int64_t width, int bitsPerPixel);

class CBmp {
public:
    virtual ~CBmp() = default;
    CBmp(const CBmp&) = delete;
    CBmp& operator=(const CBmp&) = delete;

    // Releases the current storage and allocates new; contents are undefined,
    // 1- and 8-bit images get the grey palette. Throws std::bad_alloc when the
    // memory cannot be had; the bitmap then has no storage until re-created.
    void Create(int width, int height, int bitsPerPixel, bool hasAlpha);

    virtual int64_t MemoryUsed() const = 0;
    virtual int64_t BytesPerLine() const = 0;

    void SetGreyPalette();
    // Copies 2^BitsPerPixel entries; only for 1- and 8-bit images.
    void SetPalette(const PaletteEntry* entries);
    // Makes this a copy of source at depth bitsPerPixel (0 keeps the source's depth).
    void CopyFrom(const CBmp& source, int bitsPerPixel = 0);

    // Pixel word of a 32-bit image; row pointer of any image.
    uint32_t* Row32(int y) const { return reinterpret_cast<uint32_t*>(Lines[y]); }

    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t BitsPerPixel = 0;
    int32_t SourceBitsPerPixel = 0;
    PaletteEntry* Palette = nullptr;
    uint8_t* Bits = nullptr;
    bool HasAlpha = false;
    // Lines[y] is the first byte of row y, row 0 at the top.
    std::unique_ptr<uint8_t*[]> Lines;

protected:
    CBmp() = default;

    virtual void AllocateStorage(int width, int height, int bitsPerPixel, bool hasAlpha) = 0;
    virtual void ReleaseStorage() = 0;
    virtual void BuildLines() = 0;
    // A new bitmap of the same class, for conversions that need a scratch copy.
    virtual std::unique_ptr<CBmp> CloneEmpty() const = 0;

    void InitFields(int width, int height, int bitsPerPixel, bool hasAlpha);

private:
    void ConvertTo32(const CBmp& source);
    void ConvertTo1(const CBmp& source);
    void ConvertTo8From1(const CBmp& source);
};
