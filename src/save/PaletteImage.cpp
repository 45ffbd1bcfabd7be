#include "save/PaletteImage.h"

#include "base/TextException.h"
#include "image/ColorHash.h"
#include "image/MedianCut.h"

#include <new>
#include <vector>

namespace {

constexpr int kMaxPalette = 256;

} // namespace

CPaletteImage::CPaletteImage(const CBmp& bitmap) : m_Pixels(&bitmap)
{
    if (!m_Table.Build(bitmap, kMaxPalette)) {
        try {
            m_Reduced.Create(bitmap.Width, bitmap.Height, 32, bitmap.HasAlpha);
        } catch (const std::bad_alloc&) {
            throw CTextException(ErrNoMemory, "Out of memory.");
        }
        m_Reduced.SourceBitsPerPixel = bitmap.SourceBitsPerPixel;
        QuantizeImage(bitmap, m_Reduced);
        m_Pixels = &m_Reduced;
        if (!m_Table.Build(m_Reduced, kMaxPalette))
            throw CTextException(ErrInternal, "Internal error.");
    }
    m_Palette = m_Table.ListOrder();
    // The table answers a pixel with what it is given per colour in the order
    // of first appearance: give each colour its position in the list.
    const CColorHash positions = ColorHistToHash(m_Palette);
    const ColorHistogram& met = m_Table.Colors();
    std::vector<uint32_t> index(met.size());
    for (size_t i = 0; i < met.size(); ++i)
        index[i] = uint32_t(positions.Lookup(ColorKey(met[i].Blue, met[i].Green, met[i].Red)));
    m_Table.AssignValues(index);
}

int PaletteBits(int count)
{
    int bits = 1;
    while (bits < 8 && (1 << bits) < count)
        ++bits;
    return bits;
}
