#include "view/ImageLoader.h"

#include "formats/AutoDecoder.h"
#include "base/TextException.h"

#include <chrono>
#include <new>

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

uint64_t CImageLoader::Request(const std::string& path)
{
    uint64_t generation;
    {
        std::lock_guard lock(m_Mutex);
        generation = ++m_LastGeneration;
        m_QueuedPath = path;
        m_QueuedGeneration = generation;
        m_HasQueued = true;
        m_Wanted = generation;
        m_Abandon = true;
        // Started on first use: a view that never loads costs no thread.
        if (!m_Thread.joinable())
            m_Thread = std::thread(&CImageLoader::Run, this);
    }
    m_Wake.notify_one();
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

void CImageLoader::Run()
{
    std::unique_lock lock(m_Mutex);
    for (;;) {
        m_Wake.wait(lock, [this] { return m_Stop || m_HasQueued; });
        if (m_Stop)
            return;
        const std::string path = std::move(m_QueuedPath);
        const uint64_t generation = m_QueuedGeneration;
        m_HasQueued = false;
        m_Decoding = true;
        m_Abandon = false;
        lock.unlock();

        std::shared_ptr<ImageLoadResult> result;
        try {
            result = Decode(path, &m_Abandon);
        } catch (...) {
            // Not even the result could be allocated; the receiver takes a
            // null result as a failed load.
        }

        lock.lock();
        if (m_Stop)
            return;
        if (generation != m_Wanted) {
            // Superseded or cancelled (and so abandoned, or finished just
            // before): free the pixels now, before the next decode allocates its own.
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
        result->Image = std::move(image);
    } catch (const CTextException& e) {
        result->Error = e.GetText();
    } catch (const std::bad_alloc&) {
        result->Error = "Out of memory.";
    } catch (const std::exception& e) {
        result->Error = e.what();
    }
    result->Milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return result;
}
