#include "app/QtClipboard.h"

#include "formats/ImageDecoder.h"
#include "base/TextException.h"
#include "base/LittleEndian.h"
#include "image/WinBmp.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <cstring>
#include <new>

namespace {

constexpr size_t kHeaderSize = 40;

bool HasTranslucentPixel(const QImage& argb)
{
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return true;
    }
    return false;
}

} // namespace

QImage CQtClipboard::ImageFromDib(const uint8_t* dib, size_t size)
{
    // The block may come from anywhere; the bitmap import checks every field
    // and leaves 1, 8 or 32 bits.
    CWinBmp bitmap;
    try {
        bitmap.CreateFromGlobalDIB(dib, size);
    } catch (const CTextException&) {
        return QImage();
    } catch (const std::bad_alloc&) {
        return QImage();
    }
    const int width = bitmap.Width, height = bitmap.Height;
    QImage image;
    if (bitmap.BitsPerPixel == 32) {
        const bool alpha = AlphaVaries(bitmap);
        image = QImage(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull())
            return image;
        for (int y = 0; y < height; ++y) {
            QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            const uint32_t* src = bitmap.Row32(y);
            // Both are 0xAARRGGBB words; an opaque image must say so in every pixel.
            if (alpha) {
                std::memcpy(dst, src, size_t(4) * width);
            } else {
                for (int x = 0; x < width; ++x)
                    dst[x] = src[x] | 0xFF000000u;
            }
        }
    } else {
        const int entries = 1 << bitmap.BitsPerPixel;
        image = QImage(width, height, bitmap.BitsPerPixel == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        if (image.isNull())
            return image;
        QList<QRgb> table(entries);
        for (int i = 0; i < entries; ++i) {
            const PaletteEntry& e = bitmap.Palette[i];
            table[i] = qRgb(e.Red, e.Green, e.Blue);
        }
        image.setColorTable(table);
        // Both keep the most significant bit first at 1 bit per pixel.
        const size_t rowBytes = bitmap.BitsPerPixel == 1 ? (size_t(width) + 7) / 8 : size_t(width);
        for (int y = 0; y < height; ++y)
            std::memcpy(image.scanLine(y), bitmap.Lines[y], rowBytes);
    }
    const uint8_t* header = bitmap.GetBitmapInfo();
    const int32_t ppmX = static_cast<int32_t>(GetLE32(header + 24));
    const int32_t ppmY = static_cast<int32_t>(GetLE32(header + 28));
    if (ppmX > 0 && ppmY > 0) {
        image.setDotsPerMeterX(ppmX);
        image.setDotsPerMeterY(ppmY);
    }
    return image;
}

bool CQtClipboard::DibFromImage(const QImage& source, std::vector<uint8_t>& dib)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return false;
    const int width = source.width(), height = source.height();
    // The pasted bitmap is 32-bit whatever the block's depth.
    const int64_t bitmapBytes = DibBlockSize(width, height, 32);
    if (bitmapBytes < 0 || uint64_t(bitmapBytes) > MaxImageBytes())
        return false;

    QImage image;
    bool alpha = false;
    if (source.hasAlphaChannel()) {
        image = source.convertToFormat(QImage::Format_ARGB32);
        alpha = !image.isNull() && HasTranslucentPixel(image);
    }
    if (!alpha)
        image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return false;

    const int depth = alpha ? 32 : 24;
    const int64_t stride = StrideFor(width, depth);
    const int64_t blockSize = DibBlockSize(width, height, depth);
    if (blockSize < 0 || uint64_t(blockSize) > SIZE_MAX)
        return false;
    try {
        dib.assign(static_cast<size_t>(blockSize), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint8_t* header = dib.data();
    PutLE32(header + 0, kHeaderSize);
    PutLE32(header + 4, static_cast<uint32_t>(width));
    PutLE32(header + 8, static_cast<uint32_t>(height));
    PutLE16(header + 12, 1);
    PutLE16(header + 14, static_cast<uint16_t>(depth));
    PutLE32(header + 20, static_cast<uint32_t>(stride * height));
    PutLE32(header + 24, static_cast<uint32_t>(image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 0));
    PutLE32(header + 28, static_cast<uint32_t>(image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() : 0));

    uint8_t* pixels = header + kHeaderSize;
    for (int y = 0; y < height; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint8_t* dst = pixels + stride * (height - 1 - y);  // rows bottom-up
        for (int x = 0; x < width; ++x) {
            const QRgb p = src[x];
            *dst++ = static_cast<uint8_t>(qBlue(p));
            *dst++ = static_cast<uint8_t>(qGreen(p));
            *dst++ = static_cast<uint8_t>(qRed(p));
            if (alpha)
                *dst++ = static_cast<uint8_t>(qAlpha(p));
        }
    }
    return true;
}

bool CQtClipboard::PutDib(const uint8_t* dib, size_t size)
{
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (!clipboard)
        return false;
    const QImage image = ImageFromDib(dib, size);
    if (image.isNull())
        return false;
    clipboard->setImage(image);
    return true;
}

bool CQtClipboard::GetDib(std::vector<uint8_t>& dib)
{
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (!clipboard)
        return false;
    return DibFromImage(clipboard->image(), dib);
}
