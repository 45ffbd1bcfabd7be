#include "platform/SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

CSafeFileWriter::~CSafeFileWriter()
{
    Abort();
}

bool CSafeFileWriter::Open(const std::string& path)
{
    Abort();
    m_Failed = false;
    m_Error = 0;
    m_Target = path;
    m_TempPath = path + ".tmpXXXXXX";
    int fd = mkstemp(m_TempPath.data());
    if (fd < 0) {
        m_Error = errno;
        m_Failed = true;
        m_TempPath.clear();
        return false;
    }
    // mkstemp creates 0600; give the new file the usual permissions.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    m_Fd = fd;
    m_Buffer = static_cast<unsigned char*>(std::malloc(kBufferSize));
    if (!m_Buffer) {
        m_Error = ENOMEM;
        Abort();
        m_Failed = true;
        return false;
    }
    m_Used = 0;
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
    if (ok && ::fsync(m_Fd) != 0) {
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
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
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
