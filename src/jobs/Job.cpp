#include "jobs/Job.h"

#include <chrono>
#include <list>
#include <system_error>

namespace {

struct SharedLockEntry {
    std::string Name;
    std::mutex Lock;
    int Count = 0;
};

std::mutex g_RegistryLock;
// A list, so an entry's lock keeps its address while others come and go.
std::list<SharedLockEntry>& Registry()
{
    static std::list<SharedLockEntry> registry;
    return registry;
}

} // namespace

CThread::CThread(std::string objectName) : m_ObjectName(std::move(objectName)) {}

CThread::~CThread()
{
    Shutdown();
}

bool CThread::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Alive;
}

int32_t CThread::ExitCode() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Alive ? kExitCodeActive : m_ExitCode;
}

void CThread::JoinIfEnded()
{
    // A worker that has cleaned up only has its return left: the join is immediate.
    if (m_Thread.joinable() && std::this_thread::get_id() != m_Thread.get_id())
        m_Thread.join();
}

void CThread::Start()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_Alive)
        throw CThreadException(this, CThreadException::AlreadyStarted, "Thread is already started!");
    JoinIfEnded();
    m_Queue.clear();
    m_SharedLock = Register(m_ObjectName);
    m_Alive = true;
    // Before the thread exists, so its first CmdRun cannot be overwritten.
    m_State.store(StateStarting);
    try {
        m_Thread = std::thread(&CThread::ThreadMain, this);
    } catch (const std::system_error& error) {
        Unregister(m_ObjectName);
        m_SharedLock = nullptr;
        m_Alive = false;
        m_State.store(StateIdle);
        throw CThreadException(this, CThreadException::CreateFailed, error.code().message());
    }
    m_Queue.push_back(CmdStart);
    m_Changed.notify_all();
}

void CThread::PostJob()
{
    m_Stop.store(false);
    PostCommand(CmdDoJob);
}

bool CThread::PostCommand(uint32_t code)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (code == 0 || (!m_Queue.empty() && m_Queue.back() == code))
        return true;
    m_Queue.push_back(code);
    m_Changed.notify_all();
    return true;
}

bool CThread::PostCommandFirst(uint32_t code)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (!m_Alive || code == 0)
        return false;
    m_Queue.push_front(code);
    return true;
}

uint32_t CThread::WaitForCommand(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_Lock);
    const auto ready = [this] { return !m_Queue.empty(); };
    if (timeoutMs < 0)
        m_Changed.wait(lock, ready);
    else if (!m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return CmdTimeout;
    const uint32_t code = m_Queue.front();
    m_Queue.pop_front();
    return code;
}

bool CThread::Stop(int32_t& exitCode, int polls)
{
    std::unique_lock<std::mutex> lock(m_Lock);
    if (m_Alive) {
        m_Stop.store(true);
        if (m_Queue.empty() || m_Queue.back() != CmdStop)
            m_Queue.push_back(CmdStop);
        m_Changed.notify_all();
        const auto ended = [this] { return !m_Alive; };
        if (polls < 0)
            m_Changed.wait(lock, ended);
        else
            m_Changed.wait_for(lock, std::chrono::milliseconds(100) * polls, ended);
        if (m_Alive) {
            exitCode = kExitCodeActive;
            return false;
        }
    }
    JoinIfEnded();
    exitCode = m_ExitCode;
    return true;
}

void CThread::Shutdown()
{
    int32_t exitCode;
    Stop(exitCode, -1);
}

void CThread::ThreadMain()
{
    int32_t result;
    try {
        result = Run();
    } catch (...) {
        // A job's failure must not end the process; its owner has had its reports.
        result = -1;
    }
    std::lock_guard<std::mutex> lock(m_Lock);
    Unregister(m_ObjectName);
    m_SharedLock = nullptr;
    m_Queue.clear();
    m_State.store(StateIdle);
    m_ExitCode = result;
    m_Alive = false;
    m_Changed.notify_all();
}

int32_t CThread::Run()
{
    for (;;) {
        switch (WaitForCommand(-1)) {
        case CmdStart:
            PostCommandFirst(CmdRun);
            break;
        case CmdRun:
            if (GetState() != StatePaused)
                SetState(StateRunning);
            break;
        case CmdPause:
            SetState(StatePaused);
            break;
        case CmdContinue:
            if (GetState() == StatePaused) {
                SetState(StateContinuing);
                PostCommandFirst(CmdRun);
            }
            break;
        case CmdStop:
            m_Stop.store(true);
            return 0;
        case CmdDoJob:
            DoJob();
            if (m_Owner)
                m_Owner->OnFinished(Stopping());
            break;
        default:
            break;
        }
    }
}

std::mutex* CThread::Register(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_RegistryLock);
    for (SharedLockEntry& entry : Registry()) {
        if (entry.Name == name) {
            ++entry.Count;
            return &entry.Lock;
        }
    }
    SharedLockEntry& entry = Registry().emplace_back();
    entry.Name = name;
    entry.Count = 1;
    return &entry.Lock;
}

void CThread::Unregister(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_RegistryLock);
    std::list<SharedLockEntry>& registry = Registry();
    for (auto it = registry.begin(); it != registry.end(); ++it) {
        if (it->Name != name)
            continue;
        if (--it->Count <= 0)
            registry.erase(it);
        return;
    }
}

int CThread::SharedLockCount(const std::string& objectName)
{
    std::lock_guard<std::mutex> lock(g_RegistryLock);
    for (const SharedLockEntry& entry : Registry())
        if (entry.Name == objectName)
            return entry.Count;
    return 0;
}
