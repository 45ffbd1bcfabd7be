// CDeleteJob: deletes files, links and whole folders, for good or into the
// trash. A folder is emptied depth first, children before parents, without
// following symbolic links (a link is deleted as a link, never what it names);
// a filesystem root, the home folder and the folders holding it are refused.
// Each failure is reported with its path and reason and the job goes on; a
// cancel stops before the next item, and what was deleted stays deleted.
#pragma once

#include "jobs/Job.h"
#include "platform/FileOps.h"

#include <string>
#include <vector>

// Why a folder must never be deleted (a filesystem root, the home folder or a
// folder holding it), or "" when it may be.
std::string DeleteRefusal(const std::string& folder, IFileOps& ops = SystemFileOps());

struct DeleteRequest {
    // Files, links and folders; a folder goes with everything in it.
    std::vector<std::string> Paths;
    bool UseTrash = false;
};

class CDeleteJob final : public CThread {
public:
    explicit CDeleteJob(IFileOps& ops = SystemFileOps());
    ~CDeleteJob() override;

    // Hands over the work of the next run; only while no run is in progress.
    void SetRequest(DeleteRequest request) { m_Request = std::move(request); }
    // Failed items of the last run.
    int Failures() const { return m_Failures; }

protected:
    void DoJob() override;

private:
    struct Item {
        std::string Path;
        bool Folder = false;
    };
    // Appends a top path's items: its files (folder mode: the tree's files,
    // then its subfolders last to first, then the folder itself).
    void Collect(const std::string& path, std::vector<Item>& items);
    void CollectFolder(const std::string& folder, const FileStatus& status, std::vector<Item>& items);
    // The reason a folder must never be deleted, or "".
    std::string ProtectedReason(const std::string& folder, const FileStatus& status);
    void Report(const std::string& path, bool folder, const std::string& reason);
    // The folder whose files are being unlinked, open while they go.
    struct OpenedFolder {
        explicit OpenedFolder(IFileOps& ops) : Ops(ops) {}
        ~OpenedFolder();
        IFileOps& Ops;
        std::string Path;
        int Fd = -1;
    };
    int UnlinkFile(const std::string& path, OpenedFolder& opened);

    IFileOps& m_Ops;
    DeleteRequest m_Request;
    int m_Failures = 0;
};
