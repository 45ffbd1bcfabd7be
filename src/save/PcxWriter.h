// ZSoft PCX files, version 5, run-length encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CBmp;

// depth 24: three 8-bit planes (red, green, blue) per row. Depth 8: the
// image's colours (reduced to 256 when it has more); up to 16 of them as 1 to
// 4 one-bit planes with the palette in the header, more as one index byte per
// pixel with the 256-entry palette after the data. Any other depth raises
// code 7 "Internal error."; an image wider or higher than 65 535 is refused
// before a file is made.
// Failures raise CTextException.
void WritePCX(const std::string& path, const CBmp& bitmap, int depth);

// The 128-byte header with the fields every layout shares; the caller sets
// bits per pixel (offset 3), the palettes, planes (65) and bytes per line (66).
void FillPcxHeader(uint8_t* header, int width, int height);
// Encodes one plane of one row (runs never continue into the next): equal
// bytes in runs of up to 63, a single byte below 0xC0 as itself. out holds
// 2 × size bytes. Returns the bytes written.
size_t EncodePcxPlane(const uint8_t* bytes, size_t size, uint8_t* out);
