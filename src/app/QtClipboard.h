// The system clipboard through Qt: packed DIBs become QImages and back.
#pragma once

#include "platform/Clipboard.h"

class QImage;

class CQtClipboard : public IClipboard {
public:
    // A 32-bit block whose alpha bytes vary becomes an ARGB image, any other
    // 32-bit block an opaque one; 1- and 8-bit blocks keep their colour table.
    bool PutDib(const uint8_t* dib, size_t size) override;
    // Opaque images come back as 24-bit blocks, images with transparency as
    // 32-bit blocks with straight alpha. Images larger than the pixel cap are
    // refused.
    bool GetDib(std::vector<uint8_t>& dib) override;

    // The conversions alone, without the clipboard.
    static QImage ImageFromDib(const uint8_t* dib, size_t size);
    static bool DibFromImage(const QImage& image, std::vector<uint8_t>& dib);
};
