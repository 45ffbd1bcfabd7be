#include "platform/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Like the kernel's own limit on links followed in one lookup (ELOOP).
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of links to the file it finally names, which may be missing
// (a dangling link creates it). Folder parts are left to the kernel: the
// temporary file and the rename both go through the same folder path.
bool ResolveLinks(std::string path, std::string& resolved, int& error)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                error = errno;
                return false;
            }
            resolved = std::move(path);
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            resolved = std::move(path);
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0) {
            error = errno;
            return false;
        }
        if (n == 0 || static_cast<size_t>(n) >= sizeof link) {
            error = n == 0 ? ENOENT : ENAMETOOLONG;
            return false;
        }
        std::string next(link, static_cast<size_t>(n));
        if (next[0] != '/' && path.find('/') != std::string::npos)
            next = FolderOf(path) + "/" + next;
        path = std::move(next);
    }
    error = ELOOP;
    return false;
}

uint64_t RandomBits()
{
    uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits))
        return bits;
    // No entropy yet: the name only has to differ from others in the folder,
    // and O_EXCL catches the rare clash.
    static std::atomic<uint64_t> counter{0};
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    bits = (static_cast<uint64_t>(now.tv_sec) * 1000000007u) ^ static_cast<uint64_t>(now.tv_nsec);
    bits ^= (static_cast<uint64_t>(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    return bits;
}

// A short hidden name, so a target at the file system's name limit still
// leaves room for it. Created 0666 so the kernel applies the umask: reading
// the umask would mean changing it under other threads.
int CreateTemporary(const std::string& folder, uint32_t mode, std::string& tempPath, int& error)
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t bits = RandomBits();
        std::string name = ".oc-";
        for (int i = 0; i < 8; ++i, bits /= 62)
            name += kChars[bits % 62];
        name += ".tmp";
        tempPath = folder.back() == '/' ? folder + name : folder + "/" + name;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (errno != EEXIST)
            break;
    }
    error = errno;
    tempPath.clear();
    return -1;
}

}  // namespace

CSafeFileWriter::~CSafeFileWriter()
{
    Abort();
}

bool CSafeFileWriter::Open(const std::string& path, const SafeWriteOptions& options)
{
    Abort();
    m_Durable = options.Durable;
    m_Failed = true;
    m_Error = 0;
    m_Target.clear();
    if (path.empty() || path.back() == '/') {
        m_Error = path.empty() ? ENOENT : EISDIR;
        return false;
    }
    if (!ResolveLinks(path, m_Target, m_Error))
        return false;
    struct stat old {};
    const bool replacing = ::stat(m_Target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        m_Error = EISDIR;
        return false;
    }
    const int fd = CreateTemporary(FolderOf(m_Target), options.NewFileMode, m_TempPath, m_Error);
    if (fd < 0)
        return false;
    m_Fd = fd;
    if (replacing) {
        // Only root may give the file away; anyone else keeps their own
        // ownership, which is all the old file could have had for them anyway.
        // Owner first: changing it clears the set-id bits.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        (void)::fchmod(fd, old.st_mode & 07777);
    }
    m_Buffer = static_cast<unsigned char*>(std::malloc(kBufferSize));
    if (!m_Buffer) {
        m_Error = ENOMEM;
        Abort();
        return false;
    }
    m_Used = 0;
    m_Failed = false;
    return true;
}

static bool WriteAll(int fd, const unsigned char* p, size_t n, int& error)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (w == 0) {
            error = ENOSPC;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool CSafeFileWriter::Flush()
{
    if (m_Used == 0)
        return true;
    bool ok = WriteAll(m_Fd, m_Buffer, m_Used, m_Error);
    m_Used = 0;
    if (!ok)
        m_Failed = true;
    return ok;
}

bool CSafeFileWriter::Write(const void* data, size_t size)
{
    if (m_Fd < 0 || m_Failed)
        return false;
    // Nothing to add (an empty palette, say): data may then be null.
    if (size == 0)
        return true;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (m_Used + size <= kBufferSize) {
        std::memcpy(m_Buffer + m_Used, p, size);
        m_Used += size;
        return true;
    }
    if (!Flush())
        return false;
    if (size < kBufferSize) {
        std::memcpy(m_Buffer, p, size);
        m_Used = size;
        return true;
    }
    if (!WriteAll(m_Fd, p, size, m_Error)) {
        m_Failed = true;
        return false;
    }
    return true;
}

bool CSafeFileWriter::WriteU32LE(uint32_t value)
{
    unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return Write(b, 4);
}

bool CSafeFileWriter::Commit()
{
    if (m_Fd < 0)
        return false;
    bool ok = !m_Failed && Flush();
    if (ok && m_Durable && ::fsync(m_Fd) != 0) {
        m_Error = errno;
        ok = false;
    }
    if (::close(m_Fd) != 0 && ok) {
        m_Error = errno;
        ok = false;
    }
    m_Fd = -1;
    if (ok && ::rename(m_TempPath.c_str(), m_Target.c_str()) != 0) {
        m_Error = errno;
        ok = false;
    }
    if (ok && m_Durable) {
        // Makes the rename itself durable; some file systems cannot open or
        // sync a folder, and the data is already safe, so failure is ignored.
        const int folder = ::open(FolderOf(m_Target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            (void)::fsync(folder);
            ::close(folder);
        }
    }
    if (!ok) {
        m_Failed = true;
        ::unlink(m_TempPath.c_str());
    }
    m_TempPath.clear();
    std::free(m_Buffer);
    m_Buffer = nullptr;
    return ok;
}

void CSafeFileWriter::Abort()
{
    if (m_Fd >= 0) {
        ::close(m_Fd);
        m_Fd = -1;
    }
    if (!m_TempPath.empty()) {
        ::unlink(m_TempPath.c_str());
        m_TempPath.clear();
    }
    std::free(m_Buffer);
    m_Buffer = nullptr;
    m_Used = 0;
}

// Copies through a temporary file, so the target is either the old file or a
// complete copy. File sizes are whatever the file system holds (64-bit).
bool CopySafely(const std::string& from, const std::string& to, std::string& error)
{
    // Non-blocking: a named pipe is refused below instead of waiting for a writer.
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (in >= 0)
            ::close(in);
        error = "Could not read " + from + ".";
        return false;
    }
    CSafeFileWriter out;
    if (!out.Open(to)) {
        ::close(in);
        error = "Could not write " + to + ".";
        return false;
    }
    std::vector<char> buffer(size_t(1) << 20);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(in);
            error = "Could not read " + from + ".";
            return false;  // the writer drops its temporary file
        }
        if (n == 0)
            break;
        if (!out.Write(buffer.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    if (!ok || !out.Commit()) {
        error = "Could not write " + to + ".";
        return false;
    }
    return true;
}
