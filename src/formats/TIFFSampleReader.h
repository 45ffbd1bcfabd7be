// Reads grey, RGB and Lab TIFFs of simple layouts through libtiff's strip and
// tile interface, row by row: 1 to 16 bits per sample or 32-bit floats,
// samples interleaved or in separate planes, with an optional alpha sample.
// 16-bit samples are rounded to 8 bits; alpha comes out straight.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

struct tiff;

class CTIFFSampleReader {
public:
    CTIFFSampleReader();
    ~CTIFFSampleReader();
    CTIFFSampleReader(const CTIFFSampleReader&) = delete;
    CTIFFSampleReader& operator=(const CTIFFSampleReader&) = delete;

    // Looks at the image; false when its layout is not one this reader takes.
    bool Setup(tiff* tif);
    bool HasAlpha() const { return m_AlphaSample >= 0; }
    // True for the one layout libtiff's RGBA reader already reads to the same
    // pixels, faster: 8-bit grey or RGB samples, interleaved, nothing else.
    bool IsPlain() const;

    using RowSink = std::function<void(uint32_t y, const uint32_t* pixels)>;
    // Hands every stored row, top first, as 0xAARRGGBB words to sink. Failures
    // raise decoder errors carrying lastError; a set abort flag stops between rows.
    void Read(const std::atomic<bool>* abort, const char* lastError, const RowSink& sink);

private:
    struct LabConverter;

    uint32_t Sample(const uint8_t* const* rows, uint32_t x, int s) const;
    void ConvertRow(const uint8_t* const* rows, uint32_t* out) const;
    void ReadStrips(const std::atomic<bool>* abort, const char* lastError, const RowSink& sink);
    void ReadTiles(const std::atomic<bool>* abort, const char* lastError, const RowSink& sink);

    tiff* m_Tif = nullptr;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    int m_Bits = 8;
    int m_Samples = 1;      // samples per pixel, extra samples included
    int m_Colours = 1;      // 1 grey, 3 RGB or Lab
    int m_AlphaSample = -1; // index of the alpha sample, or -1
    bool m_Associated = false;
    bool m_Separate = false;
    bool m_Float = false;
    bool m_Inverted = false; // min-is-white grey
    int m_Photometric = 0;
    uint32_t m_Max = 255;
    std::unique_ptr<LabConverter> m_Lab;
};
