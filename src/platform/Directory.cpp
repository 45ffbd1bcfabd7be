#include "platform/Directory.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// A readdir stream closed on every path out.
class CDirStream {
public:
    explicit CDirStream(const std::string& folder)
    {
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        m_Dir = fdopendir(fd);
        if (!m_Dir)
            close(fd);
    }
    ~CDirStream()
    {
        if (m_Dir)
            closedir(m_Dir);
    }
    CDirStream(const CDirStream&) = delete;
    CDirStream& operator=(const CDirStream&) = delete;

    bool IsOpen() const { return m_Dir != nullptr; }
    int Fd() const { return dirfd(m_Dir); }
    // The next entry other than "." and "..", or nullptr at the end.
    const dirent* Next()
    {
        while (const dirent* entry = readdir(m_Dir)) {
            const char* n = entry->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            return entry;
        }
        return nullptr;
    }

private:
    DIR* m_Dir = nullptr;
};

bool UserMayWrite(uint32_t mode, uint32_t ownerUid, uint32_t ownerGid, const UserIdentity& user)
{
    if (user.Uid == 0)
        return true;
    if (ownerUid == user.Uid)
        return (mode & S_IWUSR) != 0;
    if (std::find(user.Groups.begin(), user.Groups.end(), ownerGid) != user.Groups.end())
        return (mode & S_IWGRP) != 0;
    return (mode & S_IWOTH) != 0;
}

// Undoes the octal escapes (\040 for a blank) of /proc/self/mounts.
std::string UnescapeMountField(const std::string& field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Mount points that are not places a user browses to.
bool IsSystemMount(const std::string& mountPoint)
{
    return mountPoint == "/" || mountPoint == "/boot" || StartsWith(mountPoint, "/boot/") ||
           mountPoint == "/snap" || StartsWith(mountPoint, "/snap/");
}

} // namespace

bool ReadDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries)
{
    entries.clear();
    CDirStream dir(folder);
    if (!dir.IsOpen())
        return false;
    const UserIdentity user = CurrentUser();
    const int fd = dir.Fd();
    while (const dirent* found = dir.Next()) {
        DirectoryEntry entry;
        entry.Name = found->d_name;
        struct stat st {};
        bool broken = false;
        if (fstatat(fd, found->d_name, &st, 0) != 0) {
            // A broken link (or an entry that vanished meanwhile): describe the entry itself.
            if (fstatat(fd, found->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            broken = true;
        }
        entry.IsLink = broken || found->d_type == DT_LNK;
        if (!broken && found->d_type == DT_UNKNOWN) {
            struct stat own {};
            entry.IsLink = fstatat(fd, found->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
        }
        entry.IsDirectory = S_ISDIR(st.st_mode);
        entry.Size = broken || st.st_size < 0 ? 0 : static_cast<uint64_t>(st.st_size);
        entry.Modified = static_cast<int64_t>(st.st_mtime);
        entry.Attributes = EntryAttributes(entry.Name, st.st_mode, st.st_uid, st.st_gid, user);
        entries.push_back(std::move(entry));
    }
    return true;
}

std::vector<std::string> ListSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    CDirStream dir(folder);
    if (!dir.IsOpen())
        return names;
    while (const dirent* found = dir.Next()) {
        bool isFolder = found->d_type == DT_DIR;
        if (found->d_type == DT_LNK || found->d_type == DT_UNKNOWN) {
            struct stat st {};
            isFolder = fstatat(dir.Fd(), found->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder)
            names.emplace_back(found->d_name);
    }
    return names;
}

bool MakeCurrentFolder(const std::string& path)
{
    return !path.empty() && chdir(path.c_str()) == 0;
}

std::string CurrentFolder()
{
    std::string buffer(256, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return buffer.c_str();
        if (errno != ERANGE || buffer.size() >= (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRootFolder(const std::string& path)
{
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
}

std::string VolumeOf(const std::string& path)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return {};
    return std::to_string(static_cast<unsigned long long>(st.st_dev));
}

uint64_t FreeSpace(const std::string& path)
{
    struct statvfs fs {};
    if (path.empty() || statvfs(path.c_str(), &fs) != 0)
        return 0;
    const uint64_t blocks = fs.f_bavail;
    const uint64_t blockSize = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
    if (blockSize != 0 && blocks > UINT64_MAX / blockSize)
        return UINT64_MAX;
    return blocks * blockSize;
}

std::vector<std::string> DriveRootsFromMounts(const std::string& mountsText, bool (*isFolder)(const std::string&))
{
    std::vector<std::pair<std::string, std::string>> table;
    std::istringstream lines(mountsText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (fields >> device >> mountPoint)
            table.emplace_back(UnescapeMountField(device), UnescapeMountField(mountPoint));
    }
    // The root's own device counts as seen, so its bind mounts are not listed again.
    std::vector<std::string> devices;
    for (const auto& [device, mountPoint] : table)
        if (mountPoint == "/")
            devices.push_back(device);
    std::vector<std::string> roots{"/"};
    for (const auto& [device, mountPoint] : table) {
        if (!StartsWith(device, "/dev/") || IsSystemMount(mountPoint))
            continue;
        // Files bind-mounted into place (as in containers) are no folders to browse.
        if (isFolder && !isFolder(mountPoint))
            continue;
        if (std::find(devices.begin(), devices.end(), device) != devices.end() ||
            std::find(roots.begin(), roots.end(), mountPoint) != roots.end())
            continue;
        devices.push_back(device);
        roots.push_back(mountPoint);
    }
    return roots;
}

std::vector<std::string> DriveRoots()
{
    std::ifstream file("/proc/self/mounts");
    std::ostringstream text;
    text << file.rdbuf();
    return DriveRootsFromMounts(text.str(), IsFolder);
}

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

bool LocalTimeOf(int64_t seconds, std::tm& local)
{
    const auto t = static_cast<time_t>(seconds);
    if (static_cast<int64_t>(t) != seconds)
        return false;
    return localtime_r(&t, &local) != nullptr;
}

UserIdentity CurrentUser()
{
    UserIdentity user;
    user.Uid = geteuid();
    user.Groups.push_back(getegid());
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<size_t>(count));
        const int got = getgroups(count, groups.data());
        for (int i = 0; i < got; ++i)
            user.Groups.push_back(groups[static_cast<size_t>(i)]);
    }
    return user;
}

uint8_t EntryAttributes(const std::string& name, uint32_t mode, uint32_t ownerUid, uint32_t ownerGid,
                        const UserIdentity& user)
{
    uint8_t attributes = 0;
    if (!name.empty() && name[0] == '.')
        attributes |= kAttrHidden;
    if (!UserMayWrite(mode, ownerUid, ownerGid, user))
        attributes |= kAttrReadOnly;
    if (S_ISDIR(mode))
        attributes |= kAttrDirectory;
    else if (!S_ISREG(mode))
        attributes |= kAttrSystem;
    return attributes;
}
