// The file calls of the file jobs behind one small interface, so a test can
// put a fault (a full disk, a refused unlink) at the call it chooses. Every
// call returns 0 on success or the errno value of its failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FileStatus {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    uint32_t Mode = 0;      // type and permission bits
    uint64_t Size = 0;
    int64_t Modified = 0;   // seconds since 1970 UTC
    int64_t ModifiedNs = 0; // nanoseconds within that second
    bool IsFolder() const;
    bool IsLink() const;
    bool IsRegular() const;
    bool SameAs(const FileStatus& other) const { return Device == other.Device && Inode == other.Inode; }
};

struct VolumeSpace {
    uint64_t Free = 0;   // bytes the caller may still write
    uint64_t Total = 0;
};

// One entry of a folder, as the folder read gives it (no status is read).
struct FolderEntry {
    std::string Name;
    enum Kind : uint8_t { File, Folder, Link, Other } Type = File;
};

enum class OpenFor {
    Read,       // an existing file, read only
    CreateNew,  // a new file, write only; EEXIST when the name is taken
};

class IFileOps {
public:
    virtual ~IFileOps() = default;
    // Never follows a symbolic link in the last component when creating.
    virtual int Open(const std::string& path, OpenFor purpose, uint32_t mode, int& fd) = 0;
    virtual int Close(int fd) = 0;
    // Reads or writes up to size bytes; done is what was moved (0 at the end of a file).
    virtual int Read(int fd, void* data, size_t size, size_t& done) = 0;
    virtual int Write(int fd, const void* data, size_t size, size_t& done) = 0;
    // Copies up to size bytes from the current position of one file to the other's, in the kernel where it can.
    virtual int CopyRange(int from, int to, size_t size, size_t& done) = 0;
    virtual int Link(const std::string& existing, const std::string& name) = 0;
    // Renames, but never over an existing name (EEXIST then).
    virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // Renames over an existing name in one step: whoever looks finds the old
    // file or the new one, never neither.
    virtual int RenameReplace(const std::string& from, const std::string& to);
    virtual int Unlink(const std::string& path) = 0;
    // A folder opened for UnlinkIn (never through a link in its last part);
    // closed with Close. Without it (ENOSYS) callers unlink by full path.
    virtual int OpenFolder(const std::string& path, int& fd);
    // Unlinks a file or link named in an open folder: no walk of the whole path per file.
    virtual int UnlinkIn(int folderFd, const std::string& name);
    virtual int MakeFolder(const std::string& path, uint32_t mode) = 0;
    virtual int RemoveFolder(const std::string& path) = 0;
    // The status of the name itself: a symbolic link is described, not followed.
    virtual int LinkStatus(const std::string& path, FileStatus& status) = 0;
    virtual int Space(const std::string& path, VolumeSpace& space) = 0;
    // Every entry but "." and ".." in the order the system returns them; the
    // type comes from the folder read (a status only where it gives none).
    virtual int ReadFolder(const std::string& path, std::vector<FolderEntry>& entries) = 0;
    // The status of an open file.
    virtual int FileStatusOf(int fd, FileStatus& status) = 0;
    // Gives an open file the permission bits and the modification time (seconds, nanoseconds).
    virtual int SetModeAndTime(int fd, uint32_t mode, int64_t modified, int64_t modifiedNs) = 0;
    // Writes everything of the filesystem that holds the open file to its disk.
    virtual int SyncFilesystem(int fd) = 0;
    virtual int ReadLink(const std::string& path, std::string& target) = 0;
    virtual int MakeLink(const std::string& target, const std::string& path) = 0;
};

// The calls of this system.
IFileOps& SystemFileOps();

// The system's text for an errno value ("Permission denied").
std::string ErrorText(int error);
