#include "cli/FileJobs.h"

#include "cli/Arguments.h"
#include "cli/JobRun.h"
#include "jobs/PasteJob.h"

#include <cerrno>
#include <cstdio>

namespace {

// Without --overwrite an existing target is left and counted as a failure.
class CCopyOwner final : public CCliJobOwner {
public:
    explicit CCopyOwner(CPasteJob& job) : m_Job(job) {}
    void OnAskReplace(const ReplaceQuestion& question) override
    {
        OnError({question.ExistingPath, ErrorText(EEXIST), question.ExistingPath + ": " + ErrorText(EEXIST)});
        m_Job.AnswerReplace(AnswerSkip);
    }

private:
    CPasteJob& m_Job;
};

} // namespace

int RunCopy(const std::vector<std::string>& args)
{
    PasteRequest request;
    std::vector<std::string> paths;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--move") {
            request.Move = true;
        } else if (options && arg.rfind("--overwrite=", 0) == 0) {
            const std::string mode = arg.substr(12);
            if (mode == "replace")
                request.Overwrite = OverwriteMode::Replace;
            else if (mode == "rename")
                request.Overwrite = OverwriteMode::Rename;
            else if (mode == "skip")
                request.Overwrite = OverwriteMode::Skip;
            else if (mode == "older")
                request.Overwrite = OverwriteMode::ReplaceOlder;
            else
                return UsageError("--overwrite takes replace, rename, skip or older, not '" + mode + "'");
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option '" + arg + "'");
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2)
        return UsageError("copy needs at least one source and a folder");
    request.Destination = paths.back();
    paths.pop_back();
    request.Sources = std::move(paths);
    FileStatus destination;
    if (const int error = SystemFileOps().LinkStatus(request.Destination + "/.", destination))
        return UsageError(request.Destination + " is not a folder: " + ErrorText(error));
    CPasteJob job;
    job.SetRequest(std::move(request));
    CCopyOwner owner(job);
    return RunJobToEnd(job, owner);
}
