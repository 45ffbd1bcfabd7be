#include "browser/NumberFormat.h"
#include "browser/StatusTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(BrowserStatusTest, NumberFormat)
{
    struct Case {
        double Value;
        int Decimals;
        const char* Text;
    };
    const Case cases[] = {
        {12.0, 3, "12"},     {12.5, 3, "12.500"}, {0.5, 3, "0.500"},   {0.05, 3, "0.050"},
        {0.0, 3, "0"},       {1.234, 3, "1.234"}, {0.9996, 3, "1"},    {0.0004, 3, "0"},
        {1.5, 2, "1.50"},    {1.001, 2, "1"},     {1e12, 3, "1000000000000"}, {7.0, 0, "7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(c.Value, c.Decimals), c.Text) << c.Value << " with " << c.Decimals;
}

TEST(BrowserStatusTest, LoadTimes)
{
    EXPECT_EQ(LoadedInText(1234), "  Loaded in 1.234 s");
    EXPECT_EQ(LoadedInText(1500), "  Loaded in 1.500 s");
    EXPECT_EQ(LoadedInText(2000), "  Loaded in 2 s");
    EXPECT_EQ(LoadedInText(500), "  Loaded in 0.500 s");
    EXPECT_EQ(LoadedInText(0), "  Loaded in 0 s");
}

TEST(BrowserStatusTest, FileSizes)
{
    EXPECT_EQ(FileSizeText(2048, kSizeKB), "2 KB");
    EXPECT_EQ(FileSizeText(1536, kSizeKB), "1.500 KB");
    EXPECT_EQ(FileSizeText(1536, kSizeBytes), "1536 bytes");
    EXPECT_EQ(FileSizeText(1572864, kSizeMB), "1.500 MB");
    EXPECT_EQ(FileSizeText(6000000000ull, kSizeBytes), "6000000000 bytes");
}

TEST(BrowserStatusTest, SelectionSummary)
{
    EXPECT_STREQ(kInitialSelectionText, "0 of 0 (0 KB)");
    EXPECT_EQ(SelectionSummaryText(1, 4, 1536, kSizeKB), " 1 of 4 (1 KB)");
    EXPECT_EQ(SelectionSummaryText(1, 4, 1536, kSizeBytes), " 1 of 4 (1536 bytes)");
    EXPECT_EQ(SelectionSummaryText(2, 2, 3 * 1048576 + 1048575, kSizeMB), " 2 of 2 (3 MB)");
    EXPECT_EQ(SelectionSummaryText(0, 7, 0, kSizeKB), " 0 of 7 (0 KB)");
    EXPECT_EQ(SelectionSummaryText(3, 3, 5ull << 30, kSizeBytes), " 3 of 3 (5368709120 bytes)");
    EXPECT_EQ(SelectionSummaryText(3, 3, 5ull << 40, kSizeMB), " 3 of 3 (5242880 MB)");
}

TEST(BrowserStatusTest, FreeSpace)
{
    EXPECT_STREQ(kInitialFreeSpaceText, "Free Disk Space:");
    EXPECT_EQ(FreeSpaceText(5 * 1048576 + 100, kSizeMB), " Free Disk Space: 5 MB");
    EXPECT_EQ(FreeSpaceText(3000, kSizeKB), " Free Disk Space: 2 KB");
    EXPECT_EQ(FreeSpaceText(10ull << 40, kSizeBytes), " Free Disk Space: 10995116277760 bytes");
}

TEST(BrowserStatusTest, ViewerTexts)
{
    EXPECT_EQ(ViewerPositionText(-1, 0), " 0/0");
    EXPECT_EQ(ViewerPositionText(3, 10), " 4/10");
    EXPECT_EQ(ViewerImageText(640, 480, 24), "640x480x24bpp");
}

TEST(BrowserStatusTest, ImageDimensionsInEachUnit)
{
    EXPECT_EQ(ImageDimensionsText(640, 480, 24, kLengthPixels), "640x480, 24 bpp");
    EXPECT_EQ(ImageDimensionsText(96, 48, 8, kLengthInches), "1x0.50, 8 bpp");
    EXPECT_EQ(ImageDimensionsText(100, 1, 1, kLengthMillimetres), "26.46x0.26, 1 bpp");
    EXPECT_EQ(ImageDimensionsText(100, 1000, 32, kLengthCentimetres), "2.65x26.46, 32 bpp");
}

TEST(BrowserStatusTest, Title)
{
    EXPECT_EQ(TitleText(false, "/home/ann", "cat.png"), "Oculane");
    EXPECT_EQ(TitleText(true, "/home/ann", "cat.png"), "Oculane - [/home/ann/cat.png]");
    EXPECT_EQ(TitleText(true, "/", "cat.png"), "Oculane - [/cat.png]");
}

} // namespace
