// The bytes of written PICT files: header, colour table, row counts,
// literal and PackBits packets, padding and the picture size.
#include "save/PictWriter.h"

#include "base/LittleEndian.h"
#include "image/WinBmp.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Row(const std::vector<uint8_t>& indices, bool rle)
{
    std::vector<uint8_t> out(PictRowBound(int(indices.size())));
    out.resize(EncodePictRow(indices.data(), int(indices.size()), rle, out.data()));
    return out;
}

std::vector<uint8_t> Distinct(int n)
{
    std::vector<uint8_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = uint8_t(i);
    return v;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(PictWriter, Rows)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Indices;
        bool Rle;
        std::vector<uint8_t> Bytes;
    };
    const std::vector<uint8_t> d = Distinct(250);
    const std::vector<uint8_t> run300(300, 4);
    const std::vector<uint8_t> d130 = Distinct(130);
    std::vector<uint8_t> d300(300);
    for (size_t i = 0; i < d300.size(); ++i)
        d300[i] = uint8_t(i * 7);
    const Case cases[] = {
        {"narrow rows are bare", {3, 3, 3, 3, 3, 3, 3}, true, {3, 3, 3, 3, 3, 3, 3}},
        {"runs and pairs", {1, 1, 2, 2, 2, 3, 3, 3}, true, {7, 0x01, 1, 1, 0xFE, 2, 0xFE, 3}},
        {"long run from the right", run300, true, {0x00, 6, 0xD5, 4, 0x81, 4, 0x81, 4}},
        {"full literal at the right", d130, true,
         Cat({{132, 0x01, 0, 1, 0x7F}, std::vector<uint8_t>(d130.begin() + 2, d130.end())})},
        {"width 250 one-byte count", d, false,
         Cat({{252, 0x7F}, std::vector<uint8_t>(d.begin(), d.begin() + 128), {0x79},
              std::vector<uint8_t>(d.begin() + 128, d.end())})},
        {"width 251 two-byte count", Cat({d, {0}}), true, {}},
        {"literal 300", d300, false,
         Cat({{0x01, 0x2F, 0x7F}, std::vector<uint8_t>(d300.begin(), d300.begin() + 128), {0x7F},
              std::vector<uint8_t>(d300.begin() + 128, d300.begin() + 256), {0x2B},
              std::vector<uint8_t>(d300.begin() + 256, d300.end())})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> got = Row(c.Indices, c.Rle);
        if (c.Bytes.empty()) {
            ASSERT_GT(got.size(), 2u);
            EXPECT_EQ(GetBE16(got.data()), got.size() - 2);
        } else {
            EXPECT_EQ(got, c.Bytes);
        }
    }
}

TEST(PictWriter, OnePixelFile)
{
    CWinBmp bmp;
    bmp.Create(1, 1, 32, false);
    bmp.Row32(0)[0] = PackPixel(0x12, 0x34, 0x56);
    TempFolder folder;
    WritePICT(folder.File("a.pct"), bmp, true);
    const std::vector<uint8_t> f = TempFolder::Read(folder.File("a.pct"));
    ASSERT_EQ(f.size(), 620u + 8 + 8 + 8 + 2 + 1 + 1 + 2);
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 512), std::vector<uint8_t>(512, 0));
    EXPECT_EQ(GetBE16(&f[512]), f.size() - 512);
    const std::vector<uint8_t> head = {0, 0, 0, 0, 0, 1, 0, 1, 0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00,
                                       0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), f.begin() + 514));
    EXPECT_EQ(GetBE32(&f[540]), 0x10000u);  // right and bottom as 1.0
    EXPECT_EQ(GetBE32(&f[544]), 0x10000u);
    EXPECT_EQ(GetBE16(&f[552]), 0x0001);
    EXPECT_EQ(GetBE16(&f[554]), 10);
    EXPECT_EQ(GetBE16(&f[564]), 0x0098);
    EXPECT_EQ(GetBE16(&f[566]), 0x8001);
    EXPECT_EQ(GetBE32(&f[584]), 72u << 16);
    EXPECT_EQ(GetBE16(&f[594]), 8);
    EXPECT_EQ(GetBE16(&f[618]), 0);  // one entry
    const std::vector<uint8_t> entry = {0, 0, 0x12, 0x12, 0x34, 0x34, 0x56, 0x56};
    EXPECT_TRUE(std::equal(entry.begin(), entry.end(), f.begin() + 620));
    EXPECT_EQ(GetBE16(&f[628 + 16]), 0);  // copy mode
    const std::vector<uint8_t> tail = {0, 0, 0x00, 0xFF};  // the index, the pad, the end
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), f.end() - 4));
}

// The picture size is the length after the 512 zero bytes, modulo 65536.
TEST(PictWriter, PictureSizeOfLongFiles)
{
    CWinBmp bmp;
    bmp.Create(300, 300, 32, false);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            bmp.Row32(y)[x] = PackPixel(uint8_t(x * 7 + y), 0, 0);
    TempFolder folder;
    WritePICT(folder.File("a.pct"), bmp, false);
    const std::vector<uint8_t> f = TempFolder::Read(folder.File("a.pct"));
    ASSERT_GT(f.size(), 65536u);
    EXPECT_EQ(GetBE16(&f[512]), (f.size() - 512) & 0xFFFF);
    EXPECT_EQ(f[f.size() - 2], 0x00);
    EXPECT_EQ(f.back(), 0xFF);
}

} // namespace
