// IFF interleaved bitmaps ("FORM" … "ILBM"): a colour map of at most 256
// colours and one bit plane per bit of the palette index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CBmp;

// Writes a 32-bit bitmap; an image of more than 256 colours is reduced first
// (median cut). compression 0 stores the plane rows as they are, 1 packs
// them with ByteRun1. An image wider or higher than 65 535, or whose body
// would not fit a chunk, is refused before a file is made (code 6).
// Failures raise CTextException.
void WriteIFF(const std::string& path, const CBmp& bitmap, int compression);

// Packs one plane row with ByteRun1 (runs of 3 to 128 equal bytes as
// 257 − n and the byte, the rest in literal packets of up to 128). out holds
// size + size / 128 + 1 bytes. Returns the bytes written.
size_t EncodeByteRun1(const uint8_t* bytes, size_t size, uint8_t* out);
