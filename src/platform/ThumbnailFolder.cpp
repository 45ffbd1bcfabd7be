#include "platform/ThumbnailFolder.h"

#include "base/FileName.h"
#include "platform/Directory.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ThumbnailCacheRoot()
{
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/')
        return JoinPath(xdg, "thumbnails");
    return JoinPath(JoinPath(HomeDirectory(), ".cache"), "thumbnails");
}

bool EnsurePrivateFolder(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const std::string parent = FolderPart(path);
        if (errno != ENOENT || parent.empty() || parent == path || !EnsurePrivateFolder(parent))
            return false;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (::stat(path.c_str(), &st) != 0)
            return false;
    }
    return S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool FileModifiedTime(const std::string& path, int64_t& seconds)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    seconds = static_cast<int64_t>(st.st_mtime);
    return true;
}

bool ReadSmallFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& data)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= maxBytes;
    if (ok) {
        data.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (ok && done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ok = got > 0;
            if (ok)
                done += static_cast<size_t>(got);
        }
    }
    ::close(fd);
    return ok;
}

std::string ResolvedPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string result = resolved;
    std::free(resolved);
    return result;
}
