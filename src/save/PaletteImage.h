// The palette of a 32-bit image for the palette writers (GIF, IFF, PICT) and
// each pixel's index in it: the image's own colours when it has at most 256,
// else those of a median-cut reduction of a copy. The palette is in list
// order, the order the colour tables of our palette files have always had.
#pragma once

#include "image/ColorHistogram.h"
#include "image/WinBmp.h"

#include <cstdint>

class CPaletteImage {
public:
    // Throws CTextException: code 10 when memory runs out, code 7 "Internal
    // error." when even the reduced image has more than 256 colours. The
    // bitmap must outlive this object.
    explicit CPaletteImage(const CBmp& bitmap);

    // 1 to 256 colours.
    const ColorHistogram& Palette() const { return m_Palette; }
    int Count() const { return int(m_Palette.size()); }
    // Whether the image had to be reduced.
    bool Reduced() const { return m_Pixels == &m_Reduced; }

    // The palette indices of row y (Width bytes).
    void IndexRow(int y, uint8_t* out) const
    {
        const uint32_t* row = m_Pixels->Row32(y);
        for (int x = 0, width = m_Pixels->Width; x < width; ++x)
            out[x] = uint8_t(m_Table.Value(row[x]));
    }

private:
    const CBmp* m_Pixels;
    CWinBmp m_Reduced;
    CColorTable m_Table;
    ColorHistogram m_Palette;
};

// The smallest n of 1…8 with 2^n ≥ count.
int PaletteBits(int count);
