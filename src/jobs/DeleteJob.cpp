#include "jobs/DeleteJob.h"

#include "platform/Directory.h"
#include "platform/Trash.h"

namespace {

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

// Why the folder must never be deleted, or "".
std::string ProtectedFolder(const std::string& folder, const FileStatus& status, IFileOps& ops);

CDeleteJob::CDeleteJob(IFileOps& ops) : CThread("CDeleteThread"), m_Ops(ops) {}

CDeleteJob::~CDeleteJob()
{
    Shutdown();
}

void CDeleteJob::Report(const std::string& path, bool folder, const std::string& reason)
{
    ++m_Failures;
    if (IJobOwner* owner = GetOwner()) {
        const std::string head = folder ? "Can't delete the '" + path + "' folder.\n" : "Can't delete " + path + "\n";
        owner->OnError({path, reason, head + reason});
    }
}

std::string DeleteRefusal(const std::string& given, IFileOps& ops)
{
    std::string folder = given;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    FileStatus status;
    if (ops.LinkStatus(folder, status) != 0 || !status.IsFolder())
        return "";
    return ProtectedFolder(folder, status, ops);
}

std::string CDeleteJob::ProtectedReason(const std::string& folder, const FileStatus& status)
{
    return ProtectedFolder(folder, status, m_Ops);
}

std::string ProtectedFolder(const std::string& folder, const FileStatus& status, IFileOps& ops)
{
    FileStatus up;
    // The root, and every folder another filesystem is mounted on.
    if (ops.LinkStatus(Join(folder, ".."), up) != 0 || up.SameAs(status) || up.Device != status.Device)
        return "It is the root of a filesystem.";
    // "/." follows a home folder that is itself a link.
    FileStatus home;
    std::string walk = HomeDirectory() + "/.";
    if (ops.LinkStatus(walk, home) != 0)
        return "";
    if (home.SameAs(status))
        return "It is the home folder.";
    for (int depth = 0; depth < 256; ++depth) {
        walk += "/..";
        FileStatus above;
        if (ops.LinkStatus(walk, above) != 0 || above.SameAs(home))
            break;
        if (above.SameAs(status))
            return "It holds the home folder.";
        home = above;
    }
    return "";
}

void CDeleteJob::CollectFolder(const std::string& top, const FileStatus& status, std::vector<Item>& items)
{
    // Depth first without recursion, so a deep tree cannot exhaust the stack;
    // folders are kept parent first and deleted in the reverse order.
    std::vector<std::string> folders{top};
    std::vector<std::string> pending{top};
    while (!pending.empty() && !Stopping()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        // The folder read gives each entry's type without a status: only a
        // folder needs one, to stay on the filesystem the top folder is on.
        std::vector<FolderEntry> entries;
        m_Ops.ReadFolder(folder, entries);  // an unreadable folder fails, and is reported, at its removal
        for (const FolderEntry& entry : entries) {
            std::string path = Join(folder, entry.Name);
            if (entry.Type != FolderEntry::Folder) {
                items.push_back({std::move(path), false});  // a link goes as a link
                continue;
            }
            FileStatus sub;
            if (m_Ops.LinkStatus(path, sub) != 0 || !sub.IsFolder()) {
                items.push_back({std::move(path), false});  // replaced meanwhile: deleted as what it is now
                continue;
            }
            if (sub.Device != status.Device) {
                Report(path, true, "It is the root of a filesystem.");
                continue;
            }
            folders.push_back(path);
            pending.push_back(path);
        }
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        items.push_back({*it, true});
}

void CDeleteJob::Collect(const std::string& given, std::vector<Item>& items)
{
    // "link/" would name the folder behind the link: the link itself is meant.
    std::string path = given;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    FileStatus status;
    if (const int error = m_Ops.LinkStatus(path, status)) {
        Report(path, false, ErrorText(error));
        return;
    }
    if (!status.IsFolder()) {
        items.push_back({path, false});
        return;
    }
    if (const std::string reason = ProtectedReason(path, status); !reason.empty()) {
        Report(path, true, reason);
        return;
    }
    CollectFolder(path, status, items);
}

CDeleteJob::OpenedFolder::~OpenedFolder()
{
    if (Fd >= 0)
        Ops.Close(Fd);
}

int CDeleteJob::UnlinkFile(const std::string& path, OpenedFolder& opened)
{
    // Files come folder by folder: each folder is opened once and its files
    // unlinked by name, as rm does, instead of walking the whole path per file.
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size())
        return m_Ops.Unlink(path);
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    if (folder != opened.Path) {
        if (opened.Fd >= 0)
            m_Ops.Close(opened.Fd);
        opened.Path = folder;
        if (m_Ops.OpenFolder(folder, opened.Fd) != 0)
            opened.Fd = -1;
    }
    if (opened.Fd < 0)
        return m_Ops.Unlink(path);
    return m_Ops.UnlinkIn(opened.Fd, path.substr(slash + 1));
}

void CDeleteJob::DoJob()
{
    m_Failures = 0;
    IJobOwner* owner = GetOwner();
    if (owner)
        owner->OnProgress(0);
    std::vector<Item> items;
    for (const std::string& path : m_Request.Paths) {
        if (Stopping())
            return;
        Collect(path, items);
    }
    OpenedFolder folder(m_Ops);
    for (size_t done = 0; done < items.size(); ++done) {
        if (Stopping())
            return;
        const Item& item = items[done];
        if (owner)
            owner->OnCurrentItem(item.Path);
        int error;
        if (item.Folder)
            error = m_Ops.RemoveFolder(item.Path);
        else if (m_Request.UseTrash)
            error = MoveToTrash(item.Path, m_Ops);
        else
            error = UnlinkFile(item.Path, folder);
        if (error)
            Report(item.Path, item.Folder, ErrorText(error));
        if (owner)
            owner->OnProgress(static_cast<int>((done + 1) * 100 / items.size()));
    }
}
