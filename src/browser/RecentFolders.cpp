#include "browser/RecentFolders.h"

#include "base/FileName.h"
#include "platform/ConfigFolder.h"
#include "platform/SafeFile.h"

#include <cstdio>
#include <filesystem>

namespace {

// Longer files are not ours; reading stops there.
constexpr uint64_t kMaxListFileSize = 16u << 20;
// The count stands in the first bytes; a field is what precedes the next "*".
constexpr size_t kCountWindow = 255;
constexpr char kSeparator = '*';

std::string WithoutTrailingSeparator(const std::string& path)
{
    if (path.size() > 1 && path.back() == '/')
        return path.substr(0, path.size() - 1);
    return path;
}

// The decimal count before the first "*" (0 for anything else).
long long LeadingCount(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > 1000000000LL)
            break;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? 0 : value;
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < kMaxListFileSize)
        text.append(buffer, got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace

std::vector<std::string> ReadStarFields(const std::string& path, size_t fieldsPerEntry)
{
    std::vector<std::string> fields;
    std::string text;
    if (fieldsPerEntry == 0 || !ReadWholeFile(path, text))
        return fields;
    const size_t countEnd = text.find(kSeparator);
    if (countEnd == std::string::npos || countEnd >= kCountWindow)
        return fields;
    const long long count = LeadingCount(text.substr(0, countEnd));
    if (count <= 0)
        return fields;
    size_t at = countEnd + 1;
    std::vector<std::string> entry;
    for (long long e = 0; e < count && at < text.size(); ++e) {
        entry.clear();
        for (size_t f = 0; f < fieldsPerEntry && at < text.size(); ++f) {
            size_t end = text.find(kSeparator, at);
            if (end == std::string::npos)
                end = text.size();
            // Read whole: paths here may be longer than 254 characters, and a
            // path cut short names another folder, or none.
            entry.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        if (entry.size() < fieldsPerEntry)
            break;
        fields.insert(fields.end(), entry.begin(), entry.end());
    }
    return fields;
}

bool WriteStarFields(const std::string& path, size_t count, const std::vector<std::string>& fields)
{
    // The config folder is made on the first save.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty())
        EnsureFolder(folder);
    std::string text = std::to_string(count);
    text += kSeparator;
    for (const std::string& field : fields) {
        text += field;
        text += kSeparator;
    }
    CSafeFileWriter writer;
    return writer.Open(path) && writer.Write(text.data(), text.size()) && writer.Commit();
}

size_t CRecentFolders::AddToAddressList(const std::string& path)
{
    std::string folder = WithoutTrailingSeparator(path);
    const auto [entry, added] = m_Index.emplace(FoldCase(folder), m_Items.size());
    if (added)
        m_Items.push_back(std::move(folder));
    return entry->second;
}

long CRecentFolders::Find(const std::string& path) const
{
    const auto found = m_Index.find(FoldCase(WithoutTrailingSeparator(path)));
    return found == m_Index.end() ? -1 : static_cast<long>(found->second);
}

void CRecentFolders::LoadRecentFolders(const std::string& path)
{
    m_Items.clear();
    m_Index.clear();
    for (const std::string& folder : ReadStarFields(path, 1))
        if (!folder.empty())
            AddToAddressList(folder);
}

bool CRecentFolders::SaveRecentFolders(const std::string& path) const
{
    // A "*" inside a folder name would shift every later field of the file.
    std::vector<std::string> fields;
    for (const std::string& folder : m_Items)
        if (folder.find(kSeparator) == std::string::npos)
            fields.push_back(folder);
    return WriteStarFields(path, fields.size(), fields);
}
