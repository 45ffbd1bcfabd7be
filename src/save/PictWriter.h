// Macintosh PICT version 2 files holding one 8-bit colour-mapped pixel map
// (PackBitsRect), rows packed or stored as literal packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CBmp;

// Writes a 32-bit bitmap; an image of more than 256 colours is reduced first
// (median cut). Wider than 16 383 or higher than 32 767 is refused before a
// file is made (code 6). Failures raise CTextException.
void WritePICT(const std::string& path, const CBmp& bitmap, bool rle);

// Bytes EncodePictRow may write for a row of width pixels.
inline size_t PictRowBound(int width)
{
    return size_t(width) + size_t(width) / 128 + 3;
}
// One row of palette indices as stored: narrower than 8 the bare indices,
// else its byte count (2 bytes above width 250, else 1) and its packets.
// Returns the bytes written.
size_t EncodePictRow(const uint8_t* indices, int width, bool rle, uint8_t* out);
