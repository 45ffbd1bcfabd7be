#include "jobs/DeleteJob.h"

#include "jobs/FaultOps.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct DeleteRun final : IJobOwner {
    std::vector<JobError> Errors;
    std::vector<std::string> Items;
    std::string CancelAt;  // the item whose turn cancels the job
    CThread* Job = nullptr;
    std::promise<bool> Finished;
    int LastPercent = -1;

    void OnProgress(int percent) override { LastPercent = percent; }
    void OnCurrentItem(const std::string& path) override
    {
        Items.push_back(path);
        if (path == CancelAt)
            Job->Cancel();
    }
    void OnError(const JobError& error) override { Errors.push_back(error); }
    void OnFinished(bool stopped) override { Finished.set_value(stopped); }

    // Runs one delete of the paths; true when it was stopped.
    bool Run(const std::vector<std::string>& paths, IFileOps& ops = SystemFileOps())
    {
        CDeleteJob job(ops);
        Job = &job;
        job.SetOwner(this);
        job.SetRequest({paths, false});
        job.Start();
        job.PostJob();
        return Finished.get_future().get();
    }
};

void Touch(const std::string& path)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

TEST(DeleteJobTest, LinksAreDeletedAsLinks)
{
    TempFolder tmp;
    Touch(tmp.File("outside/keep"));
    Touch(tmp.File("tree/sub/file"));
    fs::create_directory_symlink(tmp.File("outside"), tmp.File("tree/folder-link"));
    fs::create_symlink(tmp.File("outside/keep"), tmp.File("tree/sub/file-link"));
    fs::create_directory_symlink(tmp.File("outside"), tmp.File("top-link"));
    ASSERT_EQ(::mkfifo(tmp.File("tree/sub/pipe").c_str(), 0600), 0);  // neither file nor folder nor link
    DeleteRun run;
    EXPECT_FALSE(run.Run({tmp.File("tree"), tmp.File("top-link/")}));
    EXPECT_TRUE(run.Errors.empty());
    EXPECT_FALSE(Exists(tmp.File("tree")));
    EXPECT_FALSE(Exists(tmp.File("top-link")));
    EXPECT_TRUE(Exists(tmp.File("outside/keep")));
    EXPECT_EQ(run.LastPercent, 100);
}

// A file that cannot go is reported with its path and reason; its folders
// then fail as not empty, and everything else is deleted.
TEST(DeleteJobTest, RefusedFileIsReportedAndTheJobGoesOn)
{
    struct Case {
        const char* name;
        bool readOnlyFolder;  // a real read-only folder rather than an injected fault
    };
    for (const Case c : {Case{"injected EACCES", false}, Case{"read-only folder", true}}) {
        TempFolder tmp;
        const std::string top = tmp.File("top");
        for (const char* name : {"a", "locked/b", "locked/c", "z/d"})
            Touch(top + "/" + name);
        FaultOps ops;
        ops.UnlinkPrefix = top + "/locked/b";
        if (c.readOnlyFolder) {
            fs::permissions(top + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
            // root may write anywhere: the folder's refusal is then injected.
            ops.UnlinkPrefix = ::geteuid() == 0 ? top + "/locked/" : "";
        }
        DeleteRun run;
        EXPECT_FALSE(run.Run({top}, ops)) << c.name;
        EXPECT_FALSE(Exists(top + "/a")) << c.name;
        EXPECT_FALSE(Exists(top + "/z")) << c.name;
        EXPECT_TRUE(Exists(top + "/locked/b")) << c.name;
        ASSERT_GE(run.Errors.size(), 3u) << c.name;
        EXPECT_EQ(run.Errors[0].Path, top + "/locked/b") << c.name;
        EXPECT_EQ(run.Errors[0].Text, "Can't delete " + top + "/locked/b\nPermission denied") << c.name;
        EXPECT_EQ(run.Errors.back().Text, "Can't delete the '" + top + "' folder.\nDirectory not empty") << c.name;
        fs::permissions(top + "/locked", fs::perms::owner_all);
    }
}

TEST(DeleteJobTest, CancelStopsAfterTheItemInFlight)
{
    for (const int at : {0, 2, 4}) {
        TempFolder tmp;
        std::vector<std::string> files;
        for (int i = 0; i < 5; ++i)
            Touch(files.emplace_back(tmp.File("f" + std::to_string(i))));
        DeleteRun run;
        run.CancelAt = files[at];
        EXPECT_TRUE(run.Run(files)) << at;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Exists(files[i]), i > at) << at << " " << i;
        EXPECT_EQ(run.Items.size(), static_cast<size_t>(at + 1));
    }
}

TEST(DeleteJobTest, RootAndHomeAreRefused)
{
    TempFolder tmp;
    Touch(tmp.File("home/me/file"));
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("HOME", tmp.File("home/me").c_str(), 1);
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {"/", "It is the root of a filesystem."},
        {"/.", "It is the root of a filesystem."},
        {tmp.File("home/me"), "It is the home folder."},
        {tmp.File("home/me/"), "It is the home folder."},
        {tmp.File("home"), "It holds the home folder."},
    };
    for (const Case& c : cases) {
        FaultOps ops;
        ops.RefuseAll = true;  // even a wrong answer must not delete anything here
        DeleteRun run;
        run.Run({c.path}, ops);
        EXPECT_TRUE(ops.Changes.empty()) << c.path;
        ASSERT_EQ(run.Errors.size(), 1u) << c.path;
        EXPECT_EQ(run.Errors[0].Reason, c.reason) << c.path;
    }
    ::setenv("HOME", savedHome.c_str(), 1);
    EXPECT_TRUE(Exists(tmp.File("home/me/file")));
}

} // namespace
