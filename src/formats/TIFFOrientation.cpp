#include "formats/TIFFOrientation.h"

#include <cstring>

CTIFFOrientedRows::CTIFFOrientedRows(int orientation, uint32_t storedWidth, uint32_t storedHeight)
    : m_Orientation(orientation >= 1 && orientation <= 8 ? orientation : 1),
      m_Transposed(m_Orientation >= 5),
      m_StoredWidth(storedWidth),
      m_StoredHeight(storedHeight)
{
}

void CTIFFOrientedRows::Target(uint32_t x, uint32_t y, uint32_t& row, uint32_t& column) const
{
    const uint32_t xr = m_StoredWidth - 1 - x;
    const uint32_t yr = m_StoredHeight - 1 - y;
    switch (m_Orientation) {
    case 2: row = y; column = xr; break;   // first row at the top, first column at the right
    case 3: row = yr; column = xr; break;  // upside down
    case 4: row = yr; column = x; break;   // first row at the bottom
    case 5: row = x; column = y; break;    // first row on the left, first column at the top
    case 6: row = x; column = yr; break;   // first row on the right, first column at the top
    case 7: row = xr; column = yr; break;  // first row on the right, first column at the bottom
    case 8: row = xr; column = y; break;   // first row on the left, first column at the bottom
    default: row = y; column = x; break;
    }
}

void CTIFFOrientedRows::Put32(CBmp& bitmap, uint32_t y, const uint32_t* pixels) const
{
    uint32_t row = 0;
    uint32_t column = 0;
    if (!m_Transposed) {
        Target(0, y, row, column);
        uint32_t* dst = bitmap.Row32(static_cast<int>(row));
        if (m_Orientation == 1 || m_Orientation == 4) {
            std::memcpy(dst, pixels, size_t(m_StoredWidth) * 4);
        } else {
            for (uint32_t x = 0; x < m_StoredWidth; ++x)
                dst[m_StoredWidth - 1 - x] = pixels[x];
        }
        return;
    }
    for (uint32_t x = 0; x < m_StoredWidth; ++x) {
        Target(x, y, row, column);
        bitmap.Row32(static_cast<int>(row))[column] = pixels[x];
    }
}

void CTIFFOrientedRows::Put8(CBmp& bitmap, uint32_t y, const uint8_t* indices) const
{
    uint32_t row = 0;
    uint32_t column = 0;
    for (uint32_t x = 0; x < m_StoredWidth; ++x) {
        Target(x, y, row, column);
        bitmap.Lines[row][column] = indices[x];
    }
}

void CTIFFOrientedRows::Put1(CBmp& bitmap, uint32_t y, const uint8_t* packed) const
{
    uint32_t row = 0;
    uint32_t column = 0;
    for (uint32_t x = 0; x < m_StoredWidth; ++x) {
        Target(x, y, row, column);
        uint8_t& byte = bitmap.Lines[row][column >> 3];
        const auto bit = static_cast<uint8_t>(0x80u >> (column & 7));
        if (packed[x >> 3] & (0x80u >> (x & 7)))
            byte |= bit;
        else
            byte &= static_cast<uint8_t>(~bit);
    }
}
