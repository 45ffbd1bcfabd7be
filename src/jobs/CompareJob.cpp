#include "jobs/CompareJob.h"

#include "base/FileName.h"
#include "platform/Directory.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace {

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool Listed(const std::string& extension, const CompareCriteria& criteria)
{
    if (criteria.ByExtension)
        return EqualsNoCase(extension, criteria.Extension);
    for (const std::string& image : CompareExtensions())
        if (EqualsNoCase(extension, image))
            return true;
    return false;
}

void AppendNumber(std::string& key, uint64_t value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    key.append(bytes, sizeof bytes);
}

} // namespace

const std::vector<std::string>& CompareExtensions()
{
    static const std::vector<std::string> extensions{"bmp", "dib", "eps", "gif",  "ico", "iff", "ilbm",
                                                     "jpg", "pbm", "pct", "pcx",  "pgm", "pict", "png",
                                                     "ppm", "ras", "rle", "tga", "tif"};
    return extensions;
}

const std::vector<std::string>& CompareExtensionChoices()
{
    static const std::vector<std::string> choices{"bmp", "dds", "dib",  "emf", "eps", "gif", "ico", "iff",
                                                  "ilbm", "jpg", "pbm", "pct", "pcx", "pgm", "pict", "png",
                                                  "ppm", "psd", "ras", "rle", "tga", "tif", "wmf"};
    return choices;
}

int ListCompareFolder(const std::string& folder, const CompareCriteria& criteria, std::vector<CompareRow>& rows,
                      IFileOps& ops)
{
    rows.clear();
    std::vector<FolderEntry> entries;
    if (const int error = ops.ReadFolder(folder, entries))
        return error;
    // Each row with its whole name, the sort key.
    std::vector<std::pair<std::string, CompareRow>> listed;
    for (FolderEntry& entry : entries) {
        // Folders, links, devices and hidden names take no part.
        if (entry.Type != FolderEntry::File || entry.Name.empty() || entry.Name[0] == '.')
            continue;
        const size_t dot = entry.Name.rfind('.');
        if (dot == std::string::npos)
            continue;
        CompareRow row;
        row.Extension = entry.Name.substr(dot + 1);
        if (!Listed(row.Extension, criteria))
            continue;
        FileStatus status;
        // Gone or replaced since the folder was read: left out.
        if (ops.LinkStatus(Join(folder, entry.Name), status) != 0 || status.IsFolder() || status.IsLink())
            continue;
        row.Stem = entry.Name.substr(0, dot);
        row.Size = status.Size;
        row.Modified = status.Modified;
        listed.emplace_back(std::move(entry.Name), std::move(row));
    }
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
        const int order = CompareNoCase(a.first, b.first);
        return order != 0 ? order < 0 : a.first < b.first;
    });
    rows.reserve(listed.size());
    for (auto& item : listed)
        rows.push_back(std::move(item.second));
    return 0;
}

std::string CompareDate(int64_t modified)
{
    std::tm local{};
    if (!LocalTimeOf(modified, local))
        return "";
    char text[32];
    const size_t length = std::strftime(text, sizeof text, "%m %d %Y", &local);
    return std::string(text, length);
}

// Every source is compared with every destination in list order; a source
// row goes out on its first match, a destination row on each match unless an
// equal row (name, extension, size and date text, ignoring case) is out
// already. A destination is therefore first met by the first source that
// matches it, and the destination rows come in the order of (that source,
// their own place). The destinations are grouped by the keys the criteria
// compare; the first source to look a group up claims all of its unclaimed
// members, and later sources only learn that the group is not empty, so each
// group is walked once.
CompareResult CompareListings(const std::vector<CompareRow>& source, const std::vector<CompareRow>& destination,
                              const CompareCriteria& criteria, const std::function<bool()>& stopping)
{
    CompareResult result;
    if (!criteria.ByName && !criteria.ByExtension && !criteria.BySize && !criteria.ByDate) {
        result.Source = source;
        result.Destination = destination;
        return result;
    }
    const auto keyOf = [&criteria](const CompareRow& row, bool withSize) {
        std::string key;
        if (criteria.ByName)
            key = criteria.CaseSensitive ? row.Stem : FoldCase(row.Stem);
        key.push_back('\0');
        if (withSize)
            AppendNumber(key, row.Size);
        if (criteria.ByDate)
            AppendNumber(key, static_cast<uint64_t>(row.Modified));
        return key;
    };
    struct Group {
        std::vector<size_t> Members;  // destination indices, in list order
        bool Claimed = false;
    };
    using Groups = std::unordered_map<std::string, Group>;
    // By size, except for a source of 0 bytes, which the size does not restrict.
    Groups sized, unsized;
    bool sizedBuilt = false, unsizedBuilt = false;
    const auto groups = [&](bool withSize) -> Groups& {
        Groups& built = withSize ? sized : unsized;
        bool& done = withSize ? sizedBuilt : unsizedBuilt;
        if (!done) {
            built.reserve(destination.size());
            for (size_t d = 0; d < destination.size(); ++d)
                built[keyOf(destination[d], withSize)].Members.push_back(d);
            done = true;
        }
        return built;
    };

    constexpr size_t kUnmet = std::numeric_limits<size_t>::max();
    std::vector<size_t> metBy(destination.size(), kUnmet);
    std::vector<size_t> met;  // destinations in the order they are first met
    for (size_t s = 0; s < source.size(); ++s) {
        if (stopping && s % 256 == 0 && stopping())
            break;
        const bool withSize = criteria.BySize && source[s].Size != 0;
        Groups& lookup = groups(withSize);
        const auto found = lookup.find(keyOf(source[s], withSize));
        if (found == lookup.end())
            continue;
        result.Source.push_back(source[s]);
        Group& group = found->second;
        if (group.Claimed)
            continue;
        group.Claimed = true;
        for (const size_t d : group.Members) {
            if (metBy[d] == kUnmet) {
                metBy[d] = s;
                met.push_back(d);
            }
        }
    }

    std::unordered_set<std::string> shown;
    for (const size_t d : met) {
        const CompareRow& row = destination[d];
        std::string key = FoldCase(row.Stem);
        key.push_back('\0');
        key += FoldCase(row.Extension);
        key.push_back('\0');
        key += std::to_string(row.Size);
        key.push_back('\0');
        key += CompareDate(row.Modified);
        if (shown.insert(std::move(key)).second)
            result.Destination.push_back(row);
    }
    return result;
}

CCompareJob::CCompareJob(IFileOps& ops) : CThread("CCompareDirectoriesThread"), m_Ops(ops) {}

CCompareJob::~CCompareJob()
{
    Shutdown();
}

void CCompareJob::DoJob()
{
    m_Outcome = CompareOutcome::Compared;
    m_MissingFolder.clear();
    m_Result = {};
    std::vector<CompareRow> source, destination;
    for (const auto& [folder, rows] : {std::pair{&m_Request.Source, &source}, {&m_Request.Destination, &destination}}) {
        if (Stopping()) {
            m_Outcome = CompareOutcome::Stopped;
            return;
        }
        if (ListCompareFolder(*folder, m_Request.Criteria, *rows, m_Ops) != 0) {
            m_Outcome = CompareOutcome::Missing;
            m_MissingFolder = *folder;
            return;
        }
    }
    if (source.empty() || destination.empty()) {
        m_Outcome = CompareOutcome::NoFiles;
        return;
    }
    m_Result = CompareListings(source, destination, m_Request.Criteria, [this] { return Stopping(); });
    if (Stopping())
        m_Outcome = CompareOutcome::Stopped;
}
