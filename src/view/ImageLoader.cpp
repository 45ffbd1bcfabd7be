#include "view/ImageLoader.h"

#include "formats/AutoDecoder.h"
#include "image/AreaScale.h"
#include "view/DisplayOrientation.h"
#include "base/TextException.h"

#include <chrono>
#include <new>
#include <system_error>

CImageLoader::CImageLoader(Deliver deliver) : m_Deliver(std::move(deliver)) {}

CImageLoader::~CImageLoader()
{
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
        m_HasQueued = false;
        m_Wanted = 0;
        m_Abandon = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable())
        m_Thread.join();
}

bool ShrunkCopyWorthIt(int width, int height, int displayWidth, int displayHeight)
{
    constexpr int64_t kScaledCopyShare = 4;
    const bool shrunk = displayWidth > 0 && displayHeight > 0 && displayWidth <= width && displayHeight <= height &&
                        (displayWidth < width || displayHeight < height);
    return shrunk && int64_t(displayWidth) * displayHeight * kScaledCopyShare <= int64_t(width) * height;
}

namespace {

struct FileStamp {
    std::filesystem::file_time_type Modified{};
    uintmax_t Size = 0;
};

FileStamp StampOf(const std::string& path)
{
    std::error_code error;
    FileStamp stamp;
    stamp.Modified = std::filesystem::last_write_time(path, error);
    stamp.Size = std::filesystem::file_size(path, error);
    return stamp;
}

} // namespace

void CImageLoader::PrepareScaled(ImageLoadResult& result, const DisplaySizer& sizer)
{
    const CWinBmp& image = *result.Image;
    int width = 0, height = 0;
    sizer(image.Width, image.Height, width, height);
    if (!ShrunkCopyWorthIt(image.Width, image.Height, width, height))
        return;
    const int64_t stride = int64_t(width) * 4;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size_t(stride) * size_t(height)]);
    if (!pixels)
        return;  // the view shrinks it itself when shown
    AreaDownscale(image, width, height, pixels.get(), stride, image.HasAlpha);
    result.Scaled = std::move(pixels);
    result.ScaledWidth = width;
    result.ScaledHeight = height;
}

void CImageLoader::StartThread()
{
    // Started on first use: a view that never loads costs no thread.
    if (!m_Thread.joinable())
        m_Thread = std::thread(&CImageLoader::Run, this);
}

long CImageLoader::FindSlot(const std::string& path) const
{
    for (size_t i = 0; i < m_Preloads.size(); ++i)
        if (m_Preloads[i].Path == path)
            return long(i);
    return -1;
}

long CImageLoader::NextPreload() const
{
    for (size_t i = 0; i < m_Preloads.size(); ++i)
        if (!m_Preloads[i].Result && !(m_Decoding && m_DecodingPath == m_Preloads[i].Path))
            return long(i);
    return -1;
}

uint64_t CImageLoader::Request(const std::string& path)
{
    uint64_t generation;
    std::shared_ptr<ImageLoadResult> ready;
    std::vector<PreloadSlot> dropped;
    {
        std::lock_guard lock(m_Mutex);
        generation = ++m_LastGeneration;
        m_Wanted = generation;
        const long slot = FindSlot(path);
        const bool aheadUnderWay = m_Decoding && m_DecodingGeneration == 0 && m_DecodingPath == path && !m_Abandon;
        if (slot >= 0 && m_Preloads[size_t(slot)].Result) {
            const PreloadSlot& found = m_Preloads[size_t(slot)];
            const FileStamp now = StampOf(path);
            if (now.Modified == found.Modified && now.Size == found.Size)
                ready = found.Result;
        }
        if (slot >= 0) {
            // Served now, taken over, or decoded again by this request: the
            // slot is done with either way.
            dropped.push_back(std::move(m_Preloads[size_t(slot)]));
            m_Preloads.erase(m_Preloads.begin() + slot);
        }
        m_HasQueued = false;
        m_QueuedPath.clear();
        if (ready) {
            // Only a request in progress is superseded; a decode ahead of the
            // other neighbour goes on.
            if (m_DecodingGeneration != 0)
                m_Abandon = true;
        } else if (aheadUnderWay) {
            m_DecodingGeneration = generation;
        } else {
            m_QueuedPath = path;
            m_QueuedGeneration = generation;
            m_HasQueued = true;
            m_Abandon = true;
            StartThread();
        }
    }
    m_Wake.notify_one();
    if (ready)
        m_Deliver(generation, std::move(ready));
    return generation;
}

void CImageLoader::Cancel()
{
    std::lock_guard lock(m_Mutex);
    m_HasQueued = false;
    m_QueuedPath.clear();
    m_Wanted = 0;
    m_Abandon = true;
}

bool CImageLoader::IsBusy()
{
    std::lock_guard lock(m_Mutex);
    return m_Decoding || m_HasQueued;
}

void CImageLoader::Preload(const std::vector<std::string>& paths, DisplaySizer sizer)
{
    std::vector<PreloadSlot> old;
    {
        std::lock_guard lock(m_Mutex);
        m_Sizer = std::move(sizer);
        std::vector<PreloadSlot> wanted;
        for (const std::string& path : paths) {
            if (wanted.size() == kMaxPreloads)
                break;
            const bool requested = (m_DecodingGeneration != 0 && m_DecodingPath == path) ||
                                   (m_HasQueued && m_QueuedPath == path);
            bool listed = requested;
            for (const PreloadSlot& slot : wanted)
                listed = listed || slot.Path == path;
            if (listed)
                continue;
            const long slot = FindSlot(path);
            if (slot >= 0) {
                wanted.push_back(std::move(m_Preloads[size_t(slot)]));
                m_Preloads.erase(m_Preloads.begin() + slot);
            } else {
                wanted.push_back(PreloadSlot{path, {}, 0, nullptr});
            }
        }
        old = std::move(m_Preloads);
        m_Preloads = std::move(wanted);
        if (m_Decoding && m_DecodingGeneration == 0 && FindSlot(m_DecodingPath) < 0)
            m_Abandon = true;
        if (!m_Preloads.empty()) {
            try {
                StartThread();
            } catch (const std::system_error&) {
                // No thread: nothing is decoded ahead, every step decodes.
                m_Preloads.clear();
            }
        }
    }
    // The bitmaps of files no longer wanted are freed here, outside the lock.
    old.clear();
    m_Wake.notify_one();
}

std::shared_ptr<ImageLoadResult> CImageLoader::TakePreloaded(const std::string& path)
{
    PreloadSlot taken;
    {
        std::lock_guard lock(m_Mutex);
        const long slot = FindSlot(path);
        if (slot < 0 || !m_Preloads[size_t(slot)].Result)
            return nullptr;
        taken = std::move(m_Preloads[size_t(slot)]);
        m_Preloads.erase(m_Preloads.begin() + slot);
        // A file replaced since it was read is decoded again by a request.
        const FileStamp now = StampOf(path);
        if (now.Modified != taken.Modified || now.Size != taken.Size)
            return nullptr;
        m_HasQueued = false;
        m_QueuedPath.clear();
        m_Wanted = 0;
        if (m_DecodingGeneration != 0)
            m_Abandon = true;
    }
    return std::move(taken.Result);
}

size_t CImageLoader::PreloadedCount()
{
    std::lock_guard lock(m_Mutex);
    size_t count = 0;
    for (const PreloadSlot& slot : m_Preloads)
        count += slot.Result && slot.Result->Image ? 1 : 0;
    return count;
}

void CImageLoader::Run()
{
    std::unique_lock lock(m_Mutex);
    for (;;) {
        m_Wake.wait(lock, [this] { return m_Stop || m_HasQueued || NextPreload() >= 0; });
        if (m_Stop)
            return;
        std::string path;
        DisplaySizer sizer;
        if (m_HasQueued) {
            path = std::move(m_QueuedPath);
            m_DecodingGeneration = m_QueuedGeneration;
            m_HasQueued = false;
        } else {
            path = m_Preloads[size_t(NextPreload())].Path;
            m_DecodingGeneration = 0;
            sizer = m_Sizer;
        }
        m_DecodingPath = path;
        m_Decoding = true;
        m_Abandon = false;
        ++m_DecodeCount;
        lock.unlock();

        // Taken before reading, so that a change while decoding shows as one.
        const FileStamp stamp = StampOf(path);
        std::shared_ptr<ImageLoadResult> result;
        try {
            result = Decode(path, &m_Abandon);
        } catch (...) {
            // Not even the result could be allocated; the receiver takes a
            // null result as a failed load.
        }
        if (sizer && result && result->Image && !m_Abandon) {
            try {
                PrepareScaled(*result, sizer);
            } catch (...) {
                // Without the copy the view shrinks the image when it shows it.
            }
        }

        lock.lock();
        if (m_Stop)
            return;
        const uint64_t generation = m_DecodingGeneration;
        m_DecodingPath.clear();
        m_DecodingGeneration = 0;
        if (generation == 0) {
            // Decoded ahead: kept while its file is still wanted and the
            // decode ran to its end.
            const long slot = FindSlot(path);
            if (slot >= 0 && result && !m_Abandon) {
                PreloadSlot& kept = m_Preloads[size_t(slot)];
                kept.Result = std::move(result);
                kept.Modified = stamp.Modified;
                kept.Size = stamp.Size;
            }
        }
        if (generation == 0 || generation != m_Wanted) {
            // Superseded or cancelled (and so abandoned, or finished just
            // before), or not kept ahead: free the pixels now, before the
            // next decode allocates its own.
            lock.unlock();
            result.reset();
            lock.lock();
            m_Decoding = false;
            continue;
        }
        lock.unlock();
        m_Deliver(generation, std::move(result));
        lock.lock();
        m_Decoding = false;
    }
}

std::shared_ptr<ImageLoadResult> CImageLoader::Decode(const std::string& path, const std::atomic<bool>* abort)
{
    auto result = std::make_shared<ImageLoadResult>();
    result->Path = path;
    const auto start = std::chrono::steady_clock::now();
    try {
        auto image = std::make_unique<CWinBmp>();
        CAutoDecoder decoder;
        decoder.SetAbortFlag(abort);
        try {
            decoder.DecodeFile(path, *image, 32);
        } catch (...) {
            result->Notices = decoder.GetNotices();
            throw;
        }
        result->Notices = decoder.GetNotices();
        if (image->Width <= 0 || image->Height <= 0 || !image->Lines)
            throw CTextException(ErrFormat, "The image has no pixels.");
        // Every operation of the view expects 32 bits per pixel.
        if (image->BitsPerPixel != 32)
            image->CopyFrom(*image, 32);
        // Shown as the camera was held; the file itself stays as it is.
        OrientForDisplay(path, image);
        result->Image = std::move(image);
    } catch (const CTextException& e) {
        result->Error = e.GetText();
        result->Code = e.GetCode();
    } catch (const std::bad_alloc&) {
        result->Error = "Out of memory.";
    } catch (const std::exception& e) {
        result->Error = e.what();
    }
    result->Milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return result;
}
