#include "view/ThumbnailCache.h"
#include "view/ThumbnailMaker.h"
#include "view/ThumbnailPool.h"

#include "base/FileUri.h"
#include "base/Md5.h"
#include "formats/PNGDecoder.h"
#include "save/PngWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <thread>
#include <mutex>
#include <set>

#include <sys/stat.h>
#include <utime.h>

namespace {

// A 32-bit picture of the given size written as PNG, so the test needs no codec but ours.
std::string WritePicture(const TempFolder& folder, const std::string& name, int width, int height, uint8_t shade)
{
    CWinBmp image;
    image.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.Row32(y)[x] = PackPixel(shade, uint8_t(x), uint8_t(y));
    const std::string path = folder.File(name);
    WritePNG(path, image, false);
    return path;
}

void SetModified(const std::string& path, time_t seconds)
{
    utimbuf times{seconds, seconds};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

std::map<std::string, std::string> TextsOf(const std::string& entry, CWinBmp& image)
{
    CPNGDecoder decoder;
    decoder.DecodeFile(entry, image, 32);
    return {decoder.GetTexts().begin(), decoder.GetTexts().end()};
}

} // namespace

TEST(ThumbnailCache, EntryIsNamedByTheUriAndTaggedWithItAndTheTime)
{
    TempFolder folder;
    const std::string path = WritePicture(folder, "wide picture.png", 400, 200, 10);
    SetModified(path, 1700000000);
    CThumbnailCache cache(folder.File("cache/thumbnails"));
    const auto made = MakeThumbnail(path, 128, &cache);
    ASSERT_TRUE(made->Image) << made->Error;
    EXPECT_EQ(made->Image->Width, 128);
    EXPECT_EQ(made->Image->Height, 64);

    const std::string uri = FileUri(path);
    const std::string entry = folder.File("cache/thumbnails/normal/" + CMd5::HexOf(uri) + ".png");
    EXPECT_EQ(cache.EntryPath(uri, 128), entry);
    CWinBmp stored;
    const auto texts = TextsOf(entry, stored);
    EXPECT_EQ(texts.at("Thumb::URI"), "file://" + folder.Path() + "/wide%20picture.png");
    EXPECT_EQ(texts.at("Thumb::MTime"), "1700000000");
    EXPECT_EQ(stored.Width, 128);
    EXPECT_EQ(stored.Height, 64);

    struct stat st {};
    ASSERT_EQ(stat(entry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(folder.File("cache/thumbnails/normal").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A box above 128 pixels is served by the large entry.
    ASSERT_TRUE(MakeThumbnail(path, 200, &cache)->Image);
    EXPECT_EQ(TextsOf(cache.EntryPath(uri, 256), stored).at("Thumb::URI"), uri);
    EXPECT_EQ(stored.Width, 256);
}

TEST(ThumbnailCache, EntryIsMadeAgainWhenTheFileChanges)
{
    TempFolder folder;
    const std::string path = WritePicture(folder, "a.png", 300, 300, 10);
    SetModified(path, 1600000000);
    CThumbnailCache cache(folder.File("thumbnails"));
    EXPECT_FALSE(MakeThumbnail(path, 128, &cache)->FromCache);
    const auto again = MakeThumbnail(path, 128, &cache);
    EXPECT_TRUE(again->FromCache);
    ASSERT_TRUE(again->Image);
    EXPECT_EQ((again->Image->Row32(5)[7] >> 16) & 0xFF, 10u);  // red, as in the file

    WritePicture(folder, "a.png", 300, 150, 200);
    SetModified(path, 1600000100);
    const auto remade = MakeThumbnail(path, 128, &cache);
    EXPECT_FALSE(remade->FromCache);
    ASSERT_TRUE(remade->Image);
    EXPECT_EQ(remade->Image->Height, 64);
    CWinBmp stored;
    EXPECT_EQ(TextsOf(cache.EntryPath(FileUri(path), 128), stored).at("Thumb::MTime"), "1600000100");
    EXPECT_TRUE(MakeThumbnail(path, 128, &cache)->FromCache);
}

TEST(ThumbnailCache, WithoutAWritableCacheThumbnailsAreStillMade)
{
    TempFolder folder;
    const std::string path = WritePicture(folder, "a.png", 64, 48, 10);
    // A file where the cache folder would be: nothing can be made below it,
    // whoever runs the test.
    const std::string blocker = folder.Write("blocker", {1, 2, 3});
    CThumbnailCache cache(blocker + "/thumbnails");
    const auto made = MakeThumbnail(path, 128, &cache);
    ASSERT_TRUE(made->Image) << made->Error;
    EXPECT_EQ(made->Image->Width, 64);
    EXPECT_EQ(made->Image->Height, 48);
}

TEST(ThumbnailCache, FilesInsideTheCacheAreNotCachedAndBrokenFilesFail)
{
    TempFolder folder;
    CThumbnailCache cache(folder.Path());
    const std::string inside = WritePicture(folder, "x.png", 300, 300, 10);
    ASSERT_TRUE(MakeThumbnail(inside, 128, &cache)->Image);
    EXPECT_FALSE(std::filesystem::exists(folder.File("normal")));

    const std::string broken = folder.Write("broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0});
    const auto failed = MakeThumbnail(broken, 128, &cache);
    EXPECT_FALSE(failed->Image);
    EXPECT_FALSE(failed->Abandoned);
}

TEST(ThumbnailPool, DeliversWhatIsWantedAndNothingOfAnAbandonedVisit)
{
    TempFolder folder;
    std::vector<std::string> first, second;
    for (int i = 0; i < 6; ++i)
        first.push_back(WritePicture(folder, "a" + std::to_string(i) + ".png", 300, 200, uint8_t(i)));
    for (int i = 0; i < 3; ++i)
        second.push_back(WritePicture(folder, "b" + std::to_string(i) + ".png", 200, 300, uint8_t(i)));

    std::mutex mutex;
    std::condition_variable done;
    std::multiset<std::string> delivered;
    std::set<std::string> startedLate;
    bool changed = false;
    CThumbnailPool pool(
        [&](uint64_t visit, const std::string& path, int box, std::shared_ptr<ThumbnailResult> result) {
            std::lock_guard lock(mutex);
            if (!changed)
                return;  // the first visit, before it was cancelled
            EXPECT_EQ(visit, 2u);
            EXPECT_EQ(box, 100);
            EXPECT_TRUE(result && result->Image && result->Image->Height == 100);
            delivered.insert(path);
            done.notify_all();
        },
        nullptr, 2);
    pool.SetStartObserver([&](const std::string& path) {
        std::lock_guard lock(mutex);
        if (changed && path.find("/a") != std::string::npos)
            startedLate.insert(path);
    });
    pool.Want(1, first, 100);
    pool.Cancel();
    {
        // Every start of the first visit was observed before Cancel returned.
        std::lock_guard lock(mutex);
        changed = true;
    }
    pool.Want(2, second, 100);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(done.wait_for(lock, std::chrono::minutes(1), [&] { return delivered.size() >= second.size(); }));
    lock.unlock();
    while (pool.IsBusy())
        std::this_thread::yield();
    lock.lock();
    EXPECT_EQ(delivered, std::multiset<std::string>(second.begin(), second.end()));
    EXPECT_TRUE(startedLate.empty());
}
