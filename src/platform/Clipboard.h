// The system clipboard as the image model sees it: packed DIBs in and out.
// The window layer supplies the real one; tests supply their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class IClipboard {
public:
    virtual ~IClipboard() = default;
    // Puts a packed DIB (header, colour table, bottom-up rows) on the clipboard.
    // False when the clipboard cannot be opened or the block is not usable.
    virtual bool PutDib(const uint8_t* dib, size_t size) = 0;
    // Replaces dib with the clipboard's image as a packed DIB; false when the
    // clipboard holds no image (dib is then unspecified).
    virtual bool GetDib(std::vector<uint8_t>& dib) = 0;
};
