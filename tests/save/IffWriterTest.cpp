// The chunks of written IFF files and the ByteRun1 packets of a plane row.
#include "save/IffWriter.h"

#include "base/LittleEndian.h"
#include "image/WinBmp.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// Colour k = (x / run + y × width) mod colors.
std::vector<uint8_t> WriteColors(int width, int height, int colors, int compression, int run = 1)
{
    CWinBmp bmp;
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            {
                const int k = (x / run + y * width) % colors;
                bmp.Row32(y)[x] = PackPixel(uint8_t(k), uint8_t(k * 3), 0);
            }
    TempFolder folder;
    WriteIFF(folder.File("a.iff"), bmp, compression);
    return TempFolder::Read(folder.File("a.iff"));
}

TEST(IffWriter, Chunks)
{
    struct Case {
        int Width, Height, Colors;
        uint32_t Planes, CmapSize, RowBytes;
    };
    // Three colours: two planes and a colour map padded to 10 bytes; rows
    // are whole 16-bit words.
    const Case cases[] = {{16, 3, 3, 2, 10, 2}, {1, 1, 1, 1, 4, 2}, {17, 2, 2, 1, 6, 4}, {33, 5, 129, 8, 388, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Width);
        const std::vector<uint8_t> f = WriteColors(c.Width, c.Height, c.Colors, 0);
        const uint32_t body = c.RowBytes * c.Planes * uint32_t(c.Height);
        ASSERT_EQ(f.size(), 8 + 60 + c.CmapSize + body);
        EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "FORM");
        EXPECT_EQ(GetBE32(&f[4]), f.size() - 8);
        EXPECT_EQ(std::string(f.begin() + 8, f.begin() + 16), "ILBMBMHD");
        EXPECT_EQ(GetBE32(&f[16]), 20u);
        EXPECT_EQ(GetBE16(&f[20]), c.Width);
        EXPECT_EQ(GetBE16(&f[22]), c.Height);
        EXPECT_EQ(f[28], c.Planes);
        EXPECT_EQ(f[29], 0);  // no mask
        EXPECT_EQ(f[30], 0);  // not packed
        EXPECT_EQ(f[34], 10);
        EXPECT_EQ(f[35], 10);
        EXPECT_EQ(GetBE16(&f[36]), c.Width);
        EXPECT_EQ(GetBE16(&f[38]), c.Height);
        EXPECT_EQ(std::string(f.begin() + 40, f.begin() + 44), "CMAP");
        EXPECT_EQ(GetBE32(&f[44]), c.CmapSize);
        if (c.Colors % 2) {
            EXPECT_EQ(f[48 + c.CmapSize - 1], 0);
        }
        const size_t camg = 48 + c.CmapSize;
        EXPECT_EQ(std::string(f.begin() + long(camg), f.begin() + long(camg) + 4), "CAMG");
        EXPECT_EQ(GetBE32(&f[camg + 8]), 0u);
        EXPECT_EQ(std::string(f.begin() + long(camg) + 12, f.begin() + long(camg) + 16), "BODY");
        EXPECT_EQ(GetBE32(&f[camg + 16]), body);
    }
}

// Packed rows: the compression byte and a body as long as its chunk says.
TEST(IffWriter, PackedBody)
{
    const std::vector<uint8_t> f = WriteColors(100, 20, 3, 1, 40);
    EXPECT_EQ(f[30], 1);
    EXPECT_EQ(GetBE32(&f[4]), f.size() - 8);
    const uint32_t body = GetBE32(&f[48 + 10 + 16]);
    EXPECT_EQ(f.size(), 8 + 60 + 10 + body + (body & 1));
    EXPECT_LT(body, 14u * 2 * 20);
}

TEST(IffWriter, ByteRun1)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        std::vector<uint8_t> Packets;
    };
    std::vector<uint8_t> different(130);
    for (size_t i = 0; i < different.size(); ++i)
        different[i] = uint8_t(i);
    std::vector<uint8_t> differentPackets(different);
    differentPackets.insert(differentPackets.begin() + 128, 0x01);
    differentPackets.insert(differentPackets.begin(), 0x7F);
    const Case cases[] = {
        {"300 equal", std::vector<uint8_t>(300, 9), {0x81, 9, 0x81, 9, 0xD5, 9}},
        {"pairs stay literal", {1, 1, 2, 2}, {0x03, 1, 1, 2, 2}},
        {"literal then run", {1, 2, 2, 2}, {0x00, 1, 0xFE, 2}},
        {"run then literal", {5, 5, 5, 6}, {0xFE, 5, 0x00, 6}},
        {"130 different", different, differentPackets},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> out(c.Bytes.size() + c.Bytes.size() / 128 + 1);
        out.resize(EncodeByteRun1(c.Bytes.data(), c.Bytes.size(), out.data()));
        EXPECT_EQ(out, c.Packets);
    }
}

} // namespace
