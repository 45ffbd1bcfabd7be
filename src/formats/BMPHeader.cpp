#include "formats/BMPHeader.h"

#include "formats/ImageDecoder.h"
#include "base/LittleEndian.h"

#include <cstring>

namespace {

constexpr uint32_t kOs21Size = 12;
constexpr uint32_t kOs22MinSize = 16;
constexpr uint32_t kOs22MaxSize = 64;
constexpr uint32_t kInfoSize = 40;
constexpr uint32_t kV2Size = 52; // + red, green, blue masks
constexpr uint32_t kV3Size = 56; // + alpha mask
constexpr uint32_t kV4Size = 108;
constexpr uint32_t kV5Size = 124;

bool IsWindowsSize(uint32_t size)
{
    return size == kInfoSize || size == kV2Size || size == kV3Size || size == kV4Size || size == kV5Size;
}

// OS/2 2.x headers may end after any of their fields, all of which are 2 or 4 bytes.
bool IsOs22Size(uint32_t size)
{
    return size >= kOs22MinSize && size <= kOs22MaxSize && size % 2 == 0 && !IsWindowsSize(size);
}

} // namespace

BmpHeader ReadBmpHeader(CByteSource& source)
{
    const uint8_t* fileHeader = source.ReadBytes(14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        RaiseDecoderError(ErrWrongSignature, "Bitmap decoder: This isn't a bitmap.");
    DecoderTrace(2, "Bitmap file signature found\n");

    BmpHeader h;
    h.FileSize = GetLE32(fileHeader + 2);
    h.DataOffset = GetLE32(fileHeader + 10);
    h.HeaderSize = GetLE32(source.ReadBytes(4));
    const uint32_t size = h.HeaderSize;
    if (size != kOs21Size && !IsOs22Size(size) && !IsWindowsSize(size))
        RaiseDecoderError(ErrFormat, "Bitmap decoder: BITMAPINFOHEADER has wrong size.");
    const uint8_t* p = source.ReadBytes(size - 4) - 4; // p[0..size) is the whole header

    if (size == kOs21Size) {
        h.Os2 = true;
        h.PaletteEntryBytes = 3;
        h.Width = GetLE16(p + 4);
        h.Height = GetLE16(p + 6);
        h.BitCount = GetLE16(p + 10);
        DecoderTrace(2, "Bitmap header is ok.\n");
        return h;
    }

    // Fields an OS/2 2.x header leaves out are zero.
    uint8_t full[kV5Size] = {};
    std::memcpy(full, p, size);
    h.Os2 = IsOs22Size(size);
    h.Width = static_cast<int32_t>(GetLE32(full + 4));
    h.Height = static_cast<int32_t>(GetLE32(full + 8));
    h.BitCount = GetLE16(full + 14);
    h.Compression = GetLE32(full + 16);
    h.SizeImage = GetLE32(full + 20);
    h.ColorsUsed = GetLE32(full + 32);

    const bool bitFields = !h.Os2 && (h.Compression == kBmpBitFields || h.Compression == kBmpAlphaBitFields);
    if (size >= kV2Size) {
        h.Masks[0] = GetLE32(full + 40);
        h.Masks[1] = GetLE32(full + 44);
        h.Masks[2] = GetLE32(full + 48);
        if (size >= kV3Size)
            h.Masks[3] = GetLE32(full + 52);
        h.HasMasks = bitFields;
    } else if (size == kInfoSize && bitFields) {
        // A 40-byte header is followed by its masks: three, or four with alpha.
        const bool withAlpha = h.Compression == kBmpAlphaBitFields;
        const uint8_t* m = source.ReadBytes(withAlpha ? 16 : 12);
        for (int i = 0; i < (withAlpha ? 4 : 3); ++i)
            h.Masks[i] = GetLE32(m + 4 * i);
        h.HasMasks = true;
    }
    DecoderTrace(2, "Bitmap header is ok.\n");
    return h;
}
