#include "formats/FormatTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(FormatTableTest, RowsFollowTheIdsAndEveryExtensionFindsItsFormat)
{
    ASSERT_EQ(Formats().size(), static_cast<size_t>(ImageFormat::Count) - 1);
    for (const FormatInfo& format : Formats()) {
        EXPECT_EQ(FindFormat(format.Id), &format) << format.Name;
        EXPECT_EQ(format.DetectedBy == FormatInfo::ByContent, format.Sniff != nullptr) << format.Name;
        EXPECT_NE(format.MakeDecoder, nullptr) << format.Name;
        for (const FormatExtension& ext : format.Extensions) {
            EXPECT_EQ(FormatOfExtension(ext.Text), format.Id) << ext.Text;
            std::string dotted = ".";
            dotted += Upper(ext.Text);
            EXPECT_EQ(FormatOfExtension(dotted), format.Id) << ext.Text;
        }
    }
    EXPECT_EQ(FindFormat(ImageFormat::Unknown), nullptr);
    EXPECT_STREQ(FormatName(ImageFormat::Unknown), "unknown");
    EXPECT_EQ(FormatOfExtension(""), ImageFormat::Unknown);
    EXPECT_EQ(FormatOfExtension("."), ImageFormat::Unknown);
    EXPECT_EQ(FormatOfExtension("bmpx"), ImageFormat::Unknown);
}

TEST(FormatTableTest, DerivedListsAreTheOnesUsersKnow)
{
    // The settings file stores one association flag per position.
    EXPECT_EQ(AssociationExtensions(),
              (std::vector<std::string>{"bmp", "emf", "eps", "gif", "ico", "iff", "jpg", "pbm", "pct", "pcx", "pgm",
                                        "png", "ppm", "ras", "tga", "tif", "wmf", "dds", "psd"}));
    EXPECT_EQ(AssociationIndex(".PCX"), 9);
    EXPECT_EQ(AssociationIndex("jpeg"), -1);

    const std::vector<std::string> readable = ReadableExtensions();
    EXPECT_EQ(std::set<std::string>(readable.begin(), readable.end()),
              (std::set<std::string>{"bmp", "cur", "dib", "emf", "eps", "gif", "ico", "iff", "ilbm", "jpg", "jpeg", "pbm",
                                     "pct", "pcx", "pgm", "pict", "png", "ppm", "ras", "rle", "tga", "tif", "tiff",
                                     "wmf", "psd", "dds"}));
    EXPECT_EQ(readable.size(), 26u);

    // "Hide non-images" keeps 24 extensions; the long spellings are not among them.
    size_t images = 0;
    for (const std::string& ext : readable)
        images += IsImageExtension(ext);
    EXPECT_EQ(images, 24u);
    for (const char* yes : {"JPG", "jpg", "Bmp", "dib", "ilbm", "pict", "dds", "psd", "rle", "eps", "CUR"})
        EXPECT_TRUE(IsImageExtension(yes)) << yes;
    for (const char* no : {"jpeg", "tiff", "", "txt", "jp", "bmpx"})
        EXPECT_FALSE(IsImageExtension(no)) << no;
}

TEST(FormatTableTest, OnlyMetafilesAreRecognisedByTheirExtension)
{
    const std::vector<uint8_t> bmp = {'B', 'M', 0, 0};
    EXPECT_EQ(DetectFormat("IMAGE.WMF", bmp.data(), bmp.size(), bmp.size()), ImageFormat::WMF);
    EXPECT_EQ(DetectFormat("picture.png", bmp.data(), bmp.size(), bmp.size()), ImageFormat::BMP);
    EXPECT_EQ(DetectFormat("noextension", bmp.data(), bmp.size(), bmp.size()), ImageFormat::BMP);

    // Icons and cursors differ only in the directory's resource type.
    const std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0}, cur = {0, 0, 2, 0, 1, 0}, other = {0, 0, 3, 0, 1, 0};
    EXPECT_EQ(DetectFormat("a.ico", ico.data(), ico.size(), ico.size()), ImageFormat::ICO);
    EXPECT_EQ(DetectFormat("arrow.cur", cur.data(), cur.size(), cur.size()), ImageFormat::ICO);
    EXPECT_EQ(FormatOfExtension("cur"), ImageFormat::ICO);
    EXPECT_NE(DetectFormat("a.ico", other.data(), other.size(), other.size()), ImageFormat::ICO);
}

} // namespace
