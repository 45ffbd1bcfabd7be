// jlib: the JPEG and TIFF encoders, over libjpeg-turbo and libtiff. SaveJPG
// and SaveTIF take a packed buffer and keep their long-standing result
// conventions; EncodeJPG and EncodeTIF take rows the caller already has, so
// a bitmap is written without a packed copy of it.
#pragma once

#include <cstdint>
#include <string>

struct ColorHistItem;

// pixels: width × height × 3 bytes, red, green, blue, rows from the top, no
// padding. quality and smoothing 0-100, optimizeHuffman and progressive 0 or
// 1; mode is accepted and has no effect. Nonzero when the file was written.
int SaveJPG(const char* path, const uint8_t* pixels, int width, int height, int quality, int smoothing,
            int optimizeHuffman, int progressive, int mode);
// pixels as for SaveJPG at bitsPerPixel 24, or red, green, blue, alpha at 32;
// palette and colourCount are for 8-bit output, which is not written (a
// nonzero result). compression 0 none, 1 PackBits, 2 LZW; param is reserved.
// 0 when the file was written.
int SaveTIF(const char* path, const uint8_t* pixels, const ColorHistItem* palette, int width, int height,
            int bitsPerPixel, int colourCount, int compression, int param);

// How the bytes of one pixel are laid out in the rows given to the encoders.
enum class JlibLayout {
    Rgb,   // red, green, blue
    Rgba,  // red, green, blue, alpha
    Bgrx,  // blue, green, red, unused
    Bgra,  // blue, green, red, alpha
};

struct JlibRows {
    const uint8_t* const* Rows;  // Rows[y] is row y from the top
    int Width;
    int Height;
    JlibLayout Layout;
};

struct JpegSettings {
    int Quality = 60;
    int Smoothing = 0;
    bool OptimizeHuffman = false;
    bool Progressive = false;
};

// True when the file was written; a failure leaves any old file as it was.
bool EncodeJPG(const std::string& path, const JlibRows& image, const JpegSettings& settings);
// Alpha layouts write RGBA (unassociated alpha), the others RGB.
bool EncodeTIF(const std::string& path, const JlibRows& image, int compression);
