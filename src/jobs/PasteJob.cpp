#include "jobs/PasteJob.h"

#include "base/FileName.h"
#include "platform/Directory.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <random>

namespace {

constexpr size_t kChunk = size_t(1) << 20;        // copied between two looks at the stop flag
constexpr uint64_t kBatchBytes = uint64_t(64) << 20;  // moved across filesystems per sync
constexpr size_t kBatchFiles = 2000;
constexpr size_t kTemporaryNameMax = 200;         // of the name part, leaving room for the suffix

// Per item, while the run goes.
enum ItemState : uint8_t { ToDo, Whole, Failed };

std::string Trimmed(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The folder a path names, a link to it followed.
std::string Followed(const std::string& path)
{
    return path == "/" ? path : path + "/.";
}

std::string ParentOf(const std::string& path)
{
    const std::string parent = FolderPart(path);
    return parent.empty() ? "." : parent;
}

bool OlderThan(const FileStatus& a, const FileStatus& b)
{
    return a.Modified != b.Modified ? a.Modified < b.Modified : a.ModifiedNs < b.ModifiedNs;
}

// "." + name + ".oculane-" + six random letters or digits, in the target's folder.
std::string TemporaryName(const std::string& target)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random(std::random_device{}() ^
                                        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::string name = FileNamePart(target);
    if (name.size() > kTemporaryNameMax)
        name.resize(kTemporaryNameMax);
    std::string suffix(6, 'x');
    for (char& c : suffix)
        c = kLetters[random() % (sizeof kLetters - 1)];
    return Join(ParentOf(target), "." + name + ".oculane-" + suffix);
}

// base + "_" + n + the extension with its dot.
std::string NumberedName(const std::string& target, int n)
{
    const std::string name = FileNamePart(target);
    const std::string extension = Extension(name);
    return Join(ParentOf(target),
                NameWithoutExtension(name) + "_" + std::to_string(n) + (extension.empty() ? "" : "." + extension));
}

bool ValidName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Appends one top source's items, parents before what they hold; entries that
// cannot be read are reported and left out.
template <typename Stop, typename Fail>
void CollectTop(IFileOps& ops, const std::string& source, const FileStatus& status, const std::string& destination,
                std::vector<CPasteJob::Item>& items, Stop&& stopping, Fail&& fail)
{
    const size_t top = items.size();
    items.push_back({source, Join(destination, FileNamePart(source)), status, -1, status.IsFolder() ? 0 : status.Size});
    if (!status.IsFolder())
        return;
    std::vector<size_t> pending{top};
    std::vector<FolderEntry> entries;
    while (!pending.empty() && !stopping()) {
        const size_t folder = pending.back();
        pending.pop_back();
        const std::string from = items[folder].Source, to = items[folder].Target;
        if (const int error = ops.ReadFolder(from, entries)) {
            fail(from, error);
            continue;
        }
        for (const FolderEntry& entry : entries) {
            CPasteJob::Item item;
            item.Source = Join(from, entry.Name);
            item.Target = Join(to, entry.Name);
            item.Parent = static_cast<long>(folder);
            if (const int error = ops.LinkStatus(item.Source, item.Status)) {
                fail(item.Source, error);
                continue;
            }
            const bool isFolder = item.Status.IsFolder();
            item.Bytes = isFolder ? 0 : item.Status.Size;
            items.push_back(std::move(item));
            if (isFolder)
                pending.push_back(items.size() - 1);
        }
    }
    // A folder's bytes are its tree's: children come after their parents.
    for (size_t i = items.size(); i-- > top + 1;)
        items[static_cast<size_t>(items[i].Parent)].Bytes += items[i].Bytes;
}

} // namespace

std::string ReplaceDetails(uint64_t size, int64_t modified)
{
    std::string text = std::to_string(size) + " bytes,  ";
    std::tm local{};
    char buffer[128];
    if (LocalTimeOf(modified, local) && std::strftime(buffer, sizeof buffer, "%A, %B %d, %Y %X", &local) > 0)
        text += buffer;
    return text;
}

std::string PasteRefusal(const PasteRequest& request, IFileOps& ops, std::vector<SourceStatus>* statuses)
{
    const std::string destination = Trimmed(request.Destination);
    FileStatus target;
    if (const int error = ops.LinkStatus(Followed(destination), target))
        return "Can't copy to " + destination + ": " + ErrorText(error);
    std::string checkedParent;
    for (const std::string& given : request.Sources) {
        const std::string source = Trimmed(given);
        FileStatus status;
        const int error = ops.LinkStatus(source, status);
        if (statuses)
            statuses->push_back({error, status});
        if (error != 0)
            continue;  // a missing source is that item's failure, not the request's
        if (status.IsFolder()) {
            // Up from the destination to the root: meeting the source refuses.
            FileStatus at = target;
            std::string walk = Followed(destination);
            for (;;) {
                if (at.SameAs(status))
                    return std::string("Cannot ") + (request.Move ? "move '" : "copy '") + FileNamePart(source) + "'" +
                           "\n" + "The destination directory is a subdirectory of the source directory.";
                walk += "/..";
                FileStatus up;
                if (const int error = ops.LinkStatus(walk, up))
                    return "Can't copy to " + destination + ": " + ErrorText(error);  // cannot tell: refused
                if (up.SameAs(at))
                    break;
                at = up;
            }
        }
        // Sources mostly share one folder: it is looked at once.
        const std::string parentPath = ParentOf(source);
        if (parentPath != checkedParent) {
            checkedParent = parentPath;
            FileStatus parent;
            if (ops.LinkStatus(Followed(parentPath), parent) == 0 && parent.SameAs(target))
                return "You cannot copy/move a file or directory to itself.";
        }
    }
    return "";
}

CPasteJob::CPasteJob(IFileOps& ops) : CThread("CPasteThread"), m_Ops(ops) {}

CPasteJob::~CPasteJob()
{
    Shutdown();
}

void CPasteJob::AnswerReplace(ReplaceAnswer answer, const std::string& newName)
{
    std::lock_guard<std::mutex> lock(m_AnswerLock);
    m_Answer = answer;
    m_NewName = newName;
    m_HasAnswer = true;
    m_Answered.notify_all();
}

uint64_t CPasteJob::RequiredBytes(const std::vector<std::string>& sources, IFileOps& ops)
{
    uint64_t total = 0;
    std::vector<Item> items;
    for (const std::string& given : sources) {
        const std::string source = Trimmed(given);
        FileStatus status;
        if (ops.LinkStatus(source, status) != 0)
            continue;
        items.clear();
        CollectTop(ops, source, status, "", items, [] { return false; }, [](const std::string&, int) {});
        total += items.front().Bytes;
    }
    return total;
}

void CPasteJob::Report(const std::string& path, const std::string& reason, const std::string& text)
{
    ++m_Failures;
    if (IJobOwner* owner = GetOwner())
        owner->OnError({path, reason, text});
}

void CPasteJob::ReportCopy(const std::string& path, int error)
{
    Report(path, ErrorText(error), "Can't copy " + path + ": " + ErrorText(error));
}

void CPasteJob::Progress()
{
    if (m_Total == 0)
        return;
    const int percent = m_Done >= m_Total ? 100 : static_cast<int>(m_Done * 100 / m_Total);
    if (percent == m_Percent)
        return;
    m_Percent = percent;
    if (IJobOwner* owner = GetOwner())
        owner->OnProgress(percent);
}

CPasteJob::Choice CPasteJob::Decide(const Item& item, const FileStatus& existing)
{
    const bool older = OlderThan(existing, item.Status);
    switch (m_Request.Overwrite) {
    case OverwriteMode::Replace:
        return {Choice::Replace, {}};
    case OverwriteMode::Rename:
        return {Choice::Numbered, {}};
    case OverwriteMode::Skip:
        return {Choice::Skip, {}};
    case OverwriteMode::ReplaceOlder:
        return {older ? Choice::Replace : Choice::Skip, {}};
    case OverwriteMode::Ask:
        break;
    }
    if (m_ReplaceAllOlder)
        return {older ? Choice::Replace : Choice::Skip, {}};
    if (m_ReplaceAll)
        return {Choice::Replace, {}};
    if (m_SkipAll)
        return {Choice::Skip, {}};
    return Ask(item, existing);
}

CPasteJob::Choice CPasteJob::Ask(const Item& item, const FileStatus& existing)
{
    IJobOwner* owner = GetOwner();
    const std::string extension = Extension(FileNamePart(item.Target));
    ReplaceQuestion question;
    question.ExistingPath = item.Target;
    question.ExistingDetails = ReplaceDetails(existing.Size, existing.Modified);
    question.SourcePath = item.Source;
    question.SourceDetails = ReplaceDetails(item.Status.Size, item.Status.Modified);
    question.NewName = NameWithoutExtension(FileNamePart(item.Target));
    for (;;) {
        if (!owner || Stopping())
            return {Choice::Skip, {}};
        {
            std::lock_guard<std::mutex> lock(m_AnswerLock);
            m_HasAnswer = false;
            m_NewName.clear();
        }
        owner->OnAskReplace(question);
        ReplaceAnswer answer;
        std::string name;
        {
            std::unique_lock<std::mutex> lock(m_AnswerLock);
            // A cancel must not wait for an answer that may never come.
            while (!m_HasAnswer && !Stopping())
                m_Answered.wait_for(lock, std::chrono::milliseconds(50));
            if (!m_HasAnswer)
                return {Choice::Skip, {}};
            answer = m_Answer;
            name = std::move(m_NewName);
            m_HasAnswer = false;
            m_NewName.clear();
        }
        switch (answer) {
        case ::AnswerReplace:
            return {Choice::Replace, {}};
        case AnswerReplaceAll:
            m_ReplaceAll = true;
            return {Choice::Replace, {}};
        case AnswerReplaceAllOlder:
            m_ReplaceAllOlder = true;
            return {OlderThan(existing, item.Status) ? Choice::Replace : Choice::Skip, {}};
        case AnswerSkipAll:
            m_SkipAll = true;
            return {Choice::Skip, {}};
        case AnswerRename: {
            if (name.empty())
                continue;
            const std::string full = extension.empty() ? name : name + "." + extension;
            if (!ValidName(full)) {
                owner->OnError({item.Target, ErrorText(EINVAL), "The file name '" + full + "' is not valid."});
                question.NewName = name;
                continue;
            }
            return {Choice::NewName, full};
        }
        case AnswerSkip:
        case AnswerCancel:
        default:
            return {Choice::Skip, {}};
        }
    }
}

int CPasteJob::CopyToTemporary(const Item& item, std::string& temporary)
{
    int in = -1;
    if (const int error = m_Ops.Open(item.Source, OpenFor::Read, 0, in))
        return error;
    FileStatus status;
    int error = m_Ops.FileStatusOf(in, status);
    if (!error && !status.IsRegular())
        error = EINVAL;  // replaced by something else since it was listed
    int out = -1;
    for (int tries = 0; !error; ++tries) {
        temporary = TemporaryName(item.Target);
        error = m_Ops.Open(temporary, OpenFor::CreateNew, 0600, out);
        if (error != EEXIST || tries == 100)
            break;
    }
    if (error) {
        m_Ops.Close(in);
        temporary.clear();
        return error;
    }
    const uint64_t start = m_Done;
    uint64_t copied = 0;
    for (;;) {
        if (Stopping()) {
            error = ECANCELED;
            break;
        }
        size_t moved = 0;
        if ((error = m_Ops.CopyRange(in, out, kChunk, moved)) != 0 || moved == 0)
            break;
        copied += moved;
        m_Done = start + (copied < item.Bytes ? copied : item.Bytes);
        Progress();
    }
    if (!error)
        error = m_Ops.SetModeAndTime(out, status.Mode, status.Modified, status.ModifiedNs);
    if (const int closeError = m_Ops.Close(out); !error)
        error = closeError;
    m_Ops.Close(in);
    if (error) {
        m_Ops.Unlink(temporary);
        temporary.clear();
    }
    return error;
}

int CPasteJob::Stage(const Item& item, Staged& staged)
{
    if (item.Status.IsLink()) {
        staged.Type = Staged::Link;
        return m_Ops.ReadLink(item.Source, staged.LinkText);
    }
    staged.Type = Staged::Temporary;
    return CopyToTemporary(item, staged.Path);
}

int CPasteJob::Put(Staged& staged, const std::string& name, bool replace)
{
    if (staged.Type != Staged::Link)
        return replace ? m_Ops.RenameReplace(staged.Path, name) : m_Ops.RenameNoReplace(staged.Path, name);
    if (!replace)
        return m_Ops.MakeLink(staged.LinkText, name);
    int error;
    std::string temporary;
    for (int tries = 0;; ++tries) {
        temporary = TemporaryName(name);
        error = m_Ops.MakeLink(staged.LinkText, temporary);
        if (error != EEXIST || tries == 100)
            break;
    }
    if (!error && (error = m_Ops.RenameReplace(temporary, name)) != 0)
        m_Ops.Unlink(temporary);
    return error;
}

void CPasteJob::Discard(Staged& staged)
{
    if (staged.Type == Staged::Temporary && !staged.Path.empty())
        m_Ops.Unlink(staged.Path);
    staged = {};
}

CPasteJob::Outcome CPasteJob::TreatEntry(const Item& item, bool newFolder)
{
    if (!item.Status.IsRegular() && !item.Status.IsLink()) {
        Report(item.Source, "Not a regular file, folder or link",
               "Can't copy " + item.Source + ": Not a regular file, folder or link");
        return Outcome::Failed;
    }
    // Looking first only spares copying what the choice leaves; every name is
    // still taken without replacing, so a target that appears meanwhile is asked about too.
    // In a folder this run made, nothing can be in the way but what appears meanwhile.
    Choice choice;
    FileStatus existing;
    if (!newFolder && m_Ops.LinkStatus(item.Target, existing) == 0) {
        choice = Decide(item, existing);
        if (choice.Type == Choice::Skip)
            return Outcome::Kept;
    }
    Staged staged;
    bool renameMove = m_Request.Move && item.Status.Device == m_DestinationDevice;
    if (renameMove) {
        staged.Type = Staged::Original;
        staged.Path = item.Source;
    } else if (const int error = Stage(item, staged)) {
        if (error != ECANCELED)
            ReportCopy(item.Source, error);
        return Outcome::Failed;
    }
    const std::string folder = ParentOf(item.Target);
    for (int placeTries = 0;;) {
        std::string name = item.Target;
        if (choice.Type == Choice::Skip) {
            Discard(staged);
            return Outcome::Kept;
        }
        if (choice.Type == Choice::Numbered)
            name = NumberedName(item.Target, m_Counter);
        else if (choice.Type == Choice::NewName)
            name = Join(folder, choice.Name);
        const int error = Put(staged, name, choice.Type == Choice::Replace);
        if (error == EXDEV && staged.Type == Staged::Original) {
            // One device number, two mounts: copied after all.
            staged = {};
            if (const int stageError = Stage(item, staged)) {
                if (stageError != ECANCELED)
                    ReportCopy(item.Source, stageError);
                return Outcome::Failed;
            }
            renameMove = false;
            continue;
        }
        if (error == EEXIST && choice.Type == Choice::Numbered) {
            ++m_Counter;
            continue;
        }
        if (error == EEXIST && choice.Type == Choice::NewName) {
            if (IJobOwner* owner = GetOwner())
                owner->OnError({name, ErrorText(EEXIST), "This file already exists."});
            choice = Ask(item, existing);
            continue;
        }
        if (error == EEXIST && choice.Type == Choice::Place && ++placeTries < 100) {
            if (m_Ops.LinkStatus(item.Target, existing) == 0)
                choice = Decide(item, existing);
            continue;
        }
        if (error) {
            Discard(staged);
            ReportCopy(item.Source, error);
            return Outcome::Failed;
        }
        break;
    }
    if (m_Request.Move && !renameMove) {
        FileStatus placed;
        const uint64_t device = m_Ops.LinkStatus(folder, placed) == 0 ? placed.Device : m_DestinationDevice;
        m_Pending.push_back({item.Source, folder, device});
        m_PendingBytes += item.Bytes;
        if (m_PendingBytes >= kBatchBytes || m_Pending.size() >= kBatchFiles)
            Flush();
    }
    return Outcome::Done;
}

void CPasteJob::Flush()
{
    // The copies go to disk before any source goes: one sync per filesystem written.
    std::vector<uint64_t> synced;
    std::vector<std::pair<uint64_t, int>> failed;
    for (const Pending& pending : m_Pending) {
        bool seen = false;
        for (const uint64_t device : synced)
            seen = seen || device == pending.Device;
        for (const auto& [device, error] : failed)
            seen = seen || device == pending.Device;
        if (seen)
            continue;
        int fd = -1;
        int error = m_Ops.Open(pending.TargetFolder, OpenFor::Read, 0, fd);
        if (!error) {
            error = m_Ops.SyncFilesystem(fd);
            m_Ops.Close(fd);
        }
        if (error)
            failed.emplace_back(pending.Device, error);
        else
            synced.push_back(pending.Device);
    }
    for (const Pending& pending : m_Pending) {
        int error = 0;
        for (const auto& [device, syncError] : failed)
            if (device == pending.Device)
                error = syncError;
        if (!error)
            error = m_Ops.Unlink(pending.Source);
        if (error)
            Report(pending.Source, ErrorText(error), "Can't delete " + pending.Source + ": " + ErrorText(error));
    }
    m_Pending.clear();
    m_PendingBytes = 0;
}

bool CPasteJob::MoveWhole(const std::string& source, const FileStatus& status)
{
    if (!m_Request.Move || status.Device != m_DestinationDevice)
        return false;
    const std::string target = Join(m_Request.Destination, FileNamePart(source));
    if (IJobOwner* owner = GetOwner())
        owner->OnCurrentItem(source);
    const int error = m_Ops.RenameNoReplace(source, target);
    if (error == EEXIST || error == ENOTEMPTY || error == EXDEV)
        return false;  // the overwrite choice, a merge of folders, or a copy
    if (error)
        ReportCopy(source, error);
    return true;
}

void CPasteJob::TreatFolder(std::vector<Item>& items, size_t index, std::vector<uint8_t>& state)
{
    const Item& item = items[index];
    if (item.Parent >= 0 && m_Request.Move && item.Status.Device == m_DestinationDevice) {
        const int error = m_Ops.RenameNoReplace(item.Source, item.Target);
        if (!error) {
            state[index] = Whole;
            m_Done += item.Bytes;
            Progress();
            return;
        }
        if (error != EEXIST && error != ENOTEMPTY && error != EXDEV) {
            ReportCopy(item.Source, error);
            state[index] = Failed;
            return;
        }
    }
    int error = m_Ops.MakeFolder(item.Target, 0700);
    if (error == EEXIST) {
        FileStatus existing;
        // An existing folder takes the tree in; anything else there stays.
        if (m_Ops.LinkStatus(item.Target, existing) == 0 && existing.IsFolder())
            return;
    } else if (!error) {
        m_Created.push_back(index);
        return;
    }
    ReportCopy(item.Source, error);
    state[index] = Failed;
}

void CPasteJob::DoJob()
{
    m_Failures = 0;
    m_Total = m_Done = 0;
    m_Percent = 0;
    m_Counter = 2;
    m_ReplaceAll = m_ReplaceAllOlder = m_SkipAll = false;
    m_Pending.clear();
    m_PendingBytes = 0;
    m_Created.clear();
    IJobOwner* owner = GetOwner();
    if (owner)
        owner->OnProgress(0);
    m_Request.Destination = Trimmed(m_Request.Destination);
    std::vector<SourceStatus> statuses;
    if (const std::string refusal = PasteRefusal(m_Request, m_Ops, &statuses); !refusal.empty()) {
        Report(m_Request.Destination, refusal, refusal);
        return;
    }
    FileStatus destination;
    if (const int error = m_Ops.LinkStatus(Followed(m_Request.Destination), destination)) {
        ReportCopy(m_Request.Destination, error);
        return;
    }
    m_DestinationDevice = destination.Device;

    // Whole sources moved by one rename each; the rest collected.
    std::vector<Item> items;
    for (size_t index = 0; index < m_Request.Sources.size(); ++index) {
        if (Stopping())
            return;
        const std::string source = Trimmed(m_Request.Sources[index]);
        const FileStatus& status = statuses[index].Status;
        if (const int error = statuses[index].Error) {
            ReportCopy(source, error);
            continue;
        }
        if (MoveWhole(source, status))
            continue;
        const size_t top = items.size();
        CollectTop(m_Ops, source, status, m_Request.Destination, items, [this] { return Stopping(); },
                   [this](const std::string& path, int error) { ReportCopy(path, error); });
        m_Total += items[top].Bytes;
    }

    std::vector<uint8_t> state(items.size(), ToDo);
    std::vector<bool> made(items.size(), false);  // folders this run created
    for (size_t i = 0; i < items.size() && !Stopping(); ++i) {
        const Item& item = items[i];
        if (item.Parent >= 0 && state[static_cast<size_t>(item.Parent)] != ToDo) {
            state[i] = state[static_cast<size_t>(item.Parent)];  // done with its folder, or left with it
            continue;
        }
        if (owner)
            owner->OnCurrentItem(item.Source);
        if (item.Status.IsFolder()) {
            const size_t madeBefore = m_Created.size();
            TreatFolder(items, i, state);
            made[i] = m_Created.size() > madeBefore;
            continue;
        }
        const uint64_t before = m_Done;
        TreatEntry(item, item.Parent >= 0 && made[static_cast<size_t>(item.Parent)]);
        m_Done = before + item.Bytes;
        Progress();
    }
    Flush();

    // Created folders get their sources' mode and time once filled, inner ones first.
    for (auto it = m_Created.rbegin(); it != m_Created.rend(); ++it) {
        const Item& item = items[*it];
        int fd = -1;
        if (m_Ops.Open(item.Target, OpenFor::Read, 0, fd) == 0) {
            m_Ops.SetModeAndTime(fd, item.Status.Mode, item.Status.Modified, item.Status.ModifiedNs);
            m_Ops.Close(fd);
        }
    }
    if (!m_Request.Move || Stopping())
        return;
    // The emptied source folders, last to first.
    for (size_t i = items.size(); i-- > 0;) {
        const Item& item = items[i];
        if (!item.Status.IsFolder() || state[i] == Whole)
            continue;
        if (const int error = m_Ops.RemoveFolder(item.Source))
            Report(item.Source, ErrorText(error),
                   "Can't delete the '" + item.Source + "' directory.\n" + ErrorText(error));
    }
}
