// The slide show's rules that need neither a thread nor a window: its options
// as it uses them, the size an image is shown at, which item comes next and
// when the next image is due. Times are passed in (milliseconds of a steady
// clock), so the rules are tested without waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <random>

enum SlideSequence { kSlideForward = 0, kSlideBackward = 1, kSlideRandom = 2 };
enum SlideImageSize { kSlideBestFit = 0, kSlideFullSize = 1, kSlideSmall = 2 };
enum SlidePosition { kSlideCentre = 0, kSlideUpperLeft = 1 };

constexpr int kSlideMaxDelaySeconds = 10;

struct SlideOptions {
    int Sequence = kSlideForward;
    int DelaySeconds = 3;
    bool DelayFlip = true;
    int ImageSize = kSlideBestFit;
    int Position = kSlideCentre;
};

// The stored option values as the show uses them: the delay clamped to
// 0..10 seconds, a choice out of range back to its default.
SlideOptions MakeSlideOptions(int32_t delayFlip, int32_t delaySeconds, int32_t position, int32_t imageSize,
                              int32_t sequence);

// The size a width x height image is shown at in a window of that size:
// best fit (shrunk or enlarged to the window, without limit), full size, or
// small (fitted into half the window's width and height). Never below 1 x 1;
// without a window area the image's own size.
void SlideDisplaySize(int imageSize, int width, int height, int windowWidth, int windowHeight, int& displayWidth,
                      int& displayHeight);

// Picks the item after the current one. The random order is seeded once per
// show and draws evenly among all the other items.
class CSlideStepper {
public:
    CSlideStepper(int sequence, uint64_t seed);

    // The next of `count` items after `current`, which may be -1 (none yet)
    // or lie beyond a list that has shrunk: positions wrap around. Items for
    // which skip(i) holds are never picked; with one item left (the current
    // one) that item comes again. -1 when nothing can be picked (an empty
    // list, or every item skipped).
    long Next(long current, long count, const std::function<bool(long)>& skip = {});

private:
    long Draw(long below);

    int m_Sequence;
    std::mt19937_64 m_Random;
};

// When the next image is due. With delay flip on, each image stays the full
// delay after it appeared; with it off, the delay runs from the time the
// previous image was due, so the time spent decoding counts against it.
class CSlideTiming {
public:
    CSlideTiming(int delaySeconds, bool delayFlip);

    // The first image is due at once.
    void Start(int64_t now);
    int64_t DueAt() const { return m_Due; }
    // Milliseconds until the next image is due (0 when it is due already).
    int64_t WaitFrom(int64_t now) const { return m_Due > now ? m_Due - now : 0; }
    // The due image went on screen at `now`.
    void Shown(int64_t now);
    // The due item could not be decoded; its failure was reported at `now`.
    // With delay flip on the show goes on at once (the delay has passed);
    // with it off the failed item used up its share of the delay.
    void Failed(int64_t now);

private:
    int64_t m_DelayMs;
    bool m_DelayFlip;
    int64_t m_Due = 0;
};
