// Truevision TGA files, plain or run-length encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CBmp;

// depth 8 (a colour map of the image's colours, reduced to 256 when it has
// more, and one index byte per pixel), 24 (blue, green, red) or 32 (plus
// alpha, declared as eight attribute bits; opaque unless the image has
// alpha); rows bottom up. Any other depth raises code 7 "Bad Pixel Depth."
// before a file is made; an image wider or higher than 65 535 is refused
// then too. Failures raise CTextException.
void WriteTGA(const std::string& path, const CBmp& bitmap, bool rle, int depth);

// Room for the encoding of a row of count pixels of pixelBytes bytes each:
// every packet covers at least one pixel and adds one byte (single indices
// between runs of two take four bytes for three pixels).
inline size_t TgaRleBound(size_t count, size_t pixelBytes)
{
    return count * (pixelBytes + 1);
}
// Encodes one row into TGA packets (runs of 2-128 equal pixels, raw groups
// of 1-128 others); out holds TgaRleBound bytes. pixelBytes is 1, 3 or 4.
// Returns the bytes written.
size_t EncodeTgaRow(const uint8_t* pixels, size_t count, size_t pixelBytes, uint8_t* out);
