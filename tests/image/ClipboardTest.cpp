#include "image/WinBmp.h"
#include "platform/Clipboard.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A clipboard held in memory; "open" false plays one that another program holds.
class FakeClipboard : public IClipboard {
public:
    bool PutDib(const uint8_t* dib, size_t size) override
    {
        if (!Open)
            return false;
        Data.assign(dib, dib + size);
        Full = true;
        return true;
    }
    bool GetDib(std::vector<uint8_t>& dib) override
    {
        if (!Open || !Full)
            return false;
        dib = Data;
        return true;
    }

    bool Open = true;
    bool Full = false;
    std::vector<uint8_t> Data;
};

std::vector<uint8_t> Dib(int32_t w, int32_t h, uint16_t bits, const std::vector<uint8_t>& rest)
{
    ByteWriter b;
    b.LE32(40).LE32(uint32_t(w)).LE32(uint32_t(h)).LE16(1).LE16(bits).LE32(0).LE32(0);
    b.LE32(0).LE32(0).LE32(0).LE32(0).Append(rest);
    return b.Bytes();
}

void Fill8(CWinBmp& bmp)
{
    bmp.Create(5, 3, 8, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            bmp.Lines[y][x] = uint8_t(y * 16 + x);
    for (int i = 0; i < 256; ++i)
        bmp.Palette[i] = PaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 255};
}

TEST(ClipboardTest, EightBitRoundTripKeepsIndicesAndPalette)
{
    CWinBmp source;
    Fill8(source);
    source.SetResolution(300, 150);
    FakeClipboard clipboard;
    source.CopyToClipboard(clipboard);
    ASSERT_EQ(clipboard.Data.size(), source.GetBlockSize());
    EXPECT_EQ(0, std::memcmp(clipboard.Data.data(), source.GetBitmapInfo(), source.GetBlockSize()));

    CWinBmp pasted;
    ASSERT_TRUE(pasted.PasteFromClipboard(clipboard));
    EXPECT_EQ(pasted.Width, 5);
    EXPECT_EQ(pasted.Height, 3);
    EXPECT_EQ(pasted.BitsPerPixel, 8);
    EXPECT_EQ(pasted.SourceBitsPerPixel, 8);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(0, std::memcmp(pasted.Lines[y], source.Lines[y], 5)) << "row " << y;
    EXPECT_EQ(pasted.Palette[200].Blue, 200);
    EXPECT_EQ(pasted.Palette[200].Green, 55);
    EXPECT_EQ(pasted.Palette[200].Red, 100);
    // 300 dpi survives as 300 dpi.
    EXPECT_EQ(GetLE32ForTest(pasted.GetBitmapInfo(), 24), 11811u);
    EXPECT_EQ(GetLE32ForTest(pasted.GetBitmapInfo(), 28), 5906u);
}

TEST(ClipboardTest, ThirtyTwoBitRoundTripKeepsAlphaBytes)
{
    struct Case {
        const char* Name;
        uint8_t Alpha[2];
        bool HasAlpha;
    } cases[] = {
        {"opaque", {255, 255}, false},
        {"unused fourth byte", {0, 0}, false},
        {"transparency", {255, 0}, true},
        {"translucent", {128, 128}, true},
    };
    for (const Case& c : cases) {
        CWinBmp source;
        source.Create(2, 1, 32, c.HasAlpha);
        source.Row32(0)[0] = PackPixel(10, 20, 30, c.Alpha[0]);
        source.Row32(0)[1] = PackPixel(40, 50, 60, c.Alpha[1]);
        FakeClipboard clipboard;
        source.CopyToClipboard(clipboard);
        CWinBmp pasted;
        ASSERT_TRUE(pasted.PasteFromClipboard(clipboard)) << c.Name;
        EXPECT_EQ(pasted.BitsPerPixel, 32) << c.Name;
        EXPECT_EQ(pasted.SourceBitsPerPixel, 32) << c.Name;
        EXPECT_EQ(pasted.HasAlpha, c.HasAlpha) << c.Name;
        EXPECT_EQ(pasted.Row32(0)[0], source.Row32(0)[0]) << c.Name;
        EXPECT_EQ(pasted.Row32(0)[1], source.Row32(0)[1]) << c.Name;
    }
}

TEST(ClipboardTest, ScreenImageOf24BitsBecomes32Bits)
{
    FakeClipboard clipboard;
    clipboard.Full = true;
    clipboard.Data = Dib(1, 2, 24, {1, 2, 3, 0, 4, 5, 6, 0});  // bottom row first
    CWinBmp pasted;
    ASSERT_TRUE(pasted.PasteFromClipboard(clipboard));
    EXPECT_EQ(pasted.BitsPerPixel, 32);
    EXPECT_EQ(pasted.SourceBitsPerPixel, 24);
    EXPECT_FALSE(pasted.HasAlpha);
    EXPECT_EQ(pasted.Row32(0)[0], 0xFF060504u);
    EXPECT_EQ(pasted.Row32(1)[0], 0xFF030201u);
}

TEST(ClipboardTest, NothingUsableLeavesTheBitmapAsItWas)
{
    struct Case {
        const char* Name;
        bool Open;
        bool Full;
        std::vector<uint8_t> Data;
    } cases[] = {
        {"clipboard busy", false, true, Dib(1, 1, 24, {1, 2, 3, 0})},
        {"no image", true, false, {}},
        {"empty block", true, true, {}},
        {"short header", true, true, std::vector<uint8_t>(20, 7)},
        {"pixels cut short", true, true, Dib(64, 64, 24, std::vector<uint8_t>(100, 0))},
        {"compressed", true, true, [] {
             auto d = Dib(1, 1, 8, std::vector<uint8_t>(1100, 0));
             d[16] = 1;
             return d;
         }()},
    };
    for (const Case& c : cases) {
        CWinBmp bmp;
        Fill8(bmp);
        const std::vector<uint8_t> before(bmp.GetBitmapInfo(), bmp.GetBitmapInfo() + bmp.GetBlockSize());
        FakeClipboard clipboard;
        clipboard.Open = c.Open;
        clipboard.Full = c.Full;
        clipboard.Data = c.Data;
        EXPECT_FALSE(bmp.PasteFromClipboard(clipboard)) << c.Name;
        ASSERT_EQ(bmp.GetBlockSize(), before.size()) << c.Name;
        EXPECT_EQ(0, std::memcmp(bmp.GetBitmapInfo(), before.data(), before.size())) << c.Name;
        EXPECT_EQ(bmp.Width, 5) << c.Name;
        EXPECT_EQ(bmp.BitsPerPixel, 8) << c.Name;
        EXPECT_EQ(bmp.Lines[2][4], 36) << c.Name;
    }
}

} // namespace
