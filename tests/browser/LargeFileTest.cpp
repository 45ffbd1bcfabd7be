// Files beyond 4 GB keep their true size in the listing, the cells, the
// selection and the status texts.
#include "browser/FileCells.h"
#include "browser/FolderListing.h"
#include "browser/StatusTexts.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(LargeFileTest, FiveGigabyteFileShowsItsTrueSize)
{
    TempFolder folder;
    folder.Write("big.bmp", {});
    std::error_code error;
    // Sparse: no disk space is used.
    std::filesystem::resize_file(folder.File("big.bmp"), 5368709120ULL, error);
    if (error)
        GTEST_SKIP() << "no sparse files here: " << error.message();
    folder.Write("small.bmp", std::vector<uint8_t>(1536));

    CFolderListing listing;
    ASSERT_TRUE(listing.ListFolder(folder.Path(), {}, nullptr));
    ASSERT_EQ(listing.RowCount(), 2u);
    listing.SetSort(kSortSize, false);
    EXPECT_EQ(listing.ItemAtRow(0).Name, "big.bmp");
    EXPECT_EQ(SizeCell(listing.ItemAtRow(0)), "5368709120");
    listing.SelectAll();
    listing.UpdateSelection();
    EXPECT_EQ(listing.SelectedSize(), 5368709120ULL + 1536);
    EXPECT_EQ(SelectionSummaryText(listing.SelectedCount(), listing.RowCount(), listing.SelectedSize(), kSizeMB),
              " 2 of 2 (5120 MB)");
    EXPECT_EQ(FileSizeText(5368709120ULL, kSizeKB), "5242880 KB");
}
