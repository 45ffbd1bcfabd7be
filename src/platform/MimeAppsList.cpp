#include "platform/MimeAppsList.h"

#include "platform/ConfigFolder.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace {

const char kGroup[] = "Default Applications";

// The lines of the text, each with its own line end (the last may have none),
// so that joining them gives the text back byte for byte.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The group a header line opens, or false for any other line.
bool GroupHeader(const std::string& line, std::string& group)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']')
        return false;
    group = trimmed.substr(1, trimmed.size() - 2);
    return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value)
{
    const std::string trimmed = Trim(line);
    const size_t equals = trimmed.find('=');
    if (trimmed.empty() || trimmed[0] == '#' || equals == std::string::npos)
        return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return true;
}

std::vector<std::string> Applications(const std::string& value)
{
    std::vector<std::string> names;
    std::stringstream stream(value);
    for (std::string name; std::getline(stream, name, ';');)
        if (!Trim(name).empty())
            names.push_back(Trim(name));
    return names;
}

std::string LineEnd(const std::string& line)
{
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        return "\r\n";
    return "\n";
}

// Calls visit(index, key, value) for each key line of the default group.
template <typename Visit> void ForEachDefault(const std::vector<std::string>& lines, Visit visit)
{
    bool inGroup = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string group, key, value;
        if (GroupHeader(lines[i], group))
            inGroup = group == kGroup;
        else if (inGroup && KeyLine(lines[i], key, value))
            visit(i, key, value);
    }
}

} // namespace

std::string SetDefaultApplication(const std::string& text, const std::vector<std::string>& mimeTypes,
                                  const std::string& application)
{
    std::vector<std::string> lines = SplitLines(text);
    for (const std::string& type : mimeTypes) {
        bool found = false;
        ForEachDefault(lines, [&](size_t i, const std::string& key, const std::string&) {
            if (key != type)
                return;
            const bool ended = !lines[i].empty() && lines[i].back() == '\n';
            lines[i] = type + '=' + application + ';' + (ended ? LineEnd(lines[i]) : "");
            found = true;
        });
        if (found)
            continue;

        // After the last line of the first default group that is not blank.
        size_t header = lines.size();
        for (size_t i = 0; i < lines.size() && header == lines.size(); ++i) {
            std::string group;
            if (GroupHeader(lines[i], group) && group == kGroup)
                header = i;
        }
        const std::string line = type + '=' + application + ";\n";
        if (header == lines.size()) {
            if (!lines.empty() && lines.back().back() != '\n')
                lines.back() += '\n';
            if (!lines.empty())
                lines.push_back("\n");
            lines.push_back(std::string("[") + kGroup + "]\n");
            lines.push_back(line);
            continue;
        }
        size_t insertAt = header + 1;
        for (size_t i = header + 1; i < lines.size(); ++i) {
            std::string group;
            if (GroupHeader(lines[i], group))
                break;
            if (!Trim(lines[i]).empty())
                insertAt = i + 1;
        }
        if (lines[insertAt - 1].back() != '\n')
            lines[insertAt - 1] += '\n';
        // With the line end of the line above it.
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     type + '=' + application + ';' + LineEnd(lines[insertAt - 1]));
    }
    return Join(lines);
}

std::string RemoveDefaultApplication(const std::string& text, const std::vector<std::string>& mimeTypes,
                                     const std::string& application)
{
    std::vector<std::string> lines = SplitLines(text);
    std::vector<bool> drop(lines.size(), false);
    ForEachDefault(lines, [&](size_t i, const std::string& key, const std::string& value) {
        if (std::find(mimeTypes.begin(), mimeTypes.end(), key) == mimeTypes.end())
            return;
        std::vector<std::string> names = Applications(value);
        if (names.empty() || names.front() != application)
            return;
        names.erase(names.begin());
        if (names.empty()) {
            drop[i] = true;
            return;
        }
        const bool ended = lines[i].back() == '\n';
        std::string rewritten = key + '=';
        for (const std::string& name : names)
            rewritten += name + ';';
        lines[i] = rewritten + (ended ? LineEnd(lines[i]) : "");
    });
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i)
        if (!drop[i])
            result += lines[i];
    return result;
}

std::string DefaultApplication(const std::string& text, const std::string& mimeType)
{
    std::string first;
    bool found = false;
    ForEachDefault(SplitLines(text), [&](size_t, const std::string& key, const std::string& value) {
        if (found || key != mimeType)
            return;
        found = true;
        const std::vector<std::string> names = Applications(value);
        if (!names.empty())
            first = names.front();
    });
    return first;
}

std::vector<std::string> TypesWithDefault(const std::string& text, const std::string& application)
{
    std::vector<std::string> types;
    ForEachDefault(SplitLines(text), [&](size_t, const std::string& key, const std::string& value) {
        const std::vector<std::string> names = Applications(value);
        if (!names.empty() && names.front() == application &&
            std::find(types.begin(), types.end(), key) == types.end())
            types.push_back(key);
    });
    return types;
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error)
{
    text.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
    }
    close(fd);
    return true;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !EnsureFolder(path.substr(0, slash))) {
        error = "cannot create the folder " + path.substr(0, slash);
        return false;
    }
    CSafeFileWriter writer;
    if (writer.Open(path) && writer.Write(text.data(), text.size()) && writer.Commit())
        return true;
    error = "cannot write " + path + ": " + std::strerror(writer.Error() ? writer.Error() : EIO);
    return false;
}
