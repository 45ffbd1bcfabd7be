#include "jobs/Job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Records what the owner is told.
struct Recorder final : IJobOwner {
    std::promise<bool> Finished;
    void OnProgress(int) override {}
    void OnCurrentItem(const std::string&) override {}
    void OnError(const JobError&) override {}
    void OnFinished(bool stopped) override { Finished.set_value(stopped); }
    bool Wait()
    {
        const bool stopped = Finished.get_future().get();
        Finished = {};
        return stopped;
    }
};

// Reports the state it runs in; optionally waits for a gate, then polls twice.
class ProbeJob final : public CThread {
public:
    ProbeJob() : CThread("ProbeJob") {}
    ~ProbeJob() override { Shutdown(); }
    std::atomic<JobState> Seen{StateStarting};
    std::promise<void> Entered;
    std::shared_future<void> Gate;
    bool Spin = false;
    std::vector<bool> Polls;

protected:
    void DoJob() override
    {
        Seen = GetState();
        if (Gate.valid()) {
            Entered.set_value();
            Gate.wait();
            Polls = {Stopping(), Stopping()};
        }
        while (Spin && !Stopping())
            std::this_thread::sleep_for(1ms);
    }
};

// The loop's answers to commands, seen from the next run.
TEST(JobTest, CommandsChangeStateInOrder)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> commands;
        JobState seen;
    };
    const Case cases[] = {
        {"started", {}, StateRunning},
        {"paused", {CmdPause}, StatePaused},
        {"run while paused", {CmdPause, CmdRun}, StatePaused},
        {"continued", {CmdPause, CmdContinue}, StateRunning},
        {"continue while running", {CmdContinue}, StateRunning},
    };
    for (const Case& c : cases) {
        ProbeJob job;
        Recorder owner;
        job.SetOwner(&owner);
        job.Start();
        for (uint32_t command : c.commands)
            job.PostCommand(command);
        job.PostJob();
        EXPECT_FALSE(owner.Wait()) << c.name;
        EXPECT_EQ(job.Seen.load(), c.seen) << c.name;
    }
}

TEST(JobTest, CancelBetweenPollsIsNotLostAndClearsOnNextRun)
{
    ProbeJob job;
    Recorder owner;
    job.SetOwner(&owner);
    std::promise<void> gate;
    job.Gate = gate.get_future().share();
    job.Start();
    job.PostJob();
    job.Entered.get_future().wait();
    job.Cancel();  // while the job is between two polls
    gate.set_value();
    EXPECT_TRUE(owner.Wait());
    EXPECT_EQ(job.Polls, (std::vector<bool>{true, true}));

    job.Entered = {};
    job.PostJob();
    EXPECT_FALSE(owner.Wait());
    EXPECT_EQ(job.Polls, (std::vector<bool>{false, false}));
}

TEST(JobTest, StartsTwiceOnlyAfterStop)
{
    ProbeJob job;
    job.Start();
    EXPECT_EQ(CThread::SharedLockCount("ProbeJob"), 1);
    try {
        job.Start();
        ADD_FAILURE() << "second start accepted";
    } catch (const CThreadException& e) {
        EXPECT_EQ(e.GetKind(), CThreadException::AlreadyStarted);
        EXPECT_EQ(e.GetText(), "Thread is already started!");
    }
    int32_t code = 0;
    EXPECT_TRUE(job.Stop(code, -1));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(CThread::SharedLockCount("ProbeJob"), 0);
    EXPECT_EQ(job.GetState(), StateIdle);

    Recorder owner;
    job.SetOwner(&owner);
    job.Start();
    job.PostJob();
    EXPECT_FALSE(owner.Wait());
}

TEST(JobTest, StopWithoutWaitingLeavesARunningJob)
{
    ProbeJob job;
    job.Spin = true;
    job.Start();
    job.PostJob();
    while (job.GetState() != StateRunning)
        std::this_thread::sleep_for(1ms);
    int32_t code = 0;
    const bool ended = job.Stop(code, 0);
    if (!ended) {  // the worker may have seen the flag at once
        EXPECT_EQ(code, kExitCodeActive);
    }
    EXPECT_TRUE(job.Stop(code, -1));
    EXPECT_FALSE(job.IsRunning());
}

TEST(JobTest, DestructionWhileRunningJoinsPromptly)
{
    auto job = std::make_unique<ProbeJob>();
    job->Spin = true;
    job->Start();
    job->PostJob();
    std::this_thread::sleep_for(20ms);
    const auto before = std::chrono::steady_clock::now();
    job.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_EQ(CThread::SharedLockCount("ProbeJob"), 0);
}

} // namespace
