// CImageLoader: decodes the image view's pictures on a worker thread, one at a
// time. A request made while another is decoding waits as the only queued one
// (a newer request replaces it), and only the latest request's result is
// delivered. A decode that a newer request, Cancel or the destructor makes
// useless is abandoned between rows, so none of them waits for it to finish.
// When no request waits, the same thread decodes the images the viewer is
// likely to show next (at most two, each a fresh decode of its file), so a
// step to one of them needs no decode at all.
#pragma once

#include "image/WinBmp.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
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
    int Code = 0;                     // the decoder's error code of a failure; 0 none
    std::vector<std::string> Notices; // reservations of a decode that worked
    int64_t Milliseconds = 0;         // time spent decoding
    // A decode ahead also brings the image to the size it will be shown at
    // (rows top-down, 4 bytes a pixel, premultiplied when the image has
    // alpha); empty when it is shown at its own size.
    std::unique_ptr<uint8_t[]> Scaled;
    int ScaledWidth = 0, ScaledHeight = 0;
};

// The display size a decoded width x height image will be shown at; the
// decoder ahead prepares the shrunk copy of that size when it is worth one.
using DisplaySizer = std::function<void(int width, int height, int& displayWidth, int& displayHeight)>;

// True when an image of width x height shown at displayWidth x displayHeight
// is drawn from a shrunk copy: when it shrinks to a quarter of its area or less.
// Milder reductions are drawn from the image itself, where bilinear filtering
// is still free of aliasing.
bool ShrunkCopyWorthIt(int width, int height, int displayWidth, int displayHeight);

class CImageLoader {
public:
    // Called on the worker thread with the generation of the latest request
    // and its result (null only when memory ran out before a result could be
    // made); it must hand both over to its own thread and return.
    using Deliver = std::function<void(uint64_t, std::shared_ptr<ImageLoadResult>)>;

    // Images decoded ahead at most.
    static constexpr size_t kMaxPreloads = 2;

    explicit CImageLoader(Deliver deliver);
    // Abandons a decode in progress and waits for the worker to stop (a row or
    // so); nothing is delivered after.
    ~CImageLoader();
    CImageLoader(const CImageLoader&) = delete;
    CImageLoader& operator=(const CImageLoader&) = delete;

    // Queues path for decoding and returns the request's generation (> 0);
    // a decode in progress is abandoned. A decode ahead of the same file that
    // is under way becomes this request instead; one that is finished is
    // delivered at once.
    uint64_t Request(const std::string& path);
    // Forgets the queued request and abandons the one in progress.
    void Cancel();
    // True while a decode runs on the worker (abandoned or not) or a request waits.
    bool IsBusy();

    // The files to decode ahead, in order of preference (at most
    // kMaxPreloads are kept; empty frees them all). Images decoded ahead of
    // files not named any more are freed at once, and such a decode under way
    // is abandoned.
    void Preload(const std::vector<std::string>& paths, DisplaySizer sizer = {});
    // The finished decode ahead of path, taken out of the loader; null when
    // there is none or the file changed on disk since it was read. A result
    // taken supersedes every request made before (none of them is delivered).
    std::shared_ptr<ImageLoadResult> TakePreloaded(const std::string& path);
    // Decoded images held ahead, and decodes the worker started (requests and
    // preloads alike), for tests and benchmarks.
    size_t PreloadedCount();
    uint64_t DecodeCount() const { return m_DecodeCount.load(); }

    // Decodes on the calling thread: what the worker does for each request.
    // Once abort (may be null) is set the decode stops between rows, and the
    // result has no image and the error "Decoding abandoned.".
    static std::shared_ptr<ImageLoadResult> Decode(const std::string& path,
                                                   const std::atomic<bool>* abort = nullptr);

private:
    // A file decoded ahead, or waiting to be.
    struct PreloadSlot {
        std::string Path;
        std::filesystem::file_time_type Modified{};  // as found before decoding
        uintmax_t Size = 0;
        std::shared_ptr<ImageLoadResult> Result;     // null until finished
    };

    void Run();
    void StartThread();
    static void PrepareScaled(ImageLoadResult& result, const DisplaySizer& sizer);
    // The slot of path, or -1. The mutex is held.
    long FindSlot(const std::string& path) const;
    // The first slot still to be decoded, or -1. The mutex is held.
    long NextPreload() const;

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
    // The decode under way: its file, and the request it serves (0 while it
    // is a decode ahead that no request has taken over).
    std::string m_DecodingPath;
    uint64_t m_DecodingGeneration = 0;
    std::vector<PreloadSlot> m_Preloads;
    DisplaySizer m_Sizer;
    std::atomic<uint64_t> m_DecodeCount{0};
};
