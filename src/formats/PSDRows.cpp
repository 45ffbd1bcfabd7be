#include "formats/PSDRows.h"

#include "image/Bmp.h"

namespace {

template <int Step>
void PutRgbRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t*, int width)
{
    const uint8_t* r = planes[0];
    const uint8_t* g = planes[1];
    const uint8_t* b = planes[2];
    for (int x = 0; x < width; ++x)
        dst[x] = PackPixel(r[Step * x], g[Step * x], b[Step * x]);
}

template <int Step>
void PutRgbaRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t*, int width)
{
    const uint8_t* r = planes[0];
    const uint8_t* g = planes[1];
    const uint8_t* b = planes[2];
    const uint8_t* a = planes[3];
    for (int x = 0; x < width; ++x)
        dst[x] = PackPixel(r[Step * x], g[Step * x], b[Step * x], a[Step * x]);
}

template <int Step>
void PutTableRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t* colors, int width)
{
    const uint8_t* v = planes[0];
    for (int x = 0; x < width; ++x)
        dst[x] = colors[v[Step * x]];
}

template <int Step>
void PutTableAlphaRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t* colors, int width)
{
    const uint8_t* v = planes[0];
    const uint8_t* a = planes[1];
    for (int x = 0; x < width; ++x)
        dst[x] = (colors[v[Step * x]] & 0x00FFFFFFu) | (uint32_t(a[Step * x]) << 24);
}

// One colour from a stored colour value and a stored black, both "255 - ink":
// the two inks multiply. 8-bit samples round as the common readers do; 16-bit
// samples are multiplied whole and then brought to 8 bits.
template <int Step>
inline uint8_t InkToColor(const uint8_t* c, const uint8_t* k)
{
    if constexpr (Step == 1) {
        const uint32_t nk = k[0];
        const uint32_t t = (255u - c[0]) * nk + 128;
        return static_cast<uint8_t>(nk - (((t >> 8) + t) >> 8));
    } else {
        const uint64_t c16 = (uint32_t(c[0]) << 8) | c[1];
        const uint64_t k16 = (uint32_t(k[0]) << 8) | k[1];
        const uint64_t v16 = (c16 * k16 + 32767) / 65535;
        return static_cast<uint8_t>((v16 + 128) / 257);
    }
}

template <int Step>
void PutCmykRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t*, int width)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* k = planes[3] + Step * x;
        dst[x] = PackPixel(InkToColor<Step>(planes[0] + Step * x, k), InkToColor<Step>(planes[1] + Step * x, k),
                           InkToColor<Step>(planes[2] + Step * x, k));
    }
}

template <int Step>
void PutCmykaRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t*, int width)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* k = planes[3] + Step * x;
        dst[x] = PackPixel(InkToColor<Step>(planes[0] + Step * x, k), InkToColor<Step>(planes[1] + Step * x, k),
                           InkToColor<Step>(planes[2] + Step * x, k), planes[4][Step * x]);
    }
}

void PutBitsRow(uint32_t* dst, const uint8_t* const* planes, const uint32_t*, int width)
{
    const uint8_t* bits = planes[0];
    for (int x = 0; x < width; ++x)
        dst[x] = (bits[x >> 3] >> (7 - (x & 7))) & 1 ? PackPixel(0, 0, 0) : PackPixel(255, 255, 255);
}

template <int Step>
PsdRowPutter Choose(PsdRowKind kind)
{
    switch (kind) {
    case PsdRowKind::Table:
        return PutTableRow<Step>;
    case PsdRowKind::TableAlpha:
        return PutTableAlphaRow<Step>;
    case PsdRowKind::Rgb:
        return PutRgbRow<Step>;
    case PsdRowKind::Rgba:
        return PutRgbaRow<Step>;
    case PsdRowKind::Cmyk:
        return PutCmykRow<Step>;
    case PsdRowKind::Cmyka:
        return PutCmykaRow<Step>;
    case PsdRowKind::Bits:
        break;
    }
    return PutBitsRow;
}

} // namespace

PsdRowPutter ChoosePsdRowPutter(PsdRowKind kind, int depth)
{
    if (kind == PsdRowKind::Bits)
        return PutBitsRow;
    return depth == 16 ? Choose<2>(kind) : Choose<1>(kind);
}

int PsdRowPlanes(PsdRowKind kind)
{
    switch (kind) {
    case PsdRowKind::Table:
    case PsdRowKind::Bits:
        return 1;
    case PsdRowKind::TableAlpha:
        return 2;
    case PsdRowKind::Rgb:
        return 3;
    case PsdRowKind::Rgba:
    case PsdRowKind::Cmyk:
        return 4;
    case PsdRowKind::Cmyka:
        return 5;
    }
    return 1;
}
