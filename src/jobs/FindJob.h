// CFindJob: walks a folder tree depth first (never into a linked folder) and
// reports every file that meets the criteria, in the order found, in batches
// so that a long list of results keeps its window responsive. A symbolic
// link is an entry like a file: matched by its own name and its own status.
// Results go to the owner's OnFound every 500 results or 100 ms, the rest
// before OnFinished; a folder that cannot be read yields nothing.
#pragma once

#include "jobs/Job.h"
#include "platform/FileOps.h"

#include <cstdint>
#include <string>
#include <vector>

enum class SizeRelation : int32_t { Equal = 0, Less = 1, Greater = 2 };

struct FindCriteria {
    std::string Root;                      // where the walk starts
    std::string Name;                      // the file's whole name, ignoring case; "" any
    std::string ExtensionPattern = "*.*";  // "*.*" any, else "*." + extension, ignoring case
    SizeRelation Relation = SizeRelation::Equal;
    int64_t Size = 0;                      // bytes; 0: no size criterion
    bool DateOn = false;
    int64_t From = 0, To = 0;              // seconds since 1970; both bounds excluded
};

// Whether a file (its name and status) meets the criteria.
bool FindMatches(const FindCriteria& criteria, const std::string& name, const FileStatus& status);
// The two halves of it: the name and extension criteria, which need no status,
// and the size and date criteria; FindNeedsStatus tells whether the second is
// in use (the walk reads a file's status only then).
bool FindNameMatches(const FindCriteria& criteria, const std::string& name);
bool FindStatusMatches(const FindCriteria& criteria, const FileStatus& status);
bool FindNeedsStatus(const FindCriteria& criteria);
// Day, month and year (1970..9999) at 01:01:01 local standard time, in seconds
// since 1970; false when a field is out of range or the day is not in the
// month (31 April, 29 February of a common year).
bool FindDateBound(int day, int month, int year, int64_t& seconds);
// "<number><unit>" as the size field and unit list give it: unit 0 bytes, 1 KB, 2 MB, 3 GB.
// -1 for a negative number, an unknown unit or a product beyond 64 bits.
int64_t FindSizeBytes(int64_t number, int unit);

class CFindJob final : public CThread {
public:
    explicit CFindJob(IFileOps& ops = SystemFileOps());
    ~CFindJob() override;

    void SetCriteria(FindCriteria criteria) { m_Criteria = std::move(criteria); }
    // Results of the last run (complete once OnFinished was called).
    const std::vector<std::string>& Results() const { return m_Results; }

protected:
    void DoJob() override;

private:
    IFileOps& m_Ops;
    FindCriteria m_Criteria;
    std::vector<std::string> m_Results;
};
