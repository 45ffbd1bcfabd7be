#include "formats/ExifOrientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint16_t v, bool big)
{
    out.push_back(uint8_t(big ? v >> 8 : v));
    out.push_back(uint8_t(big ? v : v >> 8));
}

void Put32(Bytes& out, uint32_t v, bool big)
{
    Put16(out, uint16_t(big ? v >> 16 : v), big);
    Put16(out, uint16_t(big ? v : v >> 16), big);
}

struct Entry {
    uint16_t Tag, Type;
    uint32_t Count;
    uint16_t Value;
};

// The TIFF structure of an EXIF block: header, IFD0 at ifdOffset, entries.
Bytes Tiff(bool big, const std::vector<Entry>& entries, uint32_t ifdOffset = 8, int declaredCount = -1)
{
    Bytes out = big ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    Put16(out, 42, big);
    Put32(out, ifdOffset, big);
    if (ifdOffset < 64)  // a far offset is written as it is, pointing outside
        out.resize(std::max<size_t>(out.size(), ifdOffset), 0);
    Put16(out, uint16_t(declaredCount < 0 ? entries.size() : size_t(declaredCount)), big);
    for (const Entry& e : entries) {
        Put16(out, e.Tag, big);
        Put16(out, e.Type, big);
        Put32(out, e.Count, big);
        Put16(out, e.Value, big);
        Put16(out, 0, big);
    }
    Put32(out, 0, big);
    return out;
}

Bytes Segment(uint8_t marker, const Bytes& payload)
{
    Bytes out = {0xFF, marker, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes Exif(const Bytes& tiff)
{
    Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    return Segment(0xE1, payload);
}

// SOI, the given segments, then the start of scan and some data.
Bytes Jpeg(const std::vector<Bytes>& segments)
{
    Bytes out = {0xFF, 0xD8};
    for (const Bytes& s : segments)
        out.insert(out.end(), s.begin(), s.end());
    const Bytes scan = Segment(0xDA, Bytes(10, 0));
    out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0x12, 0x34, 0xFF, 0xD9});
    return out;
}

int Read(const Bytes& bytes)
{
    return ReadExifOrientation(bytes.data(), bytes.size());
}

const Bytes kJfif = Segment(0xE0, Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});

} // namespace

TEST(ExifOrientation, EveryValueInBothByteOrders)
{
    for (bool big : {false, true}) {
        for (uint16_t value = 1; value <= 8; ++value) {
            const Bytes jpeg = Jpeg({kJfif, Exif(Tiff(big, {{0x0100, 3, 1, 24}, {0x0112, 3, 1, value}}))});
            EXPECT_EQ(Read(jpeg), value) << (big ? "MM " : "II ") << value;
        }
    }
}

TEST(ExifOrientation, AbsentOrDamagedIsUpright)
{
    const Bytes good = Jpeg({Exif(Tiff(true, {{0x0112, 3, 1, 6}}))});
    ASSERT_EQ(Read(good), 6);
    Bytes notJpeg = good;
    notJpeg[1] = 0xD9;
    Bytes badMagic = good;
    badMagic[4 + 6 + 3] = 43;  // TIFF magic is 42
    Bytes badOrder = good;
    badOrder[4 + 6] = 'X';
    Bytes segmentTooLong = good;
    segmentTooLong[4] = 0x7F;  // APP1 length beyond the data
    const struct {
        const char* Name;
        Bytes Data;
    } cases[] = {
        {"empty", {}},
        {"no JPEG", notJpeg},
        {"no EXIF", Jpeg({kJfif})},
        {"other APP1", Jpeg({Segment(0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/', 0})})},
        {"no orientation tag", Jpeg({Exif(Tiff(false, {{0x0100, 3, 1, 24}}))})},
        {"value 0", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 0}}))})},
        {"value 9", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 9}}))})},
        {"not a short", Jpeg({Exif(Tiff(false, {{0x0112, 4, 1, 6}}))})},
        {"two values", Jpeg({Exif(Tiff(false, {{0x0112, 3, 2, 6}}))})},
        {"IFD beyond the block", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 6}}, 0xFFFFFFF0u))})},
        {"more entries than the block", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 6}}, 8, 60000))})},
        {"bad TIFF magic", badMagic},
        {"bad byte order", badOrder},
        {"segment runs past the data", segmentTooLong},
        {"EXIF after the image data", [&] {
             Bytes b = Jpeg({});
             const Bytes exif = Exif(Tiff(false, {{0x0112, 3, 1, 6}}));
             b.insert(b.end() - 2, exif.begin(), exif.end());
             return b;
         }()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.Data), 1) << c.Name;
    EXPECT_EQ(ReadExifOrientation(nullptr, 100), 1);
}

TEST(ExifOrientation, EveryCutOfTheDataIsSafe)
{
    // Each prefix of a good file: the reader must never look past the end.
    const Bytes good = Jpeg({kJfif, Exif(Tiff(false, {{0x0100, 3, 1, 24}, {0x0112, 3, 1, 8}}))});
    for (size_t size = 0; size < good.size(); ++size) {
        const Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(size));
        const int value = Read(cut);
        EXPECT_TRUE(value == 1 || value == 8) << size;
    }
}

TEST(ExifOrientation, FillBytesBeforeMarkers)
{
    Bytes jpeg = Jpeg({kJfif, Exif(Tiff(true, {{0x0112, 3, 1, 3}}))});
    jpeg.insert(jpeg.begin() + 2, {0xFF, 0xFF});
    EXPECT_EQ(Read(jpeg), 3);
}
