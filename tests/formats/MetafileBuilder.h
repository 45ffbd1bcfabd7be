// Building small WMF and EMF files record by record in tests.
#pragma once

#include "formats/MetafileDecoder.h"
#include "base/TextException.h"
#include "image/WinBmp.h"
#include "support/Bytes.h"

#include <string>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace metafiletest {

// COLORREF 0x00BBGGRR from red, green, blue.
inline uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

// A packed bottom-up 24-bit DIB (header and rows); pixels given top row
// first as 0xRRGGBB.
inline std::vector<uint8_t> MakeDib24(int width, const std::vector<uint32_t>& topDown)
{
    const int height = static_cast<int>(topDown.size()) / width;
    const int stride = (width * 3 + 3) & ~3;
    ByteWriter w;
    w.LE32(40).LE32(uint32_t(width)).LE32(uint32_t(height)).LE16(1).LE16(24).LE32(0);
    w.LE32(uint32_t(stride * height)).LE32(0).LE32(0).LE32(0).LE32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = topDown[size_t(y * width + x)];
            w.U8(uint8_t(p)).U8(uint8_t(p >> 8)).U8(uint8_t(p >> 16));
        }
        w.Repeat(0, size_t(stride - width * 3));
    }
    return w.Bytes();
}

class WmfBuilder {
public:
    // Parameters as 16-bit words, in file order.
    WmfBuilder& Record(uint16_t function, std::initializer_list<int> words)
    {
        std::vector<uint8_t> params;
        for (int v : words) {
            params.push_back(uint8_t(v));
            params.push_back(uint8_t(v >> 8));
        }
        return Raw(function, params);
    }
    // Parameters as bytes (padded to a whole word).
    WmfBuilder& Raw(uint16_t function, std::vector<uint8_t> params)
    {
        if (params.size() & 1)
            params.push_back(0);
        m_Records.LE32(uint32_t(3 + params.size() / 2)).LE16(function).Append(params);
        return *this;
    }
    // A record with a size field of our choosing.
    WmfBuilder& Lying(uint32_t sizeWords, uint16_t function, std::initializer_list<int> words)
    {
        m_Records.LE32(sizeWords).LE16(function);
        for (int v : words)
            m_Records.LE16(uint16_t(v));
        return *this;
    }

    static int Lo(uint32_t v) { return int(v & 0xFFFF); }
    static int Hi(uint32_t v) { return int(v >> 16); }

    WmfBuilder& WindowOrg(int x, int y) { return Record(0x020B, {y, x}); }
    WmfBuilder& WindowExt(int x, int y) { return Record(0x020C, {y, x}); }
    WmfBuilder& MapMode(int mode) { return Record(0x0103, {mode}); }
    WmfBuilder& Brush(uint32_t color, int style = 0, int hatch = 0)
    {
        return Record(0x02FC, {style, Lo(color), Hi(color), hatch});
    }
    WmfBuilder& Pen(uint32_t color, int style = 0, int width = 0)
    {
        return Record(0x02FA, {style, width, 0, Lo(color), Hi(color)});
    }
    WmfBuilder& NullPen() { return Pen(0, 5); }
    WmfBuilder& Select(int index) { return Record(0x012D, {index}); }
    WmfBuilder& Delete(int index) { return Record(0x01F0, {index}); }
    WmfBuilder& Rectangle(int l, int t, int r, int b) { return Record(0x041B, {b, r, t, l}); }
    WmfBuilder& Ellipse(int l, int t, int r, int b) { return Record(0x0418, {b, r, t, l}); }
    WmfBuilder& Save() { return Record(0x001E, {}); }
    WmfBuilder& Restore(int which) { return Record(0x0127, {which}); }
    WmfBuilder& Polygon(std::initializer_list<std::pair<int, int>> points)
    {
        ByteWriter p;
        p.LE16(uint16_t(points.size()));
        for (const auto& [x, y] : points)
            p.LE16(uint16_t(x)).LE16(uint16_t(y));
        return Raw(0x0324, p.Bytes());
    }

    std::vector<uint8_t> Build(uint16_t objects = 8) const { return Assemble(false, 0, 0, 0, 0, 0, objects); }
    std::vector<uint8_t> BuildPlaceable(int left, int top, int right, int bottom, int unitsPerInch,
                                        uint16_t objects = 8) const
    {
        return Assemble(true, left, top, right, bottom, unitsPerInch, objects);
    }

private:
    std::vector<uint8_t> Assemble(bool placeable, int l, int t, int r, int b, int inch, uint16_t objects) const
    {
        ByteWriter w;
        if (placeable) {
            const uint16_t words[] = {0xCDD7, 0x9AC6, 0, uint16_t(l), uint16_t(t), uint16_t(r), uint16_t(b),
                                      uint16_t(inch), 0, 0};
            uint16_t sum = 0;
            for (uint16_t v : words) {
                w.LE16(v);
                sum ^= v;
            }
            w.LE16(sum);
        }
        const uint32_t total = uint32_t(9 + m_Records.Size() / 2 + 3);
        w.LE16(1).LE16(9).LE16(0x0300).LE32(total).LE16(objects).LE32(0).LE16(0);
        w.Append(m_Records.Bytes());
        w.LE32(3).LE16(0);
        return w.Bytes();
    }

    ByteWriter m_Records;
};

class EmfBuilder {
public:
    EmfBuilder& Record(uint32_t type, std::initializer_list<int64_t> dwords)
    {
        std::vector<uint8_t> params;
        for (int64_t v : dwords)
            for (int i = 0; i < 4; ++i)
                params.push_back(uint8_t(uint64_t(v) >> (8 * i)));
        return Raw(type, params);
    }
    EmfBuilder& Raw(uint32_t type, std::vector<uint8_t> params)
    {
        while (params.size() % 4)
            params.push_back(0);
        m_Records.LE32(type).LE32(uint32_t(8 + params.size())).Append(params);
        ++m_Count;
        return *this;
    }
    EmfBuilder& Lying(uint32_t type, uint32_t size, std::initializer_list<uint32_t> dwords)
    {
        m_Records.LE32(type).LE32(size);
        for (uint32_t v : dwords)
            m_Records.LE32(v);
        return *this;
    }

    EmfBuilder& Brush(uint32_t index, uint32_t color, int style = 0) { return Record(39, {index, style, color, 0}); }
    EmfBuilder& NullPen() { return Record(37, {0x80000008}); }
    EmfBuilder& Select(uint32_t index) { return Record(37, {index}); }
    EmfBuilder& Rectangle(int l, int t, int r, int b) { return Record(43, {l, t, r, b}); }
    EmfBuilder& Ellipse(int l, int t, int r, int b) { return Record(42, {l, t, r, b}); }

    // frame in 0.01 mm; the default device has 4 pixels per millimetre, so
    // a frame of 0..2500 is 100 pixels.
    std::vector<uint8_t> Build(int l, int t, int r, int b, uint16_t handles = 8,
                               const std::vector<uint32_t>& palette = {}, int devicePx = 1024,
                               int deviceMm = 256) const
    {
        ByteWriter w;
        const uint32_t eofSize = uint32_t(20 + 4 * palette.size());
        const uint32_t total = uint32_t(88 + m_Records.Size() + eofSize);
        w.LE32(1).LE32(88).LE32(0).LE32(0).LE32(0).LE32(0);
        w.LE32(uint32_t(l)).LE32(uint32_t(t)).LE32(uint32_t(r)).LE32(uint32_t(b));
        w.LE32(0x464D4520).LE32(0x10000).LE32(total).LE32(uint32_t(m_Count + 2)).LE16(handles).LE16(0);
        w.LE32(0).LE32(0).LE32(uint32_t(palette.size()));
        w.LE32(uint32_t(devicePx)).LE32(uint32_t(devicePx)).LE32(uint32_t(deviceMm)).LE32(uint32_t(deviceMm));
        w.Append(m_Records.Bytes());
        w.LE32(14).LE32(eofSize).LE32(uint32_t(palette.size())).LE32(palette.empty() ? 0 : 16);
        for (uint32_t c : palette)
            w.LE32(c);
        w.LE32(eofSize);
        return w.Bytes();
    }

private:
    ByteWriter m_Records;
    size_t m_Count = 0;
};

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

struct Decoded {
    CWinBmp Bitmap;
    int Code = 0;
    std::string Text;
};

inline void DecodeMetafile(const std::vector<uint8_t>& file, Decoded& out, const char* name, int depth)
{
    CMetafileDecoder decoder;
    try {
        decoder.DecodeMemory(name, file.data(), file.size(), out.Bitmap, depth);
    } catch (const CTextException& e) {
        out.Code = e.GetCode();
        out.Text = e.GetText();
    }
}

// A pixel to look at and the colour (0xRRGGBB) it must have.
struct Probe {
    int X, Y;
    uint32_t Colour;
};

} // namespace metafiletest
