// Test images for the writers and the registered writer of a format.
#pragma once

#include "formats/FormatTable.h"
#include "image/WinBmp.h"
#include "save/SaveOptions.h"
#include "save/Writers.h"

#include <cstdint>
#include <memory>
#include <string>

// Gradients, noise and flat runs, so run-length coders see both, with
// varying alpha bytes whatever hasAlpha says; without noise only smooth
// gradients, as lossy coders are meant for.
inline std::unique_ptr<CWinBmp> MakeTestImage(int width, int height, bool hasAlpha, bool noisy = true)
{
    auto bmp = std::make_unique<CWinBmp>();
    bmp->Create(width, height, 32, hasAlpha);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint8_t noise = static_cast<uint8_t>(seed >> 24);
            const bool flat = noisy && (x / 7 + y / 3) % 3 == 0;
            const uint8_t r = flat ? 0x80 : static_cast<uint8_t>(x * 255 / width);
            const uint8_t g = flat ? 0xC5 : static_cast<uint8_t>(y * 255 / height);
            const uint8_t b = flat ? 0x80 : noisy ? noise : static_cast<uint8_t>((x + y) * 255 / (width + height));
            const uint8_t a = static_cast<uint8_t>((x * 37 + y * 11) & 0xFF);
            bmp->Row32(y)[x] = PackPixel(r, g, b, a);
        }
    return bmp;
}

// Writes through the format table, as the save dispatch does.
inline void SaveAs(ImageFormat format, const CBmp& bitmap, const std::string& path, const SaveOptions& options)
{
    RegisterWriters();
    FindFormat(format)->Write(bitmap, path, options);
}
