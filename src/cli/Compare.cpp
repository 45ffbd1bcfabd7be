#include "cli/FileJobs.h"

#include "cli/Arguments.h"
#include "cli/JobRun.h"
#include "jobs/CompareJob.h"

#include <cstdio>

namespace {

// "name,ext,size,date" in any order and number; "" selects none.
bool ParseBy(const std::string& text, CompareCriteria& criteria)
{
    criteria.ByName = criteria.ByExtension = criteria.BySize = criteria.ByDate = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (word == "name")
            criteria.ByName = true;
        else if (word == "ext")
            criteria.ByExtension = true;
        else if (word == "size")
            criteria.BySize = true;
        else if (word == "date")
            criteria.ByDate = true;
        else
            return false;
        start = end + 1;
    }
    return true;
}

void PrintRows(const char* side, const std::vector<CompareRow>& rows)
{
    for (const CompareRow& row : rows) {
        const std::string name = row.Name();
        std::fputs(side, stdout);
        std::putc('\t', stdout);
        std::fwrite(name.data(), 1, name.size(), stdout);
        std::putc('\n', stdout);
    }
}

} // namespace

int RunCompare(const std::vector<std::string>& args)
{
    CompareRequest request;
    std::vector<std::string> folders;
    bool options = true;
    for (const std::string& arg : args) {
        std::string text;
        if (options && arg == "--") {
            options = false;
        } else if (options && OptionValue(arg, "--by", text)) {
            if (!ParseBy(text, request.Criteria))
                return UsageError("--by takes name, ext, size and date separated by commas, not '" + text + "'");
        } else if (options && OptionValue(arg, "--ext", text)) {
            if (text.compare(0, 2, "*.") == 0)
                text.erase(0, 2);
            if (text.empty() || text.find_first_of("/.*?") != std::string::npos)
                return UsageError("--ext takes one extension such as bmp or jpg");
            request.Criteria.Extension = text;
        } else if (options && arg == "--ignore-case") {
            request.Criteria.CaseSensitive = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option '" + arg + "'");
        } else {
            folders.push_back(arg);
        }
    }
    if (folders.size() != 2)
        return UsageError("compare needs SOURCE and DEST");
    request.Source = folders[0];
    request.Destination = folders[1];
    FileStatus source, destination;
    IFileOps& ops = SystemFileOps();
    if (ops.LinkStatus(request.Source + "/.", source) == 0 &&
        ops.LinkStatus(request.Destination + "/.", destination) == 0 && source.SameAs(destination)) {
        std::fputs("oculane-cli: You must select another directory.\n", stderr);
        return 2;
    }
    CCompareJob job;
    job.SetRequest(std::move(request));
    const int status = RunJobToEnd(job);
    if (status != 0)
        return status;
    switch (job.Outcome()) {
    case CompareOutcome::Missing:
        std::fprintf(stderr, "oculane-cli: %s not found.\n", job.MissingFolder().c_str());
        return 1;
    case CompareOutcome::NoFiles:
        std::fputs("oculane-cli: No files found.\n", stderr);
        return 0;
    case CompareOutcome::Stopped:
        return 130;
    case CompareOutcome::Compared:
        break;
    }
    PrintRows("src", job.Result().Source);
    PrintRows("dst", job.Result().Destination);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("oculane-cli: standard output");
        return 1;
    }
    return 0;
}
