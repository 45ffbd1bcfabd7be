#include "base/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_Threads{0};

// Below this much work a thread costs more than it saves.
constexpr int64_t kMinParallelWork = int64_t(1) << 16;

// More threads than this gain nothing on memory-bound kernels.
constexpr int kMaxThreads = 16;

} // namespace

void SetParallelThreads(int threads)
{
    g_Threads = std::clamp(threads, 0, kMaxThreads);
}

int ParallelThreads()
{
    const int set = g_Threads;
    if (set > 0)
        return set;
    const unsigned hardware = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(hardware), 1, kMaxThreads);
}

void ParallelRows(int64_t count, int64_t costPerRow, const std::function<void(int64_t begin, int64_t end)>& body)
{
    if (count <= 0)
        return;
    int64_t threads = ParallelThreads();
    const int64_t cost = std::max<int64_t>(costPerRow, 1);
    if (count < kMinParallelWork / cost * threads)
        threads = std::max<int64_t>(1, count * cost / kMinParallelWork);
    threads = std::min(threads, count);
    if (threads <= 1) {
        body(0, count);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(threads - 1));
    auto rangeStart = [&](int64_t i) { return count * i / threads; };
    for (int64_t i = 1; i < threads; ++i) {
        const int64_t begin = rangeStart(i), end = rangeStart(i + 1);
        try {
            workers.emplace_back([&body, begin, end] { body(begin, end); });
        } catch (const std::system_error&) {
            // No thread to be had: this range runs here instead.
            body(begin, end);
        }
    }
    body(0, rangeStart(1));
    for (std::thread& worker : workers)
        worker.join();
}
