#include "cli/Delete.h"

#include "cli/JobRun.h"
#include "jobs/DeleteJob.h"

#include <cstdio>

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
    CDeleteJob job;
    job.SetRequest(std::move(request));
    return RunJobToEnd(job);
}
