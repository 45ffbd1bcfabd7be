// CCompareJob: the image files two folders have in common, by name (the
// part before the last dot), size and date, among the files of one extension
// or of every image extension. Each file's status is read once and the
// destination is indexed by the chosen keys, so large folders compare in
// about linear time; the rows, their order and their counts are those of
// comparing every source file with every destination file in list order.
#pragma once

#include "jobs/Job.h"
#include "platform/FileOps.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct CompareCriteria {
    bool ByName = true, ByExtension = true, BySize = true, ByDate = true;
    bool CaseSensitive = true;
    std::string Extension = "bmp";  // with ByExtension: only files of this extension
};

// One row of a result list: "Name" (without extension), "Ext", size, date.
struct CompareRow {
    std::string Stem, Extension;
    uint64_t Size = 0;
    int64_t Modified = 0;  // seconds since 1970
    std::string Name() const { return Extension.empty() ? Stem : Stem + "." + Extension; }
};

// The extensions compared when ByExtension is off, in listing order.
const std::vector<std::string>& CompareExtensions();
// The extensions offered for ByExtension ("bmp", "dds", "dib", ...), sorted as the list shows them.
const std::vector<std::string>& CompareExtensionChoices();

// The files a folder takes part with, sorted as the dialog's list boxes sort
// (ignoring case, names equal so in byte order); hidden files, folders,
// symbolic links and other non-regular entries are left out, and each file's
// status is read once. An errno value when the folder cannot be read.
int ListCompareFolder(const std::string& folder, const CompareCriteria& criteria, std::vector<CompareRow>& rows,
                      IFileOps& ops = SystemFileOps());

struct CompareResult {
    std::vector<CompareRow> Source, Destination;
};
// Compares two listings. With none of name, extension, size and date the
// result is the two listings themselves. stopping (when given) is polled now
// and then; when it returns true the result so far comes back.
CompareResult CompareListings(const std::vector<CompareRow>& source, const std::vector<CompareRow>& destination,
                              const CompareCriteria& criteria, const std::function<bool()>& stopping = {});
// The date as the result lists show it: "%m %d %Y" in local time.
std::string CompareDate(int64_t modified);

struct CompareRequest {
    std::string Source, Destination;  // folders
    CompareCriteria Criteria;
};

enum class CompareOutcome {
    Compared,  // Result holds the matching rows (or, with no criterion, every listed file)
    Missing,   // a folder cannot be read: MissingFolder + " not found."
    NoFiles,   // a folder has no file to compare: "No files found."
    Stopped,
};

class CCompareJob final : public CThread {
public:
    explicit CCompareJob(IFileOps& ops = SystemFileOps());
    ~CCompareJob() override;

    void SetRequest(CompareRequest request) { m_Request = std::move(request); }
    // Of the last run, complete once OnFinished was called.
    CompareOutcome Outcome() const { return m_Outcome; }
    const std::string& MissingFolder() const { return m_MissingFolder; }
    const CompareResult& Result() const { return m_Result; }

protected:
    void DoJob() override;

private:
    IFileOps& m_Ops;
    CompareRequest m_Request;
    CompareOutcome m_Outcome = CompareOutcome::Compared;
    std::string m_MissingFolder;
    CompareResult m_Result;
};
