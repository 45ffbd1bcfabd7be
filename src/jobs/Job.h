// CThread: the base of every job that runs beside the user interface. It owns
// one worker thread that waits for numbered commands; the owner starts it,
// posts commands (CmdDoJob runs the job once) and stops it. Stopping is only
// ever cooperative: Cancel sets a stop flag the job polls before each unit of
// work, and the flag stays set until the owner posts the next run, so a
// cancel arriving between two polls is never lost. No thread is killed or
// detached: Stop waits a bounded time, and Shutdown (called by every job's
// destructor) stops and joins.
#pragma once

#include "jobs/JobOwner.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

enum JobCommand : uint32_t {
    CmdTimeout = 1,
    CmdStart = 2,
    CmdRun = 3,
    CmdPause = 4,
    CmdContinue = 5,
    CmdStop = 7,
    CmdDoJob = 8,
};

enum JobState : int32_t {
    StateStarting = 0,
    StateIdle = 1,
    StateRunning = 2,
    StatePaused = 3,
    StateContinuing = 4,
};

constexpr int32_t kExitCodeNone = -2;
constexpr int32_t kExitCodeActive = 259;

class CThread;

class CThreadException : public std::exception {
public:
    enum Kind { CreateFailed = 1, AlreadyStarted = 2, TerminateFailed = 3, EventFailed = 4, PostFailed = 5 };
    CThreadException(const CThread* thread, Kind kind, std::string text)
        : m_Thread(thread), m_Kind(kind), m_Text(std::move(text)) {}
    const CThread* GetThread() const { return m_Thread; }
    Kind GetKind() const { return m_Kind; }
    const std::string& GetText() const { return m_Text; }
    const char* what() const noexcept override { return m_Text.c_str(); }

private:
    const CThread* m_Thread;
    Kind m_Kind;
    std::string m_Text;
};

class CThread {
public:
    // objectName keys the shared-lock registry (the job's class name).
    explicit CThread(std::string objectName);
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    void SetOwner(IJobOwner* owner) { m_Owner = owner; }
    IJobOwner* GetOwner() const { return m_Owner; }
    JobState GetState() const { return m_State.load(); }
    void SetState(JobState state) { m_State.store(state); }
    const std::string& ObjectName() const { return m_ObjectName; }
    bool IsRunning() const;
    int32_t ExitCode() const;

    // Creates the worker and posts CmdStart. Throws kind 2 when it runs
    // already, kind 1 when the system cannot create a thread.
    void Start();
    // Clears the stop flag, then posts CmdDoJob: one run of the job.
    void PostJob();
    // Appends a command, unless it is 0 or repeats the one at the tail.
    bool PostCommand(uint32_t code);
    // Asks the job to stop at its next poll; the run reports itself stopped.
    void Cancel() { m_Stop.store(true); }
    // Cancels, posts CmdStop and waits up to `polls` × 100 ms (-1: without
    // limit) for the thread to end. True when it has ended (and was joined),
    // false when it still runs; exitCode gets its result or 259.
    bool Stop(int32_t& exitCode, int polls);
    // Stops and joins, however long the item in flight takes. Every job's
    // destructor calls it before its own fields go.
    void Shutdown();

    // Process-wide count of running objects of this name (the shared-lock registry).
    static int SharedLockCount(const std::string& objectName);
    // The lock shared by every running object of this job's name; only while running.
    std::mutex* SharedLock() const { return m_SharedLock; }

protected:
    // Worker side.
    bool PostCommandFirst(uint32_t code);
    // The next command; CmdTimeout when none came within timeoutMs (-1: wait without limit).
    uint32_t WaitForCommand(int timeoutMs);
    // True once the job has been asked to stop; stays true until the next PostJob.
    bool Stopping() const { return m_Stop.load(); }
    // The thread body: the common command loop; its result is the exit code.
    virtual int32_t Run();
    // One run of the job, for CmdDoJob. Polls Stopping() before each item.
    virtual void DoJob() = 0;

private:
    void ThreadMain();
    void JoinIfEnded();
    static std::mutex* Register(const std::string& name);
    static void Unregister(const std::string& name);

    const std::string m_ObjectName;
    IJobOwner* m_Owner = nullptr;
    std::atomic<JobState> m_State{StateIdle};
    std::atomic<bool> m_Stop{false};

    mutable std::mutex m_Lock;  // the fields below
    std::condition_variable m_Changed;
    std::deque<uint32_t> m_Queue;
    std::thread m_Thread;
    bool m_Alive = false;  // from Start until the worker has cleaned up
    int32_t m_ExitCode = kExitCodeNone;
    std::mutex* m_SharedLock = nullptr;
};
