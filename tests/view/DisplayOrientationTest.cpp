#include "view/DisplayOrientation.h"
#include "view/ImageLoader.h"

#include "support/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string Fixture(int orientation, const char* extension)
{
    return TestDataPath("orientation", "orient-" + std::to_string(orientation) + extension);
}

// Largest difference of a colour channel; JPEG decoders may round apart.
int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

} // namespace

TEST(DisplayOrientation, LoadedImagesStandAsImageMagickShowsThem)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const auto shown = CImageLoader::Decode(Fixture(orientation, ".jpg"));
        const auto expected = CImageLoader::Decode(Fixture(orientation, ".ppm"));
        ASSERT_TRUE(shown->Image) << orientation << ": " << shown->Error;
        ASSERT_TRUE(expected->Image) << orientation << ": " << expected->Error;
        ASSERT_EQ(shown->Image->Width, expected->Image->Width) << orientation;
        ASSERT_EQ(shown->Image->Height, expected->Image->Height) << orientation;
        const PixelRows a = Rows32(*shown->Image), b = Rows32(*expected->Image);
        int worst = 0;
        for (size_t y = 0; y < a.size(); ++y)
            for (size_t x = 0; x < a[y].size(); ++x)
                worst = std::max(worst, ChannelDistance(a[y][x], b[y][x]));
        // A wrong turn puts another block's colour there: a difference of 150 or more.
        EXPECT_LE(worst, 8) << "orientation " << orientation;
    }
}

TEST(DisplayOrientation, TurnsABitmapInPlaceAndLeavesTheFileAlone)
{
    const std::string path = Fixture(6, ".jpg");
    const std::vector<uint8_t> before = ReadWholeFile(path);
    DecodeResult decoded = DecodePath(path);
    ASSERT_TRUE(decoded.Ok()) << decoded.Text;
    ASSERT_EQ(decoded.Bitmap.Width, 24);
    EXPECT_EQ(OrientForDisplay(path, decoded.Bitmap), 6);
    EXPECT_EQ(decoded.Bitmap.Width, 16);
    EXPECT_EQ(decoded.Bitmap.Height, 24);
    EXPECT_EQ(ReadWholeFile(path), before);
}

TEST(DisplayOrientation, FilesWithoutOrientationStay)
{
    // Not a JPEG, and a file that is not there: nothing is turned.
    DecodeResult decoded = DecodePath(Fixture(6, ".ppm"));
    ASSERT_TRUE(decoded.Ok());
    EXPECT_EQ(OrientForDisplay(Fixture(6, ".ppm"), decoded.Bitmap), 1);
    EXPECT_EQ(decoded.Bitmap.Width, 16);
    EXPECT_EQ(OrientForDisplay("/nonexistent/x.jpg", decoded.Bitmap), 1);
    EXPECT_EQ(decoded.Bitmap.Width, 16);
}
