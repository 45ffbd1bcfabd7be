#include "browser/Navigator.h"

#include "platform/ConfigFolder.h"
#include "browser/FileName.h"
#include "platform/Directory.h"

#include <filesystem>

namespace {

// An absolute path without "." and ".." parts, doubled separators or a trailing
// separator (the root stays "/"). A relative path is taken from the process's
// current folder.
std::string AbsoluteFolder(const std::string& path)
{
    std::filesystem::path p(path);
    if (!p.is_absolute())
        p = std::filesystem::path(CurrentFolder()) / p;
    std::string text = p.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// The folder up to its last separator; "/" for a folder just below the root.
std::string ParentOf(const std::string& folder)
{
    const std::string parent = FolderPart(folder);
    return parent.empty() ? std::string("/") : parent;
}

} // namespace

void CNavigator::SetFolder(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::string drive = VolumeOf(folder);
    m_DriveChanged = drive != m_Drive;
    m_Current = std::move(folder);
    m_Drive = drive;
}

bool CNavigator::Enter(const std::string& path)
{
    if (path.empty())
        return false;
    const std::string target = AbsoluteFolder(path);
    if (!MakeCurrentFolder(target))
        return false;
    SetFolder(target);
    return true;
}

bool CNavigator::EnterWithFallback(const std::string& path, std::string& error)
{
    error.clear();
    if (!path.empty()) {
        std::string target = AbsoluteFolder(path);
        for (;;) {
            if (Enter(target))
                return true;
            if (IsRootFolder(target))
                break;
            target = ParentOf(target);
        }
    }
    if (Enter("/"))
        return true;
    error = kFolderNotExist;
    return false;
}

bool CNavigator::Back(std::string& error)
{
    error.clear();
    // Nothing to go back to before the first Back, Up One Level or Home.
    if (m_Previous.empty())
        return false;
    const std::string target = AbsoluteFolder(m_Previous);
    if (!MakeCurrentFolder(target)) {
        error = kFolderNotExists;
        return false;
    }
    std::string leaving = m_Current;
    SetFolder(target);
    m_Previous = std::move(leaving);
    return true;
}

bool CNavigator::Up(std::string& error)
{
    error.clear();
    if (m_Current.empty() || IsRootFolder(m_Current))
        return false;
    const std::string target = ParentOf(AbsoluteFolder(m_Current));
    if (!MakeCurrentFolder(target)) {
        error = kFolderNotExist;
        return false;
    }
    std::string leaving = m_Current;
    SetFolder(target);
    m_Previous = std::move(leaving);
    return true;
}

bool CNavigator::Home(const std::string& homeFolder, std::string& error)
{
    error.clear();
    const std::string target = AbsoluteFolder(JoinPath(homeFolder, ""));
    if (homeFolder.empty() || !MakeCurrentFolder(target)) {
        error = kFolderNotExists;
        return false;
    }
    std::string leaving = m_Current;
    SetFolder(target);
    m_Previous = std::move(leaving);
    return true;
}
