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

bool Listed(std::string_view extension, const CompareCriteria& criteria)
{
    if (criteria.ByExtension)
        return EqualsNoCase(extension, criteria.Extension);
    for (const std::string& image : CompareExtensions())
        if (EqualsNoCase(extension, image))
            return true;
    return false;
}

// The folder's files that take part, sorted, without their status.
int ListNames(const std::string& folder, const CompareCriteria& criteria, std::vector<CompareRow>& rows,
              IFileOps& ops)
{
    rows.clear();
    std::vector<FolderEntry> entries;
    if (const int error = ops.ReadFolder(folder, entries))
        return error;
    std::vector<CompareRow> listed;
    std::vector<std::string> names;  // each row's whole name, the sort key
    for (FolderEntry& entry : entries) {
        // Folders, links, devices and hidden names take no part.
        if (entry.Type != FolderEntry::File || entry.Name.empty() || entry.Name[0] == '.')
            continue;
        const size_t dot = entry.Name.rfind('.');
        if (dot == std::string::npos || !Listed(std::string_view(entry.Name).substr(dot + 1), criteria))
            continue;
        CompareRow& row = listed.emplace_back();
        row.Stem.assign(entry.Name, 0, dot);
        row.Extension.assign(entry.Name, dot + 1);
        names.push_back(std::move(entry.Name));
    }
    std::vector<uint32_t> order(listed.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&names](uint32_t a, uint32_t b) {
        const int byCase = CompareNoCase(names[a], names[b]);
        return byCase != 0 ? byCase < 0 : names[a] < names[b];
    });
    rows.reserve(listed.size());
    for (const uint32_t i : order)
        rows.push_back(std::move(listed[i]));
    return 0;
}

// Reads each row's size and time; a file that has gone, or is no longer a
// file, is dropped.
void ReadStatus(const std::string& folder, std::vector<CompareRow>& rows, IFileOps& ops)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    const size_t folderLength = path.size();
    size_t kept = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        CompareRow& row = rows[i];
        path.resize(folderLength);
        path += row.Stem;
        path.push_back('.');
        path += row.Extension;
        FileStatus status;
        if (ops.LinkStatus(path, status) != 0 || status.IsFolder() || status.IsLink())
            continue;
        row.Size = status.Size;
        row.Modified = status.Modified;
        if (kept != i)
            rows[kept] = std::move(row);
        ++kept;
    }
    rows.resize(kept);
}

void AppendNumber(std::string& key, uint64_t value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    key.append(bytes, sizeof bytes);
}

bool AnyCriterion(const CompareCriteria& criteria)
{
    return criteria.ByName || criteria.ByExtension || criteria.BySize || criteria.ByDate;
}

// Which rows compare equal, by place: the sources that match some
// destination, in list order, and the destinations in the order they are
// first met, before equal destination rows are merged.
struct Matches {
    std::vector<size_t> Sources, Destinations;
};

// Every source is compared with every destination in list order; a source
// row goes out on its first match, a destination row on each match unless an
// equal row (name, extension, size and date text, ignoring case) is out
// already. A destination is therefore first met by the first source that
// matches it, and the destination rows come in the order of (that source,
// their own place). The destinations are grouped by the keys the criteria
// compare; the first source to look a group up claims all of its unclaimed
// members, and later sources only learn that the group is not empty, so each
// group is walked once.
Matches Match(const std::vector<CompareRow>& source, const std::vector<CompareRow>& destination,
              const CompareCriteria& criteria, const std::function<bool()>& stopping)
{
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
        std::vector<size_t> Members;  // destination places, in list order
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

    Matches matches;
    std::vector<bool> met(destination.size(), false);
    for (size_t s = 0; s < source.size(); ++s) {
        if (stopping && s % 256 == 0 && stopping())
            break;
        const bool withSize = criteria.BySize && source[s].Size != 0;
        Groups& lookup = groups(withSize);
        const auto found = lookup.find(keyOf(source[s], withSize));
        if (found == lookup.end())
            continue;
        matches.Sources.push_back(s);
        Group& group = found->second;
        if (group.Claimed)
            continue;
        group.Claimed = true;
        for (const size_t d : group.Members) {
            if (!met[d]) {
                met[d] = true;
                matches.Destinations.push_back(d);
            }
        }
    }
    return matches;
}

// The rows of the places given, in their order; with `distinct` a row equal
// to one taken already (ignoring case, size and date as text) is passed over.
std::vector<CompareRow> Take(const std::vector<CompareRow>& rows, const std::vector<size_t>& places, bool distinct)
{
    std::vector<CompareRow> taken;
    std::unordered_set<std::string> shown;
    for (const size_t place : places) {
        const CompareRow& row = rows[place];
        if (distinct) {
            std::string key = FoldCase(row.Stem);
            key.push_back('\0');
            key += FoldCase(row.Extension);
            key.push_back('\0');
            key += std::to_string(row.Size);
            key.push_back('\0');
            key += CompareDate(row.Modified);
            if (!shown.insert(std::move(key)).second)
                continue;
        }
        taken.push_back(row);
    }
    return taken;
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
    if (const int error = ListNames(folder, criteria, rows, ops))
        return error;
    ReadStatus(folder, rows, ops);
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

CompareResult CompareListings(const std::vector<CompareRow>& source, const std::vector<CompareRow>& destination,
                              const CompareCriteria& criteria, const std::function<bool()>& stopping)
{
    if (!AnyCriterion(criteria))
        return {source, destination};
    const Matches matches = Match(source, destination, criteria, stopping);
    return {Take(source, matches.Sources, false), Take(destination, matches.Destinations, true)};
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
    const CompareCriteria& criteria = m_Request.Criteria;
    std::vector<CompareRow> source, destination;
    for (const auto& [folder, rows] : {std::pair{&m_Request.Source, &source}, {&m_Request.Destination, &destination}}) {
        if (Stopping()) {
            m_Outcome = CompareOutcome::Stopped;
            return;
        }
        if (ListNames(*folder, criteria, *rows, m_Ops) != 0) {
            m_Outcome = CompareOutcome::Missing;
            m_MissingFolder = *folder;
            return;
        }
    }
    if (source.empty() || destination.empty()) {
        m_Outcome = CompareOutcome::NoFiles;
        return;
    }
    const auto stopping = [this] { return Stopping(); };
    if (criteria.BySize || criteria.ByDate || !AnyCriterion(criteria)) {
        // The status decides the pairs (or every file is shown): read it for all.
        ReadStatus(m_Request.Source, source, m_Ops);
        ReadStatus(m_Request.Destination, destination, m_Ops);
        if (source.empty() || destination.empty()) {
            m_Outcome = CompareOutcome::NoFiles;
            return;
        }
        m_Result = CompareListings(source, destination, criteria, stopping);
    } else {
        // Names alone decide: only the files that meet need their status.
        const Matches matches = Match(source, destination, criteria, stopping);
        std::vector<CompareRow> met = Take(source, matches.Sources, false);
        ReadStatus(m_Request.Source, met, m_Ops);
        m_Result.Source = std::move(met);
        met = Take(destination, matches.Destinations, false);
        ReadStatus(m_Request.Destination, met, m_Ops);
        // Merging equal rows needs their size and date.
        std::vector<size_t> all(met.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        m_Result.Destination = Take(met, all, true);
    }
    if (Stopping())
        m_Outcome = CompareOutcome::Stopped;
}
