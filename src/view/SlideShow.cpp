#include "view/SlideShow.h"

#include "image/AreaScale.h"
#include "view/ImageLoader.h"

#include <algorithm>
#include <new>

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
    AreaDownscale(image, width, height, reduced->Lines[0], stride, image.HasAlpha);
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

uint64_t CSlideShow::Prepare(SlideRequest request)
{
    uint64_t serial;
    std::unique_ptr<SlideImage> stale;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        serial = ++m_Latest;
        m_Request = std::move(request);
        m_HasRequest = true;
        m_Abandon = true;
        stale = std::move(m_Result);
    }
    PostJob();
    return serial;
}

std::unique_ptr<SlideImage> CSlideShow::TakeResult()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return std::move(m_Result);
}

void CSlideShow::End()
{
    m_Abandon = true;
    int32_t exitCode;
    Stop(exitCode, -1);
    std::unique_ptr<SlideImage> dropped;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_HasRequest = false;
    dropped = std::move(m_Result);
}

void CSlideShow::DoJob()
{
    SlideRequest request;
    uint64_t serial;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_HasRequest || Stopping())
            return;
        request = std::move(m_Request);
        serial = m_Latest;
        m_HasRequest = false;
        m_Abandon = false;
    }
    std::unique_ptr<SlideImage> result = PrepareImage(request, &m_Abandon);
    result->Serial = serial;
    std::lock_guard<std::mutex> lock(m_Mutex);
    // A newer request came meanwhile: this one is dropped (outside the lock,
    // as `result` goes out of scope after it).
    if (serial == m_Latest && !Stopping())
        std::swap(m_Result, result);
}

std::unique_ptr<SlideImage> CSlideShow::PrepareImage(const SlideRequest& request, const std::atomic<bool>* abandon)
{
    auto result = std::make_unique<SlideImage>();
    result->Path = request.Path;
    std::shared_ptr<ImageLoadResult> loaded = CImageLoader::Decode(request.Path, abandon);
    result->DecodeMilliseconds = loaded->Milliseconds;
    if (!loaded->Image) {
        result->Error = loaded->Error;
        return result;
    }
    const CWinBmp& image = *loaded->Image;
    result->FullWidth = image.Width;
    result->FullHeight = image.Height;
    SlideDisplaySize(request.ImageSize, image.Width, image.Height, request.WindowWidth, request.WindowHeight,
                     result->DisplayWidth, result->DisplayHeight);
    const int dw = result->DisplayWidth, dh = result->DisplayHeight;
    const bool smaller = dw <= image.Width && dh <= image.Height && (dw < image.Width || dh < image.Height);
    if (!smaller || (abandon && abandon->load())) {
        // Shown at its own size or enlarged: the view scales it as it draws.
        result->Image = std::move(loaded->Image);
        return result;
    }
    try {
        result->Image = Reduced(image, dw, dh);
    } catch (const std::bad_alloc&) {
        result->Error = "Out of memory.";
    }
    return result;
}
