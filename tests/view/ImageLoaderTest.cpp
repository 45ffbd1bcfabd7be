#include "view/ImageLoader.h"

#include "image/AreaScale.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBE32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBE32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// An RGB PNG of a gradient: small on disk, but every row must be inflated
// and unfiltered (Paeth, the dearest filter).
std::vector<uint8_t> LargePng(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> raw(size_t(height) * (1 + size_t(width) * 3));
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = raw.data() + size_t(y) * (1 + size_t(width) * 3);
        row[0] = 4;
        for (uint32_t x = 0; x < width * 3; ++x)
            row[1 + x] = uint8_t(x + y);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    EXPECT_EQ(compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 1), Z_OK);
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBE32(header, width);
    PutBE32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double WaitUntilIdle(CImageLoader& loader)
{
    const auto start = Clock::now();
    while (loader.IsBusy() && Seconds(start) < 30)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Seconds(start);
}

} // namespace

// A decode that nobody wants any more stops between rows: cancelling, a newer
// request and closing the view each return long before the decode would end.
TEST(ImageLoaderTest, AbandonedDecodesStopEarly)
{
    TempFolder folder;
    const std::string big = folder.Write("big.png", LargePng(6000, 4000));
    const std::string small = folder.Write("small.png", LargePng(4, 3));

    const auto start = Clock::now();
    auto whole = CImageLoader::Decode(big);
    const double full = Seconds(start);
    ASSERT_TRUE(whole && whole->Image) << whole->Error;
    whole.reset();

    std::atomic<bool> stop{true};
    auto abandoned = CImageLoader::Decode(big, &stop);
    EXPECT_FALSE(abandoned->Image);
    EXPECT_EQ(abandoned->Error, "Decoding abandoned.");

    std::atomic<int> delivered{0};
    std::atomic<int> lastWidth{0};
    auto owner = std::make_unique<CImageLoader>([&](uint64_t, std::shared_ptr<ImageLoadResult> result) {
        ++delivered;
        lastWidth = result && result->Image ? result->Image->Width : -1;
    });
    CImageLoader& loader = *owner;
    {
        loader.Request(big);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(loader.IsBusy());
        loader.Cancel();
        const double cancelled = WaitUntilIdle(loader);
        EXPECT_LT(cancelled, full / 3) << "full decode " << full << " s";
        RecordProperty("full_decode_ms", int(full * 1000));
        RecordProperty("cancel_to_idle_ms", int(cancelled * 1000));
        EXPECT_EQ(delivered, 0);

        loader.Request(big);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(loader.IsBusy());
        loader.Request(small);
        const double superseded = WaitUntilIdle(loader);
        EXPECT_LT(superseded, full / 3) << "full decode " << full << " s";
        RecordProperty("supersede_to_idle_ms", int(superseded * 1000));
        EXPECT_EQ(delivered, 1);
        EXPECT_EQ(lastWidth, 4);

        loader.Request(big);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto closing = Clock::now();
    owner.reset();
    const double closed = Seconds(closing);
    EXPECT_LT(closed, full / 3) << "full decode " << full << " s";
    RecordProperty("close_ms", int(closed * 1000));
    EXPECT_EQ(delivered, 1);
}

namespace {

// Polls (without any timing assertion) until done() or a generous limit.
template <class Done>
bool WaitFor(Done done)
{
    const auto start = Clock::now();
    while (!done() && Seconds(start) < 30)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

} // namespace

// Files decoded ahead: at most two kept, each decoded once whether it is
// asked for before or after it is ready, freed when not wanted any more.
TEST(ImageLoaderTest, DecodesAheadAtMostTwoOnce)
{
    TempFolder folder;
    const std::string big = folder.Write("big.png", LargePng(3000, 2000));
    std::vector<std::string> small;
    for (int i = 0; i < 3; ++i)
        small.push_back(folder.Write("s" + std::to_string(i) + ".png", LargePng(4 + i, 3)));

    std::atomic<int> delivered{0};
    std::atomic<int> lastWidth{0};
    CImageLoader loader([&](uint64_t, std::shared_ptr<ImageLoadResult> result) {
        lastWidth = result && result->Image ? result->Image->Width : -1;
        ++delivered;
    });

    // Three asked for, two kept: the first two.
    loader.Preload(small);
    ASSERT_TRUE(WaitFor([&] { return loader.PreloadedCount() == 2 && !loader.IsBusy(); }));
    EXPECT_EQ(loader.DecodeCount(), 2u);
    EXPECT_FALSE(loader.TakePreloaded(small[2]));
    auto ready = loader.TakePreloaded(small[1]);
    ASSERT_TRUE(ready && ready->Image);
    EXPECT_EQ(ready->Image->Width, 5);
    EXPECT_EQ(loader.PreloadedCount(), 1u);

    // Another pair: the one kept stays, the one dropped is freed.
    loader.Preload({small[0], small[2]});
    ASSERT_TRUE(WaitFor([&] { return loader.PreloadedCount() == 2 && !loader.IsBusy(); }));
    EXPECT_EQ(loader.DecodeCount(), 3u);

    // A file changed since it was read is not served.
    {
        std::ofstream touch(small[0], std::ios::binary | std::ios::app);
        touch << "x";
    }
    EXPECT_FALSE(loader.TakePreloaded(small[0]));

    // Asked for while still decoding ahead: that decode becomes the request.
    loader.Preload({big});
    ASSERT_TRUE(WaitFor([&] { return loader.DecodeCount() == 4u; }));
    loader.Request(big);
    ASSERT_TRUE(WaitFor([&] { return delivered == 1; }));
    EXPECT_EQ(lastWidth, 3000);
    EXPECT_EQ(loader.DecodeCount(), 4u);

    loader.Preload({});
    EXPECT_EQ(loader.PreloadedCount(), 0u);
}

// A decode ahead brings a large image to its display size as well, so showing
// it costs no shrinking; one shown near its own size gets no copy.
TEST(ImageLoaderTest, DecodesAheadShrinkToTheDisplaySize)
{
    TempFolder folder;
    const std::string path = folder.Write("mid.png", LargePng(1200, 800));
    CImageLoader loader([](uint64_t, std::shared_ptr<ImageLoadResult>) {});
    const struct {
        int Width, Height;
        bool Copy;
    } cases[] = {{300, 200, true}, {1000, 666, false}, {1200, 800, false}};
    for (const auto& c : cases) {
        loader.Preload({path}, [&](int w, int h, int& dw, int& dh) {
            EXPECT_EQ(w, 1200);
            EXPECT_EQ(h, 800);
            dw = c.Width;
            dh = c.Height;
        });
        ASSERT_TRUE(WaitFor([&] { return loader.PreloadedCount() == 1; }));
        auto result = loader.TakePreloaded(path);
        ASSERT_TRUE(result && result->Image);
        EXPECT_EQ(result->Scaled != nullptr, c.Copy) << c.Width;
        if (!c.Copy)
            continue;
        EXPECT_EQ(result->ScaledWidth, c.Width);
        EXPECT_EQ(result->ScaledHeight, c.Height);
        std::vector<uint8_t> expected(size_t(c.Width) * c.Height * 4);
        AreaDownscale(*result->Image, c.Width, c.Height, expected.data(), int64_t(c.Width) * 4);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), result->Scaled.get()));
    }
}
