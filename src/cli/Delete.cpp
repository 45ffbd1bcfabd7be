#include "cli/Delete.h"

#include "jobs/DeleteJob.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>

namespace {

volatile std::sig_atomic_t g_Interrupted = 0;

extern "C" void OnInterrupt(int)
{
    g_Interrupted = 1;
}

class CCliOwner final : public IJobOwner {
public:
    void OnProgress(int) override {}
    void OnCurrentItem(const std::string&) override {}
    void OnError(const JobError& error) override
    {
        std::fprintf(stderr, "oculane-cli: %s: %s\n", error.Path.c_str(), error.Reason.c_str());
    }
    void OnFinished(bool stopped) override
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Stopped = stopped;
        m_Done = true;
        m_Changed.notify_all();
    }
    // Waits for the run, passing an interrupt on as a cancel; true when it was stopped.
    bool Wait(CThread& job)
    {
        std::unique_lock<std::mutex> lock(m_Lock);
        while (!m_Changed.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_Done; }))
            if (g_Interrupted)
                job.Cancel();
        return m_Stopped;
    }

private:
    std::mutex m_Lock;
    std::condition_variable m_Changed;
    bool m_Done = false;
    bool m_Stopped = false;
};

} // namespace

int RunDelete(const std::vector<std::string>& args)
{
    DeleteRequest request;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--trash") {
            request.UseTrash = true;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "oculane-cli: unknown option '%s' (try --help)\n", arg.c_str());
            return 2;
        } else {
            request.Paths.push_back(arg);
        }
    }
    if (request.Paths.empty()) {
        std::fputs("oculane-cli: delete needs at least one path (try --help)\n", stderr);
        return 2;
    }
    std::signal(SIGINT, OnInterrupt);
    CCliOwner owner;
    CDeleteJob job;
    job.SetOwner(&owner);
    job.SetRequest(std::move(request));
    job.Start();
    job.PostJob();
    const bool stopped = owner.Wait(job);
    const int failures = job.Failures();
    job.Shutdown();
    std::signal(SIGINT, SIG_DFL);
    if (stopped)
        return 130;
    return failures > 0 ? 1 : 0;
}
