#include "cli/FileJobs.h"

#include "browser/FolderListing.h"
#include "jobs/FolderRename.h"
#include "platform/FileOps.h"

#include <cerrno>
#include <cstdio>

namespace {

std::string InFolder(const std::string& folder, const std::string& name)
{
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

int RunRenameSeries(const std::vector<std::string>& args)
{
    std::vector<std::string> operands;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "oculane-cli: unknown option '%s' (try --help)\n", arg.c_str());
            return 2;
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() < 2) {
        std::fputs("oculane-cli: rename-series needs FOLDER and NAME (try --help)\n", stderr);
        return 2;
    }
    const std::string& folder = operands[0];
    const std::string& name = operands[1];
    if (folder.empty()) {
        std::fputs("oculane-cli: rename-series needs a FOLDER (try --help)\n", stderr);
        return 2;
    }
    if (const std::string problem = CheckTypedName(name); !problem.empty()) {
        std::fprintf(stderr, "oculane-cli: NAME '%s': %s\n", name.c_str(), problem.c_str());
        return 2;
    }
    std::vector<std::string> todo(operands.begin() + 2, operands.end());
    for (const std::string& file : todo) {
        if (!CheckTypedName(file).empty()) {
            std::fprintf(stderr, "oculane-cli: FILE '%s' is not a name in FOLDER (try --help)\n", file.c_str());
            return 2;
        }
    }

    // The rows the file list would show with every file type: files only (a
    // link counts as what it names), no hidden ones, by name without case.
    CFolderListing listing;
    ListingOptions listingOptions;
    listingOptions.ShowHidden = false;
    listingOptions.HideNonImages = false;
    if (!listing.ListFolder(folder, listingOptions, nullptr)) {
        std::vector<FolderEntry> entries;
        const int error = SystemFileOps().ReadFolder(folder, entries);
        std::fprintf(stderr, "oculane-cli: %s: %s\n", folder.c_str(), ErrorText(error ? error : ENOTDIR).c_str());
        return 1;
    }
    std::vector<std::string> rows;
    rows.reserve(listing.RowCount());
    for (size_t row = 0; row < listing.RowCount(); ++row)
        rows.push_back(listing.ItemAtRow(row).Name);
    int failures = 0;
    if (todo.empty()) {
        todo = rows;
    } else {
        // Files only: a folder named on the line is left as it is.
        std::vector<std::string> files;
        for (const std::string& file : todo) {
            FileStatus status;
            if (SystemFileOps().LinkStatus(InFolder(folder, file), status) == 0 && status.IsFolder()) {
                ++failures;
                std::fprintf(stderr, "oculane-cli: %s: %s\n", InFolder(folder, file).c_str(), ErrorText(EISDIR).c_str());
            } else {
                files.push_back(file);
            }
        }
        todo = std::move(files);
    }

    for (const SeriesStep& step : RenameSeries(folder, rows, todo, name)) {
        if (step.Error) {
            ++failures;
            const std::string path = InFolder(folder, step.From);
            std::fprintf(stderr, "oculane-cli: %s: can't rename to '%s': %s\n", path.c_str(), step.To.c_str(),
                         ErrorText(step.Error).c_str());
        } else {
            std::printf("%s\t%s\n", step.From.c_str(), step.To.c_str());
        }
    }
    if (std::fflush(stdout) != 0) {
        std::fputs("oculane-cli: writing to standard output failed\n", stderr);
        return 1;
    }
    return failures ? 1 : 0;
}
