// CThumbnailPool: makes thumbnails on worker threads of its own (the cores
// but one, at least one). The caller says which files it wants, first
// first; each call replaces the queue, so files scrolled out of sight are
// never made. Files already being made are finished. A new visit (another
// folder) or Cancel abandons the work in progress between rows, and nothing
// of an earlier visit is delivered after.
#pragma once

#include "view/ThumbnailMaker.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CThumbnailCache;

class CThumbnailPool {
public:
    // Called on a worker thread, under the pool's lock, for each finished file
    // of the current visit (result null only when memory ran out); it must
    // hand the result to its own thread and return, without calling the pool.
    using Deliver = std::function<void(uint64_t visit, const std::string& path, int box,
                                       std::shared_ptr<ThumbnailResult> result)>;

    // cache may be null. threads <= 0 takes DefaultThreads().
    CThumbnailPool(Deliver deliver, std::shared_ptr<CThumbnailCache> cache, int threads = 0);
    // Abandons the work in progress and joins the workers; nothing is delivered after.
    ~CThumbnailPool();
    CThumbnailPool(const CThumbnailPool&) = delete;
    CThumbnailPool& operator=(const CThumbnailPool&) = delete;

    static int DefaultThreads();

    // The files (absolute paths) wanted now, at box pixels, first first.
    // A visit other than the current one abandons the current one.
    void Want(uint64_t visit, const std::vector<std::string>& paths, int box);
    // Forgets the queue and abandons the work in progress.
    void Cancel();
    // True while a file is being made or waits.
    bool IsBusy();
    // Called, under the pool's lock, when a worker takes up a file (for tests).
    void SetStartObserver(std::function<void(const std::string&)> observer);

private:
    struct Worker {
        std::thread Thread;
        std::atomic<bool> Abandon{false};
        bool Busy = false;
        std::string Path;  // being made
        uint64_t Visit = 0;
    };
    void Run(Worker& worker);
    void AbandonAllLocked();

    Deliver m_Deliver;
    std::shared_ptr<CThumbnailCache> m_Cache;
    int m_ThreadCount;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::vector<std::unique_ptr<Worker>> m_Workers;  // started on first use
    bool m_Stop = false;
    uint64_t m_Visit = 0;  // 0: none wanted
    int m_Box = 0;
    std::deque<std::string> m_Queue;
    std::function<void(const std::string&)> m_StartObserver;
};
