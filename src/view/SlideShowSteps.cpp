#include "view/SlideShowSteps.h"

#include "view/ViewGeometry.h"

#include <algorithm>
#include <vector>

SlideOptions MakeSlideOptions(int32_t delayFlip, int32_t delaySeconds, int32_t position, int32_t imageSize,
                              int32_t sequence)
{
    SlideOptions options;
    options.DelayFlip = delayFlip != 0;
    options.DelaySeconds = std::clamp<int32_t>(delaySeconds, 0, kSlideMaxDelaySeconds);
    if (position == kSlideCentre || position == kSlideUpperLeft)
        options.Position = position;
    if (imageSize >= kSlideBestFit && imageSize <= kSlideSmall)
        options.ImageSize = imageSize;
    if (sequence >= kSlideForward && sequence <= kSlideRandom)
        options.Sequence = sequence;
    return options;
}

void SlideDisplaySize(int imageSize, int width, int height, int windowWidth, int windowHeight, int& displayWidth,
                      int& displayHeight)
{
    displayWidth = std::max(width, 1);
    displayHeight = std::max(height, 1);
    if (imageSize == kSlideFullSize || width <= 0 || height <= 0)
        return;
    int boxWidth = windowWidth, boxHeight = windowHeight;
    if (imageSize == kSlideSmall) {
        boxWidth /= 2;
        boxHeight /= 2;
    }
    if (boxWidth <= 0 || boxHeight <= 0)
        return;
    FitSize(width, height, boxWidth, boxHeight, displayWidth, displayHeight);
    // A sliver thinner than a pixel across still shows one.
    displayWidth = std::max(displayWidth, 1);
    displayHeight = std::max(displayHeight, 1);
}

CSlideStepper::CSlideStepper(int sequence, uint64_t seed) : m_Sequence(sequence), m_Random(seed) {}

long CSlideStepper::Draw(long below)
{
    return std::uniform_int_distribution<long>(0, below - 1)(m_Random);
}

long CSlideStepper::Next(long current, long count, const std::function<bool(long)>& skip)
{
    if (count <= 0)
        return -1;
    const auto skipped = [&](long i) { return skip && skip(i); };
    const bool inList = current >= 0 && current < count;

    if (m_Sequence == kSlideRandom) {
        if (!skip) {
            if (!inList)
                return Draw(count);
            if (count == 1)
                return current;
            // Evenly among the others: draw among count - 1 and step over the current one.
            const long n = Draw(count - 1);
            return n >= current ? n + 1 : n;
        }
        std::vector<long> others;
        for (long i = 0; i < count; ++i)
            if (i != current && !skipped(i))
                others.push_back(i);
        if (!others.empty())
            return others[size_t(Draw(long(others.size())))];
        return inList && !skipped(current) ? current : -1;
    }

    // Forward or backward, one position at a time from where the current
    // item is (or was), wrapping at either end; after `count` positions the
    // walk is back at the current one.
    const long step = m_Sequence == kSlideBackward ? -1 : 1;
    long start;
    if (current < 0)
        start = step > 0 ? -1 : 0;
    else
        start = current % count;
    for (long k = 1; k <= count; ++k) {
        const long i = ((start + step * k) % count + count) % count;
        if (!skipped(i))
            return i;
    }
    return -1;
}

CSlideTiming::CSlideTiming(int delaySeconds, bool delayFlip)
    : m_DelayMs(int64_t(std::clamp(delaySeconds, 0, kSlideMaxDelaySeconds)) * 1000), m_DelayFlip(delayFlip)
{
}

void CSlideTiming::Start(int64_t now)
{
    m_Due = now;
}

void CSlideTiming::Shown(int64_t now)
{
    if (m_DelayFlip)
        m_Due = now + m_DelayMs;
    else
        m_Due = std::max(m_Due + m_DelayMs, now);
}

void CSlideTiming::Failed(int64_t now)
{
    if (!m_DelayFlip)
        m_Due = std::max(m_Due + m_DelayMs, now);
}
