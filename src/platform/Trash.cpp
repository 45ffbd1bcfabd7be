#include "platform/Trash.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The path of the last component's folder, made absolute without following the last component.
int AbsoluteParent(const std::string& path, std::string& parent, std::string& name)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name == "/")
        return EINVAL;
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : trimmed.substr(0, slash);
    char resolved[PATH_MAX];
    if (!::realpath(folder.c_str(), resolved))
        return errno;
    parent = resolved;
    return 0;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool DeviceOf(const std::string& path, dev_t& device)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    device = st.st_dev;
    return true;
}

// Creates every missing folder of an absolute path, private to the user.
int MakeFolders(const std::string& path, IFileOps& ops)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        const int error = ops.MakeFolder(part, 0700);
        if (error != 0 && error != EEXIST)
            return error;
        if (slash == std::string::npos)
            return 0;
    }
}

// The highest folder above `folder` (inclusive) still on the same filesystem.
std::string TopFolder(std::string folder, dev_t device)
{
    while (folder != "/") {
        const size_t slash = folder.rfind('/');
        const std::string up = slash == 0 ? "/" : folder.substr(0, slash);
        dev_t upDevice;
        if (!DeviceOf(up, upDevice) || upDevice != device)
            break;
        folder = up;
    }
    return folder;
}

// The trash of another filesystem: the shared .Trash/UID when the
// administrator made one (a real, sticky folder), else the user's own .Trash-UID.
int VolumeTrash(const std::string& top, IFileOps& ops, std::string& trash)
{
    const std::string uid = std::to_string(::getuid());
    FileStatus shared;
    if (ops.LinkStatus(Join(top, ".Trash"), shared) == 0 && shared.IsFolder() && (shared.Mode & S_ISVTX)) {
        trash = Join(top, ".Trash/" + uid);
        const int error = ops.MakeFolder(trash, 0700);
        if (error == 0 || error == EEXIST)
            return 0;
    }
    trash = Join(top, ".Trash-" + uid);
    const int error = ops.MakeFolder(trash, 0700);
    if (error != 0 && error != EEXIST)
        return error;
    FileStatus own;
    if (ops.LinkStatus(trash, own) != 0 || !own.IsFolder())
        return ENOTDIR;  // a link or a file in its place is not trusted
    return 0;
}

std::string DeletionDate()
{
    const time_t now = ::time(nullptr);
    std::tm local {};
    char text[32] = "";
    if (::localtime_r(&now, &local))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// "name.ext" -> "name.N.ext" for the Nth try; the first try keeps the name.
std::string Candidate(const std::string& name, int attempt)
{
    if (attempt == 1)
        return name;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name + "." + std::to_string(attempt);
    return name.substr(0, dot) + "." + std::to_string(attempt) + name.substr(dot);
}

int WriteAll(IFileOps& ops, int fd, const std::string& text)
{
    for (size_t put = 0; put < text.size();) {
        size_t done = 0;
        if (const int error = ops.Write(fd, text.data() + put, text.size() - put, done))
            return error;
        put += done;
    }
    return 0;
}

} // namespace

std::string TrashPathEncode(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

int MoveToTrash(const std::string& path, IFileOps& ops, std::string* trashedAs)
{
    FileStatus item;
    if (const int error = ops.LinkStatus(path, item))
        return error;
    std::string parent, name;
    if (const int error = AbsoluteParent(path, parent, name))
        return error;
    const std::string full = Join(parent, name);

    std::string dataHome;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        dataHome = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        dataHome = std::string(home) + "/.local/share";
    dev_t homeDevice = 0;
    const bool haveHome = !dataHome.empty() && MakeFolders(dataHome, ops) == 0 && DeviceOf(dataHome, homeDevice);

    std::string trash, infoPath;
    if (haveHome && homeDevice == static_cast<dev_t>(item.Device)) {
        trash = dataHome + "/Trash";
        infoPath = full;
    } else {
        const std::string top = TopFolder(parent, static_cast<dev_t>(item.Device));
        if (const int error = VolumeTrash(top, ops, trash))
            return error;
        // On another filesystem the path is kept relative to its top folder.
        infoPath = top == "/" ? full : full.substr(top.size());
        if (infoPath.size() > 1 && infoPath[0] == '/')
            infoPath.erase(0, 1);
    }
    for (const char* sub : {"", "/files", "/info"}) {
        const int error = ops.MakeFolder(trash + sub, 0700);
        if (error != 0 && error != EEXIST)
            return error;
    }

    const std::string info = "[Trash Info]\nPath=" + TrashPathEncode(infoPath) + "\nDeletionDate=" + DeletionDate() + "\n";
    for (int attempt = 1; attempt <= 10000; ++attempt) {
        const std::string candidate = Candidate(name, attempt);
        const std::string infoFile = trash + "/info/" + candidate + ".trashinfo";
        // The info file is created first and exclusively: it reserves the name.
        int fd = -1;
        int error = ops.Open(infoFile, OpenFor::CreateNew, 0600, fd);
        if (error == EEXIST)
            continue;
        if (error)
            return error;
        error = WriteAll(ops, fd, info);
        const int closeError = ops.Close(fd);
        if (!error)
            error = closeError;
        const std::string target = trash + "/files/" + candidate;
        if (!error)
            error = ops.RenameNoReplace(full, target);
        if (!error) {
            if (trashedAs)
                *trashedAs = target;
            return 0;
        }
        ops.Unlink(infoFile);
        if (error != EEXIST)  // a stray file without info holds the name: take the next
            return error;
    }
    return EEXIST;
}
