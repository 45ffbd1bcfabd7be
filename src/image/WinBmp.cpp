#include "image/WinBmp.h"

#include "base/TextException.h"
#include "base/LittleEndian.h"
#include "platform/Clipboard.h"
#include "platform/PixelMemory.h"
#include "platform/SafeFile.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int kInfoHeaderSize = 40;

int64_t PaletteBytes(int bitsPerPixel)
{
    return bitsPerPixel <= 15 ? int64_t(4) << bitsPerPixel : 0;
}

} // namespace

int64_t DibBlockSize(int64_t width, int64_t height, int bitsPerPixel)
{
    if (width < 0 || height < 0 || width > INT32_MAX || height > INT32_MAX)
        return -1;
    const int64_t stride = StrideFor(width, bitsPerPixel);
    if (height != 0 && stride > (INT64_MAX - 2048) / height)
        return -1;
    return kInfoHeaderSize + PaletteBytes(bitsPerPixel) + stride * height;
}

CWinBmp::CWinBmp()
{
    AllocateStorage(16, 16, 8, false);
}

CWinBmp::~CWinBmp()
{
    ReleaseStorage();
}

int64_t CWinBmp::MemoryUsed() const
{
    return static_cast<int64_t>(m_BlockSize + sizeof(CWinBmp));
}

int64_t CWinBmp::BytesPerLine() const
{
    return StrideFor(Width, BitsPerPixel);
}

std::unique_ptr<CBmp> CWinBmp::CloneEmpty() const
{
    return std::make_unique<CWinBmp>();
}

void CWinBmp::AllocateBlock(int width, int height, int bitsPerPixel)
{
    const int64_t size = DibBlockSize(width, height, bitsPerPixel);
    if (size < 0 || uint64_t(size) > SIZE_MAX)
        throw std::bad_alloc();
    void* block = AllocatePixelMemory(static_cast<size_t>(size));
    if (!block)
        throw std::bad_alloc();
    m_Block = static_cast<uint8_t*>(block);
    m_BlockSize = static_cast<size_t>(size);
}

void CWinBmp::AllocateStorage(int width, int height, int bitsPerPixel, bool hasAlpha)
{
    AllocateBlock(width, height, bitsPerPixel);
    std::memset(m_Block, 0, kInfoHeaderSize);
    PutLE32(m_Block + 0, kInfoHeaderSize);
    PutLE32(m_Block + 4, static_cast<uint32_t>(width));
    PutLE32(m_Block + 8, static_cast<uint32_t>(height));
    PutLE16(m_Block + 12, 1);
    PutLE16(m_Block + 14, static_cast<uint16_t>(bitsPerPixel));
    LocatePaletteAndBits();
    try {
        InitFields(width, height, bitsPerPixel, hasAlpha);
    } catch (...) {
        ReleaseStorage();
        throw;
    }
}

void CWinBmp::ReleaseStorage()
{
    FreePixelMemory(m_Block, m_BlockSize);
    m_Block = nullptr;
    m_BlockSize = 0;
    Lines.reset();
    Palette = nullptr;
    Bits = nullptr;
    Width = 0;
    Height = 0;
}

void CWinBmp::BuildLines()
{
    Lines = std::make_unique<uint8_t*[]>(static_cast<size_t>(Height > 0 ? Height : 0) + 1);
    const size_t stride = static_cast<size_t>(BytesPerLine());
    for (int i = 0; i < Height; ++i)
        Lines[i] = Bits + size_t(Height - 1 - i) * stride;
}

void CWinBmp::LocatePaletteAndBits()
{
    const int depth = GetLE16(m_Block + 14);
    if (depth <= 15) {
        Palette = reinterpret_cast<PaletteEntry*>(m_Block + kInfoHeaderSize);
        Bits = m_Block + kInfoHeaderSize + PaletteBytes(depth);
    } else {
        Palette = nullptr;
        Bits = m_Block + kInfoHeaderSize;
    }
}

void CWinBmp::CreateFromDIB(const uint8_t* header)
{
    const int width = static_cast<int32_t>(GetLE32(header + 4));
    const int height = static_cast<int32_t>(GetLE32(header + 8));
    const int depth = GetLE16(header + 14);
    ReleaseStorage();
    AllocateBlock(width, height, depth);
    std::memcpy(m_Block, header, m_BlockSize);
    LocatePaletteAndBits();
    InitFields(width, height, depth, false);
}

static int32_t PixelsPerMetre(int dpi)
{
    return static_cast<int32_t>(std::floor(dpi * 39.37007874015748 + 0.5));
}

void CWinBmp::SetResolutionX(int dpi)
{
    PutLE32(m_Block + 24, static_cast<uint32_t>(PixelsPerMetre(dpi)));
}

void CWinBmp::SetResolutionY(int dpi)
{
    PutLE32(m_Block + 28, static_cast<uint32_t>(PixelsPerMetre(dpi)));
}

void CWinBmp::SetResolution(int dpiX, int dpiY)
{
    SetResolutionX(dpiX);
    SetResolutionY(dpiY);
}

void CWinBmp::SaveAsBMP(const std::string& path) const
{
    CSafeFileWriter file;
    if (!file.Open(path))
        throw CTextException(ErrAccessDenied, "Opening " + path + " for writing failed");

    const int depth = BitsPerPixel;
    const int64_t stride = BytesPerLine();
    uint8_t header[54];
    std::memset(header, 0, sizeof header);
    header[0] = 'B';
    header[1] = 'M';
    std::memcpy(header + 14, m_Block, kInfoHeaderSize);
    bool ok;
    if (depth <= 8) {
        const int64_t paletteBytes = PaletteBytes(depth);
        const int64_t fileSize = 54 + paletteBytes + stride * Height;
        PutLE32(header + 2, static_cast<uint32_t>(fileSize));
        PutLE32(header + 10, static_cast<uint32_t>(54 + paletteBytes));
        ok = file.Write(header, sizeof header) && file.Write(Palette, static_cast<size_t>(paletteBytes)) &&
             file.Write(Bits, static_cast<size_t>(stride * Height));
    } else {
        const int64_t fileStride = (int64_t(3) * Width + 3) & ~int64_t(3);
        const int64_t fileSize = 54 + fileStride * Height;
        PutLE32(header + 2, static_cast<uint32_t>(fileSize));
        PutLE32(header + 10, 54);
        PutLE16(header + 14 + 14, 24);
        ok = file.Write(header, sizeof header);
        static const uint8_t kPad[3] = {0x20, 0x00, 0x00};
        const size_t padding = static_cast<size_t>(fileStride - int64_t(3) * Width);
        std::vector<uint8_t> row(static_cast<size_t>(fileStride));
        for (int y = Height - 1; ok && y >= 0; --y) {
            const uint8_t* src = Lines[y];
            uint8_t* dst = row.data();
            for (int x = 0; x < Width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
            std::memcpy(dst, kPad, padding);
            ok = file.Write(row.data(), row.size());
        }
    }
    if (!ok || !file.Commit())
        throw CTextException(ErrWriteFailure, "Writing " + path + " failed");
}

void CWinBmp::CopyToClipboard(IClipboard& clipboard) const
{
    if (m_Block)
        clipboard.PutDib(m_Block, m_BlockSize);
}

bool CWinBmp::PasteFromClipboard(IClipboard& clipboard)
{
    std::vector<uint8_t> dib;
    if (!clipboard.GetDib(dib) || dib.empty())
        return false;
    try {
        // Every field is checked before the current storage is released, so a
        // refused block leaves this bitmap as it was.
        CreateFromGlobalDIB(dib.data(), dib.size());
    } catch (const CTextException&) {
        return false;
    }
    if (BitsPerPixel == 32 && SourceBitsPerPixel == 32)
        HasAlpha = AlphaVaries(*this);
    return true;
}

bool AlphaVaries(const CBmp& bitmap)
{
    if (bitmap.BitsPerPixel != 32)
        return false;
    bool anyNonZero = false, anyTranslucent = false;
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint32_t* row = bitmap.Row32(y);
        for (int x = 0; x < bitmap.Width; ++x) {
            const uint32_t a = row[x] >> 24;
            anyNonZero |= a != 0;
            anyTranslucent |= a != 255;
        }
        if (anyNonZero && anyTranslucent)
            return true;
    }
    return false;
}
