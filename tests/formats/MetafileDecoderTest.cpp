#include "formats/MetafileDecoder.h"
#include "image/WinBmp.h"

#include "formats/MetafileBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace metafiletest;


void Decode(const std::vector<uint8_t>& file, Decoded& out, const char* name = "pic.wmf", int depth = 32)
{
    DecodeMetafile(file, out, name, depth);
}

// Colour of a pixel as 0xRRGGBB; the alpha byte is checked to be 255.
uint32_t At(const CBmp& bmp, int x, int y)
{
    const uint32_t word = bmp.Row32(y)[x];
    EXPECT_EQ(word >> 24, 0xFFu) << "at " << x << "," << y;
    return word & 0xFFFFFF;
}

void ExpectPixels(const CBmp& bmp, std::initializer_list<Probe> probes)
{
    for (const Probe& p : probes)
        EXPECT_EQ(At(bmp, p.X, p.Y), p.Colour) << "at " << p.X << "," << p.Y;
}

// A 100 x 100 picture whose logical units are raster pixels.
std::vector<uint8_t> Picture100(const WmfBuilder& records)
{
    return records.BuildPlaceable(0, 0, 100, 100, 96);
}

TEST(MetafileDecoderTest, PlaceableBoxSetsTheSizeAt96Dpi)
{
    struct Case {
        int Left, Top, Right, Bottom, Inch;
        int Width, Height;
    };
    const Case cases[] = {
        {0, 0, 1440, 720, 1440, 96, 48},
        {-720, 100, 720, 820, 1440, 96, 48},
        {0, 0, 1000, 500, 1000, 96, 48},
        {0, 0, 2540, 254, 2540, 96, 9},
        // No size at all falls back to 320 x 200.
        {0, 0, 0, 0, 1440, 320, 200},
        {100, 0, 0, 10, 96, 320, 10},
        // A box without units is taken in twips rather than divided by zero.
        {0, 0, 1440, 1440, 0, 96, 96},
    };
    for (const Case& c : cases) {
        Decoded d;
        Decode(WmfBuilder().BuildPlaceable(c.Left, c.Top, c.Right, c.Bottom, c.Inch), d, "PIC.WMF");
        ASSERT_EQ(d.Code, 0) << d.Text;
        EXPECT_EQ(d.Bitmap.Width, c.Width);
        EXPECT_EQ(d.Bitmap.Height, c.Height);
        EXPECT_EQ(d.Bitmap.BitsPerPixel, 32);
        EXPECT_EQ(d.Bitmap.SourceBitsPerPixel, 32);
        EXPECT_TRUE(d.Bitmap.HasAlpha);
        ExpectPixels(d.Bitmap, {{0, 0, kWhite}, {c.Width - 1, c.Height - 1, kWhite}});
    }
}

TEST(MetafileDecoderTest, FilledShapesLandOnTheirPixels)
{
    WmfBuilder red, ellipse, polygon, mixed;
    red.Brush(Rgb(255, 0, 0)).Select(0).NullPen().Select(1).Rectangle(10, 10, 50, 50);
    ellipse.Brush(Rgb(0, 0, 255)).Select(0).NullPen().Select(1).Ellipse(20, 20, 80, 60);
    polygon.Brush(Rgb(0, 255, 0)).Select(0).NullPen().Select(1).Polygon({{10, 10}, {90, 10}, {50, 90}});
    // The default pen is black and one pixel wide; the default brush white.
    mixed.Rectangle(20, 20, 80, 80);
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        std::vector<Probe> Probes;
    };
    const Case cases[] = {
        {"red rectangle",
         Picture100(red),
         {{30, 30, kRed}, {10, 10, kRed}, {49, 49, kRed}, {50, 50, kWhite}, {9, 30, kWhite}, {60, 60, kWhite}}},
        {"blue ellipse",
         Picture100(ellipse),
         {{50, 40, kBlue}, {22, 40, kBlue}, {50, 22, kBlue}, {21, 21, kWhite}, {79, 59, kWhite}, {50, 70, kWhite}}},
        {"green triangle", Picture100(polygon), {{50, 30, kGreen}, {50, 80, kGreen}, {15, 80, kWhite}, {85, 80, kWhite}}},
        {"outlined rectangle", Picture100(mixed), {{20, 50, 0}, {50, 20, 0}, {50, 50, kWhite}, {10, 10, kWhite}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Decoded d;
        Decode(c.File, d);
        ASSERT_EQ(d.Code, 0) << d.Text;
        ASSERT_EQ(d.Bitmap.Width, 100);
        for (const Probe& p : c.Probes)
            EXPECT_EQ(At(d.Bitmap, p.X, p.Y), p.Colour) << "at " << p.X << "," << p.Y;
    }
}

TEST(MetafileDecoderTest, WindowExtentScalesTheDrawing)
{
    // 1000 logical units across a 96-pixel picture: the rectangle covers half.
    WmfBuilder records;
    records.WindowOrg(0, 0).WindowExt(1000, 1000).Brush(Rgb(255, 0, 0)).Select(0).NullPen().Select(1);
    records.Rectangle(0, 0, 500, 500);
    Decoded d;
    Decode(records.BuildPlaceable(0, 0, 1000, 1000, 1000), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ASSERT_EQ(d.Bitmap.Width, 96);
    ExpectPixels(d.Bitmap, {{0, 0, kRed}, {47, 47, kRed}, {49, 49, kWhite}, {20, 60, kWhite}});

    // A window moved and mirrored: y grows upwards from the bottom edge.
    WmfBuilder flipped;
    flipped.WindowOrg(0, 100).WindowExt(100, -100).Brush(Rgb(0, 0, 255)).Select(0).NullPen().Select(1);
    flipped.Rectangle(0, 0, 50, 20);
    Decoded f;
    Decode(Picture100(flipped), f);
    ASSERT_EQ(f.Code, 0) << f.Text;
    ExpectPixels(f.Bitmap, {{10, 90, kBlue}, {10, 79, kWhite}, {10, 10, kWhite}});
}

TEST(MetafileDecoderTest, MappingModes)
{
    // MM_TEXT ignores the extents: logical units are pixels from the window origin.
    WmfBuilder text;
    text.MapMode(1).WindowOrg(10, 10).WindowExt(5000, 5000).Brush(Rgb(255, 0, 0)).Select(0).NullPen().Select(1);
    text.Rectangle(10, 10, 30, 30);
    Decoded t;
    Decode(Picture100(text), t);
    ASSERT_EQ(t.Code, 0) << t.Text;
    ExpectPixels(t.Bitmap, {{0, 0, kRed}, {19, 19, kRed}, {21, 21, kWhite}});

    // MM_LOMETRIC: 0.1 mm units, y up; 254 units are one inch = 96 pixels.
    WmfBuilder metric;
    metric.MapMode(2).Brush(Rgb(0, 255, 0)).Select(0).NullPen().Select(1).Rectangle(0, 0, 254, -127);
    Decoded m;
    Decode(Picture100(metric), m);
    ASSERT_EQ(m.Code, 0) << m.Text;
    ExpectPixels(m.Bitmap, {{1, 1, kGreen}, {94, 46, kGreen}, {98, 10, kWhite}, {10, 50, kWhite}});

    // MM_ISOTROPIC keeps the aspect: the smaller scale wins.
    WmfBuilder iso;
    iso.MapMode(7).WindowExt(100, 50).Record(0x020E, {100, 100}).Brush(Rgb(0, 0, 255)).Select(0).NullPen().Select(1);
    iso.Rectangle(0, 0, 100, 50);
    Decoded i;
    Decode(Picture100(iso), i);
    ASSERT_EQ(i.Code, 0) << i.Text;
    ExpectPixels(i.Bitmap, {{98, 48, kBlue}, {50, 60, kWhite}});
}

TEST(MetafileDecoderTest, WithoutPlaceableHeader)
{
    // The first window extent gives the size.
    WmfBuilder sized;
    sized.WindowOrg(-50, 0).WindowExt(200, 100).Brush(Rgb(255, 0, 0)).Select(0).NullPen().Select(1);
    sized.Rectangle(-50, 0, 0, 50);
    Decoded s;
    Decode(sized.Build(), s);
    ASSERT_EQ(s.Code, 0) << s.Text;
    EXPECT_EQ(s.Bitmap.Width, 200);
    EXPECT_EQ(s.Bitmap.Height, 100);
    ExpectPixels(s.Bitmap, {{10, 10, kRed}, {49, 49, kRed}, {51, 10, kWhite}});

    // Without any extent the picture is the area its drawing covers.
    WmfBuilder bare;
    bare.Brush(Rgb(0, 0, 255)).Select(0).NullPen().Select(1).Rectangle(100, 50, 150, 80);
    Decoded b;
    Decode(bare.Build(), b);
    ASSERT_EQ(b.Code, 0) << b.Text;
    EXPECT_EQ(b.Bitmap.Width, 50);
    EXPECT_EQ(b.Bitmap.Height, 30);
    ExpectPixels(b.Bitmap, {{0, 0, kBlue}, {49, 29, kBlue}});

    // Nothing drawn and no extent: the fallback size.
    Decoded e;
    Decode(WmfBuilder().Build(), e);
    ASSERT_EQ(e.Code, 0) << e.Text;
    EXPECT_EQ(e.Bitmap.Width, 320);
    EXPECT_EQ(e.Bitmap.Height, 200);
}

TEST(MetafileDecoderTest, SaveAndRestoreState)
{
    WmfBuilder records;
    records.Brush(Rgb(0, 0, 255)).Brush(Rgb(255, 0, 0)).NullPen().Select(2).Select(0);
    records.Save().Select(1).WindowOrg(-50, 0).Rectangle(0, 0, 10, 10).Restore(-1);
    // Blue brush and the old origin are back.
    records.Rectangle(0, 0, 10, 10);
    // Nested states: restoring to state 1 undoes both.
    records.Save().Select(1).Save().WindowOrg(0, -50).Restore(1).Rectangle(20, 20, 30, 30);
    // A restore with nothing saved changes nothing.
    records.Restore(-5).Rectangle(40, 40, 45, 45);
    Decoded d;
    Decode(Picture100(records), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ExpectPixels(d.Bitmap, {{55, 5, kRed}, {5, 5, kBlue}, {25, 25, kBlue}, {25, 75, kWhite}, {42, 42, kBlue}});
}

TEST(MetafileDecoderTest, DeletedObjectsFreeTheirSlot)
{
    WmfBuilder records;
    records.NullPen().Select(0);                          // slot 0: pen
    records.Brush(Rgb(255, 0, 0)).Brush(Rgb(0, 0, 255));  // slots 1 and 2
    records.Select(1).Delete(1);
    // The deleted brush stays selected until something else is.
    records.Rectangle(0, 0, 10, 10);
    // Selecting the empty slot does nothing.
    records.Select(1).Rectangle(10, 0, 20, 10);
    // The next object takes the lowest free slot.
    records.Brush(Rgb(0, 255, 0)).Select(2).Select(1).Rectangle(20, 0, 30, 10);
    records.Select(2).Rectangle(30, 0, 40, 10);
    Decoded d;
    Decode(records.BuildPlaceable(0, 0, 40, 10, 96, 3), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ExpectPixels(d.Bitmap, {{5, 5, kRed}, {15, 5, kRed}, {25, 5, kGreen}, {35, 5, kBlue}});
}

TEST(MetafileDecoderTest, EmbeddedBitmaps)
{
    const std::vector<uint8_t> dib = MakeDib24(2, {kRed, kGreen, kBlue, kWhite & 0x808080});
    // StretchDIBits: rop, usage, source h, w, y, x, destination h, w, y, x, DIB.
    ByteWriter stretch;
    stretch.LE32(0x00CC0020).LE16(0).LE16(2).LE16(2).LE16(0).LE16(0).LE16(40).LE16(40).LE16(10).LE16(10);
    stretch.Append(dib);
    // DIB BitBlt of the right column to (60, 60), scaled by the picture's mapping.
    ByteWriter blt;
    blt.LE32(0x00CC0020).LE16(0).LE16(1).LE16(2).LE16(1).LE16(60).LE16(60).Append(dib);
    // DIB StretchBlt of the top-left pixel only.
    ByteWriter stretchBlt;
    stretchBlt.LE32(0x00CC0020).LE16(1).LE16(1).LE16(0).LE16(0).LE16(10).LE16(10).LE16(80).LE16(0).Append(dib);
    WmfBuilder records;
    records.Raw(0x0F43, stretch.Bytes()).Raw(0x0940, blt.Bytes()).Raw(0x0B41, stretchBlt.Bytes());
    Decoded d;
    Decode(Picture100(records), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ExpectPixels(d.Bitmap, {{15, 15, kRed},
                            {45, 15, kGreen},
                            {15, 45, kBlue},
                            {45, 45, 0x808080},
                            {5, 5, kWhite},
                            {60, 60, kGreen},
                            {60, 61, 0x808080},
                            {61, 60, kWhite},
                            {5, 85, kRed}});
}

TEST(MetafileDecoderTest, ClippingRectangles)
{
    WmfBuilder records;
    records.Brush(Rgb(255, 0, 0)).Select(0).NullPen().Select(1);
    records.Save().Record(0x0416, {100, 50, 0, 0}).Rectangle(0, 0, 100, 50).Restore(-1);
    records.Record(0x0415, {90, 60, 60, 40}).Rectangle(0, 50, 100, 100);
    Decoded d;
    Decode(Picture100(records), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ExpectPixels(d.Bitmap,
                 {{10, 10, kRed}, {60, 10, kWhite}, {10, 70, kRed}, {50, 70, kWhite}, {70, 70, kRed}, {50, 95, kRed}});
}

TEST(MetafileDecoderTest, RegionsAndHatchedBrushes)
{
    WmfBuilder records;
    // A region of one scan, (10, 10)-(50, 50), selected as the clip.
    records.Record(0x06FF, {0, 6, 0, 0, 38, 1, 1, 10, 10, 50, 50, 2, 10, 50, 10, 50, 2});
    records.Record(0x012C, {0}).Brush(Rgb(255, 0, 0)).Select(1).Record(0x061D, {0x0021, 0x00F0, 100, 100, 0, 0});
    records.Record(0x0127, {-1}).Save().Restore(-1);
    // Cross hatches on a transparent, then an opaque green background; the
    // region stays the clip, so a second region replaces it.
    records.Record(0x06FF, {0, 6, 0, 0, 38, 1, 1, 0, 50, 100, 100, 2, 50, 100, 0, 100, 2});
    records.Record(0x012C, {2}).NullPen().Select(3).Brush(Rgb(0, 0, 255), 2, 4).Select(4);
    records.Record(0x0102, {1}).Rectangle(0, 60, 40, 100);
    records.Record(0x0201, {WmfBuilder::Lo(Rgb(0, 255, 0)), WmfBuilder::Hi(Rgb(0, 255, 0))});
    records.Record(0x0102, {2}).Rectangle(50, 60, 90, 100);
    Decoded d;
    Decode(Picture100(records), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    ExpectPixels(d.Bitmap, {{30, 30, kRed},
                            {60, 30, kWhite},
                            {5, 5, kWhite},
                            {7, 65, kBlue},
                            {3, 71, kBlue},
                            {3, 65, kWhite},
                            {55, 71, kBlue},
                            {52, 65, kGreen},
                            {95, 65, kWhite}});
}

TEST(MetafileDecoderTest, TextIsDrawnInTheTextColour)
{
    // 40-pixel characters at (10, 10), top-aligned, on an opaque yellow background.
    WmfBuilder records;
    records.Record(0x02FB, {-40, 0, 0, 0, 400, 0, 0, 0, 0}).Select(0);
    records.Record(0x0209, {WmfBuilder::Lo(Rgb(0, 0, 255)), WmfBuilder::Hi(Rgb(0, 0, 255))});
    records.Record(0x0201, {WmfBuilder::Lo(Rgb(255, 255, 0)), WmfBuilder::Hi(Rgb(255, 255, 0))});
    records.Raw(0x0521, {4, 0, 'H', 'H', 'H', 'H', 10, 0, 10, 0});
    Decoded d;
    Decode(records.BuildPlaceable(0, 0, 200, 100, 96), d);
    ASSERT_EQ(d.Code, 0) << d.Text;
    int blue = 0, yellow = 0, other = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const uint32_t c = At(d.Bitmap, x, y);
            if (c == kBlue)
                ++blue;
            else if (c == 0xFFFF00)
                ++yellow;
            else if (c != kWhite && (x < 10 || y < 10 || y > 60))
                ++other;
        }
    EXPECT_GT(blue, 200);
    EXPECT_GT(yellow, 1000);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(At(d.Bitmap, 5, 5), kWhite);
    EXPECT_EQ(At(d.Bitmap, 190, 90), kWhite);
}

TEST(MetafileDecoderTest, NotAMetafile)
{
    std::vector<uint8_t> empty;
    std::vector<uint8_t> garbage = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    std::vector<uint8_t> placeableOnly = WmfBuilder().BuildPlaceable(0, 0, 10, 10, 96);
    placeableOnly.resize(30);
    std::vector<uint8_t> badHeader = WmfBuilder().Build();
    badHeader[2] = 10; // header size in words must be 9
    for (const std::vector<uint8_t>* file : {&empty, &garbage, &placeableOnly, &badHeader}) {
        Decoded d;
        Decode(*file, d, "x.WmF");
        EXPECT_EQ(d.Code, 6);
        EXPECT_EQ(d.Text, "Windows Metafile functions failed to load this image.");
    }
}

TEST(MetafileDecoderTest, DamagedRecordsEndThePicture)
{
    auto build = [](auto&& tail) {
        WmfBuilder records;
        records.Brush(Rgb(255, 0, 0)).Select(0).NullPen().Select(1).Rectangle(0, 0, 10, 10);
        tail(records);
        records.Rectangle(20, 20, 30, 30);
        return records.BuildPlaceable(0, 0, 40, 40, 96);
    };
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        bool SecondDrawn;
    };
    std::vector<uint8_t> cut = build([](WmfBuilder&) {});
    cut.resize(cut.size() - 10); // inside the second rectangle
    const Case cases[] = {
        {"intact", build([](WmfBuilder&) {}), true},
        {"cut short", cut, false},
        {"size zero", build([](WmfBuilder& r) { r.Lying(0, 0x041B, {}); }), false},
        {"size past the end", build([](WmfBuilder& r) { r.Lying(0xFFFFFFFF, 0x041B, {1, 2, 3, 4}); }), false},
        // Records that claim more points than they hold are skipped.
        {"polygon count too large", build([](WmfBuilder& r) { r.Record(0x0324, {30000, 0, 0, 40, 0, 40, 40}); }), true},
        {"poly-polygon counts too large",
         build([](WmfBuilder& r) { r.Record(0x0538, {2, 0xFFFF, 0xFFFF, 0, 0, 40, 40}); }), true},
        {"text longer than its record", build([](WmfBuilder& r) { r.Record(0x0521, {5000, 0x4141}); }), true},
        {"bitmap header cut", build([](WmfBuilder& r) { r.Record(0x0F43, {0x20, 0xCC, 0, 1, 1, 0, 0, 9, 9, 0, 0, 40}); }),
         true},
        {"unknown record", build([](WmfBuilder& r) { r.Record(0x7777, {1, 2, 3}); }), true},
        {"object index out of range", build([](WmfBuilder& r) { r.Select(60000).Delete(60000); }), true},
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

TEST(MetafileDecoderTest, HugePicturesFailBeforeAllocating)
{
    Decoded d;
    Decode(WmfBuilder().BuildPlaceable(-32768, -32768, 32767, 32767, 1), d);
    EXPECT_EQ(d.Code, 10);
    EXPECT_EQ(d.Text, "Cannot allocate memory bitmap.");
}

TEST(MetafileDecoderTest, PaletteFromTheFirstPaletteRecord)
{
    WmfBuilder records;
    records.Raw(0x00F7, {0x00, 0x03, 2, 0, 255, 0, 0, 0, 200, 200, 255, 0}).Brush(Rgb(250, 5, 5)).Select(1);
    records.NullPen().Select(2).Rectangle(0, 0, 5, 10);
    const std::vector<uint8_t> file = records.BuildPlaceable(0, 0, 10, 10, 96);
    Decoded asked0;
    Decode(file, asked0, "pal.wmf", 0);
    ASSERT_EQ(asked0.Code, 0) << asked0.Text;
    ASSERT_EQ(asked0.Bitmap.BitsPerPixel, 8);
    EXPECT_FALSE(asked0.Bitmap.HasAlpha);
    EXPECT_EQ(asked0.Bitmap.Palette[0].Red, 255);
    EXPECT_EQ(asked0.Bitmap.Palette[1].Red, 200);
    EXPECT_EQ(asked0.Bitmap.Palette[1].Blue, 255);
    EXPECT_EQ(asked0.Bitmap.Palette[2].Red, 0);
    EXPECT_EQ(asked0.Bitmap.Lines[2][2], 0); // the red rectangle
    EXPECT_EQ(asked0.Bitmap.Lines[2][8], 1); // white is nearest the light blue

    Decoded asked32;
    Decode(file, asked32, "pal.wmf", 32);
    ASSERT_EQ(asked32.Code, 0);
    EXPECT_EQ(asked32.Bitmap.BitsPerPixel, 32);
    EXPECT_EQ(At(asked32.Bitmap, 2, 2), 0xFA0505u);

    Decoded plain;
    Decode(WmfBuilder().BuildPlaceable(0, 0, 10, 10, 96), plain, "plain.wmf", 0);
    EXPECT_EQ(plain.Bitmap.BitsPerPixel, 32);
    EXPECT_TRUE(plain.Bitmap.HasAlpha);
}

} // namespace
