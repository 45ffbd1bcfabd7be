#include "formats/MetafileDecoder.h"
#include "image/WinBmp.h"

#include "formats/MetafileBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

using namespace metafiletest;

constexpr int64_t kStock = 0x80000000;

void Decode(const std::vector<uint8_t>& file, Decoded& out, int depth = 32, const char* name = "pic.emf")
{
    DecodeMetafile(file, out, name, depth);
}

uint32_t At(const CBmp& bmp, int x, int y)
{
    return bmp.Row32(y)[x] & 0xFFFFFF;
}

// Decodes a 100 x 100 picture (reference-device pixels = raster pixels) and
// checks the probes.
void ExpectPicture(const EmfBuilder& records, std::initializer_list<Probe> probes)
{
    Decoded d;
    Decode(records.Build(0, 0, 2500, 2500), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ASSERT_EQ(d.Bitmap.Width, 100);
    ASSERT_EQ(d.Bitmap.Height, 100);
    for (const Probe& p : probes)
        EXPECT_EQ(At(d.Bitmap, p.X, p.Y), p.Colour) << "at " << p.X << "," << p.Y;
}

// A red brush in slot 1 and the null pen, selected.
EmfBuilder RedBrush()
{
    EmfBuilder b;
    b.Brush(1, Rgb(255, 0, 0)).Select(1).NullPen();
    return b;
}

std::vector<uint8_t> Points16(std::initializer_list<std::pair<int, int>> points)
{
    ByteWriter w;
    w.LE32(0).LE32(0).LE32(0).LE32(0).LE32(uint32_t(points.size()));
    for (const auto& [x, y] : points)
        w.LE16(uint16_t(x)).LE16(uint16_t(y));
    return w.Bytes();
}

TEST(MetafileEmfTest, FrameAndReferenceDeviceGiveTheSize)
{
    struct Case {
        int Left, Top, Right, Bottom, DevicePx, DeviceMm;
        int Width, Height;
    };
    const Case cases[] = {
        {0, 0, 2500, 1250, 1024, 256, 100, 50},
        {-1250, 500, 1250, 1000, 1024, 256, 100, 20},
        {0, 0, 2539, 2540, 1024, 256, 101, 101},
        // A reference device without a size is taken for a 96-dpi screen.
        {0, 0, 2540, 5080, 1024, 0, 96, 192},
        // An empty frame renders 320 x 200.
        {0, 0, 0, 0, 1024, 256, 320, 200},
        {500, 500, 400, 600, 1024, 256, 320, 4},
    };
    for (const Case& c : cases) {
        Decoded d;
        Decode(RedBrush().Rectangle(0, 0, 5000, 5000).Build(c.Left, c.Top, c.Right, c.Bottom, 8, {}, c.DevicePx,
                                                            c.DeviceMm),
               d, 0, "X.EMF");
        ASSERT_EQ(d.Code, 0) << d.Text;
        EXPECT_EQ(d.Bitmap.Width, c.Width);
        EXPECT_EQ(d.Bitmap.Height, c.Height);
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32);
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, 32);
        EXPECT_TRUE(d.Bitmap.HasAlpha);
    }
    // Nothing of an empty frame is drawn.
    Decoded empty;
    Decode(RedBrush().Rectangle(-10, -10, 5000, 5000).Build(0, 0, 0, 0), empty);
    EXPECT_EQ(At(empty.Bitmap, 160, 100), kWhite);
}

TEST(MetafileEmfTest, ShapesAndTheFrameOrigin)
{
    EmfBuilder shapes = RedBrush();
    shapes.Rectangle(10, 10, 30, 30).Brush(2, Rgb(0, 0, 255)).Select(2).Ellipse(40, 40, 90, 70);
    shapes.Record(37, {kStock | 4}).Record(47, {0, 70, 40, 110, 40, 90, 20, 70}); // black pie, upper-right quarter
    shapes.Brush(3, Rgb(0, 255, 0)).Select(3).Record(44, {50, 5, 95, 30, 20, 20});  // round rectangle
    ExpectPicture(shapes, {{20, 20, kRed},
                           {30, 30, kWhite},
                           {65, 55, kBlue},
                           {41, 41, kWhite},
                           {28, 82, 0},
                           {12, 82, kWhite},
                           {28, 98, kWhite},
                           {70, 15, kGreen},
                           {51, 6, kWhite}});

    // The frame starts at 12.5 mm = 50 device pixels.
    Decoded moved;
    Decode(RedBrush().Rectangle(50, 50, 60, 60).Build(1250, 1250, 3750, 3750), moved);
    ASSERT_EQ(moved.Code, 0) << moved.Text;
    EXPECT_EQ(At(moved.Bitmap, 0, 0), kRed);
    EXPECT_EQ(At(moved.Bitmap, 9, 9), kRed);
    EXPECT_EQ(At(moved.Bitmap, 11, 11), kWhite);
}

TEST(MetafileEmfTest, MappingAndWorldTransforms)
{
    EmfBuilder aniso = RedBrush();
    aniso.Record(17, {8}).Record(9, {1000, 1000}).Record(11, {100, 100}).Rectangle(0, 0, 500, 500);
    ExpectPicture(aniso, {{1, 1, kRed}, {49, 49, kRed}, {51, 51, kWhite}});

    auto xform = [](float a, float b, float c, float d, float e, float f) {
        ByteWriter w;
        for (float v : {a, b, c, d, e, f}) {
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            w.LE32(bits);
        }
        return w.Bytes();
    };
    EmfBuilder world = RedBrush();
    world.Raw(35, xform(2, 0, 0, 2, 0, 0)).Rectangle(5, 5, 10, 10);
    // Left multiply: the translation applies before the scale.
    std::vector<uint8_t> left = xform(1, 0, 0, 1, 5, 0);
    left.insert(left.end(), {2, 0, 0, 0});
    world.Raw(36, left).Rectangle(10, 30, 15, 35);
    // Identity, then a right multiply: after.
    std::vector<uint8_t> reset = xform(1, 0, 0, 1, 0, 0);
    reset.insert(reset.end(), {1, 0, 0, 0});
    std::vector<uint8_t> right = xform(1, 0, 0, 1, 7, 0);
    right.insert(right.end(), {3, 0, 0, 0});
    world.Raw(36, reset).Raw(36, right).Rectangle(60, 60, 70, 70);
    // A singular transform is refused.
    world.Raw(35, xform(0, 0, 0, 0, 0, 0)).Rectangle(80, 0, 90, 10);
    ExpectPicture(world, {{15, 15, kRed},
                          {21, 21, kWhite},
                          {35, 65, kRed},
                          {29, 65, kWhite},
                          {41, 65, kWhite},
                          {70, 65, kRed},
                          {66, 65, kWhite},
                          {85, 5, kWhite},
                          {75, 65, kRed}});
}

TEST(MetafileEmfTest, PathsAndBeziers)
{
    EmfBuilder fill = RedBrush();
    fill.Record(59, {}).Record(27, {10, 10}).Record(54, {90, 10}).Record(54, {90, 90}).Record(61, {});
    fill.Record(60, {}).Record(62, {0, 0, 0, 0});
    ExpectPicture(fill, {{80, 20, kRed}, {20, 80, kWhite}});

    // A wide pen stroking a straight Bezier; its ends stay where the curve ends.
    EmfBuilder curve;
    curve.Record(38, {1, 0, 9, 0, Rgb(0, 0, 255)}).Select(1);
    curve.Raw(85, Points16({{10, 50}, {30, 50}, {60, 50}, {80, 50}}));
    ExpectPicture(curve, {{50, 50, kBlue}, {50, 46, kBlue}, {50, 40, kWhite}, {95, 50, kWhite}});

    // Bezier and rectangle figures in one path, filled with winding.
    EmfBuilder mixed = RedBrush();
    mixed.Record(19, {2}).Record(59, {}).Record(27, {0, 0});
    mixed.Raw(88, Points16({{0, 0}, {40, 0}, {40, 0}, {40, 40}, {40, 40}, {0, 40}}));
    mixed.Record(61, {}).Rectangle(60, 60, 90, 90).Record(60, {}).Record(62, {0, 0, 0, 0});
    ExpectPicture(mixed, {{20, 20, kRed}, {75, 75, kRed}, {50, 50, kWhite}});

    // A path as the clip region; aborted paths draw nothing.
    EmfBuilder clip = RedBrush();
    clip.Record(59, {}).Rectangle(0, 0, 50, 100).Record(60, {}).Record(67, {5});
    clip.Record(59, {}).Rectangle(0, 0, 10, 10).Record(68, {}).Record(62, {0, 0, 0, 0});
    clip.Rectangle(0, 0, 100, 100);
    ExpectPicture(clip, {{25, 50, kRed}, {75, 50, kWhite}});
}

TEST(MetafileEmfTest, StateObjectsAndClipping)
{
    EmfBuilder records = RedBrush();
    records.Brush(2, Rgb(0, 0, 255));
    records.Record(33, {}).Select(2).Record(10, {-80, 0}).Rectangle(0, 0, 10, 10).Record(34, {-1});
    records.Rectangle(0, 0, 10, 10);
    // Deleting the selected brush keeps it in use; the slot can be filled again.
    records.Record(40, {1}).Rectangle(20, 0, 30, 10).Select(1).Rectangle(30, 0, 40, 10);
    records.Brush(1, Rgb(0, 255, 0)).Select(1).Rectangle(40, 0, 50, 10);
    // Objects beyond the table are ignored.
    records.Brush(9, Rgb(0, 0, 0)).Select(9).Rectangle(50, 0, 60, 10);
    // Clip to the left half, then take a hole out of it; a region of one rectangle replaces both.
    records.Record(30, {0, 20, 50, 100}).Record(29, {10, 30, 20, 40}).Rectangle(0, 20, 100, 50);
    ByteWriter region;
    region.LE32(48).LE32(5).LE32(32).LE32(1).LE32(1).LE32(16).LE32(0).LE32(0).LE32(0).LE32(0);
    region.LE32(70).LE32(60).LE32(90).LE32(80);
    records.Raw(75, region.Bytes()).Rectangle(0, 55, 100, 100);
    records.Record(75, {0, 5}).Select(2).Rectangle(0, 90, 5, 95);
    ExpectPicture(records, {{85, 5, kBlue},
                            {5, 5, kRed},
                            {25, 5, kRed},
                            {35, 5, kRed},
                            {45, 5, kGreen},
                            {55, 5, kGreen},
                            {5, 25, kGreen},
                            {15, 35, kWhite},
                            {60, 25, kWhite},
                            {80, 70, kGreen},
                            {50, 70, kWhite},
                            {2, 92, kBlue}});
}

TEST(MetafileEmfTest, EmbeddedBitmaps)
{
    const std::vector<uint8_t> dib = MakeDib24(2, {kRed, kGreen, kBlue, 0x808080});
    const std::vector<uint8_t> info(dib.begin(), dib.begin() + 40), bits(dib.begin() + 40, dib.end());
    // STRETCHDIBITS of the whole bitmap to (10, 10) 40 x 40.
    ByteWriter stretch;
    stretch.LE32(0).LE32(0).LE32(0).LE32(0).LE32(10).LE32(10).LE32(0).LE32(0).LE32(2).LE32(2);
    stretch.LE32(80).LE32(40).LE32(120).LE32(uint32_t(bits.size())).LE32(0).LE32(0x00CC0020).LE32(40).LE32(40);
    stretch.Append(info).Append(bits);
    // BITBLT of the top-left pixel to (60, 60), then a pattern blit with the brush.
    ByteWriter blt;
    blt.LE32(0).LE32(0).LE32(0).LE32(0).LE32(60).LE32(60).LE32(1).LE32(1).LE32(0x00CC0020).LE32(0).LE32(0);
    blt.LE32(0x3F800000).LE32(0).LE32(0).LE32(0x3F800000).LE32(0).LE32(0);
    blt.LE32(0).LE32(0).LE32(100).LE32(40).LE32(140).LE32(uint32_t(bits.size())).Append(info).Append(bits);
    ByteWriter pattern;
    pattern.LE32(0).LE32(0).LE32(0).LE32(0).LE32(70).LE32(70).LE32(10).LE32(10).LE32(0x00F00021);
    pattern.Repeat(0, 60);
    EmfBuilder records = RedBrush();
    records.Raw(81, stretch.Bytes()).Raw(76, blt.Bytes()).Raw(76, pattern.Bytes());
    ExpectPicture(records, {{15, 15, kRed},
                            {45, 15, kGreen},
                            {15, 45, kBlue},
                            {45, 45, 0x808080},
                            {5, 5, kWhite},
                            {60, 60, kRed},
                            {61, 61, kWhite},
                            {75, 75, kRed}});
}

TEST(MetafileEmfTest, TextOutput)
{
    // EXTTEXTOUTW "WW" at (10, 10), opaque box (5, 5)-(95, 60) in yellow.
    ByteWriter text;
    text.LE32(0).LE32(0).LE32(0).LE32(0).LE32(1).LE32(0).LE32(0);
    text.LE32(10).LE32(10).LE32(2).LE32(76).LE32(2).LE32(5).LE32(5).LE32(95).LE32(60).LE32(0);
    text.LE16('W').LE16('W');
    ByteWriter font;
    font.LE32(1).LE32(uint32_t(-40)).LE32(0).LE32(0).LE32(0).LE32(700).LE32(0).Repeat(0, 64);
    EmfBuilder records;
    records.Raw(82, font.Bytes()).Select(1).Record(24, {Rgb(255, 0, 0)}).Record(25, {Rgb(255, 255, 0)});
    records.Raw(84, text.Bytes());
    Decoded d;
    Decode(records.Build(0, 0, 2500, 2500), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    int red = 0, yellow = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            red += At(d.Bitmap, x, y) == kRed;
            yellow += At(d.Bitmap, x, y) == 0xFFFF00;
        }
    EXPECT_GT(red, 150);
    EXPECT_GT(yellow, 2000);
    EXPECT_EQ(At(d.Bitmap, 6, 6), 0xFFFF00u);
    EXPECT_EQ(At(d.Bitmap, 2, 2), kWhite);
    EXPECT_EQ(At(d.Bitmap, 50, 80), kWhite);
}

TEST(MetafileEmfTest, GradientFill)
{
    ByteWriter g;
    g.LE32(0).LE32(0).LE32(0).LE32(0).LE32(2).LE32(1).LE32(0);
    g.LE32(0).LE32(0).LE16(0xFF00).LE16(0).LE16(0).LE16(0);
    g.LE32(100).LE32(100).LE16(0).LE16(0).LE16(0xFF00).LE16(0);
    g.LE32(0).LE32(1);
    EmfBuilder records;
    records.Raw(118, g.Bytes());
    Decoded d;
    Decode(records.Build(0, 0, 2500, 2500), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    EXPECT_GT((At(d.Bitmap, 2, 50) >> 16) & 0xFF, 240u);
    EXPECT_GT(At(d.Bitmap, 97, 50) & 0xFF, 240u);
    EXPECT_EQ((At(d.Bitmap, 2, 5) >> 8) & 0xFF, 0u);
}

TEST(MetafileEmfTest, NotAnEnhancedMetafile)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int Code;
        const char* Text;
    };
    std::vector<uint8_t> wrongSignature = EmfBuilder().Build(0, 0, 100, 100);
    wrongSignature[40] = 'X';
    std::vector<uint8_t> shortHeader = EmfBuilder().Build(0, 0, 100, 100);
    shortHeader[4] = 60;
    std::vector<uint8_t> headerPastEnd = EmfBuilder().Build(0, 0, 100, 100);
    headerPastEnd.resize(80);
    const Case cases[] = {
        {"empty", {}, 6, "Windows Metafile functions failed to load this image."},
        {"a WMF named .emf", WmfBuilder().BuildPlaceable(0, 0, 10, 10, 96), 6,
         "Windows Metafile functions failed to load this image."},
        {"wrong signature", wrongSignature, 6, "Windows Metafile functions failed to load this image."},
        {"header too short", shortHeader, 2, "No header information in metafile"},
        {"header cut", headerPastEnd, 2, "No header information in metafile"},
        {"huge frame", EmfBuilder().Build(0, 0, 2000000000, 2000000000), 10, "Cannot allocate memory bitmap."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Decoded d;
        Decode(c.File, d);
        EXPECT_EQ(d.Code, c.Code);
        EXPECT_EQ(d.Text, c.Text);
    }
}

TEST(MetafileEmfTest, HostileRecords)
{
    auto build = [](auto&& middle) {
        EmfBuilder records = RedBrush();
        records.Rectangle(0, 0, 10, 10);
        middle(records);
        records.Rectangle(20, 20, 30, 30);
        return records.Build(0, 0, 1000, 1000);
    };
    const uint32_t big = 0x7FFFFFF0;
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        bool SecondDrawn;
    };
    std::vector<uint8_t> cut = build([](EmfBuilder&) {});
    cut.resize(cut.size() - 30);
    const Case cases[] = {
        {"record size below 8", build([](EmfBuilder& r) { r.Lying(43, 4, {}); }), false},
        {"record past the end", build([](EmfBuilder& r) { r.Lying(43, 0xFFFFFFF0, {0, 0, 5, 5}); }), false},
        {"cut short", cut, false},
        {"polygon count", build([](EmfBuilder& r) { r.Record(3, {0, 0, 0, 0, big, 1, 1, 30, 30}); }), true},
        {"poly-polygon counts", build([](EmfBuilder& r) { r.Record(8, {0, 0, 0, 0, big, 2, 1, 1}); }), true},
        {"poly-polygon sums",
         build([](EmfBuilder& r) { r.Record(91, {0, 0, 0, 0, 2, 2, 0xFFFFFFFF, 3, 0, 0}); }), true},
        {"text offsets", build([](EmfBuilder& r) {
             r.Record(84, {0, 0, 0, 0, 1, 0, 0, 5, 5, big, big, 0, 0, 0, 0, 0, big});
         }),
         true},
        {"bitmap offsets", build([](EmfBuilder& r) {
             r.Record(81, {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, big, 40, big, 16, 0, 0x00CC0020, 40, 40});
         }),
         true},
        {"bitmap larger than its bits", build([](EmfBuilder& r) {
             r.Record(81, {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 80, 40, 120, 4, 0, 0x00CC0020, 40, 40, 40, 30000, 30000,
                           0x00180001, 0, 0, 0, 0, 0, 0, 0, 0});
         }),
         true},
        {"region counts",
         build([](EmfBuilder& r) { r.Record(75, {48, 5, 32, 1, big, 16, 0, 0, 0, 0, 0, 0, 100, 100}); }), true},
        {"region cut", build([](EmfBuilder& r) { r.Record(75, {48, 5, 32, 1, 1, 16, 0, 0, 0, 0}); }), true},
        {"gradient counts", build([](EmfBuilder& r) { r.Record(118, {0, 0, 0, 0, big, big, 2}); }), true},
        {"object index", build([](EmfBuilder& r) { r.Record(40, {big}).Select(big).Record(37, {0}); }), true},
        {"deep saves", build([](EmfBuilder& r) {
             for (int i = 0; i < 3000; ++i)
                 r.Record(33, {});
             r.Record(34, {1});
         }),
         true},
        {"unknown record", build([](EmfBuilder& r) { r.Record(250, {1, 2, 3}); }), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Decoded d;
        Decode(c.File, d);
        ASSERT_EQ(d.Code, 0) << d.Text;
        EXPECT_EQ(At(d.Bitmap, 5, 5), kRed);
        EXPECT_EQ(At(d.Bitmap, 25, 25), c.SecondDrawn ? kRed : kWhite);
    }
}

TEST(MetafileEmfTest, PaletteAndDepth)
{
    const std::vector<uint8_t> file =
        RedBrush().Rectangle(0, 0, 5, 10).Build(0, 0, 250, 250, 8, {Rgb(255, 0, 0), Rgb(200, 200, 255)});
    Decoded at0, at8, at32;
    Decode(file, at0, 0);
    Decode(file, at8, 8);
    Decode(file, at32, 32);
    ASSERT_EQ(at0.Code, 0) << at0.Text;
    ASSERT_EQ(at0.Bitmap.BitsPerPixel, 8);
    EXPECT_FALSE(at0.Bitmap.HasAlpha);
    EXPECT_EQ(at0.Bitmap.SourceBitsPerPixel, 32);
    EXPECT_EQ(at0.Bitmap.Palette[0].Red, 255);
    EXPECT_EQ(at0.Bitmap.Palette[1].Green, 200);
    EXPECT_EQ(at0.Bitmap.Palette[1].Blue, 255);
    EXPECT_EQ(at0.Bitmap.Lines[5][2], 0);
    EXPECT_EQ(at0.Bitmap.Lines[5][8], 1);
    EXPECT_EQ(at8.Bitmap.BitsPerPixel, 8);
    EXPECT_EQ(at32.Bitmap.BitsPerPixel, 32);
    EXPECT_TRUE(at32.Bitmap.HasAlpha);

    // Without a palette an 8-bit request still gets true colour.
    Decoded plain;
    Decode(RedBrush().Build(0, 0, 250, 250), plain, 8);
    EXPECT_EQ(plain.Bitmap.BitsPerPixel, 32);
}

TEST(MetafileEmfTest, LargePicturesRenderInTiles)
{
    // 9000 x 1000 pixels is drawn in four tiles; a rectangle across their
    // corners must be whole.
    Decoded d;
    Decode(RedBrush().Rectangle(8000, 900, 8400, 960).Build(0, 0, 225000, 25000), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ASSERT_EQ(d.Bitmap.Width, 9000);
    ASSERT_EQ(d.Bitmap.Height, 1000);
    for (const Probe& p : {Probe{8000, 900, kRed}, Probe{8191, 931, kRed}, Probe{8192, 932, kRed},
                           Probe{8399, 959, kRed}, Probe{8400, 960, kWhite}, Probe{7999, 899, kWhite}})
        EXPECT_EQ(At(d.Bitmap, p.X, p.Y), p.Colour) << p.X << "," << p.Y;
}

// Damaged copies of rich files must decode or fail cleanly.
TEST(MetafileEmfTest, MutatedFilesNeverCrash)
{
    EmfBuilder emf = RedBrush();
    emf.Raw(85, Points16({{0, 0}, {10, 40}, {40, 10}, {50, 50}})).Record(59, {}).Ellipse(0, 0, 50, 50);
    emf.Record(60, {}).Record(62, {0, 0, 0, 0}).Record(47, {0, 0, 60, 60, 60, 30, 30, 0});
    const std::vector<uint8_t> dib = MakeDib24(2, {kRed, kGreen, kBlue, kWhite});
    WmfBuilder wmf;
    wmf.Brush(Rgb(0, 0, 255)).Select(0).Polygon({{0, 0}, {30, 5}, {10, 40}}).Record(0x0817, {0, 0, 0, 50, 50, 50, 0, 0});
    wmf.Raw(0x0F43, [&] {
        ByteWriter w;
        w.LE32(0x00CC0020).LE16(0).LE16(2).LE16(2).LE16(0).LE16(0).LE16(20).LE16(20).LE16(5).LE16(5).Append(dib);
        return w.Bytes();
    }());
    const std::pair<std::vector<uint8_t>, const char*> originals[] = {
        {emf.Build(0, 0, 1500, 1500), "m.emf"}, {wmf.BuildPlaceable(0, 0, 60, 60, 96), "m.wmf"}};
    // Keep mutated picture sizes small, as the fuzz target does.
    const char* previous = std::getenv("OCULANE_MAX_IMAGE_BYTES");
    const std::string saved = previous ? previous : "";
    setenv("OCULANE_MAX_IMAGE_BYTES", "4000000", 1);
    std::mt19937 random(1234);
    for (const auto& [original, name] : originals) {
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> file = original;
            const int changes = 1 + int(random() % 4);
            for (int i = 0; i < changes; ++i)
                file[random() % file.size()] = uint8_t(random());
            if (round % 10 == 0)
                file.resize(random() % file.size());
            Decoded d;
            Decode(file, d, 0, name);
            if (d.Code == 0) {
                EXPECT_GT(d.Bitmap.Width, 0);
            } else {
                EXPECT_FALSE(d.Text.empty());
            }
        }
    }
    if (previous)
        setenv("OCULANE_MAX_IMAGE_BYTES", saved.c_str(), 1);
    else
        unsetenv("OCULANE_MAX_IMAGE_BYTES");
}

} // namespace
