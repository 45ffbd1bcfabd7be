#include "view/ThumbnailPool.h"

#include "view/ThumbnailCache.h"

#include <algorithm>

CThumbnailPool::CThumbnailPool(Deliver deliver, std::shared_ptr<CThumbnailCache> cache, int threads)
    : m_Deliver(std::move(deliver)), m_Cache(std::move(cache)), m_ThreadCount(threads > 0 ? threads : DefaultThreads())
{
}

CThumbnailPool::~CThumbnailPool()
{
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
        m_Queue.clear();
        m_Visit = 0;
        AbandonAllLocked();
    }
    m_Wake.notify_all();
    for (auto& worker : m_Workers)
        if (worker->Thread.joinable())
            worker->Thread.join();
}

int CThumbnailPool::DefaultThreads()
{
    // One core stays with the user-interface thread.
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, cores - 1);
}

void CThumbnailPool::AbandonAllLocked()
{
    for (auto& worker : m_Workers)
        if (worker->Busy)
            worker->Abandon = true;
}

void CThumbnailPool::Want(uint64_t visit, const std::vector<std::string>& paths, int box)
{
    {
        std::lock_guard lock(m_Mutex);
        if (visit != m_Visit || box != m_Box) {
            AbandonAllLocked();
            m_Visit = visit;
            m_Box = box;
        }
        m_Queue.clear();
        for (const std::string& path : paths) {
            const bool inHand = std::any_of(m_Workers.begin(), m_Workers.end(), [&](const auto& worker) {
                return worker->Busy && !worker->Abandon && worker->Path == path;
            });
            if (!inHand)
                m_Queue.push_back(path);
        }
        if (m_Queue.empty())
            return;
        // Started on first use: a folder never shown as icons costs no thread.
        while (static_cast<int>(m_Workers.size()) < m_ThreadCount) {
            m_Workers.push_back(std::make_unique<Worker>());
            Worker& worker = *m_Workers.back();
            worker.Thread = std::thread(&CThumbnailPool::Run, this, std::ref(worker));
        }
    }
    m_Wake.notify_all();
}

void CThumbnailPool::Cancel()
{
    std::lock_guard lock(m_Mutex);
    m_Queue.clear();
    m_Visit = 0;
    AbandonAllLocked();
}

bool CThumbnailPool::IsBusy()
{
    std::lock_guard lock(m_Mutex);
    return !m_Queue.empty() ||
           std::any_of(m_Workers.begin(), m_Workers.end(), [](const auto& worker) { return worker->Busy; });
}

void CThumbnailPool::SetStartObserver(std::function<void(const std::string&)> observer)
{
    std::lock_guard lock(m_Mutex);
    m_StartObserver = std::move(observer);
}

void CThumbnailPool::Run(Worker& worker)
{
    std::unique_lock lock(m_Mutex);
    for (;;) {
        m_Wake.wait(lock, [this] { return m_Stop || !m_Queue.empty(); });
        if (m_Stop)
            return;
        worker.Path = std::move(m_Queue.front());
        m_Queue.pop_front();
        worker.Visit = m_Visit;
        worker.Busy = true;
        worker.Abandon = false;
        const int box = m_Box;
        if (m_StartObserver)
            m_StartObserver(worker.Path);
        lock.unlock();

        std::shared_ptr<ThumbnailResult> result;
        try {
            result = MakeThumbnail(worker.Path, box, m_Cache.get(), &worker.Abandon);
        } catch (...) {
            // Not even the result could be allocated: delivered as null.
        }

        lock.lock();
        // Delivered under the lock, so that once Cancel or a new visit has
        // returned nothing of the old one can still come.
        if (!m_Stop && worker.Visit == m_Visit && !worker.Abandon && box == m_Box)
            m_Deliver(worker.Visit, worker.Path, box, std::move(result));
        if (result) {
            lock.unlock();
            result.reset();  // the pixels go before the next file's decode
            lock.lock();
        }
        worker.Busy = false;
        worker.Path.clear();
        if (m_Stop)
            return;
    }
}
