// CImageLoader: decodes the image view's pictures on a worker thread, one at a
// time. A request made while another is decoding waits as the only queued one
// (a newer request replaces it), and only the latest request's result is
// delivered. A decode that a newer request, Cancel or the destructor makes
// useless is abandoned between rows, so none of them waits for it to finish.
#pragma once

#include "image/WinBmp.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ImageLoadResult {
    std::string Path;
    std::unique_ptr<CWinBmp> Image;   // 32 bits per pixel; null when decoding failed
    std::string Error;                // why it failed
    std::vector<std::string> Notices; // reservations of a decode that worked
    int64_t Milliseconds = 0;         // time spent decoding
};

class CImageLoader {
public:
    // Called on the worker thread with the generation of the latest request
    // and its result (null only when memory ran out before a result could be
    // made); it must hand both over to its own thread and return.
    using Deliver = std::function<void(uint64_t, std::shared_ptr<ImageLoadResult>)>;

    explicit CImageLoader(Deliver deliver);
    // Abandons a decode in progress and waits for the worker to stop (a row or
    // so); nothing is delivered after.
    ~CImageLoader();
    CImageLoader(const CImageLoader&) = delete;
    CImageLoader& operator=(const CImageLoader&) = delete;

    // Queues path for decoding and returns the request's generation (> 0);
    // a decode in progress is abandoned.
    uint64_t Request(const std::string& path);
    // Forgets the queued request and abandons the one in progress.
    void Cancel();
    // True while a decode runs on the worker (abandoned or not) or a request waits.
    bool IsBusy();

    // Decodes on the calling thread: what the worker does for each request.
    // Once abort (may be null) is set the decode stops between rows, and the
    // result has no image and the error "Decoding abandoned.".
    static std::shared_ptr<ImageLoadResult> Decode(const std::string& path,
                                                   const std::atomic<bool>* abort = nullptr);

private:
    void Run();

    Deliver m_Deliver;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::thread m_Thread;
    bool m_Stop = false;
    bool m_HasQueued = false;
    bool m_Decoding = false;
    // Set when the decode in progress is no longer wanted; cleared by the
    // worker (under the mutex) as it takes up each request.
    std::atomic<bool> m_Abandon{false};
    std::string m_QueuedPath;
    uint64_t m_QueuedGeneration = 0;
    uint64_t m_LastGeneration = 0;  // of the latest request
    uint64_t m_Wanted = 0;          // generation whose result is still wanted; 0 none
};
