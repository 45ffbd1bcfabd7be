#include "view/SlideShow.h"

#include "image/AreaScale.h"
#include "view/ImageLoader.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace {

// The view draws the bitmap with straight (not premultiplied) alpha.
void UnpremultiplyAlpha(CBmp& image)
{
    for (int y = 0; y < image.Height; ++y) {
        uint8_t* p = image.Lines[y];
        for (int x = 0; x < image.Width; ++x, p += 4) {
            const uint32_t a = p[3];
            if (a == 0 || a == 255)
                continue;
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t(std::min<uint32_t>(255, (p[c] * 255u + a / 2) / a));
        }
    }
}

// A display-size copy of a 32-bit image, each pixel the mean of the area it
// covers (colours weighted by alpha where the image has any).
std::unique_ptr<CWinBmp> Reduced(const CWinBmp& image, int width, int height)
{
    auto reduced = std::make_unique<CWinBmp>();
    reduced->Create(width, height, 32, image.HasAlpha);
    reduced->SourceBitsPerPixel = image.SourceBitsPerPixel;
    const int64_t stride = height > 1 ? reduced->Lines[1] - reduced->Lines[0] : reduced->BytesPerLine();
    // The decoder of the next image has the other core.
    AreaDownscale(image, width, height, reduced->Lines[0], stride, image.HasAlpha, true);
    if (image.HasAlpha)
        UnpremultiplyAlpha(*reduced);
    return reduced;
}

} // namespace

CSlideShow::CSlideShow() : CThread("CSlideShow") {}

CSlideShow::~CSlideShow()
{
    End();
}

uint64_t CSlideShow::Prepare(SlideRequest request, bool keepEarlier)
{
    uint64_t serial;
    std::unique_ptr<SlideImage> decoded, result;  // freed outside the lock
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Quit = false;
        serial = ++m_Latest;
        if (!keepEarlier) {
            m_Requests.clear();
            m_Floor = serial;
            m_Abandon = true;
            decoded = std::move(m_Decoded);
            result = std::move(m_Result);
        }
        m_Requests.emplace_back(serial, std::move(request));
        if (!m_Reducer.joinable()) {
            try {
                m_Reducer = std::thread(&CSlideShow::ReduceLoop, this);
            } catch (const std::system_error&) {
                // No second thread: the decoding thread reduces too.
            }
        }
        m_Changed.notify_all();
    }
    PostJob();
    return serial;
}

std::unique_ptr<SlideImage> CSlideShow::TakeResult()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Changed.notify_all();  // the slot is free for the next image
    if (m_Result && m_Result->Serial < m_Floor)
        m_Result.reset();
    return std::move(m_Result);
}

void CSlideShow::End()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Quit = true;
        m_Abandon = true;
        m_Requests.clear();
        m_Changed.notify_all();
    }
    int32_t exitCode;
    Stop(exitCode, -1);
    if (m_Reducer.joinable())
        m_Reducer.join();
    std::unique_ptr<SlideImage> decoded, result;
    std::lock_guard<std::mutex> lock(m_Mutex);
    decoded = std::move(m_Decoded);
    result = std::move(m_Result);
}

void CSlideShow::DoJob()
{
    // Every request queued meanwhile, in turn: a second CmdDoJob posted
    // while one waited was merged into it.
    for (;;) {
        SlideRequest request;
        uint64_t serial;
        bool reducer;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            if (m_Requests.empty() || m_Quit)
                return;
            serial = m_Requests.front().first;
            request = std::move(m_Requests.front().second);
            m_Requests.pop_front();
            m_Abandon = false;
            reducer = m_Reducer.joinable();
        }
        std::unique_ptr<SlideImage> image = DecodeImage(request, &m_Abandon);
        image->Serial = serial;
        const bool ok = image->Image != nullptr;
        if (!reducer)
            ReduceImage(*image);
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            // A full stage after this one holds this image back.
            std::unique_ptr<SlideImage>& slot = reducer ? m_Decoded : m_Result;
            m_Changed.wait(lock, [&] { return !slot || m_Quit || serial < m_Floor; });
            if (m_Quit)
                return;  // freed as the lock goes, here and below
            if (serial < m_Floor)
                continue;
            slot = std::move(image);
            m_Changed.notify_all();
        }
        if (m_SlideOwner) {
            m_SlideOwner->OnSlideDecoded(serial, ok);
            if (!reducer)
                m_SlideOwner->OnSlideReady();
        }
    }
}

void CSlideShow::ReduceLoop()
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock, [&] { return m_Decoded || m_Quit; });
        if (m_Quit)
            return;
        std::unique_ptr<SlideImage> image = std::move(m_Decoded);
        m_Changed.notify_all();
        const uint64_t serial = image->Serial;
        if (serial >= m_Floor) {
            lock.unlock();
            ReduceImage(*image);
            lock.lock();
        }
        m_Changed.wait(lock, [&] { return !m_Result || m_Quit || serial < m_Floor; });
        if (m_Quit || serial < m_Floor) {
            lock.unlock();
            image.reset();
            lock.lock();
            if (m_Quit)
                return;
            continue;
        }
        m_Result = std::move(image);
        m_Changed.notify_all();
        if (m_SlideOwner) {
            lock.unlock();
            m_SlideOwner->OnSlideReady();
            lock.lock();
        }
    }
}

std::unique_ptr<SlideImage> CSlideShow::DecodeImage(const SlideRequest& request, const std::atomic<bool>* abandon)
{
    auto result = std::make_unique<SlideImage>();
    result->Path = request.Path;
    std::shared_ptr<ImageLoadResult> loaded = CImageLoader::Decode(request.Path, abandon);
    result->DecodeMilliseconds = loaded->Milliseconds;
    if (!loaded->Image) {
        result->Error = loaded->Error;
        return result;
    }
    result->Image = std::move(loaded->Image);
    result->FullWidth = result->Image->Width;
    result->FullHeight = result->Image->Height;
    SlideDisplaySize(request.ImageSize, result->FullWidth, result->FullHeight, request.WindowWidth,
                     request.WindowHeight, result->DisplayWidth, result->DisplayHeight);
    return result;
}

void CSlideShow::ReduceImage(SlideImage& image)
{
    if (!image.Image)
        return;
    const int dw = image.DisplayWidth, dh = image.DisplayHeight;
    const bool smaller =
        dw <= image.FullWidth && dh <= image.FullHeight && (dw < image.FullWidth || dh < image.FullHeight);
    if (!smaller)
        return;  // shown at its own size or enlarged: the view scales it as it draws
    try {
        image.Image = Reduced(*image.Image, dw, dh);
    } catch (const std::bad_alloc&) {
        image.Image.reset();
        image.Error = "Out of memory.";
    }
}

std::unique_ptr<SlideImage> CSlideShow::PrepareImage(const SlideRequest& request, const std::atomic<bool>* abandon)
{
    std::unique_ptr<SlideImage> image = DecodeImage(request, abandon);
    ReduceImage(*image);
    return image;
}
