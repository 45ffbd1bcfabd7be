// The slide show's stepping, timing and sizing rules (times passed in, no
// waiting), and its worker preparing images at display size.
#include "view/SlideShow.h"
#include "view/SlideShowSteps.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

struct StepCase {
    int Sequence;
    long Current, Count, Expected;
};

TEST(SlideShowSteps, ForwardAndBackwardWrapAtBothEnds)
{
    const StepCase cases[] = {
        {kSlideForward, 0, 3, 1},  {kSlideForward, 2, 3, 0},  {kSlideForward, -1, 3, 0},
        {kSlideBackward, 1, 3, 0}, {kSlideBackward, 0, 3, 2}, {kSlideBackward, -1, 3, 2},
        // The list shrank under the show: the old position wraps.
        {kSlideForward, 7, 5, 3},  {kSlideBackward, 7, 5, 1}, {kSlideForward, 4, 1, 0},
        // Nothing left to show.
        {kSlideForward, 2, 0, -1}, {kSlideBackward, 0, 0, -1}, {kSlideRandom, 0, 0, -1},
        {kSlideRandom, 0, 1, 0},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Sequence << " from " << c.Current << " of " << c.Count);
        CSlideStepper stepper(c.Sequence, 1);
        EXPECT_EQ(stepper.Next(c.Current, c.Count), c.Expected);
    }
}

TEST(SlideShowSteps, RandomNeverRepeatsAndReachesEveryItemOfALargeList)
{
    // Beyond the 0..32767 range of a C library rand().
    const long count = 40000;
    CSlideStepper stepper(kSlideRandom, 12345);
    std::vector<bool> seen(size_t(count), false);
    long reached = 0, current = 0;
    for (long draws = 0; reached < count && draws < 2000000; ++draws) {
        const long next = stepper.Next(current, count);
        ASSERT_NE(next, current);
        ASSERT_GE(next, 0);
        ASSERT_LT(next, count);
        if (!seen[size_t(next)]) {
            seen[size_t(next)] = true;
            ++reached;
        }
        current = next;
    }
    EXPECT_EQ(reached, count);
    // A position beyond a shrunk list draws among all items.
    for (int i = 0; i < 100; ++i) {
        const long next = stepper.Next(50, 3);
        EXPECT_GE(next, 0);
        EXPECT_LT(next, 3);
    }
}

TEST(SlideShowSteps, AFolderWhereNothingDecodesEndsAfterOneRound)
{
    for (int sequence : {kSlideForward, kSlideBackward, kSlideRandom}) {
        SCOPED_TRACE(sequence);
        const long count = 7;
        std::set<long> failed;
        CSlideStepper stepper(sequence, 99);
        long current = 2, steps = 0;
        for (;;) {
            const long next = stepper.Next(current, count, [&](long i) { return failed.count(i) != 0; });
            if (next < 0)
                break;
            ASSERT_LT(steps, count) << "the show goes on after every item failed";
            ++steps;
            failed.insert(next);  // it did not decode
            current = next;
        }
        EXPECT_EQ(steps, count);
    }
    // One item that decodes keeps the show going.
    CSlideStepper stepper(kSlideRandom, 5);
    std::set<long> failed{1, 2};
    EXPECT_EQ(stepper.Next(0, 3, [&](long i) { return failed.count(i) != 0; }), 0);
}

TEST(SlideShowSteps, DelayFlipOnCountsFromTheImageAppearing)
{
    CSlideTiming timing(3, true);
    timing.Start(1000);
    EXPECT_EQ(timing.DueAt(), 1000);  // the first image at once
    EXPECT_EQ(timing.WaitFrom(1000), 0);
    timing.Shown(1500);                // it took 0.5 s to decode
    EXPECT_EQ(timing.DueAt(), 4500);
    EXPECT_EQ(timing.WaitFrom(2000), 2500);
    timing.Shown(4700);
    EXPECT_EQ(timing.DueAt(), 7700);
    timing.Failed(7700);               // a failure waits no further delay
    EXPECT_EQ(timing.DueAt(), 7700);
    EXPECT_EQ(timing.WaitFrom(9000), 0);
}

TEST(SlideShowSteps, DelayFlipOffLetsDecodingTimeCountAgainstTheDelay)
{
    CSlideTiming timing(3, false);
    timing.Start(1000);
    timing.Shown(1500);
    EXPECT_EQ(timing.DueAt(), 4000);
    timing.Shown(4000);
    EXPECT_EQ(timing.DueAt(), 7000);
    timing.Shown(8000);                // later than the whole delay: at once, no catching up
    EXPECT_EQ(timing.DueAt(), 10000);
    timing.Failed(10000);              // a failed item takes its share
    EXPECT_EQ(timing.DueAt(), 13000);

    CSlideTiming none(0, false);
    none.Start(0);
    none.Shown(300);
    EXPECT_EQ(none.DueAt(), 300);
}

TEST(SlideShowSteps, StoredValuesAreClampedOrFallBackToTheirDefault)
{
    struct Case {
        int32_t Delay, Position, Size, Sequence;
        int WantDelay, WantPosition, WantSize, WantSequence;
    };
    const Case cases[] = {
        {3, 1, 2, 2, 3, kSlideUpperLeft, kSlideSmall, kSlideRandom},
        {25, 0, 0, 0, 10, kSlideCentre, kSlideBestFit, kSlideForward},
        {-4, 2, 3, -1, 0, kSlideCentre, kSlideBestFit, kSlideForward},
        {INT32_MAX, -1, -1, 3, 10, kSlideCentre, kSlideBestFit, kSlideForward},
    };
    for (const Case& c : cases) {
        const SlideOptions options = MakeSlideOptions(0, c.Delay, c.Position, c.Size, c.Sequence);
        EXPECT_EQ(options.DelaySeconds, c.WantDelay) << c.Delay;
        EXPECT_EQ(options.Position, c.WantPosition);
        EXPECT_EQ(options.ImageSize, c.WantSize);
        EXPECT_EQ(options.Sequence, c.WantSequence);
        EXPECT_FALSE(options.DelayFlip);
    }
    CSlideTiming timing(99, true);
    timing.Start(0);
    timing.Shown(0);
    EXPECT_EQ(timing.DueAt(), 10000);
}

TEST(SlideShowSteps, DisplaySizeByImageSizeOption)
{
    struct Case {
        int Mode, Width, Height, WindowWidth, WindowHeight, WantWidth, WantHeight;
    };
    const Case cases[] = {
        {kSlideBestFit, 6000, 4000, 1920, 1080, 1620, 1080},
        {kSlideBestFit, 10, 10, 400, 300, 300, 300},  // enlarged without limit
        {kSlideFullSize, 6000, 4000, 1920, 1080, 6000, 4000},
        {kSlideSmall, 6000, 4000, 1920, 1080, 810, 540},
        {kSlideSmall, 100, 50, 400, 300, 200, 100},
        {kSlideBestFit, 100000, 1, 400, 300, 400, 1},  // a sliver keeps one pixel
        {kSlideBestFit, 640, 480, 0, 0, 640, 480},     // no window area yet
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        SlideDisplaySize(c.Mode, c.Width, c.Height, c.WindowWidth, c.WindowHeight, w, h);
        EXPECT_EQ(w, c.WantWidth) << c.Mode << " " << c.Width << "x" << c.Height;
        EXPECT_EQ(h, c.WantHeight) << c.Mode << " " << c.Width << "x" << c.Height;
    }
}

// A 32-bit image of 2 x 2 blocks in four colours, written as BMP.
std::string WriteBlocks(const TempFolder& folder, const std::string& name, int width, int height)
{
    CWinBmp bmp;
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = PackPixel(x < width / 2 ? 200 : 0, y < height / 2 ? 100 : 0, 50);
    bmp.SaveAsBMP(folder.File(name));
    return folder.File(name);
}

TEST(SlideShowWorker, PreparesTheImageAtDisplaySize)
{
    TempFolder folder;
    const std::string path = WriteBlocks(folder, "a.bmp", 400, 200);

    std::unique_ptr<SlideImage> shown = CSlideShow::PrepareImage({path, kSlideBestFit, 100, 100});
    ASSERT_TRUE(shown->Image) << shown->Error;
    EXPECT_EQ(shown->FullWidth, 400);
    EXPECT_EQ(shown->FullHeight, 200);
    EXPECT_EQ(shown->DisplayWidth, 100);
    EXPECT_EQ(shown->DisplayHeight, 50);
    EXPECT_EQ(shown->Image->Width, 100);
    EXPECT_EQ(shown->Image->Height, 50);
    EXPECT_EQ(shown->Image->BitsPerPixel, 32);
    EXPECT_EQ(shown->Image->SourceBitsPerPixel, 24);
    EXPECT_GE(shown->DecodeMilliseconds, 0);
    // Each quarter keeps its colour, row 0 at the top.
    EXPECT_EQ(shown->Image->Row32(0)[0] & 0xFFFFFF, PackPixel(200, 100, 50) & 0xFFFFFF);
    EXPECT_EQ(shown->Image->Row32(49)[99] & 0xFFFFFF, PackPixel(0, 0, 50) & 0xFFFFFF);

    // Enlarged or at full size, the image stays as decoded.
    std::unique_ptr<SlideImage> enlarged = CSlideShow::PrepareImage({path, kSlideBestFit, 1600, 1600});
    ASSERT_TRUE(enlarged->Image);
    EXPECT_EQ(enlarged->DisplayWidth, 1600);
    EXPECT_EQ(enlarged->Image->Width, 400);
    std::unique_ptr<SlideImage> full = CSlideShow::PrepareImage({path, kSlideFullSize, 100, 100});
    ASSERT_TRUE(full->Image);
    EXPECT_EQ(full->Image->Width, 400);

    std::unique_ptr<SlideImage> failed = CSlideShow::PrepareImage({folder.Path(), kSlideBestFit, 100, 100});
    EXPECT_FALSE(failed->Image);
    EXPECT_FALSE(failed->Error.empty());
}

class WaitingOwner : public ISlideShowOwner {
public:
    void OnSlideDecoded(uint64_t serial, bool ok) override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Decoded.push_back(serial);
        m_DecodedOk.push_back(ok);
        m_Changed.notify_all();
    }
    void OnSlideReady() override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        ++m_Ready;
        m_Changed.notify_all();
    }
    // Until the condition holds (a minute at most, so a fault cannot hang the tests).
    bool WaitUntil(const std::function<bool()>& condition)
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::minutes(1), condition);
    }
    bool WaitReady(int count)
    {
        return WaitUntil([&] { return m_Ready >= count; });
    }
    bool WaitDecoded(size_t count)
    {
        return WaitUntil([&] { return m_Decoded.size() >= count; });
    }
    std::vector<uint64_t> Decoded()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Decoded;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<uint64_t> m_Decoded;
    std::vector<bool> m_DecodedOk;
    int m_Ready = 0;
};

TEST(SlideShowWorker, ANewRequestGivesUpTheEarlierOnes)
{
    TempFolder folder;
    const std::string a = WriteBlocks(folder, "a.bmp", 64, 32);
    const std::string b = WriteBlocks(folder, "b.bmp", 32, 64);
    WaitingOwner owner;
    CSlideShow show;
    show.SetSlideOwner(&owner);
    show.Start();
    EXPECT_FALSE(show.TakeResult());

    show.Prepare({a, kSlideBestFit, 16, 16});
    const uint64_t latest = show.Prepare({b, kSlideBestFit, 16, 16});
    ASSERT_TRUE(owner.WaitReady(1));
    // Whatever became of a, only b's image is handed over, once.
    std::unique_ptr<SlideImage> image = show.TakeResult();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Serial, latest);
    EXPECT_EQ(image->Path, b);
    ASSERT_TRUE(image->Image);
    EXPECT_EQ(image->Image->Width, 8);
    EXPECT_EQ(image->Image->Height, 16);
    EXPECT_FALSE(show.TakeResult());

    show.End();
    EXPECT_FALSE(show.IsRunning());
    // Started again for the next show.
    show.Start();
    show.Prepare({a, kSlideFullSize, 16, 16});
    ASSERT_TRUE(owner.WaitReady(2));
    image = show.TakeResult();
    ASSERT_TRUE(image && image->Image);
    EXPECT_EQ(image->Image->Width, 64);
    show.End();
}

TEST(SlideShowWorker, TheNextFileIsDecodedWhileOneImageWaits)
{
    TempFolder folder;
    const std::string paths[] = {WriteBlocks(folder, "a.bmp", 64, 32), WriteBlocks(folder, "b.bmp", 32, 64),
                                 folder.File("missing.bmp"), WriteBlocks(folder, "c.bmp", 16, 16)};
    WaitingOwner owner;
    CSlideShow show;
    show.SetSlideOwner(&owner);
    show.Start();
    // The files are asked for one behind the other, and nothing is taken
    // meanwhile: the stages fill up and wait, none is dropped.
    std::vector<uint64_t> serials;
    serials.push_back(show.Prepare({paths[0], kSlideBestFit, 8, 8}));
    serials.push_back(show.Prepare({paths[1], kSlideBestFit, 8, 8}, true));
    ASSERT_TRUE(owner.WaitDecoded(2));
    serials.push_back(show.Prepare({paths[2], kSlideBestFit, 8, 8}, true));
    ASSERT_TRUE(owner.WaitDecoded(3));
    serials.push_back(show.Prepare({paths[3], kSlideBestFit, 8, 8}, true));
    ASSERT_TRUE(owner.WaitReady(1));
    EXPECT_EQ(owner.Decoded().size(), 3u) << "a third image was decoded while two wait";
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(owner.WaitReady(int(i) + 1));
        std::unique_ptr<SlideImage> image = show.TakeResult();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Serial, serials[i]);
        EXPECT_EQ(image->Image != nullptr, i != 2) << image->Error;
    }
    EXPECT_FALSE(show.TakeResult());
    show.End();
}

} // namespace
