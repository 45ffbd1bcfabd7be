// Folders on this system: reading entries, the process's current folder, free
// space and the mounted volumes.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Attribute bits of an entry, as the file list shows them.
constexpr uint8_t kAttrReadOnly = 0x01;
constexpr uint8_t kAttrHidden = 0x02;
constexpr uint8_t kAttrSystem = 0x04;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrArchive = 0x20;

struct DirectoryEntry {
    std::string Name;
    bool IsDirectory = false;
    bool IsLink = false;     // a symbolic link itself (its target decides the rest)
    uint64_t Size = 0;
    int64_t Modified = 0;    // seconds since 1970 UTC
    uint8_t Attributes = 0;  // kAttr* bits
};

// Every entry except "." and ".." in the order the system returns them; false
// when the folder cannot be read.
bool ReadDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries);
// Only the subfolder names (for the folder tree), hidden ones included.
std::vector<std::string> ListSubfolders(const std::string& folder);

bool MakeCurrentFolder(const std::string& path);
std::string CurrentFolder();
bool IsFolder(const std::string& path);
bool IsRootFolder(const std::string& path);
// Identifies the volume holding the path ("" when it cannot be read).
std::string VolumeOf(const std::string& path);

// Bytes free to the caller on the volume that holds the path; 0 when unknown.
uint64_t FreeSpace(const std::string& path);
// "/" first, then the mount points of real volumes the system reports.
std::vector<std::string> DriveRoots();
// The same from the text of /proc/self/mounts: devices under /dev/ only, each
// device once, /boot and /snap left out; isFolder (when given) checks a mount point.
std::vector<std::string> DriveRootsFromMounts(const std::string& mountsText,
                                              bool (*isFolder)(const std::string&) = nullptr);
// The user's home folder.
std::string HomeDirectory();

// Local calendar time of a time in seconds since 1970 UTC; false when out of range.
bool LocalTimeOf(int64_t seconds, std::tm& local);

// The current user, for the read-only attribute.
struct UserIdentity {
    uint32_t Uid = 0;
    std::vector<uint32_t> Groups;  // effective group and supplementary groups
};
UserIdentity CurrentUser();
// Attribute bits of an entry from its name and status (mode, owner and group):
// hidden when the name starts with ".", read-only when the user may not write
// it, system when it is neither a regular file nor a folder, directory for a folder.
uint8_t EntryAttributes(const std::string& name, uint32_t mode, uint32_t ownerUid, uint32_t ownerGid,
                        const UserIdentity& user);
