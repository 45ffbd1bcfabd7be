#include "platform/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/time.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

bool FileStatus::IsFolder() const { return S_ISDIR(Mode); }
bool FileStatus::IsLink() const { return S_ISLNK(Mode); }
bool FileStatus::IsRegular() const { return S_ISREG(Mode); }

int IFileOps::OpenFolder(const std::string&, int& fd)
{
    fd = -1;
    return ENOSYS;
}

int IFileOps::UnlinkIn(int, const std::string&)
{
    return ENOSYS;
}

int IFileOps::RenameReplace(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

namespace {

int ErrorOf(int result) { return result == 0 ? 0 : errno; }

class CSystemFileOps final : public IFileOps {
public:
    int Open(const std::string& path, OpenFor purpose, uint32_t mode, int& fd) override
    {
        // Non-blocking, so a named pipe among the files cannot hold the open up
        // waiting for a writer; regular files read as ever.
        const int flags = purpose == OpenFor::Read ? O_RDONLY | O_NONBLOCK : O_WRONLY | O_CREAT | O_EXCL;
        do
            fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
        while (fd < 0 && errno == EINTR);
        return fd < 0 ? errno : 0;
    }

    int Close(int fd) override
    {
        // Linux releases the descriptor even when close reports EINTR: never retry.
        return ErrorOf(::close(fd));
    }

    int Read(int fd, void* data, size_t size, size_t& done) override
    {
        ssize_t got;
        do
            got = ::read(fd, data, size);
        while (got < 0 && errno == EINTR);
        done = got < 0 ? 0 : static_cast<size_t>(got);
        return got < 0 ? errno : 0;
    }

    int Write(int fd, const void* data, size_t size, size_t& done) override
    {
        ssize_t put;
        do
            put = ::write(fd, data, size);
        while (put < 0 && errno == EINTR);
        done = put < 0 ? 0 : static_cast<size_t>(put);
        return put < 0 ? errno : 0;
    }

    int CopyRange(int from, int to, size_t size, size_t& done) override
    {
        done = 0;
        ssize_t moved;
        do
            moved = ::copy_file_range(from, nullptr, to, nullptr, size, 0);
        while (moved < 0 && errno == EINTR);
        if (moved >= 0) {
            done = static_cast<size_t>(moved);
            return 0;
        }
        // Filesystems and kernels without it: fall back to reading and writing.
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return errno;
        char buffer[1 << 16];
        size_t got = 0;
        if (const int error = Read(from, buffer, size < sizeof buffer ? size : sizeof buffer, got))
            return error;
        for (size_t put = 0; put < got;) {
            size_t wrote = 0;
            if (const int error = Write(to, buffer + put, got - put, wrote))
                return error;
            put += wrote;
        }
        done = got;
        return 0;
    }

    int Link(const std::string& existing, const std::string& name) override
    {
        return ErrorOf(::link(existing.c_str(), name.c_str()));
    }

    int RenameNoReplace(const std::string& from, const std::string& to) override
    {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        const int error = errno;
        if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
            return error;
        // A filesystem without the flag: a hard link fails on an existing name
        // just the same, and the old name goes only once the new one exists.
        if (::link(from.c_str(), to.c_str()) != 0)
            return errno == EPERM ? error : errno;  // folders cannot be linked
        if (::unlink(from.c_str()) != 0) {
            const int unlinkError = errno;
            ::unlink(to.c_str());
            return unlinkError;
        }
        return 0;
    }

    int Unlink(const std::string& path) override { return ErrorOf(::unlink(path.c_str())); }
    int OpenFolder(const std::string& path, int& fd) override
    {
        do
            fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        return fd < 0 ? errno : 0;
    }
    int UnlinkIn(int folderFd, const std::string& name) override
    {
        return ErrorOf(::unlinkat(folderFd, name.c_str(), 0));
    }
    int MakeFolder(const std::string& path, uint32_t mode) override
    {
        return ErrorOf(::mkdir(path.c_str(), static_cast<mode_t>(mode)));
    }
    int RemoveFolder(const std::string& path) override { return ErrorOf(::rmdir(path.c_str())); }

    int LinkStatus(const std::string& path, FileStatus& status) override
    {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return errno;
        Fill(st, status);
        return 0;
    }

    int Space(const std::string& path, VolumeSpace& space) override
    {
        struct statvfs vfs {};
        if (::statvfs(path.c_str(), &vfs) != 0)
            return errno;
        space.Free = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
        space.Total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
        return 0;
    }

    int ReadFolder(const std::string& path, std::vector<FolderEntry>& entries) override
    {
        entries.clear();
        DIR* dir = ::opendir(path.c_str());
        if (!dir)
            return errno;
        const int fd = ::dirfd(dir);
        errno = 0;
        while (const dirent* found = ::readdir(dir)) {
            const char* name = found->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            FolderEntry entry;
            entry.Name = name;
            unsigned char type = found->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_FIFO;
            }
            entry.Type = type == DT_DIR ? FolderEntry::Folder
                       : type == DT_LNK ? FolderEntry::Link
                       : type == DT_REG || type == DT_UNKNOWN ? FolderEntry::File
                                                               : FolderEntry::Other;
            entries.push_back(std::move(entry));
            errno = 0;
        }
        const int error = errno;
        ::closedir(dir);
        return error;
    }

    int FileStatusOf(int fd, FileStatus& status) override
    {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return errno;
        Fill(st, status);
        return 0;
    }

    int SetModeAndTime(int fd, uint32_t mode, int64_t modified, int64_t modifiedNs) override
    {
        if (::fchmod(fd, static_cast<mode_t>(mode & 07777)) != 0)
            return errno;
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified), static_cast<long>(modifiedNs)}};
        return ErrorOf(::futimens(fd, times));
    }

    int SyncFilesystem(int fd) override { return ErrorOf(::syncfs(fd)); }

    int ReadLink(const std::string& path, std::string& target) override
    {
        std::vector<char> buffer(256);
        for (;;) {
            const ssize_t got = ::readlink(path.c_str(), buffer.data(), buffer.size());
            if (got < 0)
                return errno;
            if (static_cast<size_t>(got) < buffer.size()) {
                target.assign(buffer.data(), static_cast<size_t>(got));
                return 0;
            }
            if (buffer.size() >= (1u << 20))
                return ENAMETOOLONG;
            buffer.resize(buffer.size() * 2);
        }
    }

    int MakeLink(const std::string& target, const std::string& path) override
    {
        return ErrorOf(::symlink(target.c_str(), path.c_str()));
    }

private:
    static void Fill(const struct stat& st, FileStatus& status)
    {
        status.Device = st.st_dev;
        status.Inode = st.st_ino;
        status.Mode = st.st_mode;
        status.Size = st.st_size < 0 ? 0 : static_cast<uint64_t>(st.st_size);
        status.Modified = st.st_mtim.tv_sec;
        status.ModifiedNs = st.st_mtim.tv_nsec;
    }
};

} // namespace

IFileOps& SystemFileOps()
{
    static CSystemFileOps ops;
    return ops;
}

std::string ErrorText(int error)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}
