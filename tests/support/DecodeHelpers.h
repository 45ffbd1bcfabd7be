// Running decoders in tests and reading their pixels back, shared by the format tests.
#pragma once

#include "formats/AutoDecoder.h"
#include "image/WinBmp.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Rows top to bottom: 0xAARRGGBB words of a 32-bit bitmap, or bytes (indices) of an 8-bit one.
using PixelRows = std::vector<std::vector<uint32_t>>;
using ByteRows = std::vector<std::vector<uint8_t>>;

// One decode: the bitmap, the CTextException's code and text (0 and "" when none) and the decoder's notices.
struct DecodeResult {
    // Runs run(Bitmap), keeping a CTextException it throws, then takes decoder's notices.
    template <class Run>
    DecodeResult(const CImageDecoder& decoder, Run&& run)
    {
        try {
            run(Bitmap);
        } catch (const CTextException& e) {
            Code = e.GetCode();
            Text = e.GetText();
        }
        Notices = decoder.GetNotices();
    }

    // True when the decode threw no CTextException.
    bool Ok() const { return Code == 0; }

    CWinBmp Bitmap;
    int Code = 0;
    std::string Text;
    std::vector<std::string> Notices;
};

// Decodes bytes in memory with a decoder the caller keeps (name plays the file name).
template <class Decoder>
DecodeResult DecodeWith(Decoder& decoder, const std::vector<uint8_t>& bytes, int depth = 32,
                        const std::string& name = "test.img")
{
    return DecodeResult(decoder, [&](CBmp& bitmap) {
        decoder.DecodeMemory(name, bytes.data(), bytes.size(), bitmap, depth);
    });
}

// Decodes bytes in memory with a fresh Decoder.
template <class Decoder = CAutoDecoder>
DecodeResult DecodeBytes(const std::vector<uint8_t>& bytes, int depth = 32, const std::string& name = "test.img")
{
    Decoder decoder;
    return DecodeWith(decoder, bytes, depth, name);
}

// Decodes a file with a fresh Decoder.
template <class Decoder = CAutoDecoder>
DecodeResult DecodePath(const std::string& path, int depth = 32)
{
    Decoder decoder;
    return DecodeResult(decoder, [&](CBmp& bitmap) { decoder.DecodeFile(path, bitmap, depth); });
}

// Rows of a 32-bit bitmap.
inline PixelRows Rows32(const CBmp& bmp)
{
    PixelRows rows;
    for (int y = 0; y < bmp.Height; ++y)
        rows.emplace_back(bmp.Row32(y), bmp.Row32(y) + bmp.Width);
    return rows;
}

// Rows of an 8-bit bitmap.
inline ByteRows Rows8(const CBmp& bmp)
{
    ByteRows rows;
    for (int y = 0; y < bmp.Height; ++y)
        rows.emplace_back(bmp.Lines[y], bmp.Lines[y] + bmp.Width);
    return rows;
}

// All pixel words of a 32-bit bitmap, row after row from the top.
inline std::vector<uint32_t> Pixels32(const CBmp& bmp)
{
    std::vector<uint32_t> all;
    for (int y = 0; y < bmp.Height; ++y)
        all.insert(all.end(), bmp.Row32(y), bmp.Row32(y) + bmp.Width);
    return all;
}

// All bytes of an 8-bit bitmap, row after row from the top.
inline std::vector<uint8_t> Pixels8(const CBmp& bmp)
{
    std::vector<uint8_t> all;
    for (int y = 0; y < bmp.Height; ++y)
        all.insert(all.end(), bmp.Lines[y], bmp.Lines[y] + bmp.Width);
    return all;
}

// A 32-bit bitmap as red, green, blue, alpha bytes, row after row from the top.
inline std::vector<uint8_t> RgbaBytes(const CBmp& bmp)
{
    std::vector<uint8_t> out;
    for (uint32_t p : Pixels32(bmp))
        out.insert(out.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
    return out;
}

// 0xRRGGBB with full alpha, as a pixel word.
constexpr uint32_t Opaque(uint32_t rgb)
{
    return 0xFF000000u | rgb;
}

// A pixel word from alpha, red, green and blue.
constexpr uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// A path in the source tree, whose root is $OCULANE_SOURCE_DIR or else found from this header's place.
inline std::string SourcePath(const std::string& relative)
{
    if (const char* root = std::getenv("OCULANE_SOURCE_DIR"))
        return (std::filesystem::path(root) / relative).string();
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / relative).string();
}

// tests/data/<format>/<name> in the source tree.
inline std::string TestDataPath(const std::string& format, const std::string& name)
{
    return SourcePath("tests/data/" + format + "/" + name);
}

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
