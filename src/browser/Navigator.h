// The current folder of the browser and the rules of Back, Up One Level, Home
// and the fallback for a folder that vanished.
#pragma once

#include <string>

// An absolute path without "." and ".." parts, doubled separators or a trailing
// separator (the root stays "/"). A relative path is taken from the process's
// current folder.
std::string AbsoluteNormalPath(const std::string& path);

class CNavigator {
public:
    static constexpr const char* kFolderNotExist = "Folder not exist.";
    static constexpr const char* kFolderNotExists = "Folder not exists.";

    // Records the folder (a trailing separator is dropped; the root stays "/").
    void SetFolder(const std::string& path);
    const std::string& CurrentFolder() const { return m_Current; }
    // The volume that holds the current folder (free space changes with it).
    const std::string& Drive() const { return m_Drive; }
    const std::string& PreviousFolder() const { return m_Previous; }
    std::string GoToFolder;
    std::string NameToSelect;

    // Each makes the target the process's current folder and records it. On
    // failure the message to show is returned in `error` and nothing changes.
    bool Back(std::string& error);
    bool Up(std::string& error);  // false without error at the root
    // An empty home folder means the user's own; a failure names the folder.
    bool Home(const std::string& homeFolder, std::string& error);
    // Enters the folder or, when it is gone, its nearest existing ancestor, then
    // the root; false with kFolderNotExist when nothing could be entered.
    bool EnterWithFallback(const std::string& path, std::string& error);
    // Enters the folder as it is (no fallback).
    bool Enter(const std::string& path);

    bool DriveChanged() const { return m_DriveChanged; }

private:
    // Makes the target current and remembers the folder left for Back; the
    // failure text otherwise.
    bool MoveTo(const std::string& target, const char* failure, std::string& error);

    std::string m_Current;
    std::string m_Drive;
    std::string m_Previous;
    bool m_DriveChanged = false;
};
