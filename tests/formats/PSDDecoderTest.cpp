#include "formats/PSDDecoder.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

ByteWriter& BE16(ByteWriter& w, uint16_t v)
{
    return w.U8(uint8_t(v >> 8)).U8(uint8_t(v));
}
ByteWriter& BE32(ByteWriter& w, uint32_t v)
{
    return BE16(BE16(w, uint16_t(v >> 16)), uint16_t(v));
}

struct PsdLayout {
    uint16_t Mode = 3;
    uint16_t Channels = 3;
    uint32_t Rows = 1;
    uint32_t Columns = 1;
    uint16_t Depth = 8;
    uint16_t Compression = 0;
    std::vector<uint8_t> Data;      // everything after the compression word
    std::vector<uint8_t> ColorData; // content of the colour-mode section
    std::vector<uint8_t> Resources; // content of the resource section
    std::vector<uint8_t> Layers;    // content of the layer and mask section
    std::optional<uint32_t> ResourceLength;
    std::optional<uint32_t> LayerLength;
    uint16_t Version = 1;
    const char* Signature = "8BPS";
};

PsdLayout Psd(uint16_t mode, uint16_t channels, uint32_t rows, uint32_t columns, uint16_t depth, uint16_t compression,
            std::vector<uint8_t> data, std::vector<uint8_t> colorData = {})
{
    PsdLayout s;
    s.Mode = mode;
    s.Channels = channels;
    s.Rows = rows;
    s.Columns = columns;
    s.Depth = depth;
    s.Compression = compression;
    s.Data = std::move(data);
    s.ColorData = std::move(colorData);
    return s;
}

std::vector<uint8_t> MakePsd(const PsdLayout& s)
{
    ByteWriter w;
    w.Text(s.Signature);
    BE16(w, s.Version).Repeat(0, 6);
    BE16(w, s.Channels);
    BE32(w, s.Rows);
    BE32(w, s.Columns);
    BE16(w, s.Depth);
    BE16(w, s.Mode);
    BE32(w, uint32_t(s.ColorData.size())).Append(s.ColorData);
    BE32(w, s.ResourceLength.value_or(uint32_t(s.Resources.size()))).Append(s.Resources);
    BE32(w, s.LayerLength.value_or(uint32_t(s.Layers.size()))).Append(s.Layers);
    BE16(w, s.Compression).Append(s.Data);
    return w.Bytes();
}

std::vector<uint8_t> Resource(const std::string& name, size_t dataSize)
{
    ByteWriter w;
    w.Text("8BIM");
    BE16(w, 1005).U8(uint8_t(name.size())).Text(name);
    if (name.size() % 2 == 0)
        w.U8(0);
    BE32(w, uint32_t(dataSize)).Repeat(0xAB, dataSize);
    if (dataSize % 2)
        w.U8(0);
    return w.Bytes();
}

// A layer section with count records of 'channels' channels each; the layer
// image data behind the records is filler the decoder must skip.
std::vector<uint8_t> LayerSection(int16_t count, uint16_t channels = 3, size_t extra = 6, size_t filler = 11)
{
    ByteWriter records;
    BE16(records, uint16_t(count));
    for (int i = 0; i < std::abs(count); ++i) {
        BE32(BE32(BE32(BE32(records, 0), 0), 2), 2);
        BE16(records, channels);
        for (uint16_t c = 0; c < channels; ++c)
            BE32(BE16(records, uint16_t(c)), 6);
        records.Text("8BIMnorm").U8s({255, 0, 0, 0});
        BE32(records, uint32_t(extra)).Repeat(0, extra);
    }
    records.Repeat(0x5A, filler);
    ByteWriter w;
    BE32(w, uint32_t(records.Size())).Append(records.Bytes());
    return w.Bytes();
}

std::vector<uint8_t> Counts(std::initializer_list<uint16_t> counts)
{
    ByteWriter w;
    for (uint16_t c : counts)
        BE16(w, c);
    return w.Bytes();
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return PackPixel(r, g, b);
}
uint32_t Grey(uint8_t v)
{
    return PackPixel(v, v, v);
}

std::vector<uint8_t> ColorTable()
{
    std::vector<uint8_t> t(768);
    for (int i = 0; i < 256; ++i) {
        t[i] = uint8_t(i);
        t[256 + i] = uint8_t(255 - i);
        t[512 + i] = uint8_t(i ^ 0x55);
    }
    return t;
}

TEST(PSDDecoderTest, ModesDepthsAndCompression)
{
    struct Case {
        const char* Name;
        PsdLayout Layout;
        PixelRows Expected;
        bool HasAlpha;
        int SourceBits;
    };
    PsdLayout rgb = Psd(3, 3, 1, 2, 8, 0, {10, 11, 20, 21, 30, 31});
    // Only a negative layer count makes the first extra channel transparency.
    PsdLayout rgba = Psd(3, 4, 1, 2, 8, 0, {10, 11, 20, 21, 30, 31, 0, 200});
    rgba.Layers = LayerSection(-1);
    PsdLayout selection = rgba;
    selection.Layers = LayerSection(1);
    PsdLayout noLayers = rgba;
    noLayers.Layers.clear();
    PsdLayout extraChannel = Psd(3, 5, 1, 1, 8, 0, {1, 2, 3, 4, 99});
    PsdLayout extraAlpha = extraChannel;
    extraAlpha.Layers = LayerSection(-2);
    PsdLayout greyAlphaNegative = Psd(1, 2, 1, 2, 8, 0, {7, 8, 0, 90});
    greyAlphaNegative.Layers = LayerSection(-1, 2);
    // Colours and black stored as 255 - ink; the inks multiply.
    PsdLayout cmyk = Psd(4, 4, 1, 2, 8, 0, {200, 255, 100, 255, 50, 255, 64, 255});
    PsdLayout cmykAlpha = Psd(4, 5, 1, 1, 8, 0, {200, 100, 50, 64, 77});
    cmykAlpha.Layers = LayerSection(-1, 5);
    PsdLayout cmyk16 = Psd(4, 4, 1, 1, 16, 0, {0xC8, 0xC8, 0x64, 0x64, 0x32, 0x32, 0x40, 0x40});
    // Bitmap rows are whole bytes, 1 black; 10 columns take two bytes a row.
    PsdLayout bitmap = Psd(0, 1, 2, 10, 1, 0, {0xA0, 0x40, 0x00, 0xFF});
    PsdLayout bitmapRle = Psd(0, 1, 1, 10, 1, 1, Concat({Counts({2}), {0xFF, 0xF0}}));
    PsdLayout duotone = Psd(8, 1, 1, 2, 8, 0, {30, 220}, std::vector<uint8_t>(40, 7));
    PsdLayout multichannel = Psd(7, 3, 1, 1, 8, 0, {30, 99, 98});
    PsdLayout grey = Psd(1, 1, 2, 2, 8, 0, {0, 50, 128, 255});
    PsdLayout greyAlpha = Psd(1, 2, 1, 2, 8, 0, {7, 8, 0, 0});
    PsdLayout indexed = Psd(2, 1, 1, 3, 8, 0, {0, 1, 200}, ColorTable());
    PsdLayout rgb16 = Psd(3, 3, 1, 2, 16, 0, {0x12, 0xFF, 0x13, 0x00, 0x22, 0x01, 0x23, 0x02, 0x32, 0x80, 0x33, 0x7F});
    PsdLayout grey16Rle = Psd(1, 1, 2, 2, 16, 1,
                      Concat({Counts({2, 5}), {0xFD, 0x40}, {0x03, 0x01, 0x02, 0x03, 0x04}}));
    // Red: a run of 3; green: a literal of 3; blue: a no-op flag, then a run.
    PsdLayout rgbRle = Psd(3, 3, 1, 3, 8, 1,
                   Concat({Counts({2, 4, 3}), {0xFE, 0x11}, {0x02, 0x21, 0x22, 0x23}, {0x80, 0xFE, 0x31}}));
    const Case cases[] = {
        {"RGB, three planes", rgb, {{Rgb(10, 20, 30), Rgb(11, 21, 31)}}, false, 24},
        {"RGB, fourth plane is alpha", rgba, {{Argb(0, 10, 20, 30), Argb(200, 11, 21, 31)}}, true, 32},
        {"RGB, fourth plane behind a positive layer count", selection, {{Rgb(10, 20, 30), Rgb(11, 21, 31)}}, false,
         32},
        {"RGB, fourth plane without layers", noLayers, {{Rgb(10, 20, 30), Rgb(11, 21, 31)}}, false, 32},
        {"RGB, planes past the fourth are ignored", extraChannel, {{Rgb(1, 2, 3)}}, false, 40},
        {"RGB, fourth of five planes is alpha", extraAlpha, {{Argb(4, 1, 2, 3)}}, true, 40},
        {"greyscale with alpha", greyAlphaNegative, {{Argb(0, 7, 7, 7), Argb(90, 8, 8, 8)}}, true, 16},
        {"CMYK", cmyk, {{Rgb(50, 25, 13), Rgb(255, 255, 255)}}, false, 32},
        {"CMYK with alpha", cmykAlpha, {{Argb(77, 50, 25, 13)}}, true, 40},
        {"16-bit CMYK", cmyk16, {{Rgb(50, 25, 13)}}, false, 64},
        {"bitmap", bitmap,
         {{Grey(0), Grey(255), Grey(0), Grey(255), Grey(255), Grey(255), Grey(255), Grey(255), Grey(255), Grey(0)},
          {Grey(255), Grey(255), Grey(255), Grey(255), Grey(255), Grey(255), Grey(255), Grey(255), Grey(0), Grey(0)}},
         false, 1},
        {"bitmap PackBits", bitmapRle,
         {{Grey(0), Grey(0), Grey(0), Grey(0), Grey(255), Grey(255), Grey(255), Grey(255), Grey(0), Grey(0)}}, false, 1},
        {"duotone shows its grey", duotone, {{Grey(30), Grey(220)}}, false, 8},
        {"multichannel shows its first channel", multichannel, {{Grey(30)}}, false, 8},
        {"greyscale", grey, {{Grey(0), Grey(50)}, {Grey(128), Grey(255)}}, false, 8},
        {"greyscale, second plane ignored", greyAlpha, {{Grey(7), Grey(8)}}, false, 8},
        {"indexed through the colour table", indexed, {{Rgb(0, 255, 0x55), Rgb(1, 254, 0x54), Rgb(200, 55, 200 ^ 0x55)}},
         false, 8},
        {"16 bits: the high byte of each sample", rgb16, {{Rgb(0x12, 0x22, 0x32), Rgb(0x13, 0x23, 0x33)}}, false, 48},
        {"16-bit greyscale PackBits", grey16Rle, {{Grey(0x40), Grey(0x40)}, {Grey(0x01), Grey(0x03)}}, false, 16},
        {"RGB PackBits", rgbRle, {{Rgb(0x11, 0x21, 0x31), Rgb(0x11, 0x22, 0x31), Rgb(0x11, 0x23, 0x31)}}, false,
         24},
    };
    for (const Case& c : cases) {
        for (int depth : {32, 0, 8}) {
            const DecodeResult d = DecodeBytes<CPSDDecoder>(MakePsd(c.Layout), depth);
            ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
            EXPECT_EQ(d.Bitmap.BitsPerPixel, 32) << c.Name;
            EXPECT_EQ(d.Bitmap.HasAlpha, c.HasAlpha) << c.Name;
            EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, c.SourceBits) << c.Name;
            EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
        }
    }
}

TEST(PSDDecoderTest, PackBitsRowsKeepToTheirCounts)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Data;
        PixelRows Expected;
    };
    // Greyscale, 3 x 2; the byte-count table decides where each row starts.
    const Case cases[] = {
        {"a run longer than the row is cut at the row's end", Concat({Counts({2, 2}), {0x81, 9}, {0xFE, 7}}),
         {{Grey(9), Grey(9), Grey(9)}, {Grey(7), Grey(7), Grey(7)}}},
        {"a literal longer than the row is cut too", Concat({Counts({6, 2}), {4, 1, 2, 3, 4, 5}, {0xFE, 7}}),
         {{Grey(1), Grey(2), Grey(3)}, {Grey(7), Grey(7), Grey(7)}}},
        {"a row that ends early is filled with 0", Concat({Counts({2, 1}), {0xFF, 9}, {0x80}}),
         {{Grey(9), Grey(9), Grey(0)}, {Grey(0), Grey(0), Grey(0)}}},
        {"a literal cut by the row's count stops there", Concat({Counts({2, 2}), {2, 5}, {0xFE, 7}}),
         {{Grey(5), Grey(0), Grey(0)}, {Grey(7), Grey(7), Grey(7)}}},
        {"a run flag without its byte", Concat({Counts({1, 2}), {0xFE}, {0xFE, 7}}),
         {{Grey(0), Grey(0), Grey(0)}, {Grey(7), Grey(7), Grey(7)}}},
        {"bytes after the row's end are skipped", Concat({Counts({4, 2}), {0xFE, 1, 0xFE, 2}, {0xFE, 3}}),
         {{Grey(1), Grey(1), Grey(1)}, {Grey(3), Grey(3), Grey(3)}}},
        {"empty rows", Concat({Counts({0, 0})}), {{Grey(0), Grey(0), Grey(0)}, {Grey(0), Grey(0), Grey(0)}}},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CPSDDecoder>(MakePsd(Psd(1, 1, 2, 3, 8, 1, c.Data)));
        ASSERT_EQ(d.Code, 0) << c.Name << ": " << d.Text;
        EXPECT_EQ(Rows32(d.Bitmap), c.Expected) << c.Name;
    }
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(PSDDecoderTest, ResourcesAndLayersAreWalkedAndTraced)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Layers;
        const char* Trace;
    };
    const Case cases[] = {
        {"five layers", LayerSection(5), "Number of layers: 5\n"},
        {"a negative count is taken by its size", LayerSection(-5), "Number of layers: 5\n"},
        {"layers with many channels and no extra data", LayerSection(2, 40, 0, 0), "Number of layers: 2\n"},
        {"a layer-info length of 0", Counts({0, 0, 0, 0, 0xEE, 0xEE}), nullptr},
        {"a negative layer-info length", Counts({0xFFFF, 0xFFFF, 0xEE}), nullptr},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        PsdLayout layout = Psd(1, 1, 1, 2, 8, 0, {40, 41});
        layout.Resources = Concat({Resource("", 3), Resource("odd", 4), Resource("even", 0)});
        layout.Layers = c.Layers;
        CPSDDecoder decoder;
        CWinBmp bitmap;
        SetDecoderTrace(folder.File("trace.txt"), 3);
        const std::vector<uint8_t> file = MakePsd(layout);
        ASSERT_NO_THROW(decoder.DecodeMemory("test.psd", file.data(), file.size(), bitmap, 32)) << c.Name;
        const std::string trace = ReadText(folder.File("trace.txt"));
        SetDecoderTrace("", 0);
        EXPECT_EQ(Rows32(bitmap), (PixelRows{{Grey(40), Grey(41)}})) << c.Name;
        EXPECT_NE(trace.find("Decoding PSD.\nReading resource:\nReading resource:odd\nReading resource:even\n"),
                  std::string::npos)
            << c.Name << ": " << trace;
        EXPECT_NE(trace.find("No compression\n"), std::string::npos) << c.Name;
        EXPECT_EQ(trace.find("Number of layers") != std::string::npos, c.Trace != nullptr) << c.Name;
        if (c.Trace) {
            EXPECT_NE(trace.find(c.Trace), std::string::npos) << c.Name << ": " << trace;
        }
    }

    // Unset lengths (top bit) mean no section at all.
    PsdLayout unset = Psd(1, 1, 1, 1, 8, 0, {77});
    unset.ResourceLength = 0x80000000u;
    unset.LayerLength = 0x80000001u;
    const DecodeResult d = DecodeBytes<CPSDDecoder>(MakePsd(unset));
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_EQ(Rows32(d.Bitmap), (PixelRows{{Grey(77)}}));
}

TEST(PSDDecoderTest, CompressionTraces)
{
    for (auto [compression, line] : {std::pair{0, "No compression\n"}, {1, "RLE compression\n"},
                                     {2, "ZIP compression, no prediction\n"}, {3, "ZIP compression, prediction\n"}}) {
        TempFolder folder;
        CPSDDecoder decoder;
        CWinBmp bitmap;
        SetDecoderTrace(folder.File("trace.txt"), 2);
        const std::vector<uint8_t> file = MakePsd(Psd(1, 1, 1, 1, 8, uint16_t(compression), {0, 1, 0xFE, 0}));
        try {
            decoder.DecodeMemory("test.psd", file.data(), file.size(), bitmap, 32);
        } catch (const CTextException&) {
        }
        EXPECT_NE(ReadText(folder.File("trace.txt")).find(line), std::string::npos) << line;
        SetDecoderTrace("", 0);
    }
}

TEST(PSDDecoderTest, Errors)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    PsdLayout notPsd = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    notPsd.Signature = "8BPX";
    PsdLayout psb = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    psb.Version = 2;
    PsdLayout badResource = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    badResource.Resources = Resource("x", 2);
    badResource.Resources[3] = 'X';
    PsdLayout cutResource = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    cutResource.Resources = Resource("x", 2);
    cutResource.Resources.resize(10);
    PsdLayout resourcePastEnd = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    resourcePastEnd.ResourceLength = 5000;
    PsdLayout noTable = Psd(2, 1, 1, 1, 8, 0, {1});
    PsdLayout shortTable = Psd(2, 1, 1, 1, 8, 0, {1}, std::vector<uint8_t>(767));
    PsdLayout cutLayers = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    cutLayers.Layers = LayerSection(3);
    cutLayers.Layers.resize(40);
    PsdLayout layersPastEnd = Psd(3, 3, 1, 1, 8, 0, {1, 2, 3});
    layersPastEnd.Layers = LayerSection(1);
    layersPastEnd.LayerLength = 4000;
    PsdLayout indexed16 = Psd(2, 1, 1, 1, 16, 0, {1, 2}, ColorTable());
    const std::vector<uint8_t> full = MakePsd(Psd(3, 3, 2, 2, 8, 0, std::vector<uint8_t>(12, 1)));
    const std::vector<uint8_t> noData = MakePsd(Psd(3, 3, 1, 1, 8, 0, {}));

    const Case cases[] = {
        {"wrong signature", MakePsd(notPsd), 6, "PSD decoder: This isn't a photoshop file."},
        {"large document format", MakePsd(psb), 6, "PSD decoder: Large document format (PSB) not supported."},
        {"16-bit bitmap", MakePsd(Psd(0, 1, 1, 1, 16, 0, {0, 0})), 6, "PSD decoder: 16 bits per channel not supported."},
        {"CMYK with three planes", MakePsd(Psd(4, 3, 1, 1, 8, 0, {1, 2, 3})), 2,
         "PSD decoder: Too few channels for the color mode."},
        {"Lab", MakePsd(Psd(9, 3, 1, 1, 8, 0, {1, 2, 3})), 6, "This PSD color mode is not supported."},
        {"32 bits per channel", MakePsd(Psd(3, 3, 1, 1, 32, 0, std::vector<uint8_t>(12))), 6,
         "PSD decoder: 32 bits per channel not supported."},
        {"1 bit per channel greyscale", MakePsd(Psd(1, 1, 1, 8, 1, 0, {0})), 6,
         "PSD decoder: 1 bits per channel not supported."},
        {"16-bit indices", MakePsd(indexed16), 6, "PSD decoder: 16 bits per channel not supported."},
        {"RGB with two planes", MakePsd(Psd(3, 2, 1, 1, 8, 0, {1, 2})), 2,
         "PSD decoder: Too few channels for the color mode."},
        {"greyscale without planes", MakePsd(Psd(1, 0, 1, 1, 8, 0, {})), 2,
         "PSD decoder: Too few channels for the color mode."},
        {"indexed without colour table", MakePsd(noTable), 2, "PSD decoder: Indexed image without color table."},
        {"indexed with a short colour table", MakePsd(shortTable), 2,
         "PSD decoder: Indexed image without color table."},
        {"wrong resource signature", MakePsd(badResource), 2, "PSD decoder: Wrong signature in resource data block."},
        {"resource cut by its section", MakePsd(cutResource), 7, "Unexpected end of file."},
        {"resource section past the end", MakePsd(resourcePastEnd), 7, "Unexpected end of file."},
        {"layer records cut short", MakePsd(cutLayers), 7, "Unexpected end of file."},
        {"layer section past the end", MakePsd(layersPastEnd), 2, "Unknown format"},
        {"zip", MakePsd(Psd(3, 3, 1, 1, 8, 2, {1, 2, 3})), 2, "Unknown format"},
        {"zip with prediction", MakePsd(Psd(3, 3, 1, 1, 8, 3, {1, 2, 3})), 2, "Unknown format"},
        {"unknown compression", MakePsd(Psd(3, 3, 1, 1, 8, 4, {1, 2, 3})), 2, "Unknown format"},
        {"raw planes cut short", std::vector<uint8_t>(full.begin(), full.end() - 1), 2, "Unknown format"},
        {"no compression word", std::vector<uint8_t>(noData.begin(), noData.end() - 2), 2, "Unknown format"},
        {"PackBits table cut short", MakePsd(Psd(1, 1, 3, 1, 8, 1, Counts({1, 1}))), 2, "Unknown format"},
        {"PackBits rows past the end", MakePsd(Psd(1, 1, 2, 1, 8, 1, Concat({Counts({2, 3}), {0, 1, 0, 1}}))), 2,
         "Unknown format"},
        {"zero rows", MakePsd(Psd(3, 3, 0, 5, 8, 0, {})), 2, "Illegal image size."},
        {"zero columns", MakePsd(Psd(3, 3, 5, 0, 8, 1, Counts({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}))), 2,
         "Illegal image size."},
        {"header cut short", std::vector<uint8_t>(full.begin(), full.begin() + 20), 7, "Unexpected end of file."},
        {"empty", std::vector<uint8_t>(), 7, "Unexpected end of file."},
    };
    for (const Case& c : cases) {
        const DecodeResult d = DecodeBytes<CPSDDecoder>(c.File);
        EXPECT_EQ(d.Code, c.Code) << c.Name << ": " << d.Text;
        if (c.Text) {
            EXPECT_EQ(d.Text, c.Text) << c.Name;
        }
    }
}

TEST(PSDDecoderTest, HostileSizesFailBeforeAllocating)
{
    // 30000 x 30000 RGB claimed by a file of a few dozen bytes.
    const DecodeResult raw = DecodeBytes<CPSDDecoder>(MakePsd(Psd(3, 3, 30000, 30000, 8, 0, std::vector<uint8_t>(64))));
    EXPECT_EQ(raw.Code, 2);
    EXPECT_EQ(raw.Text, "Unknown format");

    // Rows and columns at their limits: the products must not wrap.
    const DecodeResult wrap =
        DecodeBytes<CPSDDecoder>(MakePsd(Psd(3, 3, 0xFFFFFFFFu, 0xFFFFFFFFu, 16, 0, std::vector<uint8_t>(64))));
    EXPECT_EQ(wrap.Code, 2);
    EXPECT_EQ(wrap.Text, "Unknown format");

    // A PackBits table that would need 2 x 3 x 30000 bytes.
    const DecodeResult rle = DecodeBytes<CPSDDecoder>(MakePsd(Psd(3, 3, 30000, 30000, 8, 1, std::vector<uint8_t>(64))));
    EXPECT_EQ(rle.Code, 2);

    // Data present but the picture is over the memory cap.
    setenv("OCULANE_MAX_IMAGE_BYTES", "10000", 1);
    const DecodeResult capped =
        DecodeBytes<CPSDDecoder>(MakePsd(Psd(1, 1, 100, 100, 8, 0, std::vector<uint8_t>(10000, 3))));
    unsetenv("OCULANE_MAX_IMAGE_BYTES");
    EXPECT_EQ(capped.Code, 10);
    EXPECT_EQ(capped.Text, "Out of memory.");
}

// Files written by ImageMagick decode to the pictures they were made from.
TEST(PSDDecoderTest, ImageMagickFiles)
{
    struct Case {
        const char* File;
        const char* Expected;
        bool HasAlpha;
        int SourceBits;
    };
    const Case cases[] = {
        {"rgb-raw.psd", "rgb.rgba", false, 24},      {"rgb-rle.psd", "rgb.rgba", false, 24},
        {"rgba-raw.psd", "rgba.rgba", true, 32},     {"rgba-rle.psd", "rgba.rgba", true, 32},
        {"grey-raw.psd", "grey.rgba", false, 8},     {"grey-rle.psd", "grey.rgba", false, 8},
        {"rgb16-raw.psd", "rgb.rgba", false, 48},    {"rgb16-rle.psd", "rgb.rgba", false, 48},
        {"grey16-rle.psd", "grey.rgba", false, 16},  {"indexed-rle.psd", "indexed.rgba", false, 8},
    };
    for (const Case& c : cases) {
        CPSDDecoder decoder;
        CWinBmp bitmap;
        ASSERT_NO_THROW(decoder.DecodeFile(TestDataPath("psd", c.File), bitmap, 32)) << c.File;
        const std::vector<uint8_t> expected = ReadWholeFile(TestDataPath("psd", c.Expected));
        ASSERT_EQ(bitmap.Width, 23) << c.File;
        ASSERT_EQ(bitmap.Height, 17) << c.File;
        ASSERT_EQ(expected.size(), size_t(23 * 17 * 4)) << c.Expected;
        EXPECT_EQ(bitmap.HasAlpha, c.HasAlpha) << c.File;
        EXPECT_EQ(bitmap.SourceBitsPerPixel, c.SourceBits) << c.File;
        int differences = 0;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 23; ++x) {
                const uint8_t* e = &expected[size_t(y * 23 + x) * 4];
                differences += bitmap.Row32(y)[x] != PackPixel(e[0], e[1], e[2], e[3]);
            }
        EXPECT_EQ(differences, 0) << c.File;
    }

    // The CMYK copy comes back to the RGB picture within the rounding of the trip.
    const DecodeResult cmyk = DecodePath<CPSDDecoder>(TestDataPath("psd", "cmyk.psd"));
    ASSERT_EQ(cmyk.Code, 0) << cmyk.Text;
    EXPECT_FALSE(cmyk.Bitmap.HasAlpha);
    const std::vector<uint8_t> rgb = ReadWholeFile(TestDataPath("psd", "rgb.rgba"));
    int worst = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 23; ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = int(cmyk.Bitmap.Row32(y)[x] >> (16 - 8 * c)) & 0xFF;
                worst = std::max(worst, std::abs(ours - int(rgb[size_t(y * 23 + x) * 4 + c])));
            }
    EXPECT_LE(worst, 1);
}

} // namespace
