// CWinBmp: the concrete bitmap. Header, palette and rows live in one block laid
// out as a packed device-independent bitmap (DIB), so the image can be written
// as BMP, exchanged with the clipboard or drawn without conversion.
#pragma once

#include "image/Bmp.h"

#include <string>

class IClipboard;

// Size of the packed DIB for these dimensions; -1 when it does not fit 64 bits.
int64_t DibBlockSize(int64_t width, int64_t height, int bitsPerPixel);

// True when the fourth bytes of a 32-bit bitmap mix values: a DIB's fourth
// byte is often unused (all 0) or opaque (all 255), and only a mixture
// carries transparency.
bool AlphaVaries(const CBmp& bitmap);

class CWinBmp : public CBmp {
public:
    // Starts as a 16 x 16 grey 8-bit image.
    CWinBmp();
    ~CWinBmp() override;

    int64_t MemoryUsed() const override;
    int64_t BytesPerLine() const override;

    // Copies a packed DIB whose header is trusted (made by this program).
    void CreateFromDIB(const uint8_t* header);
    // Takes a packed DIB from outside (clipboard, scanner): the 40-byte header,
    // the colour table and the rows, checked against size. 4-bit images become
    // 8-bit, 16- and 24-bit images become 32-bit; SourceBitsPerPixel keeps the
    // original depth. Throws CTextException for damaged or unsupported blocks.
    void CreateFromGlobalDIB(const uint8_t* dib, size_t size);

    // Puts the block on the clipboard as it is (32-bit alpha bytes included);
    // a clipboard that cannot be opened is left alone.
    void CopyToClipboard(IClipboard& clipboard) const;
    // Becomes the clipboard's image. False, with the bitmap unchanged, when the
    // clipboard holds no image or a block CreateFromGlobalDIB refuses. A 32-bit
    // source whose alpha bytes vary (neither all 0 nor all 255) keeps its alpha.
    // std::bad_alloc passes through as from Create.
    bool PasteFromClipboard(IClipboard& clipboard);

    // Stored in the header as pixels per metre.
    void SetResolution(int dpiX, int dpiY);
    void SetResolutionX(int dpi);
    void SetResolutionY(int dpi);

    // The block, for platform calls and the clipboard.
    const uint8_t* GetBitmapInfo() const { return m_Block; }
    size_t GetBlockSize() const { return m_BlockSize; }
    uint8_t* GetBits() const { return Bits; }

    // Writes a BMP file (24 bits for 32-bit images). Never leaves a partly
    // written file over an existing one; throws CTextException on failure.
    void SaveAsBMP(const std::string& path) const;

protected:
    void AllocateStorage(int width, int height, int bitsPerPixel, bool hasAlpha) override;
    void ReleaseStorage() override;
    void BuildLines() override;
    std::unique_ptr<CBmp> CloneEmpty() const override;

private:
    void LocatePaletteAndBits();
    void AllocateBlock(int width, int height, int bitsPerPixel);

    uint8_t* m_Block = nullptr;
    size_t m_BlockSize = 0;
};
