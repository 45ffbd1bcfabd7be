// CPasteJob: copies or moves files, links and whole folders into a folder.
// Nothing is lost and nothing is half-written: each file is written to a
// temporary name in the target folder and moved into place, without replacing,
// only when complete; a failed or cancelled copy leaves neither a partial
// target nor the temporary file. Only a target that exists (EEXIST) goes to
// the overwrite choice; any other failure is reported ("Can't copy " + path +
// ": " + reason) and the job goes on. A move deletes its sources only after
// the copies are on disk (one filesystem sync per batch); within one
// filesystem a move is a plain non-replacing rename. Links are copied as links
// and never followed. Modification time and mode are kept.
#pragma once

#include "jobs/Job.h"
#include "platform/FileOps.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// "Overwrite existing" (the Filing option) plus the command line's "older".
enum class OverwriteMode : int32_t { Ask = 0, Replace = 1, Rename = 2, Skip = 3, ReplaceOlder = 4 };

// The buttons of "Confirm Replace", by their ids.
enum ReplaceAnswer : int32_t {
    AnswerRename = 1,       // "Re&name": copy to the edited name + the extension
    AnswerCancel = 2,       // "&Cancel": leave this file, the job goes on
    AnswerReplaceAll = 1107,
    AnswerReplace = 1108,
    AnswerSkip = 1110,
    AnswerReplaceAllOlder = 1111,
    AnswerSkipAll = 1112,
};

struct PasteRequest {
    // Full paths of files, links and folders; a folder goes with everything in
    // it (its tree is recreated under Destination/its name).
    std::vector<std::string> Sources;
    std::string Destination;
    bool Move = false;
    OverwriteMode Overwrite = OverwriteMode::Ask;
};

class CPasteJob final : public CThread {
public:
    explicit CPasteJob(IFileOps& ops = SystemFileOps());
    ~CPasteJob() override;

    // Hands over the work of the next run; only while no run is in progress.
    void SetRequest(PasteRequest request) { m_Request = std::move(request); }
    // The owner's answer to OnAskReplace; newName is the edited base name for AnswerRename.
    // The worker waits for it or for a cancel, whichever comes first.
    void AnswerReplace(ReplaceAnswer answer, const std::string& newName = "");
    // Failed items of the last run.
    int Failures() const { return m_Failures; }
    // Bytes to copy for the request (files' sizes, folders' trees), for the free-space check.
    static uint64_t RequiredBytes(const std::vector<std::string>& sources, IFileOps& ops = SystemFileOps());

protected:
    void DoJob() override;

public:
    // One entry of the work: a top source or something inside a folder source
    // (public for the collecting helpers only).
    struct Item {
        std::string Source, Target;
        FileStatus Status;
        long Parent = -1;   // the folder item holding it; -1 for a top source
        uint64_t Bytes = 0; // a file's size; a folder's whole tree
    };

private:
    // What becomes of one entry whose target name is taken.
    struct Choice {
        enum Kind { Place, Replace, Skip, Numbered, NewName } Type = Place;
        std::string Name;  // NewName: the name the user typed, with the extension
    };
    // A file ready to be put under its target name.
    struct Staged {
        enum Kind { None, Temporary, Original, Link } Type = None;
        std::string Path;      // Temporary: the complete copy; Original: the source
        std::string LinkText;  // Link: the link's contents
    };
    enum class Outcome { Done, Kept, Failed };

    void Report(const std::string& path, const std::string& reason, const std::string& text);
    void ReportCopy(const std::string& path, int error);
    void Progress();
    // Moves whole top sources by one rename each where that can be done;
    // false for the ones still to collect.
    bool MoveWhole(const std::string& source, const FileStatus& status);
    void TreatFolder(std::vector<Item>& items, size_t index, std::vector<uint8_t>& state);
    Outcome TreatEntry(const Item& item, bool newFolder);
    Choice Decide(const Item& item, const FileStatus& existing);
    Choice Ask(const Item& item, const FileStatus& existing);
    int Stage(const Item& item, Staged& staged);
    int CopyToTemporary(const Item& item, std::string& temporary);
    int Put(Staged& staged, const std::string& name, bool replace);
    void Discard(Staged& staged);
    // Deletes the moved sources once their copies are on disk.
    void Flush();

    IFileOps& m_Ops;
    PasteRequest m_Request;
    int m_Failures = 0;
    std::mutex m_AnswerLock;
    std::condition_variable m_Answered;
    bool m_HasAnswer = false;
    ReplaceAnswer m_Answer = AnswerCancel;
    std::string m_NewName;

    // One run's state.
    uint64_t m_DestinationDevice = 0;
    uint64_t m_Total = 0, m_Done = 0;
    int m_Percent = 0;
    int m_Counter = 2;  // the automatic rename's next number
    bool m_ReplaceAll = false, m_ReplaceAllOlder = false, m_SkipAll = false;
    struct Pending {
        std::string Source, TargetFolder;
        uint64_t Device = 0;
    };
    std::vector<Pending> m_Pending;  // copied sources of a move, deleted after the next sync
    uint64_t m_PendingBytes = 0;
    std::vector<size_t> m_Created;  // folder items this run made
};

// The status (or errno) of each source, as PasteRefusal read it.
struct SourceStatus {
    int Error = 0;
    FileStatus Status;
};
// Why the request must not run ("" when it may): a folder copied into itself
// or into one of its own subfolders, a source copied into its own folder
// (both by identity, never by spelling), a destination that is no folder.
// statuses (when given) receives each source's status, for the run to reuse.
std::string PasteRefusal(const PasteRequest& request, IFileOps& ops = SystemFileOps(),
                         std::vector<SourceStatus>* statuses = nullptr);

// The details line of "Confirm Replace": size, " bytes,  ", the local date and time.
std::string ReplaceDetails(uint64_t size, int64_t modified);
