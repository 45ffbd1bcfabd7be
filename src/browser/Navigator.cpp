#include "browser/Navigator.h"

#include "platform/ConfigFolder.h"
#include "base/FileName.h"
#include "platform/Directory.h"

#include <filesystem>

namespace {

// The folder up to its last separator; "/" for a folder just below the root.
std::string ParentOf(const std::string& folder)
{
    const std::string parent = FolderPart(folder);
    return parent.empty() ? std::string("/") : parent;
}

} // namespace

std::string AbsoluteNormalPath(const std::string& path)
{
    std::filesystem::path p(path);
    if (!p.is_absolute())
        p = std::filesystem::path(CurrentFolder()) / p;
    std::string text = p.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

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
    const std::string target = AbsoluteNormalPath(path);
    if (!MakeCurrentFolder(target))
        return false;
    SetFolder(target);
    return true;
}

bool CNavigator::EnterWithFallback(const std::string& path, std::string& error)
{
    error.clear();
    if (!path.empty()) {
        std::string target = AbsoluteNormalPath(path);
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

bool CNavigator::MoveTo(const std::string& target, const char* failure, std::string& error)
{
    if (!MakeCurrentFolder(target)) {
        error = failure;
        return false;
    }
    std::string leaving = m_Current;
    SetFolder(target);
    m_Previous = std::move(leaving);
    return true;
}

bool CNavigator::Back(std::string& error)
{
    error.clear();
    // Nothing to go back to before the first Back, Up One Level or Home.
    if (m_Previous.empty())
        return false;
    return MoveTo(AbsoluteNormalPath(m_Previous), kFolderNotExists, error);
}

bool CNavigator::Up(std::string& error)
{
    error.clear();
    if (m_Current.empty() || IsRootFolder(m_Current))
        return false;
    return MoveTo(ParentOf(AbsoluteNormalPath(m_Current)), kFolderNotExist, error);
}

bool CNavigator::Home(const std::string& homeFolder, std::string& error)
{
    error.clear();
    // Before a home folder is chosen, Home goes where it goes everywhere else.
    const std::string target = AbsoluteNormalPath(homeFolder.empty() ? HomeDirectory() : homeFolder);
    if (!MoveTo(target, kFolderNotExists, error)) {
        // Which folder is missing is what the user needs to know to mend it.
        error += "\n" + target;
        return false;
    }
    return true;
}
