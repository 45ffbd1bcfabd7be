// The system's file calls with faults put where a test chooses: a call on a
// path under a given prefix fails with the given errno. With `refuseAll` every
// call that changes something fails, so a test of a refusal cannot harm the machine.
#pragma once

#include "platform/FileOps.h"

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FaultOps final : public IFileOps {
public:
    std::string UnlinkPrefix;  // Unlink of a path starting so fails
    std::string RenamePrefix;  // RenameNoReplace from such a path fails
    int Error = EACCES;
    bool RefuseAll = false;
    std::vector<std::string> Changes;  // every changing call that reached here

    std::string OpenPrefix;     // opening such a path for reading fails with OpenError
    int OpenError = EACCES;
    std::string WritePrefix;    // a file created under it takes WriteLimit bytes, then WriteError
    uint64_t WriteLimit = 0;
    int WriteError = ENOSPC;
    std::string ClosePrefix;    // closing a file created under it reports CloseError (it is closed)
    int CloseError = EIO;
    std::string OtherDevicePrefix;  // paths under it report another device
    std::function<void(uint64_t)> OnWritten;  // after each write or copy: bytes of that file so far

    int Open(const std::string& p, OpenFor f, uint32_t m, int& fd) override
    {
        if (f != OpenFor::Read && Refused(p))
            return EPERM;
        if (f == OpenFor::Read && Matches(p, OpenPrefix))
            return OpenError;
        const int error = Real().Open(p, f, m, fd);
        if (!error && f != OpenFor::Read)
            m_Created[fd] = {p, 0};
        return error;
    }
    int Close(int fd) override
    {
        const auto it = m_Created.find(fd);
        const bool fail = it != m_Created.end() && Matches(it->second.Path, ClosePrefix);
        if (it != m_Created.end())
            m_Created.erase(it);
        const int error = Real().Close(fd);
        return fail ? CloseError : error;
    }
    int Read(int fd, void* d, size_t s, size_t& n) override { return Real().Read(fd, d, s, n); }
    int Write(int fd, const void* d, size_t s, size_t& n) override
    {
        n = 0;
        if (const int error = Limit(fd, s))
            return error;
        const int error = Real().Write(fd, d, s, n);
        Count(fd, n);
        return error;
    }
    int CopyRange(int a, int b, size_t s, size_t& n) override
    {
        n = 0;
        if (const int error = Limit(b, s))
            return error;
        const int error = Real().CopyRange(a, b, s, n);
        Count(b, n);
        return error;
    }
    int Link(const std::string& a, const std::string& b) override { return Refused(b) ? EPERM : Real().Link(a, b); }
    int RenameNoReplace(const std::string& a, const std::string& b) override
    {
        if (Refused(a))
            return EPERM;
        return Matches(a, RenamePrefix) ? Error : Real().RenameNoReplace(a, b);
    }
    int RenameReplace(const std::string& a, const std::string& b) override
    {
        if (Refused(a))
            return EPERM;
        return Matches(a, RenamePrefix) ? Error : Real().RenameReplace(a, b);
    }
    int Unlink(const std::string& p) override
    {
        if (Refused(p))
            return EPERM;
        return Matches(p, UnlinkPrefix) ? Error : Real().Unlink(p);
    }
    int MakeFolder(const std::string& p, uint32_t m) override { return Refused(p) ? EPERM : Real().MakeFolder(p, m); }
    int RemoveFolder(const std::string& p) override { return Refused(p) ? EPERM : Real().RemoveFolder(p); }
    int LinkStatus(const std::string& p, FileStatus& s) override
    {
        const int error = Real().LinkStatus(p, s);
        if (!error && Matches(p, OtherDevicePrefix))
            s.Device ^= 0x5a5a;
        return error;
    }
    int Space(const std::string& p, VolumeSpace& s) override { return Real().Space(p, s); }
    int ReadFolder(const std::string& p, std::vector<FolderEntry>& e) override { return Real().ReadFolder(p, e); }
    int FileStatusOf(int fd, FileStatus& s) override { return Real().FileStatusOf(fd, s); }
    int SetModeAndTime(int fd, uint32_t m, int64_t t, int64_t ns) override { return Real().SetModeAndTime(fd, m, t, ns); }
    int SyncFilesystem(int fd) override { return Real().SyncFilesystem(fd); }
    int ReadLink(const std::string& p, std::string& t) override { return Real().ReadLink(p, t); }
    int MakeLink(const std::string& t, const std::string& p) override { return Refused(p) ? EPERM : Real().MakeLink(t, p); }

private:
    struct Created {
        std::string Path;
        uint64_t Written = 0;
    };
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
    // Shortens a write to what the limit leaves; the error once nothing is left.
    int Limit(int fd, size_t& size)
    {
        const auto it = m_Created.find(fd);
        if (it == m_Created.end() || !Matches(it->second.Path, WritePrefix))
            return 0;
        const uint64_t left = WriteLimit - (it->second.Written < WriteLimit ? it->second.Written : WriteLimit);
        if (left == 0)
            return WriteError;
        if (size > left)
            size = static_cast<size_t>(left);
        return 0;
    }
    void Count(int fd, size_t done)
    {
        const auto it = m_Created.find(fd);
        if (it != m_Created.end()) {
            it->second.Written += done;
            if (OnWritten)
                OnWritten(it->second.Written);
        }
    }
    std::map<int, Created> m_Created;
};
