// Places the rows of a TIFF as stored into the bitmap as the picture is meant
// to be seen: the orientation tag names where the stored first row and first
// column belong (values 5 to 8 swap rows and columns).
#pragma once

#include "image/Bmp.h"

#include <cstdint>

class CTIFFOrientedRows {
public:
    // orientation: the tag's value; anything outside 1 to 8 counts as 1.
    CTIFFOrientedRows(int orientation, uint32_t storedWidth, uint32_t storedHeight);

    // The size of the bitmap to create.
    uint32_t Width() const { return m_Transposed ? m_StoredHeight : m_StoredWidth; }
    uint32_t Height() const { return m_Transposed ? m_StoredWidth : m_StoredHeight; }
    // True when stored row y is bitmap row y unchanged.
    bool IsIdentity() const { return m_Orientation == 1; }

    // Stored row y, storedWidth pixels, into a 32-bit bitmap of Width x Height.
    void Put32(CBmp& bitmap, uint32_t y, const uint32_t* pixels) const;
    // Stored row y of one index byte per pixel into an 8-bit bitmap.
    void Put8(CBmp& bitmap, uint32_t y, const uint8_t* indices) const;
    // Stored row y of packed 1-bit pixels (first pixel in the top bit) into a 1-bit bitmap.
    void Put1(CBmp& bitmap, uint32_t y, const uint8_t* packed) const;

private:
    // Where stored pixel (x, y) lands: bitmap row and column.
    void Target(uint32_t x, uint32_t y, uint32_t& row, uint32_t& column) const;

    int m_Orientation;
    bool m_Transposed;
    uint32_t m_StoredWidth;
    uint32_t m_StoredHeight;
};
