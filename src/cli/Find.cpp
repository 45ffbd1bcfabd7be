#include "cli/FileJobs.h"

#include "cli/Arguments.h"
#include "cli/JobRun.h"
#include "jobs/FindJob.h"
#include "platform/Directory.h"

#include <cstdio>

namespace {

// Prints each batch of results as it arrives.
class CFindPrinter final : public CCliJobOwner {
public:
    void OnFound(const std::vector<std::string>& batch) override
    {
        for (const std::string& path : batch) {
            std::fwrite(path.data(), 1, path.size(), stdout);
            std::putc('\n', stdout);
        }
    }
};

// Digits only, without overflow past max.
bool ParseNumber(const std::string& text, int64_t max, int64_t& value)
{
    if (text.empty())
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > (max - (c - '0')) / 10)
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// "(=|<|>)N[K|M|G]".
bool ParseSize(const std::string& text, SizeRelation& relation, int64_t& bytes)
{
    if (text.size() < 2)
        return false;
    switch (text[0]) {
    case '=': relation = SizeRelation::Equal; break;
    case '<': relation = SizeRelation::Less; break;
    case '>': relation = SizeRelation::Greater; break;
    default: return false;
    }
    std::string digits = text.substr(1);
    int unit = 0;
    switch (digits.back()) {
    case 'K': case 'k': unit = 1; break;
    case 'M': case 'm': unit = 2; break;
    case 'G': case 'g': unit = 3; break;
    default: break;
    }
    if (unit != 0)
        digits.pop_back();
    int64_t number = 0;
    if (!ParseNumber(digits, INT64_MAX, number))
        return false;
    bytes = FindSizeBytes(number, unit);
    return bytes > 0;
}

// "YYYY-MM-DD" at 01:01:01 local standard time.
bool ParseDate(const std::string& text, int64_t& seconds)
{
    const size_t first = text.find('-');
    const size_t second = first == std::string::npos ? first : text.find('-', first + 1);
    if (second == std::string::npos)
        return false;
    int64_t year, month, day;
    return ParseNumber(text.substr(0, first), 99999, year) &&
           ParseNumber(text.substr(first + 1, second - first - 1), 99, month) &&
           ParseNumber(text.substr(second + 1), 99, day) &&
           FindDateBound(static_cast<int>(day), static_cast<int>(month), static_cast<int>(year), seconds);
}

} // namespace

int RunFind(const std::vector<std::string>& args)
{
    FindCriteria criteria;
    std::string folder;
    bool options = true;
    for (const std::string& arg : args) {
        std::string text;
        if (options && arg == "--") {
            options = false;
        } else if (options && OptionValue(arg, "--name", text)) {
            criteria.Name = text;
        } else if (options && OptionValue(arg, "--ext", text)) {
            criteria.ExtensionPattern = text.compare(0, 2, "*.") == 0 ? text : "*." + text;
        } else if (options && OptionValue(arg, "--size", text)) {
            if (!ParseSize(text, criteria.Relation, criteria.Size))
                return UsageError("--size takes =N, <N or >N with N above 0 and an optional K, M or G, not '" + text +
                             "'");
        } else if (options && OptionValue(arg, "--date-between", text)) {
            const size_t comma = text.find(',');
            if (comma == std::string::npos || !ParseDate(text.substr(0, comma), criteria.From) ||
                !ParseDate(text.substr(comma + 1), criteria.To))
                return UsageError("--date-between takes two dates YYYY-MM-DD,YYYY-MM-DD (years 1970..9999), not '" +
                             text + "'");
            criteria.DateOn = true;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option '" + arg + "'");
        } else if (!folder.empty()) {
            return UsageError("find takes one folder");
        } else {
            folder = arg;
        }
    }
    if (folder.empty())
        return UsageError("find needs a folder");
    FileStatus status;
    if (SystemFileOps().LinkStatus(folder + "/.", status) != 0 || !status.IsFolder()) {
        std::fprintf(stderr, "oculane-cli: %s: Folder not exist.\n", folder.c_str());
        return 1;
    }
    // Full paths out: a relative folder is taken from the working folder
    // (spelled as given, so a ".." after a link means what it meant).
    while (folder.size() > 2 && folder.compare(0, 2, "./") == 0)
        folder.erase(0, 2);
    if (folder[0] != '/') {
        const std::string here = CurrentFolder();
        folder = folder == "." ? here : (here == "/" ? "" : here) + "/" + folder;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    criteria.Root = folder;
    CFindJob job;
    job.SetCriteria(std::move(criteria));
    CFindPrinter printer;
    int result = RunJobToEnd(job, printer);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("oculane-cli: standard output");
        if (result == 0)
            result = 1;
    }
    return result;
}
