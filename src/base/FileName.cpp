#include "base/FileName.h"

namespace {

// Position of the last "." of the file-name part, or npos.
size_t ExtensionDot(std::string_view name)
{
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return dot;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos && dot < slash)
        return std::string_view::npos;
    return dot;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string Extension(std::string_view name)
{
    const size_t dot = ExtensionDot(name);
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string NameWithoutExtension(std::string_view name)
{
    const size_t dot = ExtensionDot(name);
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string FileNamePart(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(Lower(a[i]));
        const auto cb = static_cast<unsigned char>(Lower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = Lower(c);
    return folded;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}
