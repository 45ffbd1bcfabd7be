#include "formats/ICODecoder.h"
#include "image/WinBmp.h"

#include "support/Bytes.h"
#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <png.h>

namespace {

// One icon image as a BMP without file header: 40-byte header (height doubled),
// palette, colour rows and mask rows exactly as stored (bottom row first).
struct IconImage {
    int32_t Width = 3;
    int32_t Height = 2;
    uint16_t Bits = 4;
    uint32_t HeaderSize = 40;
    uint32_t Compression = 0;
    std::vector<uint32_t> Masks; // after a 40-byte header, else inside the header
    std::vector<uint32_t> Palette; // 0x00RRGGBB
    std::vector<uint8_t> Colour;
    std::vector<uint8_t> Mask;
};

std::vector<uint8_t> ImageBytes(const IconImage& i)
{
    ByteWriter w;
    w.LE32(i.HeaderSize).LE32(uint32_t(i.Width)).LE32(uint32_t(i.Height * 2)).LE16(1).LE16(i.Bits);
    w.LE32(i.Compression).LE32(0).LE32(0).LE32(0).LE32(uint32_t(i.Palette.size())).LE32(0);
    for (uint32_t m : i.Masks)
        w.LE32(m);
    if (i.HeaderSize > 40)
        w.Repeat(0, i.HeaderSize - 40 - 4 * i.Masks.size());
    for (uint32_t c : i.Palette)
        w.U8(uint8_t(c)).U8(uint8_t(c >> 8)).U8(uint8_t(c >> 16)).U8(0);
    w.Append(i.Colour).Append(i.Mask);
    return w.Bytes();
}

// An icon file whose images are stored in reverse order after a gap, so the
// first entry's image is not the one right after the directory.
std::vector<uint8_t> MakeIco(const std::vector<std::vector<uint8_t>>& images, uint16_t count = 0xFFFF)
{
    const size_t n = images.size();
    ByteWriter w;
    w.LE16(0).LE16(1).LE16(count == 0xFFFF ? uint16_t(n) : count);
    size_t offset = 6 + 16 * n + 10;
    std::vector<size_t> offsets(n);
    for (size_t k = n; k-- > 0;) {
        offsets[k] = offset;
        offset += images[k].size();
    }
    for (size_t k = 0; k < n; ++k)
        w.U8(16).U8(16).U8(0).U8(0).LE16(1).LE16(32).LE32(uint32_t(images[k].size())).LE32(uint32_t(offsets[k]));
    w.Repeat(0xEE, 10);
    for (size_t k = n; k-- > 0;)
        w.Append(images[k]);
    return w.Bytes();
}

// Mask rows of a 3-pixel-wide image: stored bottom row first, 4 bytes each.
// The top row's middle pixel is transparent.
const std::vector<uint8_t> kMask = {0x00, 0, 0, 0, 0x40, 0, 0, 0};
const std::vector<uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
const uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, K = 0xFF000000u;

IconImage Paletted(uint16_t bits, std::vector<uint8_t> colour)
{
    IconImage i;
    i.Bits = bits;
    i.Palette = kPalette;
    i.Colour = std::move(colour);
    i.Mask = kMask;
    return i;
}

IconImage Direct(uint16_t bits, std::vector<uint8_t> colour, std::vector<uint8_t> mask = kMask)
{
    IconImage i;
    i.Bits = bits;
    i.Colour = std::move(colour);
    i.Mask = std::move(mask);
    return i;
}

IconImage Fields(uint16_t bits, uint32_t headerSize, uint32_t compression, std::vector<uint32_t> masks,
                 std::vector<uint8_t> colour)
{
    IconImage i = Direct(bits, std::move(colour));
    i.HeaderSize = headerSize;
    i.Compression = compression;
    i.Masks = std::move(masks);
    return i;
}

// The same file as a cursor: resource type 2, and a hotspot where icons keep
// their planes and bit count.
std::vector<uint8_t> AsCursor(std::vector<uint8_t> file)
{
    file[2] = 2;
    file[6 + 4] = 1;
    file[6 + 6] = 2;
    return file;
}

std::vector<uint8_t> Png2x1()
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 1;
    image.format = PNG_FORMAT_RGBA;
    const uint8_t pixels[8] = {10, 20, 30, 40, 50, 60, 70, 255};
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr);
    out.resize(size);
    return out;
}

TEST(ICODecoderTest, EveryDepthWithTheMaskAsAlpha)
{
    // Top row red, green, blue (the middle masked out); bottom row black, blue, red.
    const uint32_t T = 0x0000FF00u; // green made transparent
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int SourceBits;
        bool Alpha;
        std::vector<uint32_t> Expected;
    };
    const Case cases[] = {
        {"1 bit", MakeIco({ImageBytes(Paletted(1, {0x40, 0, 0, 0, 0xA0, 0, 0, 0}))}), 1, true,
         {R, 0x00000000u, R, K, R, K}},
        {"4 bit", MakeIco({ImageBytes(Paletted(4, {0x03, 0x10, 0, 0, 0x12, 0x30, 0, 0}))}), 4, true,
         {R, T, B, K, B, R}},
        {"8 bit", MakeIco({ImageBytes(Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0}))}), 8, true, {R, T, B, K, B, R}},
        {"24 bit", MakeIco({ImageBytes(Direct(24, {0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0,
                                                   0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}))}),
         24, true, {R, T, B, K, B, R}},
        {"32 bit without alpha of its own", MakeIco({ImageBytes(Direct(32, {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0,
                                                                             0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}))}),
         32, true, {R, T, B, K, B, R}},
        {"32 bit with alpha of its own: the mask is not used",
         MakeIco({ImageBytes(Direct(32, {0, 0, 0, 255, 255, 0, 0, 128, 0, 0, 255, 0,
                                         0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255}))}),
         32, true, {R, 0xFF00FF00u, B, K, 0x800000FFu, 0x00FF0000u}},
        {"no mask in the file: opaque", MakeIco({ImageBytes(Direct(24, {0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0,
                                                                       0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0},
                                                                      {}))}),
         24, false, {R, G, B, K, B, R}},
        {"the first entry is read, wherever its image is stored",
         MakeIco({ImageBytes(Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0})), ImageBytes(Paletted(8, {0, 0, 0, 0, 0, 0, 0, 0})),
                  Png2x1()}),
         8, true, {R, T, B, K, B, R}},
        {"PNG image", MakeIco({Png2x1(), ImageBytes(Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0}))}), 32, true,
         {0x280A141Eu, 0xFF323C46u}},
        {"cursor", AsCursor(MakeIco({ImageBytes(Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0}))})), 8, true,
         {R, T, B, K, B, R}},
        {"16 bit 5:5:5", MakeIco({ImageBytes(Direct(16, {0, 0, 0x1F, 0, 0, 0x7C, 0, 0, 0, 0x7C, 0xE0, 0x03, 0x1F, 0, 0, 0}))}),
         16, true, {R, T, B, K, B, R}},
        {"16 bit 5:6:5, masks after a 40-byte header",
         MakeIco({ImageBytes(Fields(16, 40, 3, {0xF800, 0x07E0, 0x001F},
                                    {0, 0, 0x1F, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0xE0, 0x07, 0x1F, 0, 0, 0}))}),
         16, true, {R, T, B, K, B, R}},
        {"16 bit 1:5:5:5 in a 124-byte header: alpha of its own",
         MakeIco({ImageBytes(Fields(16, 124, 3, {0x7C00, 0x03E0, 0x001F, 0x8000},
                                    {0, 0x80, 0x1F, 0x80, 0, 0xFC, 0, 0, 0, 0xFC, 0xE0, 0x03, 0x1F, 0x80, 0, 0}))}),
         16, true, {R, 0x0000FF00u, B, K, B, R}},
        {"32 bit red, green, blue, alpha in a 124-byte header",
         MakeIco({ImageBytes(Fields(32, 124, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
                                    {0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255,
                                     255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0}))}),
         32, true, {R, 0x8000FF00u, 0x000000FFu, K, B, R}},
        {"32 bit bit fields without alpha take the mask",
         MakeIco({ImageBytes(Fields(32, 108, 3, {0x00FF0000, 0x0000FF00, 0x000000FF},
                                    {0, 0, 0, 9, 255, 0, 0, 9, 0, 0, 255, 9,
                                     0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9}))}),
         32, true, {R, T, B, K, B, R}},
        {"longer information header", [] {
             IconImage i = Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0});
             i.HeaderSize = 108;
             return MakeIco({ImageBytes(i)});
         }(),
         8, true, {R, T, B, K, B, R}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (int depth : {32, 0, 8}) {
            const DecodeResult r = DecodeBytes<CICODecoder>(c.File, depth);
            ASSERT_EQ(r.Code, 0) << r.Text;
            ASSERT_EQ(r.Bitmap.BitsPerPixel, 32);
            EXPECT_EQ(r.Bitmap.SourceBitsPerPixel, c.SourceBits);
            EXPECT_EQ(r.Bitmap.HasAlpha, c.Alpha);
            EXPECT_EQ(Pixels32(r.Bitmap), c.Expected);
        }
    }
}

TEST(ICODecoderTest, DamagedAndHostileFiles)
{
    const auto image = ImageBytes(Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0}));
    auto withOffset = [&](uint32_t offset) {
        auto file = MakeIco({image});
        for (int i = 0; i < 4; ++i)
            file[6 + 12 + i] = uint8_t(offset >> (8 * i));
        return file;
    };
    IconImage wide = Paletted(8, {});
    wide.Width = 0x7FFFFFFF;
    wide.Height = 0x3FFFFFFF;
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    const Case cases[] = {
        {"no images", MakeIco({image}, 0), 2, "Icon decoder: The icon file holds no image."},
        {"directory cut short", MakeIco({image}, 40), 7, "Unexpected end of file."},
        {"image offset past the end", withOffset(100000), 7, "Unexpected end of file."},
        {"image offset at the end", withOffset(uint32_t(MakeIco({image}).size())), 7, "Unexpected end of file."},
        {"colour rows cut short", [&] {
             auto file = MakeIco({image});
             file.resize(file.size() - kMask.size() - 2);
             return file;
         }(),
         7, "Unexpected end of file."},
        {"7 bits per pixel", MakeIco({ImageBytes(Direct(7, std::vector<uint8_t>(16, 0)))}), 2,
         "Icon decoder: Illegal bpp value."},
        {"bit-field masks cut short", [] {
             IconImage i = Fields(16, 40, 3, {}, {});
             i.Mask = {1, 2, 3, 4, 5, 6, 7, 8};
             return MakeIco({ImageBytes(i)});
         }(),
         7, "Unexpected end of file."},
        {"short information header", [] {
             IconImage i = Paletted(8, {0, 3, 1, 0, 1, 2, 3, 0});
             i.HeaderSize = 12;
             return MakeIco({ImageBytes(i)});
         }(),
         2, "Icon decoder: BITMAPINFOHEADER has wrong size."},
        {"zero width", [] {
             IconImage i = Paletted(8, {});
             i.Width = 0;
             return MakeIco({ImageBytes(i)});
         }(),
         2, "Icon decoder: Illegal image size."},
        {"huge size, no data", MakeIco({ImageBytes(wide)}), 7, "Unexpected end of file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const DecodeResult r = DecodeBytes<CICODecoder>(c.File);
        EXPECT_EQ(r.Code, c.Code);
        EXPECT_EQ(r.Text, c.Text);
    }
}

} // namespace
