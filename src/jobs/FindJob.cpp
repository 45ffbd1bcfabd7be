#include "jobs/FindJob.h"

#include "base/DayMoment.h"
#include "base/FileName.h"

#include <chrono>
#include <limits>

namespace {

// A batch goes to the owner when it is this long, or this old.
constexpr size_t kBatchResults = 500;
constexpr auto kBatchAge = std::chrono::milliseconds(100);

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool LeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int month, int year)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : days[month - 1];
}

} // namespace

bool FindNameMatches(const FindCriteria& criteria, const std::string& name)
{
    if (!criteria.Name.empty() && !EqualsNoCase(criteria.Name, name))
        return false;
    const std::string& pattern = criteria.ExtensionPattern;
    if (pattern == "*.*")
        return true;
    // "*." + the extension (after the last dot; none: "") against the pattern.
    const size_t dot = name.rfind('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view() : std::string_view(name).substr(dot + 1);
    return pattern.size() == extension.size() + 2 && pattern[0] == '*' && pattern[1] == '.' &&
           EqualsNoCase(std::string_view(pattern).substr(2), extension);
}

bool FindNeedsStatus(const FindCriteria& criteria)
{
    return criteria.Size != 0 || criteria.DateOn;
}

bool FindStatusMatches(const FindCriteria& criteria, const FileStatus& status)
{
    if (criteria.Size != 0) {
        constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
        const int64_t size = static_cast<int64_t>(status.Size < kMax ? status.Size : kMax);
        switch (criteria.Relation) {
        case SizeRelation::Equal:
            if (size != criteria.Size)
                return false;
            break;
        case SizeRelation::Less:
            if (size >= criteria.Size)
                return false;
            break;
        case SizeRelation::Greater:
            if (size <= criteria.Size)
                return false;
            break;
        }
    }
    if (criteria.DateOn && !(status.Modified > criteria.From && status.Modified < criteria.To))
        return false;
    return true;
}

bool FindMatches(const FindCriteria& criteria, const std::string& name, const FileStatus& status)
{
    return FindNameMatches(criteria, name) && FindStatusMatches(criteria, status);
}

bool FindDateBound(int day, int month, int year, int64_t& seconds)
{
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(month, year))
        return false;
    const int64_t time = DayMoment(day, month, year);
    if (time == -1)
        return false;
    seconds = time;
    return true;
}

int64_t FindSizeBytes(int64_t number, int unit)
{
    static const int64_t factors[] = {1, 1024, 1024 * 1024, 1024 * 1024 * 1024};
    if (number < 0 || unit < 0 || unit > 3)
        return -1;
    const int64_t factor = factors[unit];
    if (number > std::numeric_limits<int64_t>::max() / factor)
        return -1;
    return number * factor;
}

CFindJob::CFindJob(IFileOps& ops) : CThread("CFindImageThread"), m_Ops(ops) {}

CFindJob::~CFindJob()
{
    Shutdown();
}

void CFindJob::DoJob()
{
    using Clock = std::chrono::steady_clock;
    m_Results.clear();
    IJobOwner* owner = GetOwner();
    std::vector<std::string> batch;
    Clock::time_point sent = Clock::now();
    const auto send = [&] {
        if (owner && !batch.empty())
            owner->OnFound(batch);
        batch.clear();
        sent = Clock::now();
    };

    std::string root = m_Criteria.Root;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    const bool needStatus = FindNeedsStatus(m_Criteria);

    // Depth first without recursion: each open folder keeps its entries and
    // the place its walk goes on from once the subfolder in hand is done.
    struct Level {
        std::string Path;
        std::vector<FolderEntry> Entries;
        size_t Next = 0;
    };
    std::vector<Level> open;
    const auto enter = [&](std::string path) {
        Level level;
        level.Path = std::move(path);
        m_Ops.ReadFolder(level.Path, level.Entries);  // unreadable: no entries
        open.push_back(std::move(level));
    };
    enter(root);
    unsigned ticks = 0;
    while (!open.empty()) {
        Level& level = open.back();
        if (level.Next == level.Entries.size()) {
            open.pop_back();
            continue;
        }
        if (Stopping())
            break;
        const FolderEntry& entry = level.Entries[level.Next++];
        if (!batch.empty() && (++ticks & 63) == 0 && Clock::now() - sent >= kBatchAge)
            send();
        if (entry.Type == FolderEntry::Folder) {
            enter(Join(level.Path, entry.Name));  // `level` is not used after this
            continue;
        }
        // Files, links (never followed: the link's own name and status) and
        // other entries.
        if (!FindNameMatches(m_Criteria, entry.Name))
            continue;
        std::string path = Join(level.Path, entry.Name);
        if (needStatus) {
            FileStatus status;
            if (m_Ops.LinkStatus(path, status) != 0 || !FindStatusMatches(m_Criteria, status))
                continue;
        }
        m_Results.push_back(path);
        batch.push_back(std::move(path));
        if (batch.size() >= kBatchResults || Clock::now() - sent >= kBatchAge)
            send();
    }
    send();
}
