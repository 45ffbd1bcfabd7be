#include "platform/MappedFile.h"

#include "base/FileName.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ParentFolderExists(const std::string& path)
{
    const std::string folder = FolderPart(path);
    if (folder.empty())
        return true; // the current folder
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

int CMappedFile::Open(const std::string& path)
{
    Close();
    // Non-blocking: a named pipe is refused below instead of waiting for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case ENOTDIR:
            return 3;
        case ENOENT:
            return ParentFolderExists(path) ? 4 : 3;
        case EACCES:
        case EPERM:
        case EBUSY:
        case ETXTBSY:
            return 5;
        default:
            return 4;
        }
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        static_cast<unsigned long long>(st.st_size) > SIZE_MAX) {
        ::close(fd);
        return 5;
    }
    const size_t size = static_cast<size_t>(st.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED)
        return 5;
    ::madvise(view, size, MADV_SEQUENTIAL);
    m_Data = static_cast<const uint8_t*>(view);
    m_Size = size;
    return 0;
}

void CMappedFile::Close()
{
    if (m_Data)
        ::munmap(const_cast<uint8_t*>(m_Data), m_Size);
    m_Data = nullptr;
    m_Size = 0;
}
