// Running one job to its end from the command line: each failure on standard
// error with its path and reason, SIGINT passed on to the job as a cancel (the
// item in flight is finished or removed first).
#pragma once

#include "jobs/Job.h"

#include <condition_variable>
#include <mutex>

// Starts the job (its request already handed over), waits for its run and
// shuts it down. Exit status: 0 done, 1 some item failed, 130 interrupted.
int RunJobToEnd(CThread& job);
// The same with an owner of the caller's, which must pass its calls on to
// CCliJobOwner's (failures, the end of the run).
class CCliJobOwner : public IJobOwner {
public:
    void OnProgress(int) override {}
    void OnCurrentItem(const std::string&) override {}
    void OnError(const JobError& error) override;
    void OnFinished(bool stopped) override;
    // Waits for the run, passing an interrupt on as a cancel; the exit status.
    int Wait(CThread& job);
    int Failures() const;

private:
    mutable std::mutex m_Lock;
    std::condition_variable m_Changed;
    bool m_Done = false;
    bool m_Stopped = false;
    int m_Failures = 0;
};
int RunJobToEnd(CThread& job, CCliJobOwner& owner);
