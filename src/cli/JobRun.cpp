#include "cli/JobRun.h"

#include <chrono>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_Interrupted = 0;

extern "C" void OnInterrupt(int)
{
    g_Interrupted = 1;
}

} // namespace

void CCliJobOwner::OnError(const JobError& error)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    ++m_Failures;
    std::fprintf(stderr, "oculane-cli: %s: %s\n", error.Path.c_str(), error.Reason.c_str());
}

void CCliJobOwner::OnFinished(bool stopped)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_Stopped = stopped;
    m_Done = true;
    m_Changed.notify_all();
}

int CCliJobOwner::Failures() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Failures;
}

int CCliJobOwner::Wait(CThread& job)
{
    std::unique_lock<std::mutex> lock(m_Lock);
    while (!m_Changed.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_Done; }))
        if (g_Interrupted)
            job.Cancel();
    if (m_Stopped)
        return 130;
    return m_Failures > 0 ? 1 : 0;
}

int RunJobToEnd(CThread& job, CCliJobOwner& owner)
{
    g_Interrupted = 0;
    std::signal(SIGINT, OnInterrupt);
    job.SetOwner(&owner);
    job.Start();
    job.PostJob();
    const int status = owner.Wait(job);
    job.Shutdown();
    std::signal(SIGINT, SIG_DFL);
    return status;
}

int RunJobToEnd(CThread& job)
{
    CCliJobOwner owner;
    return RunJobToEnd(job, owner);
}
