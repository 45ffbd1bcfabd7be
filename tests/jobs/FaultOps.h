// The system's file calls with faults put where a test chooses: a call on a
// path under a given prefix fails with the given errno. With `refuseAll` every
// call that changes something fails, so a test of a refusal cannot harm the machine.
#pragma once

#include "platform/FileOps.h"

#include <cerrno>
#include <string>
#include <vector>

class FaultOps final : public IFileOps {
public:
    std::string UnlinkPrefix;  // Unlink of a path starting so fails
    std::string RenamePrefix;  // RenameNoReplace from such a path fails
    int Error = EACCES;
    bool RefuseAll = false;
    std::vector<std::string> Changes;  // every changing call that reached here

    int Open(const std::string& p, OpenFor f, uint32_t m, int& fd) override
    {
        if (f != OpenFor::Read && Refused(p))
            return EPERM;
        return Real().Open(p, f, m, fd);
    }
    int Close(int fd) override { return Real().Close(fd); }
    int Read(int fd, void* d, size_t s, size_t& n) override { return Real().Read(fd, d, s, n); }
    int Write(int fd, const void* d, size_t s, size_t& n) override { return Real().Write(fd, d, s, n); }
    int CopyRange(int a, int b, size_t s, size_t& n) override { return Real().CopyRange(a, b, s, n); }
    int Link(const std::string& a, const std::string& b) override { return Refused(b) ? EPERM : Real().Link(a, b); }
    int RenameNoReplace(const std::string& a, const std::string& b) override
    {
        if (Refused(a))
            return EPERM;
        return Matches(a, RenamePrefix) ? Error : Real().RenameNoReplace(a, b);
    }
    int Unlink(const std::string& p) override
    {
        if (Refused(p))
            return EPERM;
        return Matches(p, UnlinkPrefix) ? Error : Real().Unlink(p);
    }
    int MakeFolder(const std::string& p, uint32_t m) override { return Refused(p) ? EPERM : Real().MakeFolder(p, m); }
    int RemoveFolder(const std::string& p) override { return Refused(p) ? EPERM : Real().RemoveFolder(p); }
    int LinkStatus(const std::string& p, FileStatus& s) override { return Real().LinkStatus(p, s); }
    int Space(const std::string& p, VolumeSpace& s) override { return Real().Space(p, s); }
    int ReadFolder(const std::string& p, std::vector<FolderEntry>& e) override { return Real().ReadFolder(p, e); }
    int FileStatusOf(int fd, FileStatus& s) override { return Real().FileStatusOf(fd, s); }
    int SetModeAndTime(int fd, uint32_t m, int64_t t, int64_t ns) override { return Real().SetModeAndTime(fd, m, t, ns); }
    int SyncFilesystem(int fd) override { return Real().SyncFilesystem(fd); }
    int ReadLink(const std::string& p, std::string& t) override { return Real().ReadLink(p, t); }
    int MakeLink(const std::string& t, const std::string& p) override { return Refused(p) ? EPERM : Real().MakeLink(t, p); }

private:
    static IFileOps& Real() { return SystemFileOps(); }
    static bool Matches(const std::string& path, const std::string& prefix)
    {
        return !prefix.empty() && path.compare(0, prefix.size(), prefix) == 0;
    }
    bool Refused(const std::string& path)
    {
        Changes.push_back(path);
        return RefuseAll;
    }
};
